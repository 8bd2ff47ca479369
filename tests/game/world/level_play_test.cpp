// The level's frame: goals judged, help resources at the gold time, the finish sequence and
// the level-finished signal, and leaving a won level.
#include "engine/core/Random.h"
#include "engine/core/cProps.h"
#include "game/hud/cFinishLevelSaluts.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CPlayState.h"
#include "game/world/BestTimes.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

using namespace GameTest;

namespace
{

const std::string kBase =
    "<Unit Type=\"TownHall\" Position=\"50;50\" BreafId=\"start\"><FreeCells><Cell Pos=\"2;2\"/>"
    "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

cUnit::Ptr first(Game& game, const wchar_t* type)
{
    return game.getUnits().find(typeId(type))->second;
}

} // namespace

TEST(LevelPlay, GoalsAreBuiltFromTheBuildingsAndJudgedAsTheLevelChanges)
{
    GameFixture fixture;
    Game& game = fixture.load(
        920,
        GameFixture::levelXml(
            kBase +
            "<Unit Type=\"Road\" Position=\"110;110\" TargetType=\"1\" TargetLevel=\"1\" "
            "GoalCategory=\"roads\" BreafId=\"road\"/>"
            "<Unit Type=\"Rubble\" Position=\"150;110\" TargetType=\"2\" GoalCategory=\"clear\"/>"
            "<Unit Type=\"Market\" Position=\"190;110\" TargetType=\"2\" GoalCategory=\"clear\"/>"
            "<Unit Type=\"TownHall\" Position=\"230;230\" Level=\"2\" TargetType=\"1\" TargetLevel=\"2\" "
            "GoalCategory=\"roads\" BreafId=\"never\"/>"
            "<Unit Type=\"Puppy\" Position=\"270;110\" TargetType=\"3\" GoalCategory=\"pets\"/>"
            "<Unit Type=\"Workshop\" Position=\"310;150\" InFire=\"1\" TargetType=\"4\" "
            "GoalCategory=\"fire\"/>"));
    game.buildLevelGoals();
    // The market is no barrier: "TargetType" 2 makes no goal of it.
    ASSERT_EQ(game.getLevelGoals().size(), 5u);
    int open = game.countOpenGoals();
    EXPECT_EQ(open, 4) << "the hall placed at its target level is done from the start";
    EXPECT_FALSE(game.checkLevelGoals());
    EXPECT_FALSE(game.isLevelOver());

    first(game, L"Road")->setLevelAndState(1, eUnitState::idle, false);
    first(game, L"Rubble")->destroy();
    first(game, L"Puppy")->targetReached = true;
    EXPECT_EQ(game.countOpenGoals(), 1) << "the fire still burns";
    EXPECT_EQ(CPlayState::instance().getBriefing().getStarted(), std::vector<std::string>{"road"})
        << "a reached goal shows its briefing once; one done from the start shows none";
    EXPECT_EQ(game.countOpenGoals(), 1);
    EXPECT_EQ(CPlayState::instance().getBriefing().getStarted().size(), 1u);

    first(game, L"Workshop")->inFire = false;
    EXPECT_TRUE(game.checkLevelGoals());
    EXPECT_TRUE(game.isLevelOver());
    EXPECT_TRUE(game.isFinishPending());
}

TEST(LevelPlay, ALevelWhoseLastGoalIsTheHallsOwnUpgradeIsWonWithoutItsOpeningAgain)
{
    GameFixture fixture;
    Game& game = fixture.load(
        922, GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\" Level=\"1\" MaxLevel=\"2\" "
                                   "TargetType=\"1\" TargetLevel=\"2\" BreafId=\"start\"><FreeCells>"
                                   "<Cell Pos=\"2;2\"/></FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/>"
                                   "</CameOffsetPoints></Unit>"));
    game.buildLevelGoals();
    fixture.run(2, 0.25f);
    EXPECT_FALSE(game.isLevelOver());
    game.getBase()->setLevelAndState(2, eUnitState::idle, false);
    fixture.run(1, 0.25f);
    EXPECT_TRUE(game.isLevelOver()) << "no hero's work ended, the hall raised itself";
    EXPECT_TRUE(CPlayState::instance().getBriefing().getStarted().empty())
        << "the opening is not played again";
}

TEST(LevelPlay, HelpResourcesFallAtTheCheatPointsOnceTheGoldTimeIsReached)
{
    GameFixture fixture;
    // Needs: three rubbles (2 Money each) and a fallen tree (3 Money) to clear, two roads to
    // build (1 Brick each), a well to finish (2 Cement, 2 Brick): Money 9, Cement 2, Brick 4.
    // The player holds Money 4 and Brick 9.
    Game& game = fixture.load(
        921, GameFixture::levelXml(kBase + "<Unit Type=\"Rubble\" Position=\"150;110\"/>"
                                           "<Unit Type=\"Rubble\" Position=\"170;110\"/>"
                                           "<Unit Type=\"Rubble\" Position=\"190;110\"/>"
                                           "<Unit Type=\"FallenTree\" Position=\"210;110\"/>"
                                           "<Unit Type=\"Road\" Position=\"230;110\"/>"
                                           "<Unit Type=\"Road\" Position=\"250;110\" Level=\"1\"/>"
                                           "<Unit Type=\"Road\" Position=\"270;110\"/>"
                                           "<Unit Type=\"Well\" Position=\"290;110\" TargetType=\"1\" "
                                           "TargetLevel=\"1\"/>",
                                   "<CheatPoints><Cell Pos=\"20;15\"/><Cell Pos=\"22;15\"/></CheatPoints>"
                                   "<MetaData GoldTime=\"1\" SilverTime=\"2\"/>"
                                   "<InitialResources><Res Name=\"Money\" Count=\"4\"/>"
                                   "<Res Name=\"Brick\" Count=\"9\"/></InitialResources>"));
    game.buildLevelGoals();
    cGameResources needed = game.getNeededResources();
    EXPECT_EQ(needed.getCount(resourceId(L"Money")), 9);
    EXPECT_EQ(needed.getCount(resourceId(L"Cement")), 2);
    EXPECT_EQ(needed.getCount(resourceId(L"Brick")), 4);

    const size_t before = game.getUnits().size();
    fixture.run(3, 0.25f);
    EXPECT_FALSE(game.isHelpGiven());
    // A pile lands within 10 units of its cheat cell's centre: the first draw across, the
    // second down.
    constexpr unsigned kSeed = 4711;
    Engine::seedRandom(kSeed);
    const float across = randomRange(-10.0f, 10.0f);
    const float down = randomRange(-10.0f, 10.0f);
    ASSERT_NE(across, down);
    Engine::seedRandom(kSeed);
    fixture.run(1, 0.25f);
    ASSERT_TRUE(game.isHelpGiven()) << "the clock reached the gold time";
    // (needed - held, at least 1) / 3 parts (at least 1) + 1.
    const cGameResources& help = game.getHelpResources();
    EXPECT_EQ(help.getCount(resourceId(L"Money")), (9 - 4) / 3 + 1);
    EXPECT_EQ(help.getCount(resourceId(L"Cement")), 2 / 3 + 1 + 1);
    EXPECT_EQ(help.getCount(resourceId(L"Brick")), 1 + 1) << "a need the player covers still helps";

    // Two cheat points: the two resources with the lowest ids fall, one unit each.
    ASSERT_EQ(game.getUnits().size(), before + 2);
    const cUnit::Ptr money = first(game, L"Money");
    EXPECT_EQ(money->getCell(), Engine::cPoint(20, 15));
    EXPECT_EQ(money->resources.getCount(resourceId(L"Money")), 2);
    EXPECT_EQ(money->getState(), eUnitState::hidden) << "it falls onto the field";
    EXPECT_EQ(money->getOffset(), Engine::cVector2(across, down));
    EXPECT_FLOAT_EQ(money->fallingDelay, GameConfig::instance().getConstants().CheatResourcesDelay);
    const cUnit::Ptr cement = first(game, L"Cement");
    EXPECT_EQ(cement->getCell(), Engine::cPoint(22, 15));
    EXPECT_EQ(cement->resources.getCount(resourceId(L"Cement")), 2);
    EXPECT_EQ(game.getUnits().count(typeId(L"Brick")), 0u);

    fixture.run(10, 0.25f);
    EXPECT_EQ(game.getUnits().size(), before + 2) << "help comes once";
}

TEST(LevelPlay, AWonLevelPlaysItsFinishAndRaisesTheLevelFinishedSignalOnce)
{
    GameFixture fixture;
    Game& game = fixture.load(922, GameFixture::levelXml(kBase + "<Unit Type=\"Puppy\" Position=\"270;110\" "
                                                                 "TargetType=\"3\"/>"));
    game.addHero();
    game.buildLevelGoals();
    game.loadResourceTexts();
    int finished = 0;
    game.connectLevelFinished([&finished] { ++finished; });
    const cUnit::Ptr hero = game.getBase()->getAttached().front();

    fixture.run(5, 0.5f);
    EXPECT_FLOAT_EQ(game.getLevelTime(), 2.5f);
    first(game, L"Puppy")->targetReached = true;
    ASSERT_TRUE(game.checkLevelGoals());

    const int plays = fixture.mixer->count("play");
    fixture.run(1, 0.5f);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 1) << "the finish sound";
    EXPECT_FLOAT_EQ(game.getLevelTime(), 2.5f) << "the clock stopped with the last goal";
    // The parked hero left the base to celebrate in front of it.
    EXPECT_FALSE(game.isParked(hero));
    EXPECT_EQ(hero->getLevel(), 2);
    bool fireworks = false;
    for (Engine::cControl* child : getPlayView()->getChildren())
        fireworks = fireworks || dynamic_cast<cFinishLevelSaluts*>(child);
    EXPECT_TRUE(fireworks);

    // "FinishLevelTime" 4: the countdown ends in the frame in which the times reach 4.
    fixture.run(7, 0.5f);
    EXPECT_EQ(finished, 0);
    EXPECT_TRUE(game.isFinishPending());
    fixture.run(1, 0.5f);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(game.isFinishPending());
    fixture.run(5, 0.5f);
    EXPECT_EQ(finished, 1) << "once";
    EXPECT_EQ(fixture.mixer->count("play"), plays + 1);
}

TEST(LevelPlay, LeavingAWonLevelRecordsItAndMovesOn)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 7);
    // The player had selected another level on the map before this one was continued.
    Engine::cProps::set<int>(L"CurrentSelectedLevel", 1);
    Game& game =
        fixture.load(7, GameFixture::levelXml(kBase, "<MetaData GoldTime=\"30\" SilverTime=\"60\"/>"));
    fixture.run(1, 42.0f);
    game.buildLevelGoals();
    ASSERT_TRUE(game.checkLevelGoals()) << "a level without goals is won at the first check";
    fixture.run(1, 0.1f);
    game.leavePlay();
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 8);
    EXPECT_EQ(Engine::cProps::get<int>(L"Level7"), 1) << "silver";
    EXPECT_EQ(BestTimes::instance().getBestTime(7).time, 42u);
    EXPECT_EQ(BestTimes::instance().getBestTime(7).name, L"Tester");
    // The map's selection moves to the level after the one won, whatever was selected before,
    // and the map page to the one that shows it (level 8 opens the second page): the map file
    // tells, though no map was shown.
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentSelectedLevel"), 8);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentMap"), 1);
    EXPECT_FALSE(fixture.files->isKnown(GameConfig::instance().savePath())) << "a won level leaves no save";
}
