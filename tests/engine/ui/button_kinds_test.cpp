// The looks of the button kinds: textures and frames per state, the light, the overlay and the
// captions of the text buttons, loaded from layout elements and driven by the mouse.

#include "engine/devices/RenderTypes.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cAnimButton.h"
#include "engine/ui/cButton.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cForm.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cOverlayButton.h"
#include "engine/ui/cTextButton.h"
#include "engine/ui/cTextStyleButton.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

using namespace Engine;
using ViewTest::element;

class ButtonKinds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"ui/normal.png", "ui/hover.png", "ui/pressed.png", "ui/off.png"})
            resources.sizes[name] = {100, 50};
        resources.sizes["ui/sheet.png"] = {400, 50};
        resources.sizes["fonts/abc.png"] = {100, 100};
        resources.data("fonts/abc.fnt", UiTest::fontBytes(L"ABC", 10, 20, 100));
        resources.start();
    }
    void TearDown() override
    {
        root.reset();
        cControl::deletePending();
        cButtonPrototype::buttonUnderPointer = nullptr;
    }

    // Loads `xml` as the only control of a shown, enabled form.
    template <class T> T* load(const std::string& xml)
    {
        root = std::make_unique<cForm>();
        root->loadXML(element("<f Visible=\"1\" Enable=\"1\">" + xml + "</f>"));
        T* control = root->find<T>(L"it");
        EXPECT_NE(control, nullptr);
        return control;
    }

    ViewTest::cViewResources resources;
    UiTest::cFrames frames;
    std::unique_ptr<cForm> root;
};

const std::string Place = " Tag=\"it\" Visible=\"1\" Enable=\"1\" position=\"400,300\" deep=\"10\" ";

TEST_F(ButtonKinds, TheNormalLockShowsTheNormalLookNotTheDisabledOne)
{
    auto* b = load<cButton>("<b" + Place + "Picture=\"ui/normal.png\" texture_disabled=\"ui/off.png\"/>");
    const auto normal = b->getTexture();
    b->showState(cButtonPrototype::StateDisabled);
    ASSERT_EQ(b->getTexture(), resources.manager->getTexture("ui/off.png"));
    b->setNormalLock(true);
    EXPECT_TRUE(b->getNormalLock());
    EXPECT_EQ(b->getTexture(), normal) << "the normal look (state 1), not state 0";
    // Let go, the button shows its own state again.
    b->disable();
    b->setNormalLock(false);
    EXPECT_FALSE(b->getNormalLock());
    EXPECT_EQ(b->getTexture(), resources.manager->getTexture("ui/off.png"));
}

// The lock holds the normal look while the pointer hovers, presses and releases and while the
// button is disabled; the button still clicks. Let go, it shows its state again.
TEST_F(ButtonKinds, TheNormalLockLastsThroughEveryStateTheButtonPasses)
{
    auto* b = load<cButton>("<b" + Place +
                            "Picture=\"ui/normal.png\" texture_hover=\"ui/hover.png\" "
                            "texture_pressed=\"ui/pressed.png\" texture_disabled=\"ui/off.png\"/>");
    const auto normal = b->getTexture();
    int clicks = 0;
    b->connectClickAction([&clicks] { ++clicks; });
    b->setNormalLock(true);
    frames.moveTo(400, 300);
    EXPECT_EQ(b->getState(), cButtonPrototype::StateHover);
    EXPECT_EQ(b->getTexture(), normal) << "hovered";
    frames.press();
    EXPECT_EQ(b->getState(), cButtonPrototype::StatePressed);
    EXPECT_EQ(b->getTexture(), normal) << "pressed";
    frames.release();
    EXPECT_EQ(clicks, 1) << "the lock changes the look only";
    frames.moveTo(10, 10);
    EXPECT_EQ(b->getTexture(), normal) << "left";
    b->disable();
    EXPECT_EQ(b->getTexture(), normal) << "disabled";
    b->enable();
    frames.moveTo(400, 300);
    EXPECT_EQ(b->getTexture(), normal) << "hovered again";

    b->setNormalLock(false);
    EXPECT_EQ(b->getTexture(), resources.manager->getTexture("ui/hover.png")) << "its own state's look";
    frames.press();
    EXPECT_EQ(b->getTexture(), resources.manager->getTexture("ui/pressed.png"));
}

TEST_F(ButtonKinds, APictureButtonShowsItsStateTextures)
{
    auto* b = load<cButton>("<b" + Place +
                            "Picture=\"ui/normal.png\" texture_pressed=\"ui/pressed.png\" "
                            "texture_disabled=\"ui/off.png\"/>");
    const auto normal = b->getTexture();
    frames.moveTo(400, 300);
    EXPECT_EQ(b->getState(), 2);
    EXPECT_EQ(b->getTexture(), normal) << "no hover texture: the normal one stays";
    frames.press();
    EXPECT_EQ(b->getTexture(), resources.manager->getTexture("ui/pressed.png"));
    frames.release();
    EXPECT_EQ(b->getTexture(), normal);
    b->disable();
    EXPECT_EQ(b->getTexture(), resources.manager->getTexture("ui/off.png"));

    // A button whose view has no texture takes even an empty state texture; one that has a
    // texture keeps it for a state without one.
    cButton bare;
    bare.loadXML(element("<b texture_hover=\"ui/hover.png\"/>"));
    bare.showState(1);
    EXPECT_FALSE(bare.getTexture());
    bare.showState(2);
    EXPECT_EQ(bare.getTexture(), resources.manager->getTexture("ui/hover.png"));
    bare.showState(1);
    EXPECT_EQ(bare.getTexture(), resources.manager->getTexture("ui/hover.png"));

    // The look copy takes the other's textures, state and flags, but not its signals.
    cButton copy;
    int clicks = 0;
    copy.connectClickAction([&clicks] { ++clicks; });
    copy.copyFrom(*b);
    EXPECT_EQ(copy.getStateTexture(3), resources.manager->getTexture("ui/pressed.png"));
    EXPECT_EQ(copy.getState(), 0);
    EXPECT_EQ(copy.getPosition(), cVector2(400, 300));
    EXPECT_EQ(copy.clickSignal.num_slots(), 1u);
}

TEST_F(ButtonKinds, AnAnimatedButtonShowsAFramePerStateAndStartsDisabledUnderADisabledParent)
{
    const std::string sheet =
        "Picture=\"ui/sheet.png\" size=\"100,50\" anim_columns=\"4\" frames_count=\"4\" "
        "PlayAnimation=\"1\" frame_normal=\"1\" frame_hover=\"2\" frame_pressed=\"3\" "
        "frame_disabled=\"0\"";
    auto* b = load<cAnimButton>("<animbtn" + Place + sheet + "/>");
    EXPECT_FALSE(b->PlayAnimation);
    EXPECT_EQ(b->getFrame(), 1u) << "the normal frame, though enabling set the state before the keys";
    frames.moveTo(400, 300);
    EXPECT_EQ(b->getFrame(), 2u);
    frames.press();
    EXPECT_EQ(b->getFrame(), 3u);
    EXPECT_FLOAT_EQ(b->getSprite().uvFrom.x, 0.75f);

    cPicture parent;
    parent.show();
    cAnimButton child(&parent);
    child.loadXML(element("<animbtn Visible=\"1\" Enable=\"1\" frame_disabled=\"3\" anim_columns=\"4\" "
                          "frames_count=\"4\"/>"));
    EXPECT_EQ(child.getState(), 0);
    EXPECT_EQ(child.getFrame(), 3u);
}

TEST_F(ButtonKinds, TheLightShowsAboveTheHoveredButtonAtSeventyPercent)
{
    auto* b = load<cLightButton>("<lightbtn" + Place +
                                 "Picture=\"ui/normal.png\" texture_hover=\"ui/hover.png\" "
                                 "alpha=\"0.5\"/>");
    cPicture* light = b->getLight();
    EXPECT_FALSE(light->isVisible());
    EXPECT_EQ(light->getRenderType(), eRenderType::AlphaRef160 | eRenderType::DestColor);
    EXPECT_FLOAT_EQ(light->getDeep(), 10.001f);

    frames.moveTo(400, 300);
    EXPECT_TRUE(light->isShown());
    EXPECT_FLOAT_EQ(light->getAlpha(), 0.35f);
    EXPECT_EQ(light->getPosition(), cVector2(400, 300));
    EXPECT_EQ(light->getTexture(), resources.manager->getTexture("ui/hover.png")) << "a copy of the button";
    frames.press();
    EXPECT_TRUE(light->isShown());
    frames.moveTo(700, 300);
    frames.release();
    EXPECT_FALSE(light->isVisible());

    auto* dark = load<cLightButton>("<lightbtn" + Place + "Picture=\"ui/normal.png\" DisableLight=\"1\"/>");
    frames.moveTo(410, 300);
    EXPECT_EQ(dark->getState(), 2);
    EXPECT_FALSE(dark->getLight()->isVisible());
}

TEST_F(ButtonKinds, TheOverlayTintsTheButtonsShapeWhileHovered)
{
    auto* b = load<cOverlayButton>("<overlaybtn" + Place + "Picture=\"ui/normal.png\" RenderType=\"0x20\"/>");
    cPicture* overlay = b->getOverlay();
    EXPECT_EQ(overlay->getColor(), cOverlayButton::DefaultOverlayColor);
    EXPECT_EQ(overlay->getRenderType(), 9u);
    EXPECT_EQ(overlay->getSize(), cVector2(100, 50));
    EXPECT_FALSE(overlay->isVisible());

    frames.moveTo(400, 300);
    EXPECT_TRUE(overlay->isShown());
    EXPECT_EQ(b->getRenderType(), 0x24u) << "the button marks the stencil";
    b->setPosition({500, 200});
    b->getSprite();
    EXPECT_EQ(overlay->getPosition(), cVector2(500, 200));
    frames.moveTo(100, 100);
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(b->getRenderType(), 0x20u);

    auto* tinted = load<cOverlayButton>("<overlaybtn" + Place + "OverlayColor=\"80FF0000\"/>");
    EXPECT_EQ(tinted->getOverlay()->getColor().toARGB(), 0x80FF0000u);
}

TEST_F(ButtonKinds, TextButtonsCarryTheirCaptionOneDepthAbove)
{
    const std::string text = "<Text Visible=\"1\" Enable=\"1\" String=\"ABC\" Font=\"fonts/abc.fnt\" "
                             "Texture=\"fonts/abc.png\" position=\"10,10\" deep=\"50\"/>";
    auto* b = load<cTextButton>("<textbtn" + Place + "Picture=\"ui/normal.png\">" + text + "</textbtn>");
    cButtonCaption* caption = b->getCaption();
    EXPECT_EQ(caption->getText(), L"ABC");
    EXPECT_FLOAT_EQ(caption->getDeep(), 11.0f);
    EXPECT_EQ(caption->getPosition(), cVector2(400, 300)) << "placed on the button";
    EXPECT_FLOAT_EQ(caption->getWidth(), 30.0f);
    b->setAlpha(0.25f);
    EXPECT_FLOAT_EQ(caption->getAlpha(), 0.25f);
    frames.moveTo(400, 300);
    EXPECT_TRUE(caption->isWaving());
    frames.moveTo(700, 300);
    EXPECT_FALSE(caption->isWaving());

    auto* kept = load<cTextButton>("<textbtn" + Place + "UseTextPosition=\"1\">" + text + "</textbtn>");
    EXPECT_EQ(kept->getCaption()->getPosition(), cVector2(10, 10));
}

TEST_F(ButtonKinds, AStyledCaptionTakesEachStatesColourSizeAndOffset)
{
    const std::string style =
        "<Text Visible=\"1\" Enable=\"1\" String=\"AB\" Font=\"fonts/abc.fnt\" "
        "Texture=\"fonts/abc.png\" Color=\"FF0000\" color_hover=\"00FF00\" "
        "Multiplier=\"2\" Multiplier_pressed=\"3\" offset=\"0,-5\" offset_pressed=\"0,2\"/>";
    auto* b = load<cTextStyleButton>("<textanimbtn" + Place + "size=\"100,50\">" + style + "</textanimbtn>");
    cButtonCaption* caption = b->getCaption();
    frames.frame();
    EXPECT_EQ(caption->getColor().toARGB(), 0xFFFF0000u);
    EXPECT_EQ(caption->getMultiplier(), 2.0f);
    EXPECT_EQ(caption->getPosition(), cVector2(400, 295));

    frames.moveTo(400, 300);
    EXPECT_EQ(caption->getColor().toARGB(), 0xFF00FF00u);
    frames.press();
    EXPECT_EQ(caption->getMultiplier(), 3.0f);
    EXPECT_EQ(caption->getPosition(), cVector2(400, 302));
    EXPECT_FLOAT_EQ(caption->getWidth(), 60.0f);
    frames.release();
    EXPECT_EQ(caption->getPosition(), cVector2(400, 295));
    EXPECT_EQ(caption->getMultiplier(), 2.0f);

    // Without "Multiplier" every state draws the caption at size 0.
    auto* bare = load<cTextStyleButton>("<textanimbtn" + Place +
                                        "><Text Visible=\"1\" String=\"AB\" "
                                        "Font=\"fonts/abc.fnt\" Texture=\"fonts/abc.png\"/></textanimbtn>");
    bare->setState(1);
    EXPECT_EQ(bare->getCaption()->getMultiplier(), 0.0f);
    EXPECT_EQ(bare->getCaption()->getWidth(), 0.0f);
}

TEST_F(ButtonKinds, TheWaveLiftsEveryOtherLetterAndStopsExactlyOnItsTarget)
{
    const std::string style = "<Text Visible=\"1\" Enable=\"1\" String=\"ABC\" Font=\"fonts/abc.fnt\" "
                              "Texture=\"fonts/abc.png\" Multiplier=\"1\" Offset=\"4\" Speed=\"30\"/>";
    auto* b = load<cTextStyleButton>("<textanimbtn" + Place + "size=\"100,50\">" + style + "</textanimbtn>");
    cButtonCaption* caption = b->getCaption();
    const auto centres = [caption]
    {
        std::vector<float> ys;
        for (const cQuad& quad : caption->getSpriteList())
            ys.push_back((quad.corners[1].y + quad.corners[2].y) * 0.5f);
        return ys;
    };
    ASSERT_EQ(centres(), (std::vector<float>{300, 300, 300}));

    // 30 units a second in frames of 20 ms: 0.6 a frame, 4 units in 7 frames.
    frames.moveTo(400, 300);
    EXPECT_TRUE(caption->isMoving());
    for (int i = 0; i < 3; ++i)
        frames.frame();
    const std::vector<float> halfway = centres();
    EXPECT_NEAR(halfway[0], 302.4f, 1e-3f);
    EXPECT_NEAR(halfway[1], 297.6f, 1e-3f);
    for (int i = 0; i < 4; ++i)
        frames.frame();
    EXPECT_EQ(centres(), (std::vector<float>{304, 296, 304})) << "exactly on the targets";
    frames.frame();
    EXPECT_FALSE(caption->isMoving());
    frames.frame();
    EXPECT_EQ(centres(), (std::vector<float>{304, 296, 304}));

    // Leaving turns them back at the same speed.
    frames.moveTo(700, 300);
    EXPECT_NEAR(centres()[0], 303.4f, 1e-3f);
    for (int i = 0; i < 8; ++i)
        frames.frame();
    EXPECT_EQ(centres(), (std::vector<float>{300, 300, 300}));
    for (const cQuad& quad : caption->getSpriteList())
        EXPECT_EQ(quad.corners[1].x - quad.corners[0].x, 10.0f) << "only y moves";
}

} // namespace
