// The pictures that change how their quads are built or animated: the progress bar's cut and
// lid, texture animations, the nine-patch border, the fader, the glyph view and the multi-line
// text's lines.

#include "engine/core/cControl.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cBorder.h"
#include "engine/ui/cFader.h"
#include "engine/ui/cGlyphView.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cProgressAnim.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextureAnimation.h"
#include "platform/system/FakeClock.h"
#include "tests/engine/ui/ui_test_tools.h"
#include "tests/engine/ui/view_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

namespace
{

using namespace Engine;
using ViewTest::element;

class PictureKinds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"ui/bar.png", "ui/f0.png", "ui/f1.png", "ui/f2.png"})
            resources.sizes[name] = {100, 20};
        resources.sizes["ui/frame.png"] = {30, 30, 32, 32};
        resources.sizes["fonts/abc.png"] = {100, 100};
        resources.data("fonts/abc.fnt", UiTest::fontBytes(L"/ABCabcn", 10, 20, 100));
        resources.start();
    }
    void TearDown() override { cControl::deletePending(); }

    void frame(uint32_t ms = 100)
    {
        clock.advance(ms);
        timer.step();
        cControl::enabledPass();
    }

    ViewTest::cViewResources resources;
    Platform::FakeClock clock{1000};
    cTimer timer{1.0f};
};

TEST_F(PictureKinds, AProgressBarCutsItsQuadAndTextureOnTheMovingSide)
{
    cProgressFloat bar;
    bar.loadXML(element("<progressfloat Picture=\"ui/bar.png\" position=\"200,100\" ProgressMaxValue=\"100\" "
                        "ProgressCurrentValue=\"25\" Side=\"1\"><Lid size=\"4,4\"/></progressfloat>"));
    EXPECT_EQ(bar.getSide(), 1u);
    const cQuad& quad = bar.getSprite();
    EXPECT_FLOAT_EQ(quad.corners[0].x, 150.0f);
    EXPECT_FLOAT_EQ(quad.corners[1].x, 175.0f) << "the left quarter stays";
    EXPECT_FLOAT_EQ(quad.uvTo.x, 0.25f);
    EXPECT_EQ(bar.getLid()->getPosition(), cVector2(175, 100)) << "the middle of the moving edge";

    bar.setCurrentValue(150.0f);
    EXPECT_EQ(bar.getCurrentValue(), 100.0f);
    EXPECT_FLOAT_EQ(bar.getSprite().corners[1].x, 250.0f);
    bar.setCurrentValue(-5.0f);
    EXPECT_EQ(bar.getCurrentValue(), 0.0f);
    EXPECT_FLOAT_EQ(bar.getSprite().corners[1].x, 150.0f) << "empty";

    // The bottom side keeps the top; without "Side" the left edge moves.
    bar.setSide(3);
    bar.setCurrentValue(50.0f);
    EXPECT_FLOAT_EQ(bar.getSprite().corners[2].y, 100.0f);
    EXPECT_FLOAT_EQ(bar.getSprite().uvTo.y, 0.5f);
    EXPECT_EQ(bar.getLid()->getPosition(), cVector2(200, 100));
    cProgressFloat plain;
    EXPECT_EQ(plain.getSide(), 2u);
    plain.loadXML(element("<progressfloat size=\"10,10\" ProgressCurrentValue=\"50\"/>"));
    EXPECT_EQ(plain.getSide(), 0u);

    // A maximum of 0 draws an empty bar, never corners that are not numbers.
    plain.setMaxValue(0.0f);
    plain.setCurrentValue(5.0f);
    for (const cQuadCorner& corner : plain.getSprite().corners)
        EXPECT_FALSE(std::isnan(corner.x));
    EXPECT_EQ(plain.getSprite().corners[0].x, plain.getSprite().corners[1].x);

    cProgressAnim counter;
    counter.loadXML(element("<progressanim ProgressMaxValue=\"8\" ProgressCurrentValue=\"3\"/>"));
    EXPECT_EQ(counter.getMaxValue(), 8.0f);
    EXPECT_EQ(counter.getCurrentValue(), 3.0f);
}

TEST_F(PictureKinds, ATextureAnimationPlaysItsNumberedTexturesAtDoubleSpeed)
{
    cTextureAnimation view;
    view.loadXML(
        element("<textureanim Visible=\"1\" Enable=\"1\" Picture=\"ui/f0.png\" Picture1=\"ui/f1.png\" "
                "Picture3=\"ui/f2.png\" anim_length=\"2\" PlayAnimation=\"1\"/>"));
    ASSERT_EQ(view.getFrameCount(), 2u) << "the list ends at the first missing number";
    timer.step();
    frame(400);
    EXPECT_EQ(view.getTexture(), view.getFrameTexture(0));
    frame(400);
    EXPECT_EQ(view.getTexture(), view.getFrameTexture(1)) << "1.2 s into 2 s: the time runs twice";
    EXPECT_NEAR(view.getAnimTime(), 1.6f, 1e-4f);

    // An animation of no length stays on its texture.
    view.anim_length = 0.0f;
    frame(400);
    EXPECT_EQ(view.getTexture(), view.getFrameTexture(1));
}

// A numbered texture that cannot be loaded ends the list there, as a missing number does: the
// layout loads with the frames before it, and the log "error" names the file.
TEST_F(PictureKinds, ATextureAnimationEndsItsListAtATextureThatCannotBeLoaded)
{
    const std::filesystem::path logPath = std::filesystem::current_path() / "error.log";
    const size_t logBefore = ::Test::readFile(logPath).size();
    cTextureAnimation view;
    ASSERT_NO_THROW(view.loadXML(element("<textureanim Picture=\"ui/f0.png\" Picture1=\"ui/f1.png\" "
                                         "Picture2=\"ui/none.png\" Picture3=\"ui/f2.png\"/>")));
    EXPECT_EQ(view.getFrameCount(), 2u);
    EXPECT_EQ(view.getFrameTexture(1), resources.manager->getTexture("ui/f1.png"));
    const std::string log = ::Test::readFile(logPath).substr(logBefore);
    EXPECT_NE(log.find("\"ui/none.png\" (Picture2 of a texture animation)"), std::string::npos) << log;

    // Without its first texture the animation keeps its one empty frame.
    cTextureAnimation bare;
    ASSERT_NO_THROW(bare.loadXML(element("<textureanim Picture1=\"ui/none.png\"/>")));
    EXPECT_EQ(bare.getFrameCount(), 1u);
}

TEST_F(PictureKinds, ABorderFitsItsChildrenAndRepeatsItsPatches)
{
    cBorder border;
    auto* a = new cPicture(&border);
    a->setPosition({100, 100});
    a->setSize({20, 20});
    auto* b = new cPicture(&border);
    b->setPosition({200, 150});
    b->setSize({40, 40});
    border.loadXML(element("<border Picture=\"ui/frame.png\" MultiSprites=\"1\" sliceTopLeft=\"8,8\" "
                           "tileTop=\"1\" tileMiddle=\"1\"/>"));
    EXPECT_EQ(border.getPosition(), cVector2(155, 130));
    EXPECT_EQ(border.getSize(), cVector2(130, 80));
    EXPECT_EQ(a->getPosition(), cVector2(100, 100)) << "the children stay";
    EXPECT_EQ(border.getTextureSize(), cVector2(32, 32)) << "the allocated texture";

    // 130 x 80 with corners of 8: the top edge of 114 repeats its 16 texels 8 times, the last
    // cut to 2; the middle repeats in 8 x 4; the other edges and corners stretch.
    const std::vector<cQuad>& quads = border.getSpriteList();
    EXPECT_EQ(quads.size(), 4u + 8u + 2u + 1u + 32u);
    float covered = 0.0f;
    for (const cQuad& quad : quads)
        covered += (quad.corners[3].x - quad.corners[0].x) * (quad.corners[3].y - quad.corners[0].y);
    EXPECT_FLOAT_EQ(covered, 130.0f * 80.0f) << "the patches cover the frame once";
    const cQuad& lastTop = quads[1 + 7];
    EXPECT_FLOAT_EQ(lastTop.corners[1].x - lastTop.corners[0].x, 2.0f);
    EXPECT_FLOAT_EQ(lastTop.uvTo.x, 10.0f / 32.0f);

    // A source patch with no texels is stretched, not repeated for ever.
    cBorder empty;
    auto* child = new cPicture(&empty);
    child->setSize({50, 50});
    empty.loadXML(
        element("<border MultiSprites=\"1\" textureSize=\"16,16\" sliceTopLeft=\"8,8\" tileMiddle=\"1\"/>"));
    EXPECT_EQ(empty.getSpriteList().size(), 9u);
}

TEST_F(PictureKinds, AFaderEndsHiddenInTheFrameAfterItsTime)
{
    cFader fader(1.0f);
    EXPECT_TRUE(fader.isShown());
    int calls = 0;
    fader.fadeTo({0.0f, 0.5f, [&calls] { ++calls; }});
    timer.step();
    for (int i = 0; i < 4; ++i)
        frame(125);
    EXPECT_EQ(fader.getAlpha(), 0.0f);
    EXPECT_TRUE(fader.isShown());
    EXPECT_EQ(calls, 0);
    frame(125);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(fader.isVisible());
    EXPECT_FALSE(fader.isEnabled());

    // A new fade shows it again; one to the current alpha calls back in the next frame.
    fader.fadeTo({0.0f, 1.0f,
                  [&calls, &fader]
                  {
                      ++calls;
                      fader.fadeTo({1.0f, 0.25f, {}});
                  }});
    EXPECT_TRUE(fader.isShown());
    frame(125);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(fader.isShown()) << "the callback's fade goes on";
    frame(125);
    frame(125);
    EXPECT_FALSE(fader.isReached());
    frame(125);
    EXPECT_EQ(fader.getAlpha(), 1.0f);
    EXPECT_TRUE(fader.isReached());

    cFader hidden(0.0f);
    EXPECT_FALSE(hidden.isVisible());
}

TEST_F(PictureKinds, AGlyphViewIsAnUprightRectangleInItsOwnColour)
{
    cGlyphView glyph;
    glyph.setPosition({50, 60});
    glyph.setSize({10, 20});
    glyph.setAngle(30.0f);
    glyph.setAlpha(0.5f);
    glyph.setColorARGB(0x00FF0000u);
    glyph.getSprite();
    glyph.setUVRect({0, 0, 1, 1});
    EXPECT_FALSE(glyph.isDirty()) << "the same rectangle changes nothing";
    glyph.setUVRect({0, 0, 0.5f, 1});
    const cQuad& quad = glyph.getSprite();
    EXPECT_EQ(quad.corners[0].x, 45.0f);
    EXPECT_EQ(quad.corners[0].y, 50.0f);
    EXPECT_EQ(quad.corners[3].x, 55.0f);
    EXPECT_EQ(quad.uvTo.x, 0.5f);
    EXPECT_EQ(quad.corners[0].color, 0x80FF0000u) << "red at the view's alpha";
}

TEST_F(PictureKinds, TextLinesAlignAndMultiLineTextsStackTheirLines)
{
    cTextLine line;
    line.loadXML(element("<t Visible=\"1\" String=\"ab c\" Font=\"fonts/abc.fnt\" Texture=\"fonts/abc.png\" "
                         "position=\"400,100\" SpaceWidth=\"20\" Intersymbol=\"2\"/>"));
    // Letters advance 10 times the intersymbol, a space its width times the intersymbol.
    EXPECT_FLOAT_EQ(line.getWidth(), 100.0f);
    EXPECT_FLOAT_EQ(line.getSpriteList().front().corners[0].x, 355.0f);
    line.setAlign(cTextLine::AlignEnd);
    EXPECT_FLOAT_EQ(line.getSpriteList().front().corners[0].x, 305.0f);
    line.setAlign(cTextLine::AlignStart);
    EXPECT_FLOAT_EQ(line.getSpriteList().front().corners[0].x, 405.0f);
    line.setText(L"a/nb\n");
    EXPECT_EQ(line.getSpriteList().size(), 4u) << "\"/n\" is only read from layouts";

    cMultiLineText text;
    text.loadXML(element("<mt Visible=\"1\" Enable=\"1\" Font=\"fonts/abc.fnt\" Texture=\"fonts/abc.png\" "
                         "position=\"300,200\" size=\"45,200\" Interlinear=\"40\" VerticalAlign=\"0\" "
                         "WrapText=\"1\" Text=\"ab ab ab/n/nabcabc\"/>"));
    // "ab ab" is 50 wide: the box of 45 takes one word a line; the long word stays whole.
    ASSERT_EQ(text.getLines().size(), 5u);
    EXPECT_EQ(text.getLines()[1]->getText(), L"ab");
    EXPECT_EQ(text.getLines()[3]->getText(), L"");
    EXPECT_EQ(text.getLines()[4]->getText(), L"abcabc");
    EXPECT_FLOAT_EQ(text.getLines()[0]->getPosition().y, 120.0f);
    EXPECT_FLOAT_EQ(text.getLines()[2]->getPosition().y, 200.0f) << "the block is centred";
    EXPECT_FALSE(text.getTemplate()->isVisible());
}

} // namespace
