#include "game/hud/cPointerView.h"

#include "engine/core/FromString.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"

#include <cmath>

cPointerView::cPointerView(Engine::cControl* parent, const Engine::cVector2& base)
    : Engine::cPicture(parent), basePoint(base)
{
}

void cPointerView::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::fromString(m_leftUp, node->getAttribute(L"PointerLeftUp"));
    Engine::fromString(m_rightDown, node->getAttribute(L"PointerRightDown"));
    Engine::fromString(m_period, node->getAttribute(L"PointerPeriod"));
    phaseTime = 0.0f;
}

void cPointerView::update()
{
    Engine::cPicture::update();
    const Engine::cTimer* timer = Engine::cTimer::instance();
    phaseTime += timer ? timer->getFrameTime() : 0.0f;
    if (m_period < phaseTime)
        phaseTime -= m_period;
    Engine::cVector2 c = (m_leftUp + m_rightDown) * 0.5f;
    if (m_period > 0.0f)
    {
        const float a = 3.1415927f * 2.0f * phaseTime / m_period;
        const float s = std::sin(a);
        c.x += s * (m_rightDown.x - m_leftUp.x);
        c.y += s * (m_rightDown.y - m_leftUp.y);
    }
    setPosition(c + basePoint);
}
