#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPyro.h"

#include <array>
#include <string>

// A particle effect that travels along a list of points at a constant speed and deletes itself
// a while after reaching the last one: the level results send their bonus effects along such
// paths. Read from an effect file: the particle view's keys, "Speed" (units per second),
// "Delay" (seconds it stays at the end) and the child "PtList", whose children (the first 16)
// carry "position", relative to the start point.
class cPathEffect : public Engine::cPyro
{
public:
    static constexpr int MaxPoints = 16;

    // Loads the file, places the effect on its path from `start` and starts it.
    cPathEffect(Engine::cControl* parent, const Engine::cVector2& start, const std::string& effectPath);
    cPathEffect(const cPathEffect&) = delete;
    ~cPathEffect() override;

    // The particle view's step, then the move along the path or the wait at its end.
    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    int getPointCount() const { return m_pointCount; }
    int getSegment() const { return m_segment; }
    const Engine::cVector2& getPoint(int index) const { return m_points[static_cast<size_t>(index)]; }
    float getDelay() const { return m_delay; }
    float getSpeed() const { return m_speed; }
    bool hasArrived() const { return m_segment > m_pointCount - 2; }

private:
    // Aims at the point after the current segment's start.
    void startSegment();

    int m_pointCount = 0;
    int m_segment = 0;
    float m_segmentTime = 0.0f;
    float m_delay = 0.0f;
    float m_speed = 0.0f;
    Engine::cVector2 m_velocity{0.0f, 0.0f};
    std::array<Engine::cVector2, MaxPoints> m_points{};
};
