#include "game/hud/cFlyingIconText.h"

#include "engine/core/FromString.h"
#include "engine/core/Random.h"
#include "engine/core/cProperties.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cTextLine.h"

namespace
{

// A value in [-1, 1] from the engine's 15-bit generator.
float signedUnit()
{
    return static_cast<float>(Engine::random15()) * 2.0f / 32767.0f - 1.0f;
}

} // namespace

cFlyingIconText::cFlyingIconText(Engine::cControl* parent, const Engine::cVector2& start,
                                 const std::wstring& text, int iconIndex, bool randomize,
                                 const std::string& effectPath)
    : Engine::cPicture(parent), m_iconIndex(iconIndex)
{
    m_disabledTextColor = Engine::cColor::fromARGB(0xFFFF6060u);
    m_text = new Engine::cTextLine(this);
    m_icon = new Engine::cPicture(this);
    loadXML(Engine::cResourceManager::instance()->getXml(effectPath, true));
    Engine::cVector2 r(0.0f, 0.0f);
    if (randomize)
    {
        r.x = signedUnit() * m_randomRadius;
        r.y = signedUnit() * m_randomRadius;
    }
    setPosition(start + m_offset + r);
    if (m_flyTime > 0.0f)
    {
        m_velocity = m_flyDirection / m_flyTime;
        m_fadeSpeed = 1.0f / m_flyTime;
    }
    setAlpha(1.0f);
    m_text->setAlpha(1.0f);
    m_icon->setAlpha(1.0f);
    m_text->setText(text);
    m_text->show();
    show();
}

cFlyingIconText::~cFlyingIconText() = default;

const std::wstring& cFlyingIconText::getText() const
{
    return m_text->getText();
}

void cFlyingIconText::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cPicture::loadXML(node);
    Engine::tPropertiesPtr child;
    if (node->getChild(L"Text", child))
        m_text->loadXML(child);
    Engine::tPropertiesPtr icons;
    if (node->getChild(L"Icons", icons) && m_iconIndex >= 0 &&
        icons->getChildAt(static_cast<unsigned>(m_iconIndex), child))
        m_icon->loadXML(child);
    Engine::fromString(m_offset, node->getAttribute(L"offset"));
    Engine::fromString(m_flyDirection, node->getAttribute(L"fly_up_dir"));
    Engine::fromString(m_flyTime, node->getAttribute(L"fly_up_time"));
    Engine::fromString(m_randomRadius, node->getAttribute(L"random_radius"));
    Engine::fromString(m_disabledTextColor, node->getAttribute(L"DisableTextColor"));
}

void cFlyingIconText::update()
{
    Engine::cPicture::update();
    // A file that gives the text no time to fly would leave it standing for ever.
    if (m_flyTime <= 0.0f)
    {
        deleteLater(this);
        return;
    }
    const Engine::cTimer* timer = Engine::cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    m_flyTime -= dt;
    if (m_flyTime <= 0.0f)
    {
        deleteLater(this);
        return;
    }
    setPosition(getPosition() + m_velocity * dt);
    float alpha = getAlpha();
    if (alpha > 0.0f)
        alpha -= m_fadeSpeed * dt;
    setAlpha(alpha);
    m_text->setAlpha(alpha);
    m_icon->setAlpha(alpha);
}
