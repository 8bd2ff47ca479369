#include "platform/system/Clock.h"
#include "platform/system/FakeClock.h"
#include "platform/system/SystemInfo.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

namespace
{

using ::Test::ScopedEnv;

TEST(SystemInfo, ExecutablePathAndName)
{
    const std::string path = Platform::executablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(Platform::executableFileName(), "test_platform");
}

TEST(SystemInfo, DataHomeDropsTrailingSlashes)
{
    ::Test::TempDir temp;
    const std::string wanted = (temp.path() / "data").string();
    ScopedEnv xdg("XDG_DATA_HOME", (wanted + "//").c_str());
    EXPECT_EQ(Platform::dataHomeFolder(), wanted);
    EXPECT_TRUE(std::filesystem::is_directory(wanted));
}

TEST(SystemInfo, ErrorTextIsNeverEmpty)
{
    EXPECT_FALSE(Platform::errorText(0).empty());
    EXPECT_FALSE(Platform::errorText(2).empty());
    EXPECT_FALSE(Platform::errorText(987654).empty());
}

TEST(SystemInfo, DebugTraceWritesUtf8ToStderr)
{
    testing::internal::CaptureStderr();
    Platform::debugTrace(L"CMenuState Init\n");
    Platform::debugTrace(L"\u00E9\U0001F600\n");
    Platform::debugTrace(std::string("narrow\n"));
    Platform::debugTrace(static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CMenuState Init\n\xC3\xA9\xF0\x9F\x98\x80\nnarrow\n");
}

TEST(SystemInfo, CursorWithoutVideo)
{
    int x = -1;
    int y = -1;
    Platform::globalCursorPos(x, y);
    EXPECT_GE(x, -100000);
    EXPECT_GE(y, -100000);
}

TEST(Clock, FakeClockDrivesTimeSleepAndYield)
{
    Platform::FakeClock clock(0xFFFFFFF0u);
    EXPECT_EQ(Platform::timeMs(), 0xFFFFFFF0u);
    Platform::sleepMs(0x20);
    // The counter wraps; the difference of two readings stays right in unsigned arithmetic.
    EXPECT_EQ(Platform::timeMs(), 0x10u);
    EXPECT_EQ(Platform::timeMs() - 0xFFFFFFF0u, 0x20u);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{0x20});

    clock.yieldStepMs = 1;
    Platform::yieldThread();
    Platform::yieldThread();
    EXPECT_EQ(clock.yields, 2);
    EXPECT_EQ(Platform::timeMs(), 0x12u);
    clock.advance(5);
    EXPECT_EQ(Platform::timeMs(), 0x17u);
}

uint32_t monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

TEST(Clock, RealClockReturnsWhenTheFakeGoes)
{
    {
        Platform::FakeClock outer(5);
        {
            Platform::FakeClock inner(9);
            EXPECT_EQ(Platform::timeMs(), 9u);
        }
        EXPECT_EQ(Platform::timeMs(), 5u);
    }
    const uint32_t expected = monotonicMs();
    const uint32_t got = Platform::timeMs();
    // Read one after the other: the two clocks agree far better than a minute.
    EXPECT_LT(got - expected, 60000u);
    Platform::sleepMs(0);
    Platform::yieldThread();
}

TEST(Clock, PartialHooksKeepTheRealFunctions)
{
    int sleeps = 0;
    Platform::ClockHooks hooks;
    hooks.sleep = [&sleeps](uint32_t) { ++sleeps; };
    Platform::setClockHooks(hooks);
    Platform::sleepMs(1000000);
    const uint32_t expected = monotonicMs();
    EXPECT_LT(Platform::timeMs() - expected, 60000u);
    Platform::clearClockHooks();
    EXPECT_EQ(sleeps, 1);
}

} // namespace
