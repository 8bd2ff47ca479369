#include "platform/system/Clock.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <utility>

namespace Platform
{
namespace
{

ClockHooks& hooks()
{
    static ClockHooks installed;
    return installed;
}

} // namespace

uint32_t timeMs()
{
    if (hooks().now)
        return hooks().now();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Truncating to 32 bits gives the wrapping millisecond counter the timer expects.
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void sleepMs(uint32_t ms)
{
    if (hooks().sleep)
    {
        hooks().sleep(ms);
        return;
    }
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ms / 1000u);
    ts.tv_nsec = static_cast<long>(ms % 1000u) * 1000000L;
    // One attempt: a signal that wakes the thread ends the sleep, as an alertable wait does.
    nanosleep(&ts, nullptr);
}

void yieldThread()
{
    if (hooks().yield)
    {
        hooks().yield();
        return;
    }
    sched_yield();
}

ClockHooks setClockHooks(ClockHooks installed)
{
    ClockHooks previous = std::move(hooks());
    hooks() = std::move(installed);
    return previous;
}

void clearClockHooks()
{
    hooks() = ClockHooks{};
}

} // namespace Platform
