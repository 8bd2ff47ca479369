#include "game/hud/cFlyingIconText.h"

#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"

cFlyingIconText::cFlyingIconText(Engine::cControl* parent, const Engine::cVector2& start,
                                 const std::wstring& text, int iconIndex, bool randomize,
                                 const std::string& effectPath)
    : Engine::cPicture(parent), m_text(text), m_iconIndex(iconIndex)
{
    m_icon = new Engine::cPicture(this);
    loadXML(Engine::cResourceManager::instance()->getXml(effectPath, true));
    Engine::cVector2 r;
    if (randomize)
        r = Engine::cVector2((randomRange(0.0f, 2.0f) - 1.0f) * m_randomRadius,
                             (randomRange(0.0f, 2.0f) - 1.0f) * m_randomRadius);
    setPosition(start + m_offset + r);
    if (m_flyTime > 0.0f)
    {
        m_velocity = m_flyDirection / m_flyTime;
        m_fadeSpeed = 1.0f / m_flyTime;
    }
    setAlpha(1.0f);
    m_icon->setAlpha(1.0f);
    show();
}

void cFlyingIconText::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::tPropertiesPtr icons;
    Engine::tPropertiesPtr icon;
    if (node->getChild(L"Icons", icons) && m_iconIndex >= 0 &&
        icons->getChildAt(static_cast<unsigned>(m_iconIndex), icon))
        m_icon->loadXML(icon);
    Engine::fromString(m_offset, node->getAttribute(L"offset"));
    Engine::fromString(m_flyDirection, node->getAttribute(L"fly_up_dir"));
    Engine::fromString(m_flyTime, node->getAttribute(L"fly_up_time"));
    Engine::fromString(m_randomRadius, node->getAttribute(L"random_radius"));
}

void cFlyingIconText::update()
{
    Engine::cPicture::update();
    // A text whose file gives it no time to fly goes at once instead of staying for ever.
    if (m_flyTime <= 0.0f)
    {
        deleteLater(this);
        return;
    }
    const Engine::cTimer* timer = Engine::cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    m_flyTime -= dt;
    if (m_flyTime > 0.0f)
    {
        setPosition(getPosition() + m_velocity * dt);
        float alpha = getAlpha();
        if (alpha > 0.0f)
            alpha -= m_fadeSpeed * dt;
        setAlpha(alpha);
        m_icon->setAlpha(alpha);
    }
    else
        deleteLater(this);
}
