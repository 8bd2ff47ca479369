#include "engine/core/cTimer.h"

#include "platform/system/FakeClock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

using Engine::cTimer;

// Every step below runs against a manual clock: `advance` stands for the work of a frame, and
// the timer's sleeps move the clock forward by what they ask for.
class TimerTest : public ::testing::Test
{
protected:
    Platform::FakeClock clock{5000};
};

TEST_F(TimerTest, DefaultsAndDrawRate)
{
    cTimer timer;
    EXPECT_EQ(timer.getMinFps(), 15.0f);
    EXPECT_EQ(timer.getMaxFps(), 200.0f);
    EXPECT_EQ(timer.getDrawRate(), 60.0f);
    EXPECT_EQ(timer.getTime(), 0.0f);
    EXPECT_EQ(timer.getFrameTime(), 0.0f);
    EXPECT_EQ(cTimer::instance(), &timer);
}

TEST_F(TimerTest, DrawRateIsMaxFpsUpToSixty)
{
    cTimer timer(15.0f, 30.0f);
    EXPECT_EQ(timer.getDrawRate(), 30.0f);
}

TEST_F(TimerTest, ASecondTimerIsRefused)
{
    cTimer timer;
    EXPECT_THROW(cTimer second, const char*);
    EXPECT_EQ(cTimer::instance(), &timer);
}

TEST_F(TimerTest, AQuickFrameSleepsForTheRestOfTheInterval)
{
    cTimer timer;
    timer.step();
    clock.sleeps.clear();
    clock.advance(2);
    timer.step();
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 3u) << "5 ms at 200 fps, 2 ms of them spent";
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 0.005f);
}

TEST_F(TimerTest, FractionOfAMillisecondIsDropped)
{
    // At 60 fps the interval is 16.67 ms.
    cTimer timer(15.0f, 60.0f);
    timer.step();
    clock.sleeps.clear();
    clock.advance(10);
    timer.step();
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 6u);
}

TEST_F(TimerTest, ASlowFrameOnlyYields)
{
    cTimer timer;
    timer.step();
    clock.sleeps.clear();
    clock.advance(20);
    timer.step();
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_GE(clock.yields, 1);
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 0.02f);
}

TEST_F(TimerTest, AStallIsCappedAtOneFifteenthAndDrawn)
{
    cTimer timer;
    timer.step();
    timer.takeDrawDue();
    clock.advance(500);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 1.0f / 15.0f);
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 1.0f / 15.0f);
    EXPECT_TRUE(timer.takeDrawDue());
    EXPECT_FALSE(timer.takeDrawDue());
    // The running time is not capped.
    EXPECT_NEAR(timer.getTime(), 0.505, 1e-6);
}

TEST_F(TimerTest, TimeScaleScalesTheFrameTimeOnly)
{
    cTimer timer;
    timer.setTimeScale(0.5f);
    clock.advance(10);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 0.01f);
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 0.005f);
    EXPECT_FLOAT_EQ(timer.frameTime(), 0.005f);
}

TEST_F(TimerTest, ResetZeroesThisStepAndTheNext)
{
    cTimer timer;
    clock.advance(10);
    timer.step();
    clock.advance(10);
    timer.reset();
    EXPECT_EQ(timer.getFrameTime(), 0.0f);
    EXPECT_EQ(timer.getRawFrameTime(), 0.0f);
    clock.advance(10);
    timer.step();
    EXPECT_EQ(timer.getFrameTime(), 0.0f);
    EXPECT_EQ(timer.getRawFrameTime(), 0.0f);
    clock.advance(10);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 0.01f);
}

TEST_F(TimerTest, AZeroFrameBecomesOneMicrosecond)
{
    // At 2000 fps the interval is half a millisecond: nothing to sleep, and the clock has not
    // moved.
    cTimer timer(15.0f, 2000.0f);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 0.000001f);
}

TEST_F(TimerTest, AClockThatGoesBackCountsOneMillisecond)
{
    cTimer timer;
    clock.now -= 100;
    clock.sleeps.clear();
    timer.step();
    // 1 ms for the backward reading, then a 4 ms sleep to fill the interval.
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 4u);
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 0.005f);
}

TEST_F(TimerTest, TheClockWrapsWithoutAJump)
{
    clock.now = 0xFFFFFFFFu - 3u;
    cTimer timer;
    clock.advance(10);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getRawFrameTime(), 0.01f);
}

TEST_F(TimerTest, FirstFrameIsDrawnAndDrawingFollowsSixtyAFrameSecond)
{
    cTimer timer;
    EXPECT_TRUE(timer.takeDrawDue()) << "drawn from construction";
    // 200 steps a second (each one only sleeps) for three seconds.
    int drawn = 0;
    for (int i = 0; i < 600; ++i)
    {
        timer.step();
        drawn += timer.takeDrawDue() ? 1 : 0;
    }
    EXPECT_NEAR(timer.getTime(), 3.0, 1e-9);
    EXPECT_FLOAT_EQ(timer.getFps(), 200.0f);
    // Nothing is drawn before the first measurement, then 60 a second.
    EXPECT_LE(drawn, 180);
    EXPECT_GE(drawn, 170);

    // The last second alone draws 60 frames.
    int lastSecond = 0;
    for (int i = 0; i < 200; ++i)
    {
        timer.step();
        lastSecond += timer.takeDrawDue() ? 1 : 0;
    }
    EXPECT_GE(lastSecond, 59);
    EXPECT_LE(lastSecond, 61);
}

TEST_F(TimerTest, SlowerLoopsAreDrawnAtTheirOwnRate)
{
    cTimer timer;
    timer.takeDrawDue();
    for (int i = 0; i < 100; ++i)
    {
        clock.advance(25); // 40 updates a second
        timer.step();
        timer.takeDrawDue();
    }
    int drawn = 0;
    for (int i = 0; i < 40; ++i)
    {
        clock.advance(25);
        timer.step();
        drawn += timer.takeDrawDue() ? 1 : 0;
    }
    EXPECT_GE(drawn, 39);
    EXPECT_LE(drawn, 40);
}

TEST_F(TimerTest, FrameTimesStayExactAfterHoursOfPlay)
{
    cTimer timer;
    // Ten hours of capped half-second frames.
    for (int i = 0; i < 72000; ++i)
    {
        clock.advance(500);
        timer.step();
    }
    EXPECT_NEAR(timer.getPreciseTime(), 36000.0, 1e-6);
    clock.sleeps.clear();
    clock.advance(2);
    timer.step();
    ASSERT_EQ(clock.sleeps.size(), 1u);
    EXPECT_EQ(clock.sleeps[0], 3u);
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 0.005f);
    clock.advance(7);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 0.007f);
}

TEST_F(TimerTest, RatesThatAreNotPositiveFallBackToTheDefaults)
{
    cTimer timer(0.0f, -5.0f);
    EXPECT_EQ(timer.getMinFps(), 15.0f);
    EXPECT_EQ(timer.getMaxFps(), 200.0f);
    timer.setMinFps(30.0f);
    clock.advance(500);
    timer.step();
    EXPECT_FLOAT_EQ(timer.getFrameTime(), 1.0f / 30.0f);
}

TEST_F(TimerTest, ExchangeDrawDueReturnsTheOldValue)
{
    cTimer timer;
    EXPECT_TRUE(timer.exchangeDrawDue(false));
    EXPECT_FALSE(timer.exchangeDrawDue(true));
    EXPECT_TRUE(timer.takeDrawDue());
}

} // namespace
