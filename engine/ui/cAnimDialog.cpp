#include "engine/ui/cAnimDialog.h"

#include "engine/core/cTimer.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cView.h"

namespace Engine
{

namespace
{

// The share of a fade that `timeLeft` leaves; a fade without length has nothing left.
float share(float timeLeft, float length)
{
    return length > 0.0f ? timeLeft / length : 0.0f;
}

} // namespace

cAnimDialog::cAnimDialog(cControl* parent) : cDialog(parent) {}

void cAnimDialog::setTimes(float showTime, float hideTime)
{
    m_showTime = showTime;
    m_hideTime = hideTime;
}

void cAnimDialog::setLevel(float level)
{
    m_level = level;
    for (cControl* child : getChildren())
        if (cView* view = dynamic_cast<cView*>(child))
            view->setAlpha(level);
}

void cAnimDialog::showAnimated()
{
    show();
    switch (m_state)
    {
    case FadingIn:
        break;
    case FadingOut:
    case FadingOutToDestroy:
        m_state = FadingIn;
        m_timeLeft = (1.0f - share(m_timeLeft, m_hideTime)) * m_showTime;
        break;
    default:
        m_state = FadingIn;
        m_timeLeft = m_showTime;
        setLevel(0.0f);
        break;
    }
}

void cAnimDialog::hideAnimated()
{
    startFadeOut(FadingOut, m_level * m_hideTime);
}

void cAnimDialog::hideAnimatedAndDestroy()
{
    startFadeOut(FadingOutToDestroy, m_hideTime);
}

void cAnimDialog::startFadeOut(int32_t state, float fromIdle)
{
    // A fade-in turns round where it is; a running fade-out goes on.
    if (m_state == FadingIn)
        m_timeLeft = (1.0f - share(m_timeLeft, m_showTime)) * m_hideTime;
    else if (m_state == Idle)
        m_timeLeft = fromIdle;
    m_state = state;
}

void cAnimDialog::onHidden()
{
    hide();
}

void cAnimDialog::onHide()
{
    cDialog::onHide();
    m_state = Idle;
}

void cAnimDialog::update()
{
    cDialog::update();
    if (m_state == Idle)
        return;
    const cTimer* timer = cTimer::instance();
    m_timeLeft -= timer ? timer->getFrameTime() : 0.0f;
    if (m_timeLeft > 0.0f)
    {
        setLevel(m_state == FadingIn ? 1.0f - share(m_timeLeft, m_showTime) : share(m_timeLeft, m_hideTime));
        return;
    }
    const int32_t ended = m_state;
    m_state = Idle;
    switch (ended)
    {
    case FadingIn:
        setLevel(1.0f);
        onShown();
        break;
    case FadingOut:
        setLevel(0.0f);
        onHidden();
        break;
    default:
        disable();
        deleteLater(this);
        break;
    }
}

void cAnimDialog::loadXML(const tPropertiesPtr& node)
{
    cDialog::loadXML(node);
    if (!node)
        return;
    readKey(node, L"ShowTime", m_showTime);
    readKey(node, L"HideTime", m_hideTime);
}

} // namespace Engine
