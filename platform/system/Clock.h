#pragma once

#include <cstdint>
#include <functional>

// Millisecond time, sleeping and yielding for the frame timer. The clock is a 32-bit
// millisecond counter over CLOCK_MONOTONIC: it starts at an arbitrary value and wraps after
// about 49.7 days, so callers subtract readings in unsigned arithmetic.
//
// Tests replace the clock, the sleep and the yield with `setClockHooks` (or `FakeClock`, which
// does it for them); a hook left empty keeps the real function.
namespace Platform
{

uint32_t timeMs();

// Sleeps for the given milliseconds (a signal may end it early).
void sleepMs(uint32_t ms);

// Gives up the rest of the thread's time slice.
void yieldThread();

struct ClockHooks
{
    std::function<uint32_t()> now;
    std::function<void(uint32_t)> sleep;
    std::function<void()> yield;
};

// Replaces the clock functions until `clearClockHooks` and returns the hooks that were
// installed before (so a test double can put them back). Not thread-safe: install hooks before
// the code under test runs.
ClockHooks setClockHooks(ClockHooks hooks);
void clearClockHooks();

} // namespace Platform
