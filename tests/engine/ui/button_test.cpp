// The button prototype driven by mouse events through whole frames: the signals of the state
// table, the depth competition of overlapping buttons, sounds, masks and the flags that block.

#include "engine/devices/cSound.h"
#include "engine/ui/cButton.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Engine::cButton;
using Engine::cButtonPrototype;
using Engine::cControl;
using Engine::cVector2;
using Engine::cView;

std::string sourceFile(const std::string& path)
{
    std::ifstream in(std::string(QUILL_SOURCE_DIR) + "/" + path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ButtonInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources.sizes["ui/button.png"] = {100, 50};
        // Solid in its top left 2 x 2 pixels, which cover the top left quarter of a button.
        resources.data(
            "ui/mask.png",
            ::Test::pngBytes(::Test::picture(
                5, 5, [](uint32_t x, uint32_t y) { return x < 2 && y < 2 ? 0xFF000000u : 0x00FFFFFFu; })));
        resources.data("sounds/click.wav", sourceFile("data/sounds/click.wav"));
        resources.data("sounds/hover.wav", sourceFile("data/sounds/click.wav"));
        resources.start();
        auto recording = std::make_unique<Platform::RecordingMixer>();
        mixer = recording.get();
        sound = std::make_unique<Engine::cSound>(std::move(recording));
    }
    void TearDown() override
    {
        buttons.clear();
        cControl::deletePending();
        cButtonPrototype::buttonUnderPointer = nullptr;
        cButtonPrototype::pendingAction = 0;
    }

    // A shown, enabled button of 100 x 50 centred at (x, y), logging its signals as
    // "<name> on|off|press|click".
    cButton* button(const std::string& name, float x, float y, float deep, bool deepProcessing)
    {
        auto* made = new cButton;
        buttons.emplace_back(made);
        made->setPosition({x, y});
        made->setSize({100, 50});
        made->setDeep(deep);
        made->setIsDeepProcessing(deepProcessing);
        made->highlightOnSignal.connect([this, name](cView*) { log.push_back(name + " on"); });
        made->highlightOffSignal.connect([this, name](cView*) { log.push_back(name + " off"); });
        made->pressSignal.connect([this, name](cView*) { log.push_back(name + " press"); });
        made->connectClick([this, name](cView*) { log.push_back(name + " click"); });
        made->show();
        made->enable();
        return made;
    }

    std::vector<std::string> takeLog() { return std::exchange(log, {}); }
    int plays() const { return mixer->count("play "); }

    ViewTest::cViewResources resources;
    Platform::RecordingMixer* mixer = nullptr;
    std::unique_ptr<Engine::cSound> sound;
    UiTest::cFrames frames;
    std::vector<std::unique_ptr<cButton>> buttons;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(ButtonInput, OnlyTheDeepestOfOverlappingDeepButtonsReactsAndOnlyInTheUpdate)
{
    // The shallower one gets the pointer first and loses it to the deeper one.
    cButton* low = button("low", 400, 300, 5.0f, true);
    cButton* high = button("high", 420, 300, 7.0f, true);
    button("plain", 410, 300, 1.0f, false);
    EXPECT_EQ(low->getState(), 1);
    EXPECT_EQ(high->getState(), 1);

    // The movement is handled in the input step, the hover of the winner in the enabled pass.
    frames.pointer->cursor = {410, 300};
    frames.script->mouseMove(10, 0);
    frames.logic->updateMousePosition();
    frames.input->update();
    EXPECT_EQ(takeLog(), (Log{"low off", "plain on"})) << "the deeper button took the pointer";
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, high);
    EXPECT_EQ(cButtonPrototype::pendingAction, 1);
    EXPECT_EQ(high->getState(), 1);
    cControl::enabledPass();
    EXPECT_EQ(takeLog(), (Log{"high on"}));
    EXPECT_EQ(high->getState(), 2);
    EXPECT_EQ(low->getState(), 1);

    // The press waits for the update too, and only the owner takes it.
    frames.script->mouseButton(0, true);
    frames.input->update();
    EXPECT_EQ(takeLog(), (Log{"plain off", "plain press"}));
    EXPECT_EQ(high->getState(), 2);
    cControl::enabledPass();
    EXPECT_EQ(takeLog(), (Log{"high off", "high press"}));
    EXPECT_EQ(high->getState(), 3);

    frames.release();
    EXPECT_EQ(takeLog(), (Log{"high on", "high click", "plain on", "plain click"}));
    EXPECT_EQ(low->getState(), 1);
}

TEST_F(ButtonInput, AmongEqualDepthsTheFirstClaimKeepsThePointer)
{
    cButton* first = button("first", 400, 300, 5.0f, true);
    button("second", 420, 300, 5.0f, true);
    frames.moveTo(410, 300);
    EXPECT_EQ(takeLog(), (Log{"first on"}));
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, first);

    // Leaving gives the pointer up; a movement is needed to take it again.
    frames.moveTo(700, 100);
    EXPECT_EQ(takeLog(), (Log{"first off"}));
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, nullptr);
}

TEST_F(ButtonInput, AButtonThatLetsGoOfThePointerHandsItToTheOneBelowWithoutAMove)
{
    cButton* low = button("low", 400, 300, 5.0f, true);
    cButton* high = button("high", 420, 300, 7.0f, true);
    frames.moveTo(410, 300);
    ASSERT_EQ(cButtonPrototype::buttonUnderPointer, high);
    takeLog();
    // The high one competes no more; the pointer rests.
    high->setIsDeepProcessing(false);
    high->letGoOfPointer();
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, nullptr);
    frames.frame();
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, low);
    EXPECT_EQ(takeLog(), (Log{"low on"}));
    high->letGoOfPointer();
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, low) << "only the holder lets go";
}

TEST_F(ButtonInput, PressDragOutAndReleaseEndsThePressWithoutAClick)
{
    cButton* b = button("b", 400, 300, 1.0f, false);
    frames.moveTo(400, 300);
    frames.press();
    EXPECT_EQ(takeLog(), (Log{"b on", "b off", "b press"}));

    // The press survives the pointer's excursion; only the release ends it.
    frames.moveTo(600, 300);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_EQ(b->getState(), 3);
    frames.release();
    EXPECT_EQ(takeLog(), (Log{"b off"}));
    EXPECT_EQ(b->getState(), 1);

    // Out and back in before the release: a click, the highlight first.
    frames.moveTo(400, 300);
    frames.press();
    frames.moveTo(600, 300);
    frames.moveTo(420, 310);
    takeLog();
    frames.release();
    EXPECT_EQ(takeLog(), (Log{"b on", "b click"}));
    EXPECT_EQ(b->getState(), 2);

    // A release without a press does nothing; a press outside neither.
    frames.release();
    frames.moveTo(600, 300);
    takeLog();
    frames.click();
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(ButtonInput, AClickIsTakenWhereItsEventHappenedNotWhereTheFrameFoundThePointer)
{
    button("a", 200, 300, 1.0f, false);
    button("b", 600, 300, 1.0f, false);
    frames.moveTo(200, 300);
    takeLog();
    // The pointer jumps onto b and clicks there before any movement reaches the program: the
    // frames still find it on a, but each button event says where it happened.
    frames.script->warpPointer(600, 300);
    frames.press();
    frames.release();
    const Log taken = takeLog();
    EXPECT_NE(std::find(taken.begin(), taken.end(), "b click"), taken.end())
        << ::testing::PrintToString(taken);
    EXPECT_EQ(std::find(taken.begin(), taken.end(), "a press"), taken.end())
        << ::testing::PrintToString(taken);
    EXPECT_EQ(frames.logic->getMousePosition(), cVector2(600.0f, 300.0f));

    // Pressed on b and let go on a within one frame: the release is taken on a, so b's press
    // ends without a click.
    frames.script->mouseButton(0, true);
    frames.script->pointerTo(200, 300);
    frames.script->mouseButton(0, false);
    frames.frame();
    const Log moved = takeLog();
    EXPECT_NE(std::find(moved.begin(), moved.end(), "b press"), moved.end())
        << ::testing::PrintToString(moved);
    EXPECT_EQ(std::find(moved.begin(), moved.end(), "b click"), moved.end())
        << ::testing::PrintToString(moved);
}

TEST_F(ButtonInput, AMoveAndAClickInOneFrameReachADeepButton)
{
    // A deep button takes a press only once the pointer's hover has claimed it.
    button("b", 600, 300, 1.0f, true);
    frames.script->pointerTo(200, 300);
    frames.frame();
    takeLog();
    frames.script->pointerTo(600, 300);
    frames.script->mouseButton(0, true);
    frames.frame();
    frames.script->mouseButton(0, false);
    frames.frame();
    EXPECT_EQ(takeLog(), (Log{"b off", "b press", "b on", "b click"}));
}

TEST_F(ButtonInput, APressAndItsReleaseInOneFrameClickADeepButton)
{
    button("b", 600, 300, 1.0f, true);
    frames.script->pointerTo(600, 300);
    frames.frame();
    takeLog();
    frames.script->mouseButton(0, true);
    frames.script->mouseButton(0, false);
    frames.frame();
    EXPECT_EQ(takeLog(), (Log{"b off", "b press", "b on", "b click"}));
    EXPECT_EQ(cButtonPrototype::pendingAction, 0) << "nothing left for the update";

    // A move, a press and a release in one frame, as a quick hand on a slow frame makes them.
    frames.script->pointerTo(200, 300);
    frames.frame();
    takeLog();
    frames.script->pointerTo(600, 300);
    frames.script->mouseButton(0, true);
    frames.script->mouseButton(0, false);
    frames.frame();
    const Log taken = takeLog();
    EXPECT_NE(std::find(taken.begin(), taken.end(), "b click"), taken.end())
        << ::testing::PrintToString(taken);
}

TEST_F(ButtonInput, ADeepButtonThePointerLeftHoldsItNoLonger)
{
    // b hears the pointer first; a holds it when the pointer jumps onto b and clicks there, all
    // in one frame.
    button("b", 600, 300, 1.0f, true);
    button("a", 200, 300, 1.0f, true);
    frames.script->pointerTo(200, 300);
    frames.frame();
    frames.frame();
    ASSERT_EQ(cButtonPrototype::buttonUnderPointer, buttons[1].get());
    takeLog();
    frames.script->pointerTo(600, 300);
    frames.script->mouseButton(0, true);
    frames.script->mouseButton(0, false);
    frames.frame();
    const Log taken = takeLog();
    EXPECT_NE(std::find(taken.begin(), taken.end(), "b click"), taken.end())
        << ::testing::PrintToString(taken);
    EXPECT_NE(std::find(taken.begin(), taken.end(), "a off"), taken.end()) << ::testing::PrintToString(taken);
}

TEST_F(ButtonInput, TheFirstClickAfterTheWindowComesToTheFrontLandsWhereThePointerStands)
{
    button("a", 200, 300, 1.0f, false);
    button("b", 600, 300, 1.0f, false);
    frames.script->pointerTo(200, 300);
    frames.frame();
    // Away from the front the pointer moves to b unseen; coming back places it there, and the
    // first frame already finds it on b.
    frames.script->setForeground(false);
    frames.frame();
    frames.script->warpPointer(600, 300);
    frames.script->setForeground(true);
    frames.frame();
    EXPECT_EQ(frames.logic->getMousePosition(), cVector2(600.0f, 300.0f));
    takeLog();
    frames.click();
    EXPECT_EQ(takeLog(), (Log{"a off", "b on", "b off", "b press", "b on", "b click"}));
}

TEST_F(ButtonInput, DisablingAHoveredButtonShowsItDisabledWithoutLeaving)
{
    cButton* b = button("b", 400, 300, 1.0f, true);
    frames.moveTo(400, 300);
    ASSERT_EQ(cButtonPrototype::buttonUnderPointer, b);
    takeLog();
    b->disable();
    EXPECT_EQ(b->getState(), 0);
    EXPECT_EQ(cButtonPrototype::buttonUnderPointer, nullptr);
    frames.click();
    EXPECT_TRUE(takeLog().empty()) << "a disabled button hears no mouse";

    // Enabled under a resting pointer it claims the pointer at once.
    b->enable();
    frames.frame();
    EXPECT_EQ(takeLog(), (Log{"b on"}));
    EXPECT_EQ(b->getState(), 2);

    // A locked tree ignores hover, press and click.
    b->lockInput();
    frames.moveTo(600, 300);
    frames.moveTo(400, 300);
    frames.click();
    EXPECT_TRUE(takeLog().empty());
}

TEST_F(ButtonInput, AButtonEnabledWhereAnotherHoldsThePointerLooksNormal)
{
    cButton* holder = button("holder", 400, 300, 1.0f, true);
    frames.moveTo(400, 300);
    ASSERT_EQ(cButtonPrototype::buttonUnderPointer, holder);
    EXPECT_EQ(button("other", 400, 300, 1.0f, true)->getState(), 1) << "enabled, it never looks disabled";
}

TEST_F(ButtonInput, ShowDisabledKeepsTheHoverButRefusesThePress)
{
    cButton* b = button("b", 400, 300, 1.0f, false);
    b->setShowDisabled(true);
    frames.moveTo(400, 300);
    frames.click();
    EXPECT_EQ(takeLog(), (Log{"b on"}));
    EXPECT_EQ(b->getState(), 2);
}

TEST_F(ButtonInput, TheClickSoundPlaysOnPressOrOnEveryRelease)
{
    cButton* b = button("b", 400, 300, 1.0f, false);
    b->loadXML(ViewTest::element("<b Visible=\"1\" Enable=\"1\" position=\"400,300\" size=\"100,50\">"
                                 "<Sounds Click=\"sounds/click.wav\" Hover=\"sounds/hover.wav\"/></b>"));
    ASSERT_TRUE(b->getClickSound());
    frames.moveTo(400, 300);
    EXPECT_EQ(plays(), 1) << "the hover sound";
    frames.press();
    EXPECT_EQ(plays(), 2) << "the click sounds on the press";
    frames.release();
    EXPECT_EQ(plays(), 2);
    // On a disabled button too: the sound comes before the enabled test.
    b->disable();
    b->onPress();
    EXPECT_EQ(plays(), 3);
    EXPECT_EQ(b->getState(), 0);

    b->enable();
    b->setSoundOnUnclick(true);
    frames.moveTo(400, 300);
    frames.press();
    const int afterPress = plays();
    frames.moveTo(700, 300);
    frames.release();
    EXPECT_EQ(plays(), afterPress + 1) << "a release outside sounds too";
    b->setSoundsEnabled(false);
    frames.moveTo(400, 300);
    frames.click();
    EXPECT_EQ(plays(), afterPress + 1);
}

TEST_F(ButtonInput, TheMaskFollowsTheRotationAndTheMirroringOfTheButton)
{
    cButton* b = button("b", 400, 300, 1.0f, false);
    b->loadXML(ViewTest::element("<b Visible=\"1\" Enable=\"1\" position=\"400,300\" size=\"100,50\" "
                                 "texture_mask=\"UI/Mask.png\"/>"));
    ASSERT_TRUE(b->hasMask());
    ASSERT_EQ(b->getMask().getWidth(), 5u);
    EXPECT_TRUE(b->containsPoint({360, 280}));
    EXPECT_FALSE(b->containsPoint({440, 280}));
    EXPECT_FALSE(b->containsPoint({360, 320}));
    EXPECT_FALSE(b->containsPoint({340, 280})) << "outside the rectangle";

    b->setInverceX(true);
    EXPECT_FALSE(b->containsPoint({360, 280}));
    EXPECT_TRUE(b->containsPoint({440, 280}));
    b->setInverceX(false);

    // Turned, the picture's top left corner is drawn elsewhere; the mask goes with it.
    for (const float angle : {90.0f, 30.0f, -135.0f})
    {
        b->setAngle(angle);
        const Engine::cQuad& quad = b->getSprite();
        const auto nearCorner = [](const Engine::cQuadCorner& corner)
        {
            const cVector2 at(corner.x, corner.y);
            return at + (cVector2(400, 300) - at) * 0.1f;
        };
        EXPECT_TRUE(b->containsPoint(nearCorner(quad.corners[0]))) << angle;
        EXPECT_FALSE(b->containsPoint(nearCorner(quad.corners[1]))) << angle;
        EXPECT_FALSE(b->containsPoint(nearCorner(quad.corners[3]))) << angle;
    }

    // Through the frames: a click on the clear part is no click.
    b->setAngle(0.0f);
    frames.moveTo(440, 280);
    frames.click();
    EXPECT_TRUE(takeLog().empty());
    frames.moveTo(360, 280);
    frames.click();
    EXPECT_EQ(takeLog(), (Log{"b on", "b off", "b press", "b on", "b click"}));
}

} // namespace
