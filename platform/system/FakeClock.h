#pragma once

#include "platform/system/Clock.h"

#include <cstdint>
#include <vector>

namespace Platform
{

// A manual clock for tests. While it lives, `timeMs` reads `now`, `sleepMs` records the
// request and moves `now` forward by it, and `yieldThread` counts the call and moves `now`
// forward by `yieldStepMs`. When it goes, the hooks installed before it (usually none: the real
// clock) come back, so fakes nest.
class FakeClock
{
public:
    explicit FakeClock(uint32_t start = 0);
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    void advance(uint32_t ms) { now += ms; }

    uint32_t now;
    uint32_t yieldStepMs = 0;
    std::vector<uint32_t> sleeps;
    int yields = 0;

private:
    ClockHooks m_previous;
};

} // namespace Platform
