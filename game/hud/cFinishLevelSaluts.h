#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cVector2.h"

#include <string>
#include <vector>

// The fireworks of a won level, read from an effect file ("Effects/FinishLevelSaluts.xml"):
// one firework after another at the points of "PtList", with a random pause from the range
// "random_delay" before each; the first goes off in the first frame. After the last one the
// object disables, hides and deletes itself.
//
// The particle effect of each firework ("Effect") joins it with the particle views; until
// then the object keeps the count of fireworks that went off.
class cFinishLevelSaluts : public Engine::cControl
{
public:
    cFinishLevelSaluts(Engine::cControl* parent, const std::string& effectPath);

    void update() override;
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node) override;

    const std::vector<Engine::cVector2>& getPoints() const { return m_points; }
    unsigned getFired() const { return m_next; }

private:
    std::vector<Engine::cVector2> m_points;
    float m_pauseMin = 0.0f;
    float m_pauseMax = 0.0f;
    unsigned m_next = 0;
    float m_countdown = 0.0f;
};
