#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cProperties.h"
#include "engine/core/cVector2.h"

#include <array>
#include <vector>

class cCloud;

// The clouds over the level map (the map layout's "Clouds"): an invisible host that keeps the
// cloud prototypes (its layout children, hidden) and sends copies across the screen. All
// clouds of one host drift the same way, chosen at random when it loads: entering at one edge
// of the band 0 to 1024 and leaving at the other. For each kind k (0 to 2) "MaxStartClouds"k
// clouds are scattered when the map opens, a new one enters every "Period"k seconds (a range,
// "min;max") at a height in "YInterval"k (a range).
class cClouds : public Engine::cControl
{
public:
    static constexpr int KindCount = 3;

    explicit cClouds(Engine::cControl* parent);
    ~cClouds() override;

    // The spawns of the three kinds.
    void update() override;
    // The control's keys, the per-kind keys, then one prototype per child; each kind needs one
    // ("All cloud types not found.").
    void loadXML(const Engine::tPropertiesPtr& node) override;
    // The clouds the map opens with, anywhere across the band.
    void spawnInitial();

    bool isLeftward() const { return m_leftward; }
    const std::vector<cCloud*>& getPrototypes(int kind) const
    {
        return m_prototypes[static_cast<size_t>(kind)];
    }
    float getTimer(int kind) const { return m_timers[static_cast<size_t>(kind)]; }
    float getInterval(int kind) const { return m_intervals[static_cast<size_t>(kind)]; }
    // The x at which a cloud of that width enters: one unit of it inside the band.
    float enteringX(float width) const;

private:
    // A copy of a random prototype of the kind, shown and moving, at (x, a random height).
    cCloud* spawn(int kind, float x);
    cCloud* spawnEntering(int kind);

    bool m_leftward = false;
    // Children of the host, hidden and disabled.
    std::array<std::vector<cCloud*>, KindCount> m_prototypes;
    std::array<float, KindCount> m_timers{};
    std::array<float, KindCount> m_intervals{};
    std::array<float, KindCount> m_startCounts{};
    std::array<Engine::cVector2, KindCount> m_periods{};
    std::array<Engine::cVector2, KindCount> m_heights{};
};
