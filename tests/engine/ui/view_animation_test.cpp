// Frame animation of views: which frame a time shows, how times wrap, the end of an animation
// that does not loop, and pictures playing with the frame timer.

#include "engine/core/cControl.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cView.h"
#include "platform/system/FakeClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using Engine::cControl;
using Engine::cPicture;
using Engine::cView;

// A sheet of four frames played over one second.
template <class Base> class FourFrames : public Base
{
public:
    FourFrames()
    {
        this->anim_columns = 4;
        this->frames_count = 4;
        this->anim_length = 1.0f;
    }

    int ends = 0;

protected:
    void onAnimationEnd() override { ++ends; }
};

class ViewAnimation : public ::testing::Test
{
protected:
    void TearDown() override { cControl::deletePending(); }
};

TEST_F(ViewAnimation, ALoopWrapsTheTimeIntoTheAnimation)
{
    FourFrames<cView> view;
    view.setAnimTime(2.5f);
    EXPECT_EQ(view.getFrame(), 3u) << "before the rebuild the time is past the end";
    view.getSprite();
    EXPECT_FLOAT_EQ(view.getAnimTime(), 0.5f);
    EXPECT_EQ(view.getFrame(), 2u);
    EXPECT_EQ(view.ends, 0);
}

TEST_F(ViewAnimation, WithoutALoopTheTimeStopsAtTheEndAndTheHookRuns)
{
    FourFrames<cView> view;
    view.anim_loop = false;
    view.setAnimTime(2.5f);
    view.getSprite();
    EXPECT_FLOAT_EQ(view.getAnimTime(), 1.0f);
    EXPECT_EQ(view.getFrame(), 3u);
    EXPECT_EQ(view.ends, 1);
    // Standing at the end is not past it.
    view.invalidate(true);
    EXPECT_EQ(view.ends, 1);
    view.setAnimTime(1.2f);
    view.getSprite();
    EXPECT_EQ(view.ends, 2);
}

TEST_F(ViewAnimation, TheEndOfTheAnimationShowsTheLastFrame)
{
    FourFrames<cView> view;
    view.setAnimTime(1.0f);
    view.getSprite();
    EXPECT_EQ(view.getAnimTime(), 1.0f) << "exactly the length is not wrapped";
    EXPECT_EQ(view.getFrame(), 3u);
    view.setAnimTime(0.9999f);
    EXPECT_EQ(view.getFrame(), 3u);
    view.setAnimTime(0.25f);
    EXPECT_EQ(view.getFrame(), 1u);
}

TEST_F(ViewAnimation, NegativeTimesRunBackwards)
{
    EXPECT_FLOAT_EQ(cView::wrapTime(-0.25f, 1.0f, true), 0.75f);
    EXPECT_FLOAT_EQ(cView::wrapTime(-2.25f, 1.0f, true), 0.75f);
    EXPECT_EQ(cView::wrapTime(-0.25f, 1.0f, false), 0.0f);
    EXPECT_FLOAT_EQ(cView::wrapTime(7.5f, 2.0f, true), 1.5f);
    EXPECT_EQ(cView::wrapTime(7.5f, 2.0f, false), 2.0f);
}

TEST_F(ViewAnimation, AnAnimationWithoutLengthStaysOnItsFirstFrame)
{
    FourFrames<cView> view;
    view.anim_length = 0.0f;
    view.setAnimTime(3.0f);
    view.getSprite();
    EXPECT_FALSE(std::isnan(view.getAnimTime()));
    EXPECT_EQ(view.getFrame(), 0u);
    view.setDoubleAnimRender(true);
    EXPECT_EQ(view.getSprite().corners[0].color >> 24, 255u);

    // A sheet of no columns, rows or frames set in code is drawn as one cell.
    cView bare;
    bare.anim_columns = 0;
    bare.anim_rows = 0;
    bare.frames_count = 0;
    bare.setAnimTime(0.5f);
    EXPECT_EQ(bare.getFrame(), 0u);
    EXPECT_EQ(bare.getSprite().uvTo.x, 1.0f);
}

TEST_F(ViewAnimation, SetFrameMovesTheTimeToTheFramesStart)
{
    FourFrames<cView> view;
    view.getSprite();
    view.setFrame(0);
    EXPECT_FALSE(view.isDirty()) << "frame 0 is shown already";
    view.setFrame(2);
    EXPECT_TRUE(view.isDirty());
    EXPECT_FLOAT_EQ(view.getAnimTime(), 0.5f);
    EXPECT_EQ(view.getFrame(), 2u);
    view.setFrame(9);
    EXPECT_FLOAT_EQ(view.getAnimTime(), 1.0f) << "clamped to the animation";
    EXPECT_EQ(view.getFrame(), 3u);
}

class PictureAnimation : public ViewAnimation
{
protected:
    // One frame of `ms` milliseconds through the timer and the enabled pass.
    void frame(uint32_t ms)
    {
        clock.advance(ms);
        timer.step();
        cControl::enabledPass();
    }

    Platform::FakeClock clock{1000};
    Engine::cTimer timer;
};

TEST_F(PictureAnimation, APlayingPictureAdvancesWithTheFrameTime)
{
    FourFrames<cPicture> picture;
    EXPECT_EQ(picture.getKind(), 2);
    picture.show();
    picture.enable();
    timer.step();
    frame(50);
    EXPECT_FLOAT_EQ(picture.getAnimTime(), 0.0f) << "not playing";

    picture.PlayAnimation = true;
    for (int i = 0; i < 6; ++i)
        frame(50);
    EXPECT_NEAR(picture.getAnimTime(), 0.3f, 1e-4f);
    EXPECT_EQ(picture.getFrame(), 1u);

    // A plain view does not play.
    FourFrames<cView> view;
    view.PlayAnimation = true;
    view.show();
    view.enable();
    frame(50);
    EXPECT_EQ(view.getAnimTime(), 0.0f);
}

TEST_F(PictureAnimation, APlayedOutPictureCallsTheEndEveryFrame)
{
    FourFrames<cPicture> picture;
    picture.anim_loop = false;
    picture.PlayAnimation = true;
    picture.show();
    picture.enable();
    timer.step();
    for (int i = 0; i < 25; ++i)
    {
        frame(50);
        picture.getSprite();
    }
    // 1.25 s played: past the end in the frames after the first second.
    EXPECT_EQ(picture.getFrame(), 3u);
    EXPECT_GE(picture.ends, 4);
    const int ends = picture.ends;
    frame(50);
    picture.getSprite();
    EXPECT_EQ(picture.ends, ends + 1);
}

TEST_F(PictureAnimation, TheAnimationBlendFadesOverItsTime)
{
    cView view;
    view.show();
    view.enable();
    view.setIsAniblend(true);
    view.setAnimBlendTime(0.2f);
    view.setAniblendPhase(0.2f);
    timer.step();
    frame(50);
    EXPECT_NEAR(view.getAniblendPhase(), 0.15f, 1e-4f);
    EXPECT_NEAR(view.getBlendWeight(), 0.75f, 1e-4f);
    for (int i = 0; i < 5; ++i)
        frame(50);
    EXPECT_EQ(view.getAniblendPhase(), 0.0f);
    EXPECT_EQ(view.getBlendWeight(), 0.0f);
}

} // namespace
