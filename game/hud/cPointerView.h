#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cPicture.h"

// A picture that draws attention to a point by swinging to and fro along a line through it:
// the obstacle arrow of the level ("Effects/ObstacleArrow.xml") and the base of the goal
// arrows. It swings about the middle of "PointerLeftUp" and "PointerRightDown" (offsets from
// the base point) with the full distance between them as amplitude, once per "PointerPeriod".
class cPointerView : public Engine::cPicture
{
public:
    cPointerView(Engine::cControl* parent, const Engine::cVector2& basePoint);

    void update() override;
    void loadXML(const Engine::tPropertiesPtr& node) override;

    // The point pointed at; the owner moves it.
    Engine::cVector2 basePoint;
    // Time within the current swing; the owner restarts the swing by setting it to 0.
    float phaseTime = 0.0f;

    const Engine::cVector2& getLeftUp() const { return m_leftUp; }
    const Engine::cVector2& getRightDown() const { return m_rightDown; }
    float getPeriod() const { return m_period; }

private:
    Engine::cVector2 m_leftUp;
    Engine::cVector2 m_rightDown;
    // A missing or non-positive period stands the arrow still at the middle.
    float m_period = 0.0f;
};
