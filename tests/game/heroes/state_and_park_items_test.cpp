// Holding a unit in a state for a time, setting a stored state, and heroes leaving and
// re-entering the base.
#include "game/heroes/Goal.h"
#include "game/heroes/ParkActionItem.h"
#include "game/heroes/SetUnitStateActionItem.h"
#include "game/heroes/UnParkActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "tests/game/heroes/item_test_tools.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cstring>

using namespace ItemTest;

namespace
{

const std::string kBase =
    "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells>"
    "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

} // namespace

TEST(StateAndParkItems, AUnitIsHeldInAStateForItsTimeAndGoesOnFromItsRecord)
{
    ItemFixture fixture;
    Game& game = fixture.level("");
    const cUnit::Ptr money = fixture.add(L"Money", game.cellToPos(Engine::cPoint(4, 4)));
    auto hold = boost::make_shared<UnitStateActionItem>(money, eUnitState::hidden, 1.5f);
    auto chain = fixture.startChain({hold});
    EXPECT_EQ(money->getState(), eUnitState::hidden);
    fixture.run(1, 1.0f);
    EXPECT_TRUE(chain->isActive());
    EXPECT_EQ(money->getState(), eUnitState::hidden);

    // Saved between its two frames: 22 bytes, read back to the same bytes; the restored item
    // finishes at the second frame without touching the state at its (skipped) start.
    const std::vector<uint8_t> bytes = fixture.record(hold);
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_FLOAT_EQ(floatAt(bytes, 10), 1.0f) << "elapsed";
    EXPECT_FLOAT_EQ(floatAt(bytes, 14), 1.5f) << "duration";
    EXPECT_EQ(int32At(bytes, 18), static_cast<int32_t>(eUnitState::hidden));
    const auto restored = boost::dynamic_pointer_cast<UnitStateActionItem>(fixture.restore(bytes));
    ASSERT_TRUE(restored);
    EXPECT_EQ(fixture.record(restored), bytes);

    fixture.run(1, 1.0f);
    EXPECT_FALSE(chain->isActive());
    EXPECT_FLOAT_EQ(hold->getElapsed(), 1.5f) << "clamped to the duration";
    EXPECT_EQ(money->getState(), eUnitState::idle);

    money->setState(eUnitState::falling, -1);
    game.getController().registerChain(restored);
    EXPECT_EQ(fixture.runUntilDone(restored, 1.0f, 5), 1);
    EXPECT_EQ(money->getState(), eUnitState::idle);

    // Without a unit it only counts its time; a duration of 0 ends at the first frame.
    auto wait = boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::destroy, 0.0f);
    fixture.startChain({wait});
    const std::vector<uint8_t> empty = fixture.record(wait);
    EXPECT_EQ(int32At(empty, 6), -1);
    EXPECT_EQ(fixture.runUntilDone(wait, 0.25f, 5), 1);

    // The state setter exists only as a record: its state comes before its unit.
    std::vector<uint8_t> setter(14, 0);
    const int32_t type = SetUnitStateAction;
    std::memcpy(setter.data(), &type, 4);
    setter[4] = 1; // active
    const int32_t state = static_cast<int32_t>(eUnitState::destroy);
    std::memcpy(setter.data() + 6, &state, 4);
    const std::vector<cUnit::Ptr> units = fixture.numberedUnits();
    const int32_t number = static_cast<int32_t>(std::find(units.begin(), units.end(), money) - units.begin());
    std::memcpy(setter.data() + 10, &number, 4);
    const ActionItem::Ptr set = fixture.restore(setter);
    EXPECT_EQ(fixture.record(set), setter);
    game.getController().registerChain(set);
    EXPECT_EQ(fixture.runUntilDone(set, 0.25f, 5), 1);
    EXPECT_EQ(money->getState(), eUnitState::destroy);
}

TEST(StateAndParkItems, AHeroLeavesTheBaseOntoItsRouteAndParksAgainWithoutItsTool)
{
    ItemFixture fixture;
    Game& game = fixture.level(kBase);
    game.addHero();
    const cUnit::Ptr base = game.getBase();
    ASSERT_TRUE(base);
    const cUnit::Ptr hero = fixture.first(L"hero");
    ASSERT_TRUE(game.isParked(hero));
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(12, 8)));

    auto goal = boost::make_shared<Goal>(market, cGameResources());
    goal->setRoute(boost::make_shared<CellPath>(CellPath{{3, 3}, {4, 3}, {5, 3}}));
    hero->setGoal(goal);
    hero->setState(eUnitState::carry, -1);
    auto unpark = boost::make_shared<UnParkActionItem>(hero);
    auto chain = fixture.startChain({unpark});
    EXPECT_TRUE(game.isParked(hero)) << "nothing happens at the start";
    fixture.run(1, 0.1f);
    EXPECT_FALSE(chain->isActive());
    EXPECT_FALSE(game.isParked(hero));
    EXPECT_EQ(hero->getCell(), Engine::cPoint(3, 3));
    EXPECT_EQ(hero->getOffset(), game.getBasePoint());
    EXPECT_EQ(hero->getState(), eUnitState::idle);

    // A route without cells: the hero sets out from the cell it stands on.
    hero->resetGoal();
    game.parkUnit(hero);
    const Engine::cPoint parkedCell = hero->getCell();
    goal->setRoute(boost::make_shared<CellPath>());
    hero->setGoal(goal);
    fixture.startChain({boost::make_shared<UnParkActionItem>(hero)});
    fixture.run(1, 0.1f);
    EXPECT_FALSE(game.isParked(hero));
    EXPECT_EQ(hero->getCell(), parkedCell);
    EXPECT_EQ(hero->getOffset(), game.getBasePoint());

    // Parking: the tool the hero carries goes when the step starts, the hero parks a frame
    // later at level 0.
    hero->resetGoal();
    const cUnit::Ptr hammer = fixture.add(L"Hammer", game.cellToPos(Engine::cPoint(5, 3)));
    hero->attach(hammer);
    hero->setLevelAndState(1, eUnitState::carry, true);
    auto park = boost::make_shared<ParkActionItem>(hero);
    fixture.startChain({park});
    EXPECT_TRUE(hammer->isRemoved());
    EXPECT_TRUE(hero->getAttached().empty());
    EXPECT_FALSE(game.isParked(hero));
    fixture.run(1, 0.1f);
    EXPECT_TRUE(game.isParked(hero));
    EXPECT_EQ(hero->getLevel(), 0);
    EXPECT_EQ(hero->getState(), eUnitState::idle);

    for (const ActionItem::Ptr& item : {ActionItem::Ptr(park), ActionItem::Ptr(unpark)})
    {
        const std::vector<uint8_t> bytes = fixture.record(item);
        EXPECT_EQ(bytes.size(), 10u);
        EXPECT_EQ(fixture.record(fixture.restore(bytes)), bytes);
    }

    // Without a goal the hero cannot leave: the broken invariant is thrown.
    auto lost = boost::make_shared<UnParkActionItem>(hero);
    lost->start();
    try
    {
        lost->update();
        ADD_FAILURE() << "no error";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "UnParkActionItem::finish(): hero has not active goal");
    }
}

TEST(StateAndParkItems, AContinuedLevelWhoseChainWouldTakeOutAHeroWithoutAGoalIsRefused)
{
    ItemFixture fixture;
    fixture.startProfile();
    Engine::cProps::set<int>(L"CurrentLevel", 961); // the level the fixture writes
    Game& game = fixture.level(kBase);
    game.addHero();
    const cUnit::Ptr hero = fixture.first(L"hero");
    ASSERT_TRUE(game.isParked(hero));
    const cUnit::Ptr market = fixture.add(L"Market", game.cellToPos(Engine::cPoint(12, 8)));

    // Saved as the hero's goal sends it out: continued, the hero sets out.
    auto goal = boost::make_shared<Goal>(market, cGameResources());
    goal->setHero(hero);
    goal->setStatus(Goal::Assigned);
    goal->setRoute(boost::make_shared<CellPath>(CellPath{{3, 3}, {4, 3}, {5, 3}}));
    game.getController().restoreGoal(goal);
    goal->setAction(fixture.startChain({boost::make_shared<UnParkActionItem>(hero)}));
    const std::vector<uint8_t> sent = game.saveLevelBytes();

    // The same chain for a second hero, which holds no goal: refused when read, not a fatal
    // error when the hero would set out.
    game.addHero();
    cUnit::Ptr idle;
    for (const auto& [type, unit] : game.getUnits())
        if (unit->getTypeId() == hero->getTypeId() && unit != hero)
            idle = unit;
    ASSERT_TRUE(idle);
    ASSERT_FALSE(idle->getGoal());
    fixture.startChain({boost::make_shared<UnParkActionItem>(idle)});
    const std::vector<uint8_t> lost = game.saveLevelBytes();
    Game& refused = fixture.newGame();
    EXPECT_ANY_THROW(refused.restoreLevelBytes(lost, "the test's save"));
    Game& continued = fixture.newGame();
    EXPECT_NO_THROW(continued.restoreLevelBytes(sent, "the test's save"));
}
