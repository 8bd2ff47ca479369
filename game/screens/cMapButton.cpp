#include "game/screens/cMapButton.h"

#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"
#include "game/screens/cMap.h"

#include <cmath>

cMapButton::cMapButton(int32_t page, Engine::cControl* parent) : Engine::cAnimButton(parent), m_page(page) {}

cMapButton::~cMapButton() = default;

void cMapButton::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::readKey(node, L"SelectScale", m_selectScale);
    Engine::readKey(node, L"UnselectScale", m_unselectScale);
    Engine::readKey(node, L"ScaleTime", m_scaleTime);
    Engine::cAnimButton::loadXML(node);
    m_baseSize = getSize();
    m_currentScale = m_unselectScale;
    applyScale();
}

void cMapButton::applyScale()
{
    setSize(Engine::cVector2(m_baseSize.x * m_currentScale, m_baseSize.y * m_currentScale));
}

float cMapButton::changeTime(float from, float to) const
{
    // Equal scales have nothing to change: the button takes its size at once.
    const float span = m_selectScale - m_unselectScale;
    if (span == 0.0f || !(m_scaleTime > 0.0f))
        return 0.0f;
    return (to - from) / (span / m_scaleTime);
}

void cMapButton::select()
{
    m_scaleState = Growing;
    m_timeLeft = changeTime(m_currentScale, m_selectScale);
}

void cMapButton::unselect()
{
    m_scaleState = Shrinking;
    m_timeLeft = changeTime(m_unselectScale, m_currentScale);
}

void cMapButton::update()
{
    Engine::cAnimButton::update();
    if (m_scaleState == Resting)
        return;
    const float dt = Engine::cTimer::instance() ? Engine::cTimer::instance()->getFrameTime() : 0.0f;
    const float step = m_scaleTime > 0.0f ? (m_selectScale - m_unselectScale) * dt / m_scaleTime : 0.0f;
    m_timeLeft -= dt;
    if (m_timeLeft > 0.0f)
    {
        m_currentScale += m_scaleState == Growing ? step : -step;
    }
    else
    {
        m_timeLeft = 0.0f;
        m_currentScale = m_scaleState == Growing ? m_selectScale : m_unselectScale;
        m_scaleState = Resting;
    }
    applyScale();
}

void cMapButton::showState(int32_t state)
{
    const bool shownPage = m_scaleState == Growing || m_currentScale == m_selectScale;
    if (!shownPage)
    {
        if (m_locked)
            Engine::cAnimButton::showState(StateDisabled);
        else if (state == StateDisabled || state == StateNormal)
            Engine::cAnimButton::showState(StateNormal);
        else
            Engine::cAnimButton::showState(state);
        return;
    }
    if (state == StateDisabled && m_locked)
        Engine::cAnimButton::showState(StateDisabled);
    else
        Engine::cAnimButton::showState(StateNormal);
}

void cMapButton::onPress()
{
    cMap* map = cMap::instance();
    if (map && map->isSliding())
    {
        const bool sounds = getSoundsEnabled();
        setSoundsEnabled(false);
        Engine::cAnimButton::onPress();
        setSoundsEnabled(sounds);
        return;
    }
    Engine::cAnimButton::onPress();
    select();
    if (map)
        map->selectPage(m_page);
}
