// The saved unfinished level: leaving writes it, restoring it and saving again gives the same
// bytes, and a damaged file is refused, set aside and changes nothing of the player's.
#include "engine/core/cProps.h"
#include "engine/ui/cLightButton.h"
#include "game/hud/cUnitView.h"
#include "game/screens/cTutorial.h"
#include "game/world/BestTimes.h"
#include "game/world/GridPathFinder.h"
#include "game/world/LevelArchive.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// Every kind of record a unit can carry: parked heroes, own, fire and repair levels, tips,
// garbage, a pile's load, a hidden flood.
const std::string kLevel = GameFixture::levelXml(
    "<Unit Type=\"TownHall\" Position=\"50;50\" Level=\"1\" BreafId=\"start\"><FreeCells><Cell Pos=\"2;2\"/>"
    "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"><Step Pos=\"20;0\" Angle=\"45\"/></Route>"
    "</CameOffsetPoints></Unit>"
    "<Unit Type=\"Road\" Position=\"110;110\" MaxLevel=\"1\" TargetType=\"1\" TargetLevel=\"1\" "
    "GoalCategory=\"roads\">"
    "<FreeCells><Cell Pos=\"5;5\"/></FreeCells><Upgrades><Level UpgradeTime=\"9\"><UpIn><Res Name=\"Cement\" "
    "Count=\"3\"/></UpIn></Level><Level/></Upgrades></Unit>"
    "<Unit Type=\"Workshop\" Position=\"150;150\" InFire=\"1\"><FireUpgrades><Level><RepairRes>"
    "<Res Name=\"Steel\" Count=\"2\"/></RepairRes></Level></FireUpgrades></Unit>"
    "<Unit Type=\"Market\" Position=\"190;150\" IsDamaged=\"1\"><RepairUpgrades><Level/>"
    "</RepairUpgrades></Unit>"
    "<Unit Type=\"Rubble\" Position=\"250;110\" TargetType=\"2\" BreafId=\"cleared\"><Tutorial>"
    "<Tip tip_type=\"0\" event_type=\"0\" start=\"30\" text=\"Clear the rubble\"/>"
    "<Tip tip_type=\"2\" event_type=\"5\" text=\"Here\" target=\"10;20\"/>"
    "<Tip tip_type=\"1\" event_type=\"3\" text=\"No way\"/></Tutorial>"
    "<Garbage><Piece Pos=\"240;100\"/><Piece Pos=\"262;118\"/></Garbage></Unit>"
    "<Unit Type=\"Money\" Position=\"330;110\" FallingCount=\"7\"/>"
    "<Unit Type=\"BarrierFlood\" Position=\"410;210\" Angle=\"30\"/>",
    "<CheatPoints><Cell Pos=\"20;15\"/></CheatPoints><MetaData GoldTime=\"5\" SilverTime=\"20\"/>"
    "<InitialResources><Res Name=\"Money\" Count=\"12\"/></InitialResources>");

// The town hall heroes come from and a rubble to clear, with `extra` in the level: loaded as
// the level `number` of a started profile.
Game& loadRubbleLevel(GameFixture& fixture, int number, const std::string& rubble,
                      const std::string& extra = "")
{
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", number);
    return fixture.load(
        number,
        GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
                              "<Unit Type=\"Rubble\" Position=\"250;110\"" +
                                  rubble + "/>",
                              extra));
}

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

TEST(LevelSave, LeavingAnUnfinishedLevelWritesASaveThatRestoresToTheSameBytes)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 930);
    Game& game = fixture.load(930, kLevel);
    game.getController().init();
    fixture.run(129, 0.1f); // 12.9 s, past the gold time: the help has fallen
    ASSERT_TRUE(game.isHelpGiven());
    const size_t units = game.getUnits().size();
    game.leavePlay();

    const std::string path = GameConfig::instance().savePath();
    EXPECT_EQ(path, "profiles/00000001.save");
    const std::string saved = fixture.readShared(path);
    ASSERT_FALSE(saved.empty());
    LevelArchive head(bytesOf(saved), path);
    int32_t level = 0;
    int32_t clock = 0;
    head.read4(level);
    head.read4(clock);
    EXPECT_EQ(level, 930);
    EXPECT_EQ(clock, 12) << "whole seconds";
    EXPECT_EQ(GameConfig::instance().savedLevelNumber(), 930);

    // The player is on another level now; the saved one is open (the level before it won).
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    Engine::cProps::set<int>(L"Level929", 1);
    cTutorial::instance().reset();
    Game& restored = fixture.newGame();
    ASSERT_TRUE(restored.restoreLevel()) << restored.getRestoreError();
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 930);
    EXPECT_FLOAT_EQ(restored.getLevelTime(), 12.0f);
    EXPECT_EQ(restored.getUnits().size(), units);
    EXPECT_EQ(restored.saveLevelBytes(), bytesOf(saved)) << "restored and saved again, byte for byte";

    // What the bytes stand for came back.
    ASSERT_TRUE(restored.getBase());
    EXPECT_EQ(restored.getBase()->getAttached().size(), 2u) << "the parked heroes";
    ASSERT_TRUE(restored.getFloodBarrier());
    EXPECT_EQ(restored.getFloodBarrier()->getState(), eUnitState::hidden);
    EXPECT_TRUE(restored.getOccupancy().getCellFlags(Engine::cPoint(5, 5)) & kCellBlocked);
    const cUnit::Ptr rubble = restored.getUnits().find(typeId(L"Rubble"))->second;
    EXPECT_EQ(rubble->tips.size(), 3u);
    EXPECT_EQ(cTutorial::instance().getTimedTips().size(), 1u);
    EXPECT_EQ(cTutorial::instance().getPolledTips().size(), 1u);
    EXPECT_EQ(rubble->garbage.size(), 2u);
    const cUnit::Ptr road = restored.getUnits().find(typeId(L"Road"))->second;
    ASSERT_TRUE(road->hasOwnLevels);
    EXPECT_EQ(road->getLevelInfo()->upIn.getCount(resourceId(L"Cement")), 3);
    const cUnit::Ptr workshop = restored.getUnits().find(typeId(L"Workshop"))->second;
    ASSERT_EQ(workshop->fireLevels.size(), 1u);
    // The fire block came back: the level's lists in place of the fake fire's cost.
    EXPECT_TRUE(workshop->getActiveLevelInfo()->resIn.isEmpty());
    EXPECT_EQ(workshop->getActiveLevelInfo()->repairRes.getCount(resourceId(L"Steel")), 2);
    EXPECT_EQ(restored.getLevelGoals().size(), 2u);
    EXPECT_EQ(restored.getResources().getCount(resourceId(L"Money")), 12);
    EXPECT_TRUE(restored.isHelpGiven());
}

TEST(LevelSave, AContinuedLevelsArrowsAnswerTheRestoredStock)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 931);
    Game& game = fixture.load(
        931, GameFixture::levelXml("<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                                   "</FreeCells></Unit><Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" "
                                   "Position=\"330;310\"/>",
                                   "<InitialResources><Res Name=\"Money\" Count=\"10\"/>"
                                   "<Res Name=\"Cement\" Count=\"2\"/></InitialResources>"));
    const auto arrowOf = [](Game& level)
    { return level.getUnits().find(typeId(L"Market"))->second->getView()->getUpgradeButton(); };
    ASSERT_TRUE(arrowOf(game));
    ASSERT_FALSE(arrowOf(game)->getShowDisabled()) << "the stock covers the market's next level";
    game.getController().init();
    fixture.run(10, 0.1f);
    game.leavePlay();

    Game& restored = fixture.newGame();
    ASSERT_TRUE(restored.restoreLevel()) << restored.getRestoreError();
    ASSERT_TRUE(arrowOf(restored));
    EXPECT_TRUE(arrowOf(restored)->isShown());
    EXPECT_FALSE(arrowOf(restored)->getShowDisabled()) << "the arrow heard of the stock that came back";
}

TEST(LevelSave, ADamagedSaveIsRefusedAndSetAsideAndTheProfileKeepsItsValues)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 931);
    Game& game = fixture.load(931, kLevel);
    game.getController().init();
    fixture.run(20, 0.1f);
    const std::vector<uint8_t> good = game.saveLevelBytes();
    const std::string path = GameConfig::instance().savePath();
    BestTimes::instance().saveIfChanged();
    const std::string bestTimes = fixture.readShared("besttimes.xml");

    const std::vector<std::vector<uint8_t>> damaged = {
        std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)), // cut short
        std::vector<uint8_t>(good.begin(), good.begin() + 6),                                  // no clock
        [&]
        {
            auto bytes = good;
            bytes[8] = 0xFF; // a unit count no file can hold
            return bytes;
        }(),
        [&]
        {
            auto bytes = good;
            bytes[12] = 0x7F; // the first unit's type id, undefined
            return bytes;
        }(),
        [&]
        {
            auto bytes = good;
            bytes.push_back(0); // a byte after the end
            return bytes;
        }(),
    };
    // The player is on another level; the saved one is open.
    Engine::cProps::set<int>(L"CurrentLevel", 4);
    Engine::cProps::set<int>(L"Level930", 2);
    std::string copy = path + ".damaged";
    for (size_t i = 0; i < damaged.size(); ++i)
    {
        const std::vector<uint8_t>& bytes = damaged[i];
        Engine::writeWholeFile(path, bytes.data(), bytes.size());
        ASSERT_TRUE(fixture.files->isKnown(path));
        Game& restored = fixture.newGame();
        EXPECT_FALSE(restored.restoreLevel());
        EXPECT_NE(restored.getRestoreError().find(path), std::string::npos) << restored.getRestoreError();
        EXPECT_EQ(restored.getRestoreError().find("not open"), std::string::npos)
            << restored.getRestoreError();
        EXPECT_FALSE(fixture.files->isKnown(path)) << "continue does not fail twice on it";
        EXPECT_NE(restored.getRestoreError().find("It is kept as \"" + copy + "\""), std::string::npos)
            << restored.getRestoreError();
        EXPECT_EQ(fixture.readShared(copy), std::string(bytes.begin(), bytes.end())) << "its bytes are kept";
        copy = path + ".damaged-" + std::to_string(i + 2);
        EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 4) << "the profile keeps its level";
        fixture.game.reset();
    }
    EXPECT_EQ(fixture.readShared("besttimes.xml"), bestTimes);

    // The level then starts afresh in a new model, and without a save there is nothing to restore.
    EXPECT_FALSE(fixture.newGame().restoreLevel());
    EXPECT_TRUE(fixture.game->getRestoreError().empty());
    fixture.game->loadLevel(931);
    EXPECT_FALSE(fixture.game->getUnits().empty());
}

TEST(LevelSave, AHeroOrToolThatAQuakeWouldTakeAwayIsRefusedWhileTheQuakesOwnUnitsGoOn)
{
    GameFixture fixture;
    Game& game =
        loadRubbleLevel(fixture, 932, " DisappearOnCataclysm=\"0\"",
                        "<Cataclysmes><Quake Type=\"1\" StartTime=\"1\" Duration=\"2\" RichterPoints=\"2\"/>"
                        "</Cataclysmes>");
    game.getController().init();
    fixture.run(20, 0.1f); // 2 s: the quake is shaking
    const std::vector<uint8_t> shaking = game.saveLevelBytes();

    // Damaged saves: a parked hero, or a tool, that the running quake would take off the field.
    ASSERT_FALSE(game.getBase()->getAttached().empty());
    const cUnit::Ptr hero = game.getBase()->getAttached().front();
    hero->setDisappearOnCataclysm(0);
    const std::vector<uint8_t> heroTaken = game.saveLevelBytes();
    hero->setDisappearOnCataclysm(-1);
    const cUnit::Ptr tool = game.addUnit(typeId(L"Shovel"), 0, -1, eUnitState::idle, 0.0f,
                                         Engine::cVector2(130.0f, 90.0f), {}, L"");
    tool->setDisappearOnCataclysm(0);
    const std::vector<uint8_t> toolTaken = game.saveLevelBytes();

    const std::string path = GameConfig::instance().savePath();
    for (const std::vector<uint8_t>* bytes : {&heroTaken, &toolTaken})
        fixture.expectRefused(*bytes, "a hero or tool that quake 0 takes off the field");

    // The level's own unit that the quake takes away is continued, and goes with the quake;
    // the level saved after it reads back.
    Game& continued = fixture.newGame();
    ASSERT_NO_THROW(continued.restoreLevelBytes(shaking, path));
    EXPECT_EQ(continued.getUnits().count(typeId(L"Rubble")), 1u);
    fixture.run(20, 0.1f);
    EXPECT_EQ(continued.getUnits().count(typeId(L"Rubble")), 0u);
    const std::vector<uint8_t> after = continued.saveLevelBytes();
    Game& again = fixture.newGame();
    ASSERT_NO_THROW(again.restoreLevelBytes(after, path));
    EXPECT_EQ(again.saveLevelBytes(), after);
}

// The shipped levels in runs of nine, each run a test of its own: under the sanitizers a level
// takes a few seconds, and all of them together would pass a test's time.
class ShippedLevelsContinued : public ::testing::TestWithParam<int>
{
protected:
    static constexpr int kRun = 9;
};

TEST_P(ShippedLevelsContinued, WithTheirGroundGridAndTheirObstacleAnswers)
{
    GameFixture fixture;
    fixture.startProfile();
    const int levels = GameConfig::instance().getConstants().LevelsCount;
    const int first = GetParam() * kRun;
    if (first >= levels)
        GTEST_SKIP() << "no shipped level from " << first;
    for (int level = first; level < std::min(levels, first + kRun); ++level)
    {
        Engine::cProps::set<int>(L"CurrentLevel", level);
        Game& game = fixture.newGame();
        game.loadLevel(level);
        game.getController().init();
        fixture.run(10, 0.1f);
        // Where the obstacle arrow would point for each unit, in the order the level holds them.
        const auto answers = [](Game& model)
        {
            std::vector<Engine::cVector2> found;
            for (const auto& entry : model.getUnits())
                found.push_back(model.findObstacle(entry.second));
            return found;
        };
        const auto ground = [](Game& model)
        {
            std::vector<int> cells;
            GridPathFinder& grid = model.getGround();
            for (int x = 0; x < grid.getWidth(); ++x)
                for (int y = 0; y < grid.getHeight(); ++y)
                    cells.push_back(static_cast<int>(grid.getCellFlags(Engine::cPoint(x, y))));
            return cells;
        };
        const std::vector<Engine::cVector2> before = answers(game);
        const std::vector<int> groundBefore = ground(game);
        const std::vector<uint8_t> bytes = game.saveLevelBytes();

        cTutorial::instance().reset();
        Game& restored = fixture.newGame();
        restored.restoreLevelBytes(bytes, "level " + std::to_string(level));
        EXPECT_EQ(ground(restored), groundBefore) << "level " << level << ": the ground grid";
        EXPECT_EQ(answers(restored), before) << "level " << level << ": the obstacle answers";
        fixture.game.reset();
        cTutorial::instance().reset();
    }
}

// Five runs of nine hold the 45 places of the map.
INSTANTIATE_TEST_SUITE_P(LevelSave, ShippedLevelsContinued, ::testing::Range(0, 5));

TEST(LevelSave, AHeroHangsUnderNothingButTheBase)
{
    GameFixture fixture;
    Game& game = loadRubbleLevel(fixture, 933, "");
    game.getController().init();
    ASSERT_FALSE(game.getBase()->getAttached().empty());
    const cUnit::Ptr hero = game.getBase()->getAttached().front();
    const std::vector<uint8_t> parked = game.saveLevelBytes();

    // Damaged: the hero hangs under the rubble. Parking the rubble's carrier would destroy it
    // with the load, and its walk would be left without it.
    const cUnit::Ptr rubble = game.getUnits().find(typeId(L"Rubble"))->second;
    game.getBase()->detach(hero);
    rubble->attach(hero);
    const std::vector<uint8_t> carried = game.saveLevelBytes();

    fixture.expectRefused(carried, "a hero carried by unit");

    // Parked under the base, the same hero reads back.
    Game& continued = fixture.newGame();
    ASSERT_NO_THROW(continued.restoreLevelBytes(parked, GameConfig::instance().savePath()));
    EXPECT_EQ(continued.saveLevelBytes(), parked);
}

// A quake may take away a unit that a hero is on its way to or working on. The goal ends as a
// withdrawn one does (its cost back, the hero home); a walk or work left holding the unit
// would be saved without it, and the level saved then could not be read back.
TEST(LevelSave, AGoalWhoseUnitAQuakeTakesAwayEndsAndTheLevelSavedThenReadsBack)
{
    for (const float quakeAt : {1.0f, 5.0f}) // the hero on its way; the hero at work
    {
        SCOPED_TRACE(quakeAt);
        GameFixture fixture;
        Game& game =
            loadRubbleLevel(fixture, 934, " DisappearOnCataclysm=\"0\"",
                            "<Cataclysmes><Quake Type=\"1\" StartTime=\"" + std::to_string(quakeAt) +
                                "\" Duration=\"1\" RichterPoints=\"2\"/></Cataclysmes>"
                                "<InitialResources><Res Name=\"Money\" Count=\"12\"/></InitialResources>");
        game.getController().init();
        const cUnit::Ptr rubble = game.getUnits().find(typeId(L"Rubble"))->second;
        game.getController().onUnitClick(rubble->getView());
        ASSERT_EQ(game.getController().getPendingGoals().size(), 1u);
        const cUnit::Ptr hero = game.getController().getPendingGoals().front()->getHero();
        ASSERT_TRUE(hero);
        EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), 10);
        fixture.run(static_cast<int>(quakeAt * 10.0f), 0.1f); // the quake begins
        ASSERT_EQ(game.getController().getPendingGoals().size(), 1u);
        EXPECT_EQ(game.getController().getPendingGoals().front()->getStatus(),
                  quakeAt > 1.0f ? Goal::Working : Goal::Assigned);
        fixture.run(15, 0.1f); // it is over
        EXPECT_EQ(game.getUnits().count(typeId(L"Rubble")), 0u);
        EXPECT_TRUE(game.getController().getPendingGoals().empty());
        EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), 12) << "the cost comes back";
        EXPECT_FALSE(hero->getGoal());

        const std::vector<uint8_t> after = game.saveLevelBytes();
        const std::string path = GameConfig::instance().savePath();
        Game& again = fixture.newGame();
        ASSERT_NO_THROW(again.restoreLevelBytes(after, path));
        EXPECT_EQ(again.saveLevelBytes(), after);
        fixture.run(100, 0.1f); // the hero walks home and is parked
        EXPECT_EQ(again.getBase()->getAttached().size(), 1u);
    }
}

TEST(LevelSave, ALevelContinuedWithEveryGoalMetIsWon)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 937);
    Game& game =
        fixture.load(937, GameFixture::levelXml(
                              "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells></Unit><Unit Type=\"Road\" Position=\"110;110\" TargetType=\"1\" "
                              "TargetLevel=\"1\" GoalCategory=\"roads\"/>"));
    game.getController().init();
    // The road's goal met without a hero's work (as by the town hall's own upgrade), and the
    // level saved before its frame looked at the goals.
    game.getUnits().find(typeId(L"Road"))->second->setLevelAndState(1, eUnitState::idle, false);
    const std::vector<uint8_t> bytes = game.saveLevelBytes();
    Game& restored = fixture.newGame();
    ASSERT_NO_THROW(restored.restoreLevelBytes(bytes, "every goal met"));
    fixture.run(1, 0.1f);
    EXPECT_TRUE(restored.isLevelOver() && restored.isFinishPending());
}

TEST(LevelSave, GoalsMetBeforeTheSaveComeBackMetInTheirOrderAndAnOlderSaveBuildsThemFromItsUnits)
{
    GameFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 936);
    Game& game = fixture.load(
        936,
        GameFixture::levelXml(
            "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells></Unit>"
            "<Unit Type=\"Road\" Position=\"110;110\" TargetType=\"1\" TargetLevel=\"1\" "
            "GoalCategory=\"roads\"/>"
            "<Unit Type=\"Rubble\" Position=\"150;110\" TargetType=\"2\" GoalCategory=\"clear\" "
            "BreafId=\"cleared\"/>"
            "<Unit Type=\"Workshop\" Position=\"190;150\" InFire=\"1\" TargetType=\"4\" "
            "GoalCategory=\"fire\"/>"
            "<Unit Type=\"Puppy\" Position=\"230;110\" TargetType=\"3\" GoalCategory=\"pets\"/>"));
    game.getController().init();
    const auto goalsOf = [](const Game& level)
    {
        std::vector<std::string> goals;
        for (const LevelGoal& goal : level.getLevelGoals())
            goals.push_back(goal.goalCategory + (goal.done ? " done" : " open") +
                            (goal.target.lock() && !goal.target.lock()->isRemoved() ? "" : " gone"));
        return goals;
    };
    // The rubble is cleared away and the fire put out; the road and the puppy wait.
    game.getUnits().find(typeId(L"Rubble"))->second->destroy();
    game.getUnits().find(typeId(L"Workshop"))->second->inFire = false;
    ASSERT_FALSE(game.checkLevelGoals());
    const std::vector<std::string> before = goalsOf(game);
    ASSERT_EQ(before.size(), 4u);
    const std::vector<uint8_t> bytes = game.saveLevelBytes();

    const size_t briefings = CPlayState::instance().getBriefing().getStarted().size();
    cTutorial::instance().reset();
    Game& restored = fixture.newGame();
    ASSERT_NO_THROW(restored.restoreLevelBytes(bytes, "goals"));
    EXPECT_EQ(goalsOf(restored), before) << "the met goals, the gone one too, in their places";
    EXPECT_EQ(restored.saveLevelBytes(), bytes) << "saved again, byte for byte";
    EXPECT_EQ(restored.countOpenGoals(), 2);
    EXPECT_EQ(CPlayState::instance().getBriefing().getStarted().size(), briefings)
        << "a goal met before the save does not show its briefing again";

    // A save written before the goals were kept ends after the help resources: its goals are
    // built from its units alone, and the gone rubble has none.
    const std::vector<uint8_t> tag = {'G', 'O', 'A', 'L'};
    const size_t section =
        static_cast<size_t>(std::search(bytes.begin(), bytes.end(), tag.begin(), tag.end()) - bytes.begin());
    ASSERT_LT(section, bytes.size());
    const std::vector<uint8_t> older(bytes.begin(), bytes.begin() + static_cast<long>(section));
    cTutorial::instance().reset();
    Game& old = fixture.newGame();
    ASSERT_NO_THROW(old.restoreLevelBytes(older, "older goals"));
    EXPECT_EQ(old.getLevelGoals().size(), 3u);

    // A goal section naming a unit the level does not have is damage.
    std::vector<uint8_t> damaged = bytes;
    // The tag, the count, the first goal's kind, then its unit number.
    damaged.at(section + 12) = 0x70;
    cTutorial::instance().reset();
    Game& refused = fixture.newGame();
    try
    {
        refused.restoreLevelBytes(damaged, "damaged goals");
        ADD_FAILURE() << "a goal of unit 112 was taken";
    }
    catch (...)
    {
    }
}
