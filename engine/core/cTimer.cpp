#include "engine/core/cTimer.h"

#include "platform/system/Clock.h"

#include <cmath>

namespace Engine
{

namespace
{

// A rate read from the constants that is not a positive number would make the limits
// meaningless (a division by zero, a sleep without end); the default stands in for it.
float sanitizedRate(float rate, float fallback)
{
    return std::isfinite(rate) && rate > 0.0f ? rate : fallback;
}

} // namespace

cTimer::cTimer(float minFps, float maxFps)
{
    m_maxFps = sanitizedRate(maxFps, DefaultMaxFps);
    setMinFps(minFps);
    m_minFrameIntervalMs = 1000.0 / m_maxFps;
    m_drawRate = m_maxFps <= 60.0f ? m_maxFps : 60.0f;
    // The millisecond clock is exact on Linux: there is no timer resolution to raise.
    m_lastClock = Platform::timeMs();
}

cTimer::~cTimer() = default;

void cTimer::setMinFps(float minFps)
{
    m_minFps = sanitizedRate(minFps, DefaultMinFps);
    m_maxFrameTime = 1.0 / m_minFps;
}

void cTimer::readClock()
{
    const uint32_t now = Platform::timeMs();
    // The counter wraps after 49.7 days, which unsigned subtraction absorbs; a reading that
    // lies before the last one counts as 1 ms.
    const uint32_t difference = now - m_lastClock;
    const uint32_t elapsed = static_cast<int32_t>(difference) < 0 ? 1u : difference;
    m_lastClock = now;
    m_totalMs += elapsed;
    m_time = static_cast<double>(m_totalMs) * 0.001;
}

void cTimer::step()
{
    const uint64_t startMs = m_totalMs;
    readClock();

    // The step that closes a measurement belongs to it: left out, the figure would run one
    // step short per window and drawing would run over min(MaxFps, 60).
    ++m_fpsCount;
    const double span = m_time - m_lastFpsTime;
    if (span > 0.1)
    {
        m_fps = static_cast<float>(m_fpsCount / span);
        m_fpsCount = 0;
        m_lastFpsTime = m_time;
    }

    if (m_fps > 0.0f)
    {
        m_drawAccumulator += m_drawRate / m_fps;
        if (m_drawAccumulator >= 1.0f)
        {
            m_drawDue = true;
            m_drawAccumulator -= 1.0f;
            if (m_drawAccumulator > 1.0f)
                m_drawAccumulator = 0.0f;
        }
    }

    const double passedMs = static_cast<double>(m_totalMs - startMs);
    if (passedMs < m_minFrameIntervalMs)
        Platform::sleepMs(static_cast<uint32_t>(m_minFrameIntervalMs - passedMs));
    else
        Platform::yieldThread();

    readClock();
    double raw = static_cast<double>(m_totalMs - startMs) * 0.001;
    if (raw > m_maxFrameTime)
    {
        m_drawDue = true;
        raw = m_maxFrameTime;
    }
    m_rawFrameTime = static_cast<float>(raw);
    // Divisions by the frame time stay finite.
    if (m_rawFrameTime == 0.0f)
        m_rawFrameTime = 0.000001f;
    m_frameTime = m_timeScale * m_rawFrameTime;
    if (m_reset)
    {
        m_rawFrameTime = 0.0f;
        m_frameTime = 0.0f;
        m_reset = false;
    }
}

void cTimer::reset()
{
    step();
    m_rawFrameTime = 0.0f;
    m_frameTime = 0.0f;
    m_reset = true;
}

bool cTimer::takeDrawDue()
{
    const bool due = m_drawDue;
    m_drawDue = false;
    return due;
}

bool cTimer::exchangeDrawDue(bool value)
{
    const bool old = m_drawDue;
    m_drawDue = value;
    return old;
}

} // namespace Engine
