// The play state over the game's data with the recording render device: the loading screen's
// frames, one level from its loading screen through the in-game menu to the results and back
// to the map, and the results of a level of no number.
#include "engine/core/StringUtils.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cProgressFloat.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cView.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cLevelFinishPanel.h"
#include "game/screens/cLoadScreen.h"
#include "game/screens/cOptions.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelLocation.h"
#include "platform/input/ScriptedInput.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kLevel = GameFixture::levelXml(
    "<Unit Type=\"TownHall\" Position=\"50;50\" BreafId=\"start\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells>"
    "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
    "<Unit Type=\"Road\" Position=\"150;130\" TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"roads\"/>",
    "<MetaData GoldTime=\"30\" SilverTime=\"60\"/>");

// One frame as the engine runs it: the enabled pass, the state's update, the deletions.
void frame(GameFixture& fixture, float dt)
{
    fixture.timer.frameTime = dt;
    Engine::cControl::enabledPass();
    CGameEngine::instance().Update();
    Engine::cControl::deletePending();
}

class PlayState : public ::testing::Test
{
protected:
    PlayState()
    {
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        // The first read acquires the devices.
        input->update();
        // The states' own lines; the screen's settling has a test of its own.
        CGameEngine::setTraceSink(
            [this](const std::wstring& line)
            {
                if (line != L"Screen settled\n")
                    traces.push_back(line);
            });
    }
    ~PlayState() override
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        engine.setLevelPath(L"");
        CGameEngine::setTraceSink({});
    }
    // The player's profile on level 2, and the play state entered on the test's level 980.
    CPlayState& enterTestLevel()
    {
        fixture.startProfile();
        Engine::cProps::set<int>(L"CurrentLevel", 2);
        fixture.writeLevel(980, kLevel);
        CGameEngine::instance().setLevelPath(L"levels/n980.xml");
        CPlayState& play = CPlayState::instance();
        CGameEngine::instance().ChangeState(&play);
        return play;
    }
    // The running level's goal reached: the finish runs, then the results come over the level.
    boost::shared_ptr<cLevelFinishPanel> winLevel(Game& game)
    {
        for (const auto& [type, unit] : game.getUnits())
            if (unit->goalCategory == "roads")
                unit->setLevelAndState(1, eUnitState::idle, true);
        EXPECT_TRUE(game.checkLevelGoals());
        for (int i = 0; i < 200 && CGameEngine::instance().getStateCount() == 1; ++i)
            frame(fixture, 0.1f);
        return CDialogState<cLevelFinishPanel>::instance().getPanel();
    }
    void key(uint8_t code)
    {
        script->keyDown(code);
        script->keyUp(code);
        input->update();
    }

    SilentEffects effects;
    GameFixture fixture;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    std::vector<std::wstring> traces;
};

TEST_F(PlayState, TheLoadingScreenStartsTheLevelOnItsFifthFrameAndPreloadsThreeEntriesAFrame)
{
    fixture.writeLevel(981, kLevel);
    std::string log = "<ResLog>";
    for (const char* path : {"fx/Road_a.xml", "", "fx/Rubble.xml", "fx/Road_b.xml", "fx/Road_c.xml",
                             "fx/Other.xml", "fx/Road_d.xml"})
        log += std::string("<Res") + (*path ? std::string(" Path=\"") + path + "\"" : std::string()) + "/>";
    log += "</ResLog>";
    Engine::writeWholeFile("res_log.xml", log.data(), log.size());
    for (const char* path : {"fx/road_a.xml", "fx/road_b.xml", "fx/road_c.xml", "fx/road_d.xml"})
        Engine::writeWholeFile(path, "<fx/>", 5);

    int started = 0;
    int loaded = 0;
    auto* screen = new cLoadScreen(
        "res_log.xml", [&] { ++loaded; }, 3);
    screen->setStartLevel(
        [&]
        {
            ++started;
            fixture.load(981, kLevel);
        });
    EXPECT_THROW(cLoadScreen("res_log.xml", {}, 3), const char*) << "one loading screen at a time";
    EXPECT_EQ(screen->getEntryCount(), 7u);
    EXPECT_FALSE(screen->getProgress()->isVisible()) << "no bar before the level starts";
    for (int i = 1; i <= 4; ++i)
        frame(fixture, 0.02f);
    EXPECT_EQ(started, 0) << "four frames to be drawn";
    frame(fixture, 0.02f);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(screen->getProgress()->isVisible());
    const float full = screen->getProgress()->getMaxValue();

    const std::vector<uint32_t> next = {3, 6};
    for (uint32_t expected : next)
    {
        frame(fixture, 0.02f);
        EXPECT_EQ(screen->getNextEntry(), expected);
        EXPECT_EQ(loaded, 0);
    }
    EXPECT_FLOAT_EQ(screen->getProgress()->getCurrentValue(), 3.0f * full / 7.0f);
    EXPECT_EQ(screen->getPreloaded(),
              (std::vector<std::string>{"fx/Road_a.xml", "fx/Road_b.xml", "fx/Road_c.xml"}))
        << "entries without a path or naming no unit type of the level are skipped";
    frame(fixture, 0.02f);
    EXPECT_EQ(loaded, 1) << "entries 0-2, 3-5 and 6: done in the third frame";
    EXPECT_EQ(cLoadScreen::instance(), nullptr) << "the screen deleted itself";
}

// The views the render pass would draw now: those of the loading screen and those of the play
// view, counted apart.
struct tDrawnViews
{
    int loadingScreen = 0;
    int level = 0;
};
tDrawnViews drawnViews(const Engine::cControl* playView)
{
    tDrawnViews drawn;
    Engine::cView::renderPass(
        [&](Engine::cView* view)
        {
            for (const Engine::cControl* up = view; up; up = up->getParent())
                if (up == cLoadScreen::instance() || up == playView)
                {
                    ++(up == playView ? drawn.level : drawn.loadingScreen);
                    break;
                }
        });
    return drawn;
}

TEST_F(PlayState, TheLevelIsSetUpUnseenUnderTheLoadingScreenAndDrawnOnceTheScreenIsDone)
{
    CPlayState& play = enterTestLevel();
    for (int i = 1; i <= cLoadScreen::WaitFrames; ++i)
    {
        frame(fixture, 0.02f);
        const tDrawnViews drawn = drawnViews(play.getView());
        EXPECT_GT(drawn.loadingScreen, 0) << i;
        // The screen covers the whole screen: a level drawn under it would cost a frame's
        // drawing that nobody sees.
        EXPECT_EQ(drawn.level, 0) << i;
    }
    ASSERT_NE(play.getGame(), nullptr) << "the level started on the fifth frame";
    frame(fixture, 0.02f);
    ASSERT_TRUE(play.isRunning());
    const tDrawnViews drawn = drawnViews(play.getView());
    EXPECT_EQ(drawn.loadingScreen, 0);
    EXPECT_GT(drawn.level, 0) << "the level is shown once the screen is done";
}

TEST_F(PlayState, ALevelRunsFromItsLoadingScreenThroughTheMenuToTheResultsAndTheNextLevel)
{
    CPlayState& play = enterTestLevel();
    CGameEngine& engine = CGameEngine::instance();
    ASSERT_NE(cLoadScreen::instance(), nullptr);
    for (int i = 0; i < 6; ++i)
        frame(fixture, 0.02f);
    ASSERT_TRUE(play.isRunning());
    Game* game = play.getGame();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(cLoadScreen::instance(), nullptr);
    EXPECT_EQ(traces, (std::vector<std::wstring>{L"CPlayState Init\n", L"BriefState::Create()\n",
                                                 L"ModalTutorState::Create()\n",
                                                 L"Level 2 loaded from levels/n980.xml\n",
                                                 L"CPlayState Resume\n", L"Level clock 0\n"}))
        << "the briefing and the tutorial's message are made at the first level start of the run; the "
           "running level traces its clock";
    EXPECT_EQ(game->getUnits().count(typeId(L"hero")), 1u) << "the level starts at once: the heroes come";
    EXPECT_EQ(play.getBriefing().getStarted(), (std::vector<std::string>{"start"}));
    ASSERT_NE(play.getStatusPanel(), nullptr);
    EXPECT_EQ(play.getStatusPanel()->getRowCategories(), (std::vector<std::string>{"roads"}));

    frame(fixture, 1.0f);
    const float time = game->getLevelTime();
    EXPECT_GT(time, 0.0f);
    key(1);
    ASSERT_EQ(engine.getStateCount(), 2u) << "Escape opens the menu";
    EXPECT_TRUE(CDialogState<cGameMenu>::instance().getPanel()->isShown());
    frame(fixture, 1.0f);
    frame(fixture, 1.0f);
    EXPECT_EQ(game->getLevelTime(), time) << "the clock stands under the menu";
    key(28);
    EXPECT_EQ(engine.getStateCount(), 1u) << "Return closes it";
    frame(fixture, 1.0f);
    EXPECT_GT(game->getLevelTime(), time);

    const boost::shared_ptr<cLevelFinishPanel> results = winLevel(*game);
    ASSERT_EQ(engine.getStateCount(), 2u);
    ASSERT_TRUE(results);
    EXPECT_TRUE(results->isComplete());
    EXPECT_EQ(results->getShownMedal(), 0) << "within the gold time";
    EXPECT_TRUE(results->isNewBest()) << "faster than the level's own best time";
    EXPECT_EQ(results->find<Engine::cTextLine>(L"BestNameTextValue")->getText(), L"Tester");
    EXPECT_EQ(results->find<Engine::cTextLine>(L"TimeTextValue")->getText(),
              std::wstring(Engine::timeToString(game->getLevelTime())));
    EXPECT_TRUE(results->find<Engine::cView>(L"BestTimeTextValue")->isShown());

    traces.clear();
    results->find<Engine::cButtonPrototype>(L"OkButton")->clickSignal(nullptr);
    EXPECT_EQ(traces, (std::vector<std::wstring>{L"CDialogState Cleanup\n", L"CPlayState Resume\n",
                                                 L"CPlayState Cleanup\n", L"CPlayState Pause\n",
                                                 L"CMapState Init\n", L"CMapState Resume\n"}))
        << "OK closes the results; the play state leaves the level for the map";
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 3);
    EXPECT_EQ(Engine::cProps::get<int>(L"Level2"), 0) << "gold";
    EXPECT_EQ(engine.newLevelIndex(), 2);
    EXPECT_EQ(BestTimes::instance().getBestTime(2).name, L"Tester");
}

TEST_F(PlayState, ALevelFileOfNoNumberShowsThePlayersTimeAndMedalAndNoBestTime)
{
    // The test's level from a file outside the data folder: it records nothing.
    fixture.startProfile();
    ::Test::TempDir copies;
    LevelLocation own;
    own.path = Engine::fromUtf8(copies.write("Own Street.xml", kLevel).generic_string());
    own.select();
    CPlayState& play = CPlayState::instance();
    CGameEngine::instance().ChangeState(&play);
    for (int i = 0; i < 6; ++i)
        frame(fixture, 0.02f);
    ASSERT_NE(play.getGame(), nullptr);
    frame(fixture, 12.0f);
    const boost::shared_ptr<cLevelFinishPanel> results = winLevel(*play.getGame());
    ASSERT_TRUE(results && results->isComplete());
    EXPECT_EQ(results->getShownMedal(), 0);
    EXPECT_EQ(results->find<Engine::cTextLine>(L"TimeTextValue")->getText(), L"00:12");
    EXPECT_FALSE(results->isNewBest());
    for (const wchar_t* tag :
         {L"BestTimeLabel", L"BestTimeTextValue", L"BestNameTextValue", L"BestNameLabel"})
    {
        const auto* view = results->find<Engine::cView>(tag);
        ASSERT_NE(view, nullptr) << Engine::toUtf8(tag);
        EXPECT_FALSE(view->isShown()) << Engine::toUtf8(tag) << ": no best time, no holder";
    }
}

// The status panel judges its medal in the frame's enabled pass, before the game's update moves
// the clock: a win in the frame that takes the clock past the gold time stores what the results
// show, not the panel's judgement of the frame before.
TEST_F(PlayState, TheMedalStoredIsTheOneTheResultsShowForAWinAsTheClockPassesTheGoldTime)
{
    CPlayState& play = enterTestLevel();
    for (int i = 0; i < 6; ++i)
        frame(fixture, 0.02f);
    Game* game = play.getGame();
    ASSERT_NE(game, nullptr);
    frame(fixture, 30.95f - game->getLevelTime());
    frame(fixture, 0.1f);
    ASSERT_EQ(play.getStatusPanel()->getMedalState(), 0) << "judged at 00:30, within the gold time";
    ASSERT_EQ(std::wstring(Engine::timeToString(game->getLevelTime())), L"00:31");
    const boost::shared_ptr<cLevelFinishPanel> results = winLevel(*game);
    ASSERT_TRUE(results && results->isComplete());
    EXPECT_EQ(results->find<Engine::cTextLine>(L"TimeTextValue")->getText(), L"00:31");
    EXPECT_EQ(results->getShownMedal(), 1) << "silver";
    EXPECT_EQ(Engine::cProps::get<int>(L"Level2"), 1) << "the stored medal is the one shown";
}

TEST_F(PlayState, TheMenusWaysOutAskFirstAndLeaveTheLevelSavedForTheMapOrTheMainMenu)
{
    CPlayState& play = enterTestLevel();
    CGameEngine& engine = CGameEngine::instance();
    for (int i = 0; i < 6; ++i)
        frame(fixture, 0.02f);
    ASSERT_TRUE(play.isRunning());
    frame(fixture, 1.0f);

    // A question over the menu for each way out; "no" leaves menu and level as they were.
    const auto openMenu = [&]
    {
        key(1);
        return CDialogState<cGameMenu>::instance().getPanel();
    };
    boost::shared_ptr<cGameMenu> menu = openMenu();
    ASSERT_TRUE(menu);
    for (Engine::cTextStyleButton* way :
         {menu->getRestartButton(), menu->getMainMenuButton(), menu->getMapButton()})
    {
        way->clickSignal(nullptr);
        ASSERT_EQ(engine.getStateCount(), 3u) << "a question over the menu";
        const boost::shared_ptr<cYesNoPanel> question = CDialogState<cYesNoPanel>::instance().getPanel();
        ASSERT_TRUE(question);
        EXPECT_EQ(question->getText()->getText(), menu->getQuestion());
        question->getNoButton()->clickSignal(nullptr);
        EXPECT_EQ(engine.getStateCount(), 2u) << "no: the menu stays over the paused level";
        EXPECT_EQ(engine.topState(), &CDialogState<cGameMenu>::instance());
    }
    menu->getOptionsButton()->clickSignal(nullptr);
    EXPECT_EQ(engine.topState(), &CDialogState<cOptions>::instance()) << "options open over the menu";
    EXPECT_TRUE(menu->isShown() && !menu->isEnabled()) << "the menu stays under the options, disabled";
    key(1);
    EXPECT_EQ(engine.topState(), &CDialogState<cGameMenu>::instance());
    EXPECT_TRUE(menu->isShown() && menu->isEnabled()) << "the menu is enabled again with the options closed";
    // A question leaves the menu in sight.
    menu->getRestartButton()->clickSignal(nullptr);
    EXPECT_TRUE(menu->isShown());
    CDialogState<cYesNoPanel>::instance().getPanel()->getNoButton()->clickSignal(nullptr);

    // Yes to the map: the level is left, saved for later, and the map comes.
    menu->getMapButton()->clickSignal(nullptr);
    CDialogState<cYesNoPanel>::instance().getPanel()->getYesButton()->clickSignal(nullptr);
    EXPECT_EQ(engine.getStateCount(), 1u);
    EXPECT_EQ(engine.topState(), &CMapState::instance());
    EXPECT_EQ(play.getGame(), nullptr);
    EXPECT_TRUE(GameConfig::instance().hasSavedLevel()) << "the level left unfinished is kept";
    EXPECT_EQ(GameConfig::instance().savedLevelNumber(), 2);
}

} // namespace
