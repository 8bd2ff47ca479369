#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cVector2.h"

#include <string>
#include <vector>

namespace Engine
{
class cPyro;
}

// The fireworks of a won level, read from an effect file ("Effects/FinishLevelSaluts.xml"):
// one firework after another at the points of "PtList", with a random pause from the range
// "random_delay" before each; the first goes off in the first frame. Each firework is a copy
// of the particle view "Effect" that deletes itself when its life ends, a child of the
// object's own parent. After the last one the object disables, hides and deletes itself.
class cFinishLevelSaluts : public Engine::cControl
{
public:
    cFinishLevelSaluts(Engine::cControl* parent, const std::string& effectPath);
    cFinishLevelSaluts(const cFinishLevelSaluts&) = delete;
    ~cFinishLevelSaluts() override;

    void update() override;
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node) override;

    const std::vector<Engine::cVector2>& getPoints() const { return m_points; }
    // How many fireworks went off.
    unsigned getFired() const { return m_next; }
    const Engine::cPyro* getPrototype() const { return m_prototype; }

private:
    std::vector<Engine::cVector2> m_points;
    float m_pauseMin = 0.0f;
    float m_pauseMax = 0.0f;
    // A hidden child (owned by the tree) that every firework copies; null without a render
    // device to show fireworks.
    Engine::cPyro* m_prototype = nullptr;
    unsigned m_next = 0;
    float m_countdown = 0.0f;
};
