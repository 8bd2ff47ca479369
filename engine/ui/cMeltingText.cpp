#include "engine/ui/cMeltingText.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cControlFactory.h"

namespace Engine
{

cMeltingText::cMeltingText(cControl* parent, const std::wstring& path) : cTextLine(parent)
{
    if (!path.empty())
        loadLayout(*this, toUtf8(path));
}

void cMeltingText::update()
{
    cTextLine::update();
    const cTimer* timer = cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    m_age += dt;
    setPosition(getPosition() - cVector2(0.0f, dt * m_speed));
    if (m_age > m_showingTime)
    {
        const float fadeTime = m_lifespan - m_showingTime;
        // Without time left to fade in, the text ends here.
        setAlpha(fadeTime > 0.0f ? getAlpha() - dt / fadeTime : 0.0f);
    }
    setDirty();
    if (getAlpha() <= 0.0f)
        deleteLater(this);
}

void cMeltingText::loadXML(const tPropertiesPtr& node)
{
    cTextLine::loadXML(node);
    if (!node)
        return;
    readKey(node, L"Lifespan", m_lifespan);
    readKey(node, L"Speed", m_speed);
    readKey(node, L"ShowingTime", m_showingTime);
}

namespace
{

cControl* createMeltingText(cView* parent)
{
    return new cMeltingText(parent, std::wstring());
}

const cControlFactory::cRegistration names({L"meltingtext"}, &createMeltingText);

} // namespace

} // namespace Engine
