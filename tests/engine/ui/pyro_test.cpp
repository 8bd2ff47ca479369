// The particle view: its life, loop, copy and deletion rules and the slices it steps its
// emitter in (against a recording emitter), the effects of "PyroEffects" and their copies, and
// real effect files read through the render device's particle library.

#include "engine/core/cControl.h"
#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cComposite.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/system/FakeClock.h"
#include "tests/engine/devices/render_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace Engine;
using ViewTest::element;

// An emitter that writes its steps down.
class cRecordingEmitter final : public PyroParticles::IPyroEmitter
{
public:
    struct tStep
    {
        float time;
        float step;
        float x;
        float y;
    };

    const char* getName() const override { return "recording"; }
    void move(float, float) override { ++moves; }
    void emit(float time, float step, float x, float y, float, bool) override
    {
        steps.push_back({time, step, x, y});
    }
    void setScale(float) override {}
    void setPosition(float, float, float) override {}
    void draw() override {}
    void setSeed(uint32_t) override {}
    void reset() override {}
    uint32_t getParticleCount() const override { return 0; }
    bool isPlaying() const override { return true; }

    std::vector<tStep> steps;
    int moves = 0;
};

// An effect file whose emitters are recording ones; it owns them.
class cRecordingEffect final : public PyroParticles::IPyroEffect
{
public:
    void prepare() override {}
    void unprepare() override {}
    bool isPrepared() const override { return true; }
    uint32_t getEmitterCount() const override { return 1; }
    PyroParticles::IPyroEmitter* getEmitter(uint32_t) override { return &own; }
    PyroParticles::IPyroEmitter* createEmitter(const char*) override
    {
        made.push_back(std::make_unique<cRecordingEmitter>());
        return made.back().get();
    }
    const char* getFileName() const override { return "effects/recording.xml"; }

    cRecordingEmitter own;
    std::vector<std::unique_ptr<cRecordingEmitter>> made;
};

class ParticleView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.start();
        cPyro::addEffectFile("effects/recording.xml", &effect);
    }
    void TearDown() override
    {
        cControl::deletePending();
        cPyro::clearEffectFiles();
    }

    // A shown, enabled particle view of the recording effect, loaded from `keys`.
    std::unique_ptr<cPyro> effectView(const std::string& keys = "")
    {
        auto view = std::make_unique<cPyro>();
        view->loadXML(
            element("<pyro Visible=\"1\" Enable=\"1\" pyro_file=\"effects/recording.xml\" " + keys + "/>"));
        return view;
    }
    cRecordingEmitter& emitterOf(const cPyro& view)
    {
        return static_cast<cRecordingEmitter&>(*view.getEmitter());
    }

    void frame(uint32_t ms)
    {
        clock.advance(ms);
        timer.step();
        cControl::enabledPass();
    }
    // Frames of `ms` until `seconds` have passed.
    void run(float seconds, uint32_t ms = 100)
    {
        for (float t = 0.0f; t < seconds - 1e-4f; t += static_cast<float>(ms) / 1000.0f)
            frame(ms);
    }

    ViewTest::cViewResources resources;
    cRecordingEffect effect;
    Platform::FakeClock clock{1000};
    // Frames up to a second long are not cut short.
    cTimer timer{1.0f};
};

TEST_F(ParticleView, AFrameIsSteppedInSlicesOfAtMostFiftyMilliseconds)
{
    auto view = effectView("position=\"30,40\"");
    view->play(false, 0.0f);
    timer.step();
    frame(120);
    const auto& steps = emitterOf(*view).steps;
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_FLOAT_EQ(steps[0].step, 0.05f);
    EXPECT_FLOAT_EQ(steps[1].step, 0.05f);
    EXPECT_NEAR(steps[2].step, 0.02f, 1e-6f);
    EXPECT_FLOAT_EQ(steps[1].time, 0.05f) << "each slice starts where the last ended";
    EXPECT_EQ(steps[0].x, 30.0f);
    EXPECT_EQ(steps[0].y, 40.0f);
    EXPECT_EQ(emitterOf(*view).moves, 3);
    EXPECT_NEAR(view->getEffectTime(), 0.12f, 1e-6f);
    EXPECT_NE(view->getParticleDrawInfo(), nullptr);

    // "TimeDelta" gathers time first; "StartDelay" waits without stepping.
    auto gathered = effectView("TimeDelta=\"0.25\" StartDelay=\"1\"");
    gathered->play(false, 0.0f);
    run(1.0f);
    EXPECT_TRUE(emitterOf(*gathered).steps.empty()) << "the first second is the start delay";
    frame(100);
    frame(100);
    EXPECT_TRUE(emitterOf(*gathered).steps.empty());
    frame(100);
    float stepped = 0.0f;
    for (const auto& step : emitterOf(*gathered).steps)
    {
        EXPECT_LE(step.step, 0.05f);
        stepped += step.step;
    }
    EXPECT_NEAR(stepped, 0.3f, 1e-5f) << "0.3 s gathered, stepped at once";

    // Stopped, it neither steps nor draws.
    const size_t before = emitterOf(*view).steps.size();
    view->stop();
    frame(100);
    EXPECT_EQ(emitterOf(*view).steps.size(), before);
    EXPECT_EQ(view->getParticleDrawInfo(), nullptr);
}

TEST_F(ParticleView, TheLifeComesFromPlayThenFromLiveTimeElseNoEnd)
{
    auto view = effectView("LiveTime=\"5\"");
    int calls = 0;
    const auto count = [&calls](uint32_t context) { calls += static_cast<int>(context); };
    view->play(true, 2.0f, count, 10);
    timer.step();
    run(1.9f);
    EXPECT_TRUE(view->isRunning());
    run(0.1f);
    EXPECT_FALSE(view->isRunning());
    EXPECT_EQ(calls, 10);
    EXPECT_TRUE(cControl::isQueuedForDeletion(view.get()));
    cControl::deletePending();
    view.release();

    auto second = effectView("LiveTime=\"5\"");
    second->play(false, 0.0f, count, 1);
    run(4.9f);
    EXPECT_TRUE(second->isRunning());
    run(0.2f);
    EXPECT_FALSE(second->isRunning());
    EXPECT_EQ(calls, 10) << "a callback of an effect that does not delete itself is not kept";
    EXPECT_FALSE(cControl::isQueuedForDeletion(second.get()));

    auto endless = effectView();
    endless->play(true, 0.0f, count, 100);
    run(30.0f, 1000);
    EXPECT_TRUE(endless->isRunning());
    EXPECT_EQ(calls, 10);
}

TEST_F(ParticleView, LoopBeatsRecreateAndARecreatedEffectTakesItsOwnersPlace)
{
    auto looped = effectView("LiveTime=\"1\" Loop=\"1\" Recreate=\"1\"");
    looped->play(false, 0.0f);
    timer.step();
    run(2.5f);
    EXPECT_TRUE(looped->isRunning());
    EXPECT_NEAR(looped->getEffectTime(), 0.5f, 1e-4f) << "restarted at each end";

    cPicture owner;
    owner.loadXML(element("<p Visible=\"1\" Enable=\"1\" position=\"100,100\"><PyroEffects>"
                          "<e Visible=\"1\" Enable=\"1\" pyro_file=\"effects/recording.xml\" LiveTime=\"1\" "
                          "Recreate=\"1\" position=\"130,90\" UseOffset=\"1\"/></PyroEffects></p>"));
    ASSERT_EQ(owner.getParticleChildren().size(), 1u);
    auto* first = static_cast<cPyro*>(owner.getParticleChildren()[0]);
    EXPECT_TRUE(first->isRunning()) << "started while loading";
    EXPECT_EQ(first->getEmitterPosition(), cVector2(130, 90));
    EXPECT_EQ(first->getPosition(), cVector2(0, 0));
    run(1.0f);
    ASSERT_EQ(owner.getParticleChildren().size(), 1u);
    auto* second = static_cast<cPyro*>(owner.getParticleChildren()[0]);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->isRunning());
    EXPECT_TRUE(second->isShown());
    EXPECT_EQ(second->getParent(), &owner);
    EXPECT_EQ(second->getEmitterPosition(), cVector2(130, 90));
    EXPECT_TRUE(cControl::isQueuedForDeletion(first));
    cControl::deletePending();

    // Copies of the owner, made by construction or by taking its properties, play copies.
    cPicture copy(owner);
    ASSERT_EQ(copy.getParticleChildren().size(), 1u);
    EXPECT_NE(copy.getParticleChildren()[0], second);
    EXPECT_EQ(copy.getParticleChildren()[0]->getParent(), &copy);
    EXPECT_TRUE(static_cast<cPyro*>(copy.getParticleChildren()[0])->isRunning());
    cPicture taker;
    taker.loadXML(element("<p><PyroEffects><e pyro_file=\"effects/recording.xml\"/></PyroEffects></p>"));
    cView* old = taker.getParticleChildren()[0];
    taker.copyProperties(owner);
    EXPECT_TRUE(cControl::isQueuedForDeletion(old));
    ASSERT_EQ(taker.getParticleChildren().size(), 1u);
    EXPECT_EQ(taker.getParticleChildren()[0]->getParent(), &taker);
}

TEST_F(ParticleView, ACompositeStartsItsEffectsAndReachesItsWholeSubtreeWithItsAlpha)
{
    cComposite composite;
    composite.loadXML(
        element("<composite Visible=\"1\"><SubPictures><a Tag=\"frame\"/><b Tag=\"frame\"/></SubPictures>"
                "<SubPyro><e pyro_file=\"effects/recording.xml\"/></SubPyro></composite>"));
    cPicture* frame = composite.findPicture(L"frame");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(composite.getChildren().size(), 3u);
    bool started = false;
    for (cControl* child : composite.getChildren())
        if (const auto* effectView = dynamic_cast<const cPyro*>(child))
            started = effectView->isRunning();
    EXPECT_TRUE(started);
    auto* grandchild = new cPicture(frame);
    composite.setAlpha(0.5f);
    EXPECT_EQ(grandchild->getAlpha(), 0.5f);
    EXPECT_EQ(composite.findText(L"frame"), nullptr);
}

TEST_F(ParticleView, EffectFilesAreReadOnceThroughTheParticleLibrary)
{
    RenderTest::cRenderParts parts;
    std::unique_ptr<cRender> render = parts.make();
    resources.data("effects/spark.xml", "<PyroEffect><Emitter Name=\"Spark\" Rate=\"50\"/></PyroEffect>");
    resources.data("effects/broken.xml", "<PyroEffect><Emitter Name=\"x\" Rate=\"lots\"/></PyroEffect>");
    resources.start();

    auto a = effectView();
    a->loadXML(element("<pyro Visible=\"1\" Enable=\"1\" pyro_file=\"effects/spark.xml\"/>"));
    auto b = std::make_unique<cPyro>(*a);
    ASSERT_NE(a->getEmitter(), nullptr);
    EXPECT_NE(b->getEmitter(), a->getEmitter());
    EXPECT_STREQ(a->getEmitter()->getName(), "Spark");
    EXPECT_EQ(cPyro::getEffectFile("effects/spark.xml"), cPyro::getEffectFile("effects/spark.xml"));
    a->play(false, 0.0f);
    timer.step();
    frame(100);
    EXPECT_GT(a->getEmitter()->getParticleCount(), 0u);

    // A file the library cannot read is an error naming it, and so is a missing one.
    cPyro broken;
    try
    {
        broken.loadXML(element("<pyro pyro_file=\"effects/broken.xml\"/>"));
        FAIL() << "a broken effect file loads";
    }
    catch (const std::exception& error)
    {
        EXPECT_NE(std::string(error.what()).find("effects/broken.xml"), std::string::npos) << error.what();
    }
    EXPECT_THROW(broken.loadXML(element("<pyro pyro_file=\"effects/none.xml\"/>")), std::string);
    EXPECT_EQ(broken.getEmitter(), nullptr);
    a.reset();
    b.reset();
    cPyro::clearEffectFiles();
}

} // namespace
