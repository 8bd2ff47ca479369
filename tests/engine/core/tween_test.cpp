#include "engine/core/tween/Easing.h"
#include "engine/core/tween/Tweener.h"
#include "engine/core/tween/TweenerParam.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <memory>
#include <string>
#include <vector>

namespace
{

using Engine::tween::ease;
using Engine::tween::Tweener;
using Engine::tween::TweenerParam;
using ParamPtr = boost::shared_ptr<TweenerParam>;

// A tween that records its hooks and signals, and the tweener's, in one event list.
class RecordingParam : public TweenerParam
{
public:
    RecordingParam(std::vector<std::string>& events, float duration, float delay)
        : TweenerParam(duration, Engine::tween::kLinear, Engine::tween::kEaseIn, delay), m_events(events)
    {
        startSignal.connect([this](const ParamPtr&) { m_events.push_back("param start"); });
        stepSignal.connect([this](const ParamPtr&) { m_events.push_back("param step"); });
        completeSignal.connect([this](const ParamPtr&) { m_events.push_back("param complete"); });
    }
    void onStart() override { m_events.push_back("onStart"); }
    void onStep() override { m_events.push_back("onStep"); }
    void onComplete() override { m_events.push_back("onComplete"); }

private:
    std::vector<std::string>& m_events;
};

void record(Tweener& tweener, std::vector<std::string>& events)
{
    tweener.startSignal.connect([&events](const ParamPtr&) { events.push_back("tweener start"); });
    tweener.stepSignal.connect([&events](const ParamPtr&) { events.push_back("tweener step"); });
    tweener.completeSignal.connect([&events](const ParamPtr&) { events.push_back("tweener complete"); });
}

TEST(Tweener, OneLongStepStartsMovesAndCompletes)
{
    std::vector<std::string> events;
    Tweener tweener;
    record(tweener, events);
    auto tween = boost::make_shared<RecordingParam>(events, 1.0f, 0.0f);
    float x = 2.0f, y = -1.0f;
    tween->addProperty(&x, 12.0f);
    tween->addProperty(nullptr, 5.0f);
    tween->addProperty(&y, 1.0f);
    tweener.add(tween);

    tweener.step(2.0f);

    EXPECT_EQ(x, 12.0f);
    EXPECT_EQ(y, 1.0f);
    EXPECT_EQ(tween->getElapsed(), 1.0f);
    EXPECT_EQ(tweener.size(), 0u);
    const std::vector<std::string> expected = {"onStart",    "param start",    "tweener start",
                                               "onStep",     "param step",     "tweener step",
                                               "onComplete", "param complete", "tweener complete"};
    EXPECT_EQ(events, expected);
}

TEST(Tweener, DelayIsWaitedOutAndItsRemainderDropped)
{
    std::vector<std::string> events;
    Tweener tweener;
    auto tween = boost::make_shared<RecordingParam>(events, 1.0f, 0.5f);
    float x = 0.0f;
    tween->addProperty(&x, 10.0f);
    tweener.add(tween);
    EXPECT_FALSE(tween->isDelayPassed());

    tweener.step(0.3f);
    EXPECT_TRUE(tween->isStarted());
    EXPECT_FALSE(tween->isDelayPassed());
    EXPECT_FLOAT_EQ(tween->getElapsed(), 0.3f);

    tweener.step(0.3f);
    EXPECT_TRUE(tween->isDelayPassed());
    EXPECT_EQ(tween->getElapsed(), 0.0f);
    EXPECT_EQ(x, 0.0f);

    tweener.step(0.3f);
    EXPECT_FLOAT_EQ(x, 3.0f);
    const std::vector<std::string> expected = {"onStart", "param start", "onStep", "param step"};
    EXPECT_EQ(events, expected);
}

TEST(Tweener, HandlersMayRemoveTheTweenTheyReportOn)
{
    Tweener tweener;
    float a = 0.0f, b = 0.0f;
    auto fromComplete = boost::make_shared<TweenerParam>(0.5f, 0, 0, 0.0f);
    auto fromStep = boost::make_shared<TweenerParam>(2.0f, 0, 0, 0.0f);
    fromComplete->addProperty(&a, 1.0f);
    fromStep->addProperty(&b, 2.0f);
    int completions = 0;
    fromComplete->completeSignal.connect(
        [&](const ParamPtr& param)
        {
            ++completions;
            tweener.remove(param);
        });
    fromStep->stepSignal.connect([&](const ParamPtr& param) { tweener.remove(param); });
    tweener.add(fromComplete);
    tweener.add(fromStep);

    tweener.step(1.0f);
    EXPECT_EQ(a, 1.0f);
    EXPECT_EQ(b, 1.0f);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(tweener.size(), 0u);

    tweener.step(1.0f);
    EXPECT_EQ(b, 1.0f);
}

TEST(Tweener, TheSameTweenAddedTwiceStepsTwiceAndCompletesOnce)
{
    Tweener tweener;
    float x = 0.0f;
    auto tween = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    tween->addProperty(&x, 1.0f);
    int completions = 0;
    tweener.completeSignal.connect([&](const ParamPtr&) { ++completions; });
    tweener.add(tween);
    tweener.add(tween);

    tweener.step(0.25f);
    EXPECT_FLOAT_EQ(x, 0.5f);
    EXPECT_EQ(tweener.size(), 2u);
    // The first entry completes and takes both entries out, the second among them.
    tweener.step(0.25f);
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(tweener.size(), 0u);
}

TEST(Tweener, TweensAddedDuringAStepWaitForTheNextStep)
{
    Tweener tweener;
    float x = 0.0f, y = 0.0f;
    auto first = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    auto second = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    first->addProperty(&x, 1.0f);
    second->addProperty(&y, 1.0f);
    first->completeSignal.connect([&](const ParamPtr&) { tweener.add(second); });
    tweener.add(first);

    tweener.step(1.0f);
    EXPECT_EQ(x, 1.0f);
    EXPECT_FALSE(second->isStarted());
    EXPECT_EQ(tweener.size(), 1u);

    tweener.step(0.5f);
    EXPECT_FLOAT_EQ(y, 0.5f);
}

TEST(Tweener, AnEntryRemovedByAnotherTweensHandlerIsNotStepped)
{
    Tweener tweener;
    auto first = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    auto second = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    first->startSignal.connect([&](const ParamPtr&) { tweener.remove(second); });
    tweener.add(first);
    tweener.add(second);
    tweener.step(0.5f);
    EXPECT_FALSE(second->isStarted());
    EXPECT_EQ(tweener.size(), 1u);
}

TEST(Tweener, ATweenRemovedByItsStartHandlerDoesNotMove)
{
    Tweener tweener;
    float x = 0.0f;
    auto tween = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    tween->addProperty(&x, 1.0f);
    tween->startSignal.connect([&](const ParamPtr& param) { tweener.remove(param); });
    tweener.add(tween);
    tweener.step(0.5f);
    EXPECT_TRUE(tween->isStarted());
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(tweener.size(), 0u);
}

TEST(Tweener, ACompletedTweenAddedAgainCompletesAtItsNextStep)
{
    Tweener tweener;
    int completions = 0;
    auto tween = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    tween->completeSignal.connect([&](const ParamPtr&) { ++completions; });
    tweener.add(tween);
    tweener.step(1.0f);
    tweener.add(tween);
    tweener.step(0.0f);
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(tweener.size(), 0u);
}

TEST(Tweener, AHandlerMayDestroyTheTweener)
{
    auto tweener = std::make_unique<Tweener>();
    auto first = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    auto second = boost::make_shared<TweenerParam>(1.0f, 0, 0, 0.0f);
    first->stepSignal.connect([&](const ParamPtr&) { tweener.reset(); });
    tweener->add(first);
    tweener->add(second);
    tweener->step(0.5f);
    EXPECT_EQ(tweener, nullptr);
    EXPECT_FALSE(second->isStarted());
}

// Every equation in every kind starts at b and ends at b + c.
TEST(Easing, EveryEquationStartsAtTheStartAndEndsAtTheFinalValue)
{
    const float b = 3.0f, c = -7.5f, d = 2.0f;
    for (int transition = 0; transition < Engine::tween::kTransitionCount; ++transition)
    {
        for (int kind = 0; kind < 3; ++kind)
        {
            SCOPED_TRACE("transition " + std::to_string(transition) + " kind " + std::to_string(kind));
            const float start = ease(transition, kind, 0.0f, b, c, d);
            const float end = ease(transition, kind, d, b, c, d);
            EXPECT_NEAR(start, b, 1e-5f);
            EXPECT_NEAR(end, b + c, 1e-5f);
            if (transition == Engine::tween::kExpo || transition == Engine::tween::kElastic)
            {
                EXPECT_EQ(start, b);
                EXPECT_EQ(end, b + c);
            }
        }
    }
}

// easeOut mirrors easeIn, and for most equations the first half of easeInOut is easeIn at
// double speed: checks of the equations' shapes that do not restate them.
TEST(Easing, OutMirrorsInAndInOutJoinsTwoHalves)
{
    const float d = 1.0f;
    for (int transition = 0; transition < Engine::tween::kTransitionCount; ++transition)
    {
        for (float t = 0.05f; t < 1.0f; t += 0.1f)
        {
            SCOPED_TRACE("transition " + std::to_string(transition) + " t " + std::to_string(t));
            const float in = ease(transition, 0, t, 0.0f, 1.0f, d);
            const float out = ease(transition, 1, d - t, 0.0f, 1.0f, d);
            EXPECT_NEAR(out, 1.0f - in, 2e-4f);
            if (transition == Engine::tween::kElastic || transition == Engine::tween::kBack)
                continue;
            EXPECT_NEAR(ease(transition, 2, t / 2, 0.0f, 1.0f, d), in / 2, 1e-5f);
            EXPECT_NEAR(ease(transition, 2, d - t / 2, 0.0f, 1.0f, d), 1.0f - in / 2, 1e-5f);
        }
    }
}

TEST(Easing, KnownValues)
{
    using namespace Engine::tween;
    for (int kind = 0; kind < 3; ++kind)
        EXPECT_FLOAT_EQ(ease(kLinear, kind, 0.5f, 0.0f, 10.0f, 1.0f), 5.0f);
    EXPECT_FLOAT_EQ(ease(kQuad, kEaseIn, 0.5f, 0.0f, 1.0f, 1.0f), 0.25f);
    EXPECT_FLOAT_EQ(ease(kCubic, kEaseIn, 0.5f, 0.0f, 1.0f, 1.0f), 0.125f);
    EXPECT_FLOAT_EQ(ease(kQuart, kEaseIn, 0.5f, 0.0f, 1.0f, 1.0f), 0.0625f);
    EXPECT_FLOAT_EQ(ease(kQuint, kEaseIn, 0.5f, 0.0f, 1.0f, 1.0f), 0.03125f);
    EXPECT_FLOAT_EQ(ease(kSine, kEaseInOut, 0.5f, 0.0f, 1.0f, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ(ease(kExpo, kEaseIn, 0.5f, 0.0f, 1.0f, 1.0f), 1.0f / 32.0f);
    EXPECT_FLOAT_EQ(ease(kCirc, kEaseOut, 0.5f, 0.0f, 1.0f, 1.0f), 0.8660254f);
    EXPECT_FLOAT_EQ(ease(kBounce, kEaseOut, 0.5f, 0.0f, 1.0f, 1.0f), 0.765625f);
    // Back dips about a tenth below the start before it rises.
    EXPECT_NEAR(ease(kBack, kEaseIn, 0.4f, 0.0f, 1.0f, 1.0f), -0.0994f, 1e-4f);
    EXPECT_NEAR(ease(kBack, kEaseInOut, 0.2f, 0.0f, 1.0f, 1.0f), -0.0926f, 1e-4f);
    // Elastic swings past the final value: 1 + 2^-1.5 at the first crest.
    EXPECT_NEAR(ease(kElastic, kEaseOut, 0.15f, 0.0f, 1.0f, 1.0f), 1.3535534f, 1e-5f);
    EXPECT_NEAR(ease(kElastic, kEaseInOut, 0.6f, 0.0f, 1.0f, 1.0f), 1.1174616f, 1e-5f);
}

TEST(Easing, NumbersOutOfRangeFallBackToLinearEaseIn)
{
    using namespace Engine::tween;
    EXPECT_FLOAT_EQ(ease(11, kEaseOut, 0.25f, 0.0f, 4.0f, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(ease(-1, kEaseInOut, 0.25f, 0.0f, 4.0f, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(ease(kQuad, 3, 0.5f, 0.0f, 4.0f, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(ease(kQuad, -1, 0.5f, 0.0f, 4.0f, 1.0f), 1.0f);
}

TEST(Easing, AZeroDurationGivesTheFinalValue)
{
    for (int transition = 0; transition < Engine::tween::kTransitionCount; ++transition)
        EXPECT_EQ(ease(transition, 2, 0.0f, 1.0f, 2.0f, 0.0f), 3.0f) << transition;

    Tweener tweener;
    float x = 1.0f;
    auto tween = boost::make_shared<TweenerParam>(0.0f, 4, 1, 0.0f);
    tween->addProperty(&x, 9.0f);
    tweener.add(tween);
    tweener.step(0.016f);
    EXPECT_EQ(x, 9.0f);
    EXPECT_EQ(tweener.size(), 0u);
}

} // namespace
