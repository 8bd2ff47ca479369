#include "platform/system/FakeClock.h"

#include <utility>

namespace Platform
{

FakeClock::FakeClock(uint32_t start) : now(start)
{
    ClockHooks hooks;
    hooks.now = [this] { return now; };
    hooks.sleep = [this](uint32_t ms)
    {
        sleeps.push_back(ms);
        now += ms;
    };
    hooks.yield = [this]
    {
        ++yields;
        now += yieldStepMs;
    };
    m_previous = setClockHooks(std::move(hooks));
}

FakeClock::~FakeClock()
{
    setClockHooks(std::move(m_previous));
}

} // namespace Platform
