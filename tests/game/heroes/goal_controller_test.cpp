// The goal planner: the waiting list and its limit, the nearest free hero with ties to the
// first added, cancelling with refunds, the running chains' ids and order, and the goal's
// saved record with its route searched again.
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/Goal.h"
#include "game/hud/cUnitView.h"
#include "tests/game/heroes/heroes_test_tools.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using namespace GameTest;

namespace
{

// A town hall at cell (2, 2) whose heroes set out from cell (4, 2); rubble piles along row 2
// and row 8, each approached from its left.
const std::string kBase = "<Unit Type=\"TownHall\" Position=\"50;50\" Level=\"LEVEL\"><FreeCells>"
                          "<Cell Pos=\"2;2\"/></FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/>"
                          "</CameOffsetPoints></Unit>";

std::string base(int level)
{
    std::string xml = kBase;
    xml.replace(xml.find("LEVEL"), 5, std::to_string(level));
    return xml;
}

std::string rubble(int x, int y)
{
    return "<Unit Type=\"Rubble\" Position=\"" + std::to_string(x * 20 + 10) + ";" +
           std::to_string(y * 20 + 10) + "\"><FreeCells><Cell Pos=\"" + std::to_string(x) + ";" +
           std::to_string(y) +
           "\"/></FreeCells><CameOffsetPoints><Route Pos=\"-20;0\"/></CameOffsetPoints></Unit>";
}

const std::string kMoney = "<InitialResources><Res Name=\"Money\" Count=\"20\"/></InitialResources>";

int money(Game& game)
{
    return game.getResources().getCount(resourceId(L"Money"));
}

} // namespace

TEST(GoalController, TheWaitingListIsLimitedAndCancellingRefundsEveryGoalNotBegun)
{
    HeroesFixture fixture;
    HeroesFixture::describe({"Rubble"});
    Game& game = fixture.load(930, GameFixture::levelXml(base(0) + rubble(10, 2) + rubble(12, 2) +
                                                             rubble(14, 2) + rubble(16, 2) + rubble(18, 2),
                                                         kMoney));
    game.addHero();
    fixture.settle();
    GameController& controller = fixture.controller();
    ASSERT_EQ(controller.runningChainCount(), 0u);
    for (int i = 1; i <= 5; ++i)
    {
        const cUnit::Ptr target = fixture.first(L"Rubble", i);
        cGameResources cost;
        Engine::cPoint blocked;
        const UnitProblem problem = controller.getUnitProblem(target, cost, blocked);
        ASSERT_TRUE(problem == NoProblem || problem == NoFreeHero) << i;
        controller.addGoal(target, cost, false);
    }
    // The one hero took the first goal; three wait (the limit of a base at level 0 with
    // "GoalsListLimit" 3); the fifth click had no effect at all.
    ASSERT_EQ(controller.getPendingGoals().size(), 4u);
    EXPECT_EQ(controller.getPendingGoals().front()->getStatus(), Goal::Assigned);
    EXPECT_EQ(controller.countWaitingGoals(), 3u);
    EXPECT_EQ(money(game), 20 - 4 * 2);
    EXPECT_TRUE(fixture.first(L"Rubble", 4)->isTaken());
    EXPECT_FALSE(fixture.first(L"Rubble", 5)->isTaken());
    const cUnit::Ptr hero = controller.getPendingGoals().front()->getHero();
    ASSERT_TRUE(hero);
    EXPECT_EQ(controller.runningChainCount(), 1u);

    // The hero walks out; cancelling now takes back every goal, its own too.
    fixture.run(30, 1.0f / 16.0f);
    ASSERT_FALSE(game.isParked(hero));
    ASSERT_EQ(controller.getPendingGoals().front()->getStatus(), Goal::Assigned);
    game.onCancelClick();
    EXPECT_TRUE(controller.getPendingGoals().empty());
    EXPECT_EQ(money(game), 20);
    EXPECT_FALSE(hero->getGoal());
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(fixture.first(L"Rubble", i)->isTaken()) << i;
    // Its chain was completed; the hero walks home and parks.
    fixture.runUntil([&] { return game.isParked(hero); }, 30.0f);
    EXPECT_TRUE(game.isParked(hero));
    EXPECT_EQ(controller.runningChainCount(), 0u);

    // Once work has begun a goal is no longer cancelled.
    cGameResources cost;
    Engine::cPoint blocked;
    controller.getUnitProblem(fixture.first(L"Rubble", 1), cost, blocked);
    controller.addGoal(fixture.first(L"Rubble", 1), cost, false);
    const GameController::GoalPtr goal = controller.getPendingGoals().front();
    fixture.runUntil([&] { return goal->getStatus() == Goal::Working; }, 30.0f);
    ASSERT_EQ(goal->getStatus(), Goal::Working);
    game.onCancelClick();
    EXPECT_EQ(controller.getPendingGoals().size(), 1u);
    EXPECT_EQ(money(game), 18);
    fixture.runUntil([&] { return controller.getPendingGoals().empty(); }, 30.0f);
    EXPECT_EQ(game.getUnits().count(typeId(L"Rubble")), 4u) << "the first rubble was cleared";
}

TEST(GoalController, AGoalGoesToTheNearestFreeHeroAndTiesToTheHeroAddedFirst)
{
    HeroesFixture fixture;
    HeroesFixture::describe({"Rubble"});
    Game& game = fixture.load(930, GameFixture::levelXml(base(1) + rubble(10, 2) + rubble(24, 8), kMoney));
    game.addHero();
    const std::list<cUnit::Ptr> parked = game.getBase()->getAttached();
    ASSERT_EQ(parked.size(), 2u);
    GameController& controller = fixture.controller();

    // Both parked heroes set out from the same cell: the first added takes the goal.
    controller.addGoal(fixture.first(L"Rubble", 1), cGameResources(), false);
    EXPECT_EQ(controller.getPendingGoals().back()->getHero(), parked.front());

    // A hero out on the field that carries the rubble's tool is free for it, and nearer.
    const cUnit::Ptr walker =
        game.addUnit(typeId(L"hero"), 0, -1, eUnitState::idle, 0.0f, game.cellToPos({22, 8}), {}, L"");
    const cUnit::Ptr shovel =
        game.addUnit(typeId(L"Shovel"), 0, -1, eUnitState::idle, 0.0f, game.cellToPos({22, 8}), {}, L"");
    walker->attach(shovel);
    controller.addGoal(fixture.first(L"Rubble", 2), cGameResources(), false);
    EXPECT_EQ(controller.getPendingGoals().back()->getHero(), walker);
    EXPECT_FALSE(parked.back()->getGoal());
}

TEST(GoalController, ChainsRunInRegistrationOrderAndASaveBringsThemBackUnderNewIds)
{
    HeroesFixture fixture;
    Game& game = fixture.load(930, GameFixture::levelXml(base(0)));
    fixture.settle();
    GameController& controller = fixture.controller();
    LevelArchive empty;
    controller.save(empty, UnitNumbering());
    EXPECT_EQ(empty.bytes().size(), 8u) << "two zero counts";

    std::vector<ActionItem::Ptr> chains;
    for (int i = 0; i < 4; ++i)
    {
        auto chain = boost::make_shared<BaseActionsItem>();
        chain->started.connect([&controller](const ActionItem::Ptr& item)
                               { controller.registerChain(item); });
        chain->start();
        chains.push_back(chain);
    }
    std::vector<int> ids;
    for (const auto& entry : controller.getRunningChains())
        ids.push_back(entry.first);
    ASSERT_EQ(ids.size(), 4u);
    const int first = ids.front();
    EXPECT_EQ(ids, (std::vector<int>{first, first + 1, first + 2, first + 3}));
    // Finished and completed both lead to the same erase; the second finds nothing.
    chains[0]->complete();
    chains[0]->notifyFinished();
    EXPECT_EQ(controller.runningChainCount(), 3u);
    EXPECT_EQ(controller.getRunningChains().begin()->first, first + 1);

    LevelArchive out;
    controller.save(out, UnitNumbering());
    EXPECT_EQ(out.bytes().size(), 4u + 3u * 10u + 4u);
    fixture.newGame();
    LevelArchive in(out.bytes(), "chains");
    fixture.controller().restore(in, {});
    ids.clear();
    for (const auto& entry : fixture.controller().getRunningChains())
    {
        ids.push_back(entry.first);
        EXPECT_TRUE(entry.second->isActive());
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    (void)game;
}

TEST(GoalController, AGoalIsSavedWithItsRouteEndsAndFindsItsRouteAgain)
{
    HeroesFixture fixture;
    Game& game = fixture.load(930, GameFixture::levelXml(base(0) + rubble(10, 2), kMoney));
    game.addHero();
    const cUnit::Ptr target = fixture.first(L"Rubble");
    const cUnit::Ptr hero = game.getBase()->getAttached().front();
    UnitNumbering numbering;
    std::vector<cUnit::Ptr> units;
    for (const auto& entry : game.getUnits())
    {
        numbering[entry.second] = static_cast<int>(units.size());
        units.push_back(entry.second);
    }

    Goal waiting(target, cGameResources());
    waiting.setUpgrade(true);
    LevelArchive a;
    waiting.save(a, numbering);
    ASSERT_EQ(a.bytes().size(), 24u) << "target, no hero, attach type, empty cost, status, 4-byte upgrade";
    EXPECT_EQ(a.bytes()[4], 0xFF);
    EXPECT_EQ(a.bytes()[20], 1);

    Goal taken(target, cGameResources());
    taken.setHero(hero);
    taken.setStatus(Goal::Assigned);
    // Before a route is planned the hero's own cell stands for both ends.
    LevelArchive b;
    taken.save(b, numbering);
    EXPECT_EQ(b.bytes().size(), 40u);
    taken.setRoute(game.findRoute(hero, target).path);
    ASSERT_GT(taken.getRoute()->size(), 2u);
    LevelArchive c;
    taken.save(c, numbering);
    Goal copy;
    LevelArchive in(c.bytes(), "goal");
    copy.load(in, units);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(copy.getTarget(), target);
    EXPECT_EQ(copy.getHero(), hero);
    EXPECT_EQ(copy.getStatus(), Goal::Assigned);
    ASSERT_TRUE(copy.getRoute());
    EXPECT_EQ(*copy.getRoute(), *taken.getRoute()) << "searched again between the saved ends";
    EXPECT_FALSE(copy.getAction());
    copy.releaseAction();

    // A goal naming a unit the level does not have is refused by the archive.
    std::vector<uint8_t> bytes = c.bytes();
    bytes[0] = 77;
    LevelArchive bad(bytes, "bad.save");
    Goal broken;
    EXPECT_THROW(broken.load(bad, units), Engine::cStringA);

    // So is a goal held by a unit that is no hero (it would be sent home and parked in the base).
    Goal byRubble(target, cGameResources());
    byRubble.setHero(target);
    byRubble.setStatus(Goal::Assigned);
    LevelArchive e;
    byRubble.save(e, numbering);
    LevelArchive heldByRubble(e.bytes(), "bad.save");
    Goal notAHero;
    EXPECT_THROW(notAHero.load(heldByRubble, units), Engine::cStringA);

    // So is a goal still waiting for a hero that names one: the next free hero would be given
    // it while the named one works on it too.
    taken.setStatus(Goal::Waiting);
    LevelArchive d;
    taken.save(d, numbering);
    LevelArchive waitingWithHero(d.bytes(), "bad.save");
    Goal refused;
    try
    {
        refused.load(waitingWithHero, units);
        ADD_FAILURE() << "a waiting goal with a hero was read";
    }
    catch (const Engine::cStringA& error)
    {
        EXPECT_NE(error.find("a waiting goal with a hero"), std::string::npos) << error;
    }
}

TEST(GoalController, AnUpgradeOrderLeavesTheUnitInItsNormalLook)
{
    HeroesFixture fixture;
    Game& game = fixture.load(
        950, GameFixture::levelXml(
                 base(0) + "<Unit Type=\"Market\" Position=\"210;170\" Level=\"1\" MaxLevel=\"2\"/>",
                 "<InitialResources><Res Name=\"Money\" Count=\"20\"/><Res Name=\"Cement\" "
                 "Count=\"4\"/></InitialResources>"));
    game.getController().init();
    fixture.settle();
    const cUnit::Ptr market = fixture.first(L"Market");
    cUnitView* view = market->getView();
    ASSERT_TRUE(view);
    ASSERT_FALSE(view->getNormalLock());
    fixture.controller().onUnitViewClick(view);
    ASSERT_EQ(fixture.controller().getPendingGoals().size(), 1u);
    EXPECT_TRUE(fixture.controller().getPendingGoals().front()->isUpgrade());
    EXPECT_TRUE(view->isEnabled());
    EXPECT_TRUE(view->getNormalLock()) << "the unit's view shows its normal look, not the disabled one";
}

// A hero's work ends its goal: a save whose chain still has that work to do for a hero without
// a goal is refused (playing on would stop the game); with its goal the save plays on.
TEST(GoalController, ASavedWorkWithoutItsHerosGoalIsRefusedAndWithItPlaysOn)
{
    HeroesFixture fixture;
    fixture.startProfile();
    HeroesFixture::describe({"Rubble"});
    Engine::cProps::set<int>(L"CurrentLevel", 930);
    Game& game = fixture.load(930, GameFixture::levelXml(base(0) + rubble(10, 2), kMoney));
    game.addHero();
    fixture.settle();
    GameController& controller = fixture.controller();
    const cUnit::Ptr target = fixture.first(L"Rubble");
    cGameResources cost;
    Engine::cPoint blocked;
    ASSERT_EQ(controller.getUnitProblem(target, cost, blocked), NoProblem);
    controller.addGoal(target, cost, false);
    fixture.runUntil([&] { return target->getState() == eUnitState::destroy; }, 10.0f);
    ASSERT_EQ(target->getState(), eUnitState::destroy) << "the hero is at work";
    const std::vector<uint8_t> working = game.saveLevelBytes();
    const GameController::GoalPtr goal = controller.getPendingGoals().front();
    const cUnit::Ptr hero = goal->getHero();
    ASSERT_TRUE(hero);
    controller.removeGoal(goal);
    hero->resetGoal();
    const std::vector<uint8_t> goalless = game.saveLevelBytes();

    const std::string path = GameConfig::instance().savePath();
    fixture.expectRefused(goalless, "a hero's work without a goal");

    Game& continued = fixture.newGame();
    ASSERT_NO_THROW(continued.restoreLevelBytes(working, path));
    fixture.settle();
    EXPECT_EQ(continued.getUnits().count(typeId(L"Rubble")), 0u) << "the rubble is cleared";
}

TEST(GoalController, AMillGoalWaitingForItsHeapSetsOutWhenTheHeapAppears)
{
    HeroesFixture fixture;
    HeroesFixture::describe({"Market", "Money"});
    const std::string market = "<Unit Type=\"Market\" Level=\"1\" Position=\"210;50\"><FreeCells>"
                               "<Cell Pos=\"10;2\"/></FreeCells><CameOffsetPoints><Route Pos=\"-20;0\"/>"
                               "</CameOffsetPoints></Unit>";
    Game& game =
        fixture.load(931, GameFixture::levelXml(base(0) + market + rubble(14, 8) +
                                                    "<Unit Type=\"Market\" Level=\"1\" Position=\"410;50\"/>"
                                                    // A goal left open: the level goes on.
                                                    "<Unit Type=\"Road\" Position=\"590;390\" "
                                                    "TargetType=\"1\" TargetLevel=\"1\"/>",
                                                kMoney));
    game.addHero();
    game.buildLevelGoals();
    fixture.settle();
    GameController& controller = fixture.controller();
    const cUnit::Ptr hero = game.getBase()->getAttached().front();

    const cUnit::Ptr mill = fixture.first(L"Market");
    controller.onAutoProduced();
    ASSERT_EQ(mill->getAttached().size(), 1u) << "a heap lies at the market";
    const cUnit::Ptr heap = mill->getAttached().front();
    // The heap, then the market, are queued while the one hero is out; the heap's own goal
    // comes first, so the market's goal waits for a heap that is no longer there.
    controller.addGoal(fixture.first(L"Rubble", 1), cGameResources(), false);
    controller.addGoal(heap, cGameResources(), false);
    controller.addGoal(mill, cGameResources(), false);
    const GameController::GoalPtr millGoal = controller.getPendingGoals().back();
    ASSERT_EQ(millGoal->getStatus(), Goal::Waiting);
    fixture.runUntil([&] { return heap->isRemoved(); }, 60.0f);
    ASSERT_TRUE(heap->isRemoved());
    fixture.runUntil([&] { return game.isParked(hero); }, 60.0f);
    ASSERT_TRUE(game.isParked(hero));
    ASSERT_EQ(millGoal->getStatus(), Goal::Waiting) << "no heap: the hero stays at the base";

    // The level's automatic production puts a new heap there: the goal is given at once.
    controller.onAutoProduced();
    ASSERT_EQ(mill->getAttached().size(), 1u);
    EXPECT_EQ(millGoal->getStatus(), Goal::Assigned) << "the new heap is fetched";
    EXPECT_EQ(hero->getGoal(), millGoal);
    fixture.runUntil([&] { return controller.getPendingGoals().empty(); }, 60.0f);
    EXPECT_TRUE(controller.getPendingGoals().empty());

    // A heap made by a production cycle does the same.
    const cUnit::Ptr other = fixture.first(L"Market", 2);
    fixture.runUntil([&] { return game.isParked(hero); }, 60.0f);
    for (const cUnit::Ptr& unit : std::list<cUnit::Ptr>(other->getAttached()))
        unit->destroy();
    controller.addGoal(other, cGameResources(), false);
    const GameController::GoalPtr otherGoal = controller.getPendingGoals().back();
    ASSERT_EQ(otherGoal->getStatus(), Goal::Waiting);
    controller.startProduction(other);
    fixture.run(2, 1.0f / 16.0f);
    EXPECT_EQ(otherGoal->getStatus(), Goal::Assigned);
}
