// The loading screen between level starts, over the game's data with the recording render
// device: which of its frames are drawn, and its pictures kept from one level start to the next.
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cLoadScreen.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <boost/weak_ptr.hpp>
#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

const std::string kLevel = GameFixture::levelXml(
    "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells>"
    "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>",
    "<MetaData GoldTime=\"30\" SilverTime=\"60\"/>");

// The full-screen picture of "UI/Load.xml".
const char* const kBackdrop = "hud/loading.jpg";

class LoadScreen : public ::testing::Test
{
protected:
    ~LoadScreen() override
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        engine.setLevelPath(L"");
    }

    // The play state entered on the test's level 980, as the map or the in-game menu enters it.
    CPlayState& enterLevel()
    {
        fixture.writeLevel(980, kLevel);
        CGameEngine::instance().setLevelPath(L"levels/n980.xml");
        CPlayState& play = CPlayState::instance();
        CGameEngine::instance().ChangeState(&play);
        return play;
    }

    // One turn of the engine's loop without its drawing: the enabled pass, the state's update,
    // the deletions. Whether the turn's frame is to be drawn is taken from the timer.
    bool frameDrawn()
    {
        fixture.timer.frameTime = 0.005f;
        Engine::cControl::enabledPass();
        CGameEngine::instance().Update();
        Engine::cControl::deletePending();
        return fixture.timer.exchangeDrawDue(false);
    }

    // The texture of the backdrop of the loading screen shown now; null without one.
    static boost::shared_ptr<Engine::cTexture> backdropOfScreen()
    {
        boost::shared_ptr<Engine::cTexture> found;
        Engine::cView::renderPass(
            [&found](Engine::cView* view)
            {
                for (const Engine::cControl* up = view; up; up = up->getParent())
                    if (up == cLoadScreen::instance() && view->getTextureName() == kBackdrop)
                        found = view->getTexture();
            });
        return found;
    }

    SilentEffects effects;
    GameFixture fixture;
};

TEST_F(LoadScreen, ItsFirstFrameIsDrawnAtOnceAndTheLevelInTheFrameItIsReady)
{
    CPlayState& play = enterLevel();
    fixture.timer.exchangeDrawDue(false);
    EXPECT_TRUE(frameDrawn()) << "the screen is seen before the level's start holds the loop";
    for (int i = 2; i < cLoadScreen::WaitFrames; ++i)
        EXPECT_FALSE(frameDrawn()) << "frame " << i << " waits at the drawing pace";
    EXPECT_FALSE(frameDrawn()) << "the start";
    ASSERT_NE(play.getGame(), nullptr) << "the level started on the fifth frame";
    EXPECT_FALSE(play.isRunning());
    EXPECT_TRUE(frameDrawn()) << "the level is drawn as soon as it is ready";
    EXPECT_TRUE(play.isRunning());
    EXPECT_EQ(cLoadScreen::instance(), nullptr);
    EXPECT_FALSE(frameDrawn()) << "then the drawing pace holds again";
}

TEST_F(LoadScreen, ItsPicturesStayLoadedFromOneLevelStartToTheNextUntilTheGameEnds)
{
    CPlayState& play = enterLevel();
    const boost::weak_ptr<Engine::cTexture> kept = backdropOfScreen();
    ASSERT_FALSE(kept.expired());
    for (int i = 0; i < 6 && !play.isRunning(); ++i)
        frameDrawn();
    ASSERT_TRUE(play.isRunning());
    ASSERT_EQ(cLoadScreen::instance(), nullptr);

    // The level started again, as the in-game menu's "Restart" does: the play state lets go of
    // every resource nobody holds, then makes a new loading screen.
    CGameEngine::instance().ChangeState(&play);
    ASSERT_NE(cLoadScreen::instance(), nullptr);
    ASSERT_FALSE(kept.expired()) << "the picture is not read, decoded and uploaded again";
    EXPECT_EQ(backdropOfScreen(), kept.lock());
    for (int i = 0; i < 6 && !play.isRunning(); ++i)
        frameDrawn();
    ASSERT_TRUE(play.isRunning());

    // The game's end lets go of it with the other managers' holdings.
    CGameEngine& engine = CGameEngine::instance();
    while (engine.getStateCount())
        engine.PopState();
    engine.runShutdowns();
    Engine::cControl::deletePending();
    fixture.resources->releaseUnused();
    EXPECT_TRUE(kept.expired());
}

} // namespace
