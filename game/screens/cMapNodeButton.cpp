#include "game/screens/cMapNodeButton.h"

#include "engine/devices/cTexture.h"
#include "engine/ui/cPyro.h"
#include "game/screens/cMap.h"
#include "game/screens/selectNextLevel.h"

cMapNodeButton::cMapNodeButton(Engine::cControl* parent, int32_t level)
    : Engine::cTextStyleButton(parent), m_level(level)
{
}

cMapNodeButton::~cMapNodeButton() = default;

void cMapNodeButton::setEnabled(bool enabled)
{
    if (enabled && m_shipped)
        enable();
    else
        disable();
}

void cMapNodeButton::setShipped(bool shipped)
{
    m_shipped = shipped;
    if (!shipped)
        disable();
}

bool cMapNodeButton::isAvailable() const
{
    return isVisible() && isEnabled();
}

void cMapNodeButton::refresh()
{
    if (m_effect)
    {
        m_effect->stop();
        deleteLater(m_effect);
        m_effect = nullptr;
    }
    const cMap* map = cMap::instance();
    if (!map)
        return;
    int picture = cMap::PictureGold + m_medal;
    if (m_level == getCurrentSelectedLevel() && m_shipped)
        picture = cMap::PictureSelected;
    else if (!isEnabled())
        picture = cMap::PictureDisabled;
    else if (!m_completed)
        picture = cMap::PictureNew;
    setTexture(map->getNodePicture(picture));
    if (picture != cMap::PictureSelected || !map->getSelectionPrototype())
        return;
    m_effect = new Engine::cPyro(*map->getSelectionPrototype());
    m_effect->setParent(this);
    m_effect->setDeep(getDeep() - 0.01f);
    m_effect->setPosition(getPosition());
    m_effect->play(false, 0.0f);
}
