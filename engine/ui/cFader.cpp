#include "engine/ui/cFader.h"

#include "engine/core/cTimer.h"

#include <algorithm>

namespace Engine
{

cFader::cFader(float alpha) : cPicture(nullptr)
{
    if (alpha > 0.0f)
    {
        m_alpha = std::min(alpha, 1.0f);
        show();
        enable();
    }
    else
    {
        hide();
        disable();
    }
    setAlpha(m_alpha);
}

void cFader::fadeTo(const tFade& fade)
{
    m_reached = false;
    m_speed = fade.duration > 0.0f ? 1.0f / fade.duration : 0.0f;
    m_target = std::clamp(fade.target, 0.0f, 1.0f);
    m_callback = fade.callback;
    if (m_alpha > m_target)
        m_speed = -m_speed;
    else if (m_alpha == m_target)
        m_speed = 0.0f;
    show();
    enable();
}

void cFader::update()
{
    cPicture::update();
    if (m_reached)
        return;
    if (m_speed == 0.0f)
    {
        m_alpha = m_target;
        m_reached = true;
        // Hidden before the callback runs, so a callback that starts the next fade keeps it.
        if (m_alpha <= 0.0f)
        {
            hide();
            disable();
        }
        setAlpha(m_alpha);
        const boost::function<void()> callback = std::move(m_callback);
        m_callback.clear();
        if (callback)
            callback();
        return;
    }
    const cTimer* timer = cTimer::instance();
    m_alpha += m_speed * (timer ? timer->getFrameTime() : 0.0f);
    if ((m_speed > 0.0f && m_alpha >= m_target) || (m_speed < 0.0f && m_alpha <= m_target))
    {
        m_alpha = m_target;
        m_speed = 0.0f;
    }
    setAlpha(m_alpha);
}

} // namespace Engine
