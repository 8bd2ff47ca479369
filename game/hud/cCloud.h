#pragma once

#include "engine/ui/cPicture.h"

#include <cstdint>

// One cloud drifting across the level map: a picture moving sideways at "Speed" units a
// second that deletes itself once it has left the band 0 to 1024 it crosses. "type" is its
// kind, 0 to 2.
class cCloud : public Engine::cPicture
{
public:
    static constexpr uint32_t KindCount = 3;
    // The band the clouds cross, in screen units.
    static constexpr float BandWidth = 1024.0f;

    explicit cCloud(Engine::cControl* parent = nullptr);
    // A new root cloud with the picture, kind and speed of `other`.
    cCloud(const cCloud& other);
    ~cCloud() override;

    // The picture's step; then, while shown and enabled, the cloud leaves once wholly past the
    // band's far edge, and moves.
    void update() override;
    // The picture's keys, then "Speed" and "type"; a kind outside 0 to 2 is an error.
    void loadXML(const Engine::tPropertiesPtr& node) override;

    uint32_t getType() const { return m_type; }
    float getSpeed() const { return m_speed; }
    void setSpeed(float speed) { m_speed = speed; }

private:
    uint32_t m_type = 0;
    float m_speed = 0.0f;
};
