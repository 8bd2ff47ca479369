// Lock, unlock and walk: a walk lasts the sum of its step costs at the walker's speeds, ends on
// its last cell, drags the hero's tool along, stops where it stands when completed, and goes on
// from its saved record (also when the route found again is shorter than the saved step); a
// walk whose way was closed since the save turns home by route instead of jumping.
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/LockUnitActionItem.h"
#include "game/heroes/MoveActionItem.h"
#include "game/heroes/UnlockUnitActionItem.h"
#include "game/hud/cUnitView.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace ItemTest;

namespace
{

constexpr float kDt = 1.0f / 64.0f;

boost::shared_ptr<CellPath> row(int y, int fromX, int toX)
{
    auto route = boost::make_shared<CellPath>();
    for (int x = fromX; x <= toX; ++x)
        route->push_back(Engine::cPoint(x, y));
    return route;
}

boost::shared_ptr<MoveActionItem> walk(const cUnit::Ptr& walker, const boost::shared_ptr<CellPath>& route,
                                       const Engine::cVector2& endOffset = Engine::cVector2())
{
    return boost::make_shared<MoveActionItem>(walker, route, eUnitState::move, endOffset);
}

// Frames of kDt until the summed frame time reaches `seconds`.
int framesFor(float seconds)
{
    return static_cast<int>(std::ceil(seconds / kDt));
}

} // namespace

TEST(MoveItems, AWalkLastsTheSumOfItsStepCostsAtTheWalkersSpeeds)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const GameConstants& k = GameConfig::instance().getConstants();
    // A hero and a man (a hero above level 0) on parallel rows; the middle cells of both rows
    // are fast.
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    const cUnit::Ptr man = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 6)), 1);
    game.getOccupancy().setCellFlags(Engine::cPoint(4, 2), kCellFast);
    game.getOccupancy().setCellFlags(Engine::cPoint(4, 6), kCellFast);
    const auto heroWalk = walk(hero, row(2, 2, 5), Engine::cVector2(3.0f, -4.0f));
    const auto manWalk = walk(man, row(6, 2, 5));
    fixture.startChain({heroWalk});
    fixture.startChain({manWalk});
    EXPECT_EQ(hero->getState(), eUnitState::move);

    // Plain, plain to fast, fast to plain.
    const auto steps = [](float plain, float fast)
    { return (0.5f / plain + 0.5f / plain) + (0.5f / plain + 0.5f / fast) + (0.5f / fast + 0.5f / plain); };
    const float heroTime = steps(k.HeroSpeed, k.HeroSpeed * k.kFastCellSpeed);
    const float manTime = steps(k.HeroSpeedMan, k.HeroSpeedMan * k.kFastCellSpeed);
    ASSERT_LT(heroTime, manTime);

    fixture.run(20, kDt);
    EXPECT_EQ(hero->getCell(), Engine::cPoint(2, 2)) << "a walker keeps its start cell while it walks";
    EXPECT_GT(hero->getOffset().x, 10.0f);
    EXPECT_NEAR(hero->getAngle(), 0.0f, 1e-3f);
    fixture.run(framesFor(heroTime) - 21, kDt);
    EXPECT_TRUE(heroWalk->isActive());
    EXPECT_GT(game.unitPos(hero).x, game.cellToPos(Engine::cPoint(4, 2)).x);
    fixture.run(1, kDt);
    EXPECT_FALSE(heroWalk->isActive());
    EXPECT_EQ(hero->getCell(), Engine::cPoint(5, 2));
    EXPECT_EQ(hero->getOffset(), Engine::cVector2(3.0f, -4.0f)) << "the end offset, no free-cell offset";
    EXPECT_EQ(hero->getState(), eUnitState::idle);

    fixture.run(framesFor(manTime) - framesFor(heroTime) - 1, kDt);
    EXPECT_TRUE(manWalk->isActive());
    fixture.run(1, kDt);
    EXPECT_FALSE(manWalk->isActive());
    EXPECT_EQ(man->getCell(), Engine::cPoint(5, 6));
    EXPECT_EQ(game.getController().runningChainCount(), 0u);

    // The heroes' speed bonus counts from the step that begins while it is on; a walk up the
    // screen faces 90 degrees.
    game.setBonusSpeedHero(true);
    auto up = boost::make_shared<CellPath>(CellPath{{5, 2}, {5, 1}, {5, 0}});
    const auto bonusWalk = walk(hero, up);
    fixture.startChain({bonusWalk});
    const float bonusTime = 2.0f / (k.HeroSpeed * k.kHeroBonusSpeed);
    EXPECT_EQ(fixture.runUntilDone(bonusWalk, kDt, 1000), framesFor(bonusTime));
    EXPECT_NEAR(hero->getAngle(), 90.0f, 1e-3f);

    // A carrying hero walks with the heroes' bonus too while the men's bonus is off; the men's
    // bonus, once on, takes its place.
    auto manUp = boost::make_shared<CellPath>(CellPath{{5, 6}, {5, 5}, {5, 4}});
    const auto manBonusWalk = walk(man, manUp);
    fixture.startChain({manBonusWalk});
    EXPECT_EQ(fixture.runUntilDone(manBonusWalk, kDt, 1000),
              framesFor(2.0f / (k.HeroSpeedMan * k.kHeroBonusSpeed)));
    game.setBonusSpeedMan(true);
    auto manDown = boost::make_shared<CellPath>(CellPath{{5, 4}, {5, 5}, {5, 6}});
    const auto manOwnBonusWalk = walk(man, manDown);
    fixture.startChain({manOwnBonusWalk});
    EXPECT_EQ(fixture.runUntilDone(manOwnBonusWalk, kDt, 1000),
              framesFor(2.0f / (k.HeroSpeedMan * k.kManBonusSpeed)));
}

// A frame longer than two steps (a slow frame, or steps made short by the speed bonus) passes
// one cell boundary and carries the rest over: the walker waits at the end of its segment, never
// beyond it, and arrives as many frames later as it has boundaries left.
TEST(MoveItems, FramesLongerThanTheStepsKeepTheWalkerOnItsRoute)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    game.setBonusSpeedHero(true);
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    const auto route = row(2, 2, 8);
    const auto heroWalk = walk(hero, route);
    fixture.startChain({heroWalk});
    const float left = game.cellToPos(route->front()).x;
    const float right = game.cellToPos(route->back()).x;
    const float y = game.unitPos(hero).y;
    int frames = 0;
    while (heroWalk->isActive() && frames < 100)
    {
        fixture.run(1, 0.5f);
        ++frames;
        const Engine::cVector2 at = game.unitPos(hero);
        ASSERT_GE(at.x, left - 0.01f) << "frame " << frames;
        ASSERT_LE(at.x, right + 0.01f) << "frame " << frames;
        ASSERT_NEAR(at.y, y, 0.01f) << "frame " << frames;
    }
    EXPECT_FALSE(heroWalk->isActive());
    EXPECT_EQ(frames, static_cast<int>(route->size()) - 1) << "one boundary a frame";
    EXPECT_EQ(hero->getCell(), route->back());
}

// A walker set down on another cell than the one its route starts from (a hero let out of the
// base where the goal's route does not begin) sets out from where it stands: no jump at the start,
// never off the stretch between its place and the route, and it ends on the route's last cell.
TEST(MoveItems, AWalkerStandingOffItsRoutesFirstCellSetsOutFromWhereItStands)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(12, 2)));
    const Engine::cVector2 start = game.unitPos(hero);
    const auto route = row(2, 2, 5);
    const auto heroWalk = walk(hero, route);
    fixture.startChain({heroWalk});
    EXPECT_EQ(hero->getCell(), route->front());
    EXPECT_NEAR(game.unitPos(hero).x, start.x, 0.01f) << "the walker stays where it stands";
    const float left = game.cellToPos(route->front()).x;
    int frames = 0;
    while (heroWalk->isActive() && frames < 1000)
    {
        fixture.run(1, kDt);
        ++frames;
        const float x = game.unitPos(hero).x;
        ASSERT_GE(x, left - 0.01f) << "frame " << frames;
        ASSERT_LE(x, start.x + 0.01f) << "frame " << frames;
    }
    EXPECT_FALSE(heroWalk->isActive());
    EXPECT_EQ(hero->getCell(), route->back());
}

TEST(MoveItems, ShortRoutesEndAtOnceAndLocksTakeEffectOneFrameAfterTheyStart)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero =
        fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)) + Engine::cVector2(1, 1));
    hero->setState(eUnitState::carry, -1);

    // One cell: started, then finished in the same call, on that cell at the end offset.
    std::vector<std::string> signals;
    auto one = walk(hero, boost::make_shared<CellPath>(CellPath{{7, 3}}), Engine::cVector2(2.0f, 5.0f));
    one->started.connect([&](const ActionItem::Ptr&) { signals.push_back("started"); });
    one->finished.connect([&](const ActionItem::Ptr&) { signals.push_back("finished"); });
    one->start();
    EXPECT_EQ(signals, (std::vector<std::string>{"started", "finished"}));
    EXPECT_EQ(hero->getCell(), Engine::cPoint(7, 3));
    EXPECT_EQ(hero->getOffset(), Engine::cVector2(2.0f, 5.0f));
    EXPECT_EQ(hero->getState(), eUnitState::idle);

    // No cells, or no route at all (a search that found nothing): the walker stays, idle.
    for (const auto& route : {boost::make_shared<CellPath>(), boost::shared_ptr<CellPath>()})
    {
        hero->setState(eUnitState::carry, -1);
        auto none = walk(hero, route);
        none->start();
        EXPECT_FALSE(none->isActive());
        EXPECT_EQ(hero->getCell(), Engine::cPoint(7, 3));
        EXPECT_EQ(hero->getState(), eUnitState::idle);
        // Its record names the walker's cell twice and reads back as an empty route.
        const auto back = boost::dynamic_pointer_cast<MoveActionItem>(fixture.restore(fixture.record(none)));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->getRoute()->empty());
    }

    // A lock and an unlock each act in the first frame after the chain reached them.
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(10, 10)));
    auto lock = boost::make_shared<LockUnitActionItem>(market, static_cast<int>(eUnitState::upgrade));
    auto unlock = boost::make_shared<UnlockUnitActionItem>(market);
    auto chain = fixture.startChain({lock, unlock});
    EXPECT_FALSE(market->isTaken());
    fixture.run(1, kDt);
    EXPECT_TRUE(market->isTaken());
    EXPECT_EQ(market->getTakenFor(), 1);
    EXPECT_TRUE(chain->isActive());
    fixture.run(1, kDt);
    EXPECT_FALSE(market->isTaken());
    EXPECT_EQ(market->getTakenFor(), 0);
    EXPECT_FALSE(chain->isActive());

    // Their records: header, work code, unit; header, unit.
    const std::vector<uint8_t> lockRecord = fixture.record(lock);
    ASSERT_EQ(lockRecord.size(), 14u);
    EXPECT_EQ(int32At(lockRecord, 0), LockUnitAction);
    EXPECT_EQ(int32At(lockRecord, 6), 1);
    EXPECT_EQ(fixture.record(fixture.restore(lockRecord)), lockRecord);
    const std::vector<uint8_t> unlockRecord = fixture.record(unlock);
    ASSERT_EQ(unlockRecord.size(), 10u);
    EXPECT_EQ(fixture.record(fixture.restore(unlockRecord)), unlockRecord);
}

TEST(MoveItems, TheHerosFirstToolComesAlongAndTrailsItAtItsDistance)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    const cUnit::Ptr hammer = fixture.add(L"Hammer", game.cellToPos(Engine::cPoint(9, 9)));
    const cUnit::Ptr saw = fixture.add(L"Saw", game.cellToPos(Engine::cPoint(9, 12)));
    hero->attach(hammer);
    hero->attach(saw);
    saw->setState(eUnitState::hidden, -1);
    const float distance = hammer->getTypeInfo()->distance;
    ASSERT_GT(distance, 0.0f);

    const auto move = walk(hero, row(2, 2, 8));
    move->setAttachState(eUnitState::moveTo);
    fixture.startChain({move});
    EXPECT_EQ(hammer->getCell(), Engine::cPoint(2, 2));
    EXPECT_EQ(hammer->getState(), eUnitState::moveTo);
    EXPECT_EQ(saw->getCell(), Engine::cPoint(9, 12)) << "only the first tool is taken along";
    EXPECT_EQ(saw->getState(), eUnitState::hidden);

    fixture.run(60, kDt);
    ASSERT_TRUE(move->isActive());
    const Engine::cVector2 gap = game.unitPos(hammer) - game.unitPos(hero);
    EXPECT_LT(gap.x, 0.0f) << "the tool follows behind";
    EXPECT_LE(std::sqrt(gap.x * gap.x + gap.y * gap.y), distance + 4.0f);
    EXPECT_NEAR(hammer->getAngle(), 0.0f, 1e-3f);
    EXPECT_EQ(saw->getCell(), Engine::cPoint(9, 12)) << "a hidden follower is not dragged";

    // Read back with the tool standing on another cell (where it stands unchanged): it trails
    // the hero all the same, not the cells between the two away.
    const std::vector<uint8_t> bytes = fixture.record(move);
    game.getController().stopAllActions();
    const Engine::cVector2 toolAt = game.unitPos(hammer);
    hammer->setCell(Engine::cPoint(9, 9), toolAt - game.cellToPos(Engine::cPoint(9, 9)));
    const ActionItem::Ptr restored = fixture.restore(bytes);
    game.getController().registerChain(restored);
    fixture.run(4, kDt);
    const Engine::cVector2 after = game.unitPos(hammer) - game.unitPos(hero);
    EXPECT_LE(std::sqrt(after.x * after.x + after.y * after.y), distance + 4.0f);
}

TEST(MoveItems, ACompletedWalkLeavesTheWalkerWhereItStandsAndTheRestOfTheChainNeverRuns)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(12, 12)));
    const auto move = walk(hero, row(2, 2, 9));
    auto lock = boost::make_shared<LockUnitActionItem>(market, 1);
    auto chain = fixture.startChain({move, lock});
    fixture.run(70, kDt); // past the second cell
    const Engine::cVector2 standing = game.unitPos(hero);
    ASSERT_EQ(move->getIndex(), 2);

    chain->complete();
    EXPECT_FALSE(chain->isActive());
    EXPECT_EQ(hero->getCell(), Engine::cPoint(4, 2));
    EXPECT_EQ(game.unitPos(hero), standing);
    EXPECT_EQ(hero->getState(), eUnitState::move);
    fixture.run(10, kDt);
    EXPECT_EQ(game.unitPos(hero), standing);
    EXPECT_FALSE(market->isTaken());
    EXPECT_EQ(game.getController().runningChainCount(), 0u);
}

TEST(MoveItems, ASavedWalkGoesOnFromItsRecordAlongTheRouteFoundAgain)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const GameConstants& k = GameConfig::instance().getConstants();
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));

    // Saved after 20 frames, restored without a start, it arrives when the whole walk would.
    const auto move = walk(hero, row(2, 2, 6), Engine::cVector2(1.0f, 2.0f));
    fixture.startChain({move});
    fixture.run(20, kDt);
    const std::vector<uint8_t> bytes = fixture.record(move);
    ASSERT_EQ(bytes.size(), 98u);
    EXPECT_EQ(int32At(bytes, 0), MoveAction);
    EXPECT_EQ(int32At(bytes, 10), 2) << "first cell";
    EXPECT_EQ(int32At(bytes, 18), 6) << "last cell";
    EXPECT_FLOAT_EQ(floatAt(bytes, 26), 1.0f) << "end offset";
    EXPECT_EQ(int32At(bytes, 38), static_cast<int32_t>(eUnitState::move)) << "walking state";
    game.getController().stopAllActions();

    const ActionItem::Ptr restored = fixture.restore(bytes);
    EXPECT_EQ(fixture.record(restored), bytes);
    game.getController().registerChain(restored);
    const int frames = fixture.runUntilDone(restored, kDt, 1000);
    EXPECT_EQ(20 + frames, framesFor(4.0f / k.HeroSpeed));
    EXPECT_EQ(hero->getCell(), Engine::cPoint(6, 2));
    EXPECT_EQ(hero->getOffset(), Engine::cVector2(1.0f, 2.0f));

    // A detour saved at its fifth step: the route found again is straight and shorter than
    // the saved step, so the walk ends at once on its last cell instead of reading past it.
    auto detour =
        boost::make_shared<CellPath>(CellPath{{6, 2}, {6, 3}, {6, 4}, {7, 4}, {8, 4}, {8, 3}, {8, 2}});
    const auto around = walk(hero, detour);
    fixture.startChain({around});
    fixture.run(framesFor(4.0f / k.HeroSpeed) + 2, kDt);
    ASSERT_EQ(around->getIndex(), 4);
    const std::vector<uint8_t> saved = fixture.record(around);
    game.getController().stopAllActions();
    const ActionItem::Ptr back = fixture.restore(saved);
    ASSERT_LE(boost::dynamic_pointer_cast<MoveActionItem>(back)->getRoute()->size(), 3u);
    game.getController().registerChain(back);
    EXPECT_EQ(fixture.runUntilDone(back, kDt, 10), 1);
    EXPECT_EQ(hero->getCell(), Engine::cPoint(8, 2));
    EXPECT_EQ(hero->getState(), eUnitState::idle);
}

TEST(MoveItems, ARestoredWalkGoesOnFromWhereItsWalkerStandsAndOneThatWouldLeaveTheFieldIsRefused)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const float cw = static_cast<float>(GameConfig::instance().getConstants().CellWidth);
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(2, 2)));
    const auto move = walk(hero, row(2, 2, 6));
    fixture.startChain({move});
    fixture.run(20, kDt);
    const Engine::cVector2 standing = game.unitPos(hero);
    const std::vector<uint8_t> bytes = fixture.record(move);
    game.getController().stopAllActions();

    // The segment's curve is relative to a point the record does not hold: the walker goes on
    // from where it stands, not from the field's corner.
    const ActionItem::Ptr restored = fixture.restore(bytes);
    game.getController().registerChain(restored);
    fixture.run(1, kDt);
    const Engine::cVector2 now = game.unitPos(hero);
    EXPECT_LT(std::hypot(now.x - standing.x, now.y - standing.y), cw / 4.0f) << "no jump";
    EXPECT_GT(now.x, standing.x) << "on its way right";
    game.getController().stopAllActions();

    // A damaged record whose curve, heading or end would carry the walker off the field.
    const auto damaged = [&bytes](size_t at, float value)
    {
        std::vector<uint8_t> changed = bytes;
        std::memcpy(changed.data() + at, &value, sizeof value);
        return changed;
    };
    EXPECT_ANY_THROW(fixture.restore(damaged(46, -5000.0f))) << "the curve's slope";
    EXPECT_ANY_THROW(fixture.restore(damaged(42, 1.0e9f))) << "the curve's start";
    EXPECT_ANY_THROW(fixture.restore(damaged(82, -400.0f))) << "the heading point";
    EXPECT_ANY_THROW(fixture.restore(damaged(26, 1.0e5f))) << "the end offset";
    EXPECT_ANY_THROW(fixture.restore(damaged(78, std::nanf("")))) << "the duration";
    EXPECT_NO_THROW(fixture.restore(bytes));
}

TEST(MoveItems, ARestoredWalkWhoseWayWasClosedSinceTheSaveTurnsHomeByRouteWithoutAJump)
{
    ItemFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 961); // the level the fixture writes
    const int cw = GameConfig::instance().getConstants().CellWidth;
    const auto at = [cw](int x, int y)
    { return std::to_string(x * cw + cw / 2) + ";" + std::to_string(y * cw + cw / 2); };
    // The base on the left; rubble to clear on the right, behind a wall of rubble across the
    // whole field (thrown down by a quake while the hero was on its way).
    Game& game = fixture.level("<Unit Type=\"TownHall\" Position=\"" + at(3, 10) +
                               "\"><CameOffsetPoints><Route Pos=\"" + std::to_string(cw) +
                               ";0\"/></CameOffsetPoints></Unit>"
                               "<Unit Type=\"Rubble\" Position=\"" +
                               at(24, 10) + "\"/><Unit Type=\"Rubble\" Position=\"" + at(14, 10) +
                               "\"><FreeCells>" + cells(14, 0, 14, 20) + "</FreeCells></Unit>");
    fixture.run(static_cast<int>(6.0f / kDt), kDt);
    ASSERT_TRUE(game.getBase());
    ASSERT_EQ(game.getController().runningChainCount(), 0u) << "the base has landed";
    cUnit::Ptr target;
    for (const auto& [type, unit] : game.getUnits())
        if (unit->getTypeId() == typeId(L"Rubble") && unit->getCell().x > 20)
            target = unit;
    ASSERT_TRUE(target);

    // The hero set out before the wall fell: its route goes straight through it.
    const cUnit::Ptr hero = fixture.add(L"hero", game.cellToPos(Engine::cPoint(5, 10)));
    const auto route = row(10, 5, 23);
    cGameResources cost;
    cost.insert(resourceId(L"Money"), 2);
    auto goal = boost::make_shared<Goal>(target, cost);
    goal->setHero(hero);
    goal->setStatus(Goal::Assigned);
    goal->setRoute(route);
    target->setTaken(6);
    auto chain = fixture.startChain(
        {walk(hero, route), boost::make_shared<DestroyActionItem>(hero, target, cUnit::Ptr())});
    goal->setAction(chain);
    game.getController().restoreGoal(goal);
    fixture.run(64, kDt);
    const std::vector<uint8_t> bytes = game.saveLevelBytes();
    const Engine::cVector2 standing = game.unitPos(hero);
    const int money = game.getResources().getCount(resourceId(L"Money"));

    Game& restored = fixture.newGame();
    restored.restoreLevelBytes(bytes, "the test's save");
    cUnit::Ptr walker;
    for (const auto& [type, unit] : restored.getUnits())
        if (unit->getTypeId() == typeId(L"hero"))
            walker = unit;
    ASSERT_TRUE(walker);
    EXPECT_EQ(restored.unitPos(walker), standing);
    fixture.run(1, kDt);
    const float moved =
        std::hypot(restored.unitPos(walker).x - standing.x, restored.unitPos(walker).y - standing.y);
    EXPECT_LT(moved, static_cast<float>(cw)) << "no jump";
    EXPECT_TRUE(restored.getController().getPendingGoals().empty()) << "the goal is withdrawn";
    EXPECT_EQ(restored.getResources().getCount(resourceId(L"Money")), money + 2) << "its cost given back";
    EXPECT_FALSE(walker->getGoal());
    ASSERT_TRUE(walker->homeChain) << "the hero walks home";
    EXPECT_EQ(walker->getState(), eUnitState::move);
    for (const auto& [type, unit] : restored.getUnits())
        if (unit->getTypeId() == typeId(L"Rubble"))
        {
            EXPECT_FALSE(unit->isTaken());
        }
    fixture.run(static_cast<int>(10.0f / kDt), kDt);
    EXPECT_TRUE(restored.isParked(walker)) << "and is back in the base";
}
