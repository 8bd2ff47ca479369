// Whether a unit can be served now, and what it costs, as the planner answers before anything
// is queued: the answers come in a fixed order (what is never served, a busy unit, a taken
// one, then a burning or damaged unit's own cost, then the unit's kind; among route, stock and
// heroes, a unit out of reach first, then a stock that falls short, then a hero missing).
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/heroes/heroes_test_tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

// The street (rows 0 to 2) with the town hall at its left end; a wall of closed cells below it
// shuts the field off from row 3 down.
std::string street(const std::string& buildings, const std::string& resources)
{
    return "<Level>" + freeCells(0, 0, 30, 2) + cells(0, 5, 30, 20) + "<InitialResources>" + resources +
           "</InitialResources><Buildings><Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells>"
           "<Cell Pos=\"2;2\"/></FreeCells><CameOffsetPoints><Route "
           "Pos=\"40;0\"/></CameOffsetPoints></Unit>" +
           buildings + "</Buildings></Level>";
}

std::string unitAt(const char* type, int x, int y, const std::string& more = "")
{
    return std::string("<Unit Type=\"") + type + "\" Position=\"" + std::to_string(x * 20 + 10) + ";" +
           std::to_string(y * 20 + 10) + "\"" + more + "/>";
}

cGameResources money(int count)
{
    cGameResources set;
    set.insert(resourceId(L"Money"), count);
    return set;
}

class UnitProblems : public HeroesFixture
{
public:
    UnitProblem ask(const cUnit::Ptr& unit)
    {
        cost.clear();
        blocked = Engine::cPoint(-7, -7);
        return controller().getUnitProblem(unit, cost, blocked);
    }

    cGameResources cost;
    Engine::cPoint blocked;
};

} // namespace

TEST(UnitProblem, WhatIsNeverServedBusyAndTakenComeBeforeRouteStockAndHeroes)
{
    UnitProblems fixture;
    // Nothing in stock; the far rubble lies beyond the wall.
    Game& game = fixture.load(940, street(unitAt("Rubble", 10, 1) + unitAt("Rubble", 10, 12) +
                                              unitAt("Pigeons", 14, 1) + unitAt("Hospital", 18, 1) +
                                              unitAt("Cart", 22, 1) + unitAt("Mason", 24, 1),
                                          ""));
    game.addHero();
    fixture.settle();
    const cUnit::Ptr hero = game.getBase()->getAttached().front();
    const cUnit::Ptr near = fixture.first(L"Rubble");
    const cUnit::Ptr far = fixture.first(L"Rubble", 2);

    // Heroes, tools and the scenery are never served, whatever their state.
    hero->setState(eUnitState::move, -1);
    EXPECT_EQ(fixture.ask(hero), NotServiceable);
    hero->setState(eUnitState::idle, -1);
    const cUnit::Ptr shovel =
        game.addUnit(typeId(L"Shovel"), 0, -1, eUnitState::idle, 0.0f, game.cellToPos({6, 1}), {}, L"");
    EXPECT_EQ(fixture.ask(shovel), NotServiceable);
    EXPECT_EQ(fixture.ask(fixture.first(L"Pigeons")), NotServiceable);
    // The base, a service, a transport and a worker are no one's goal either.
    for (const wchar_t* type : {L"TownHall", L"Hospital", L"Cart", L"Mason"})
        EXPECT_EQ(fixture.ask(fixture.first(type)), NotServiceable) << Engine::toUtf8(type);

    // A busy unit is busy before it is taken; a taken one is taken before its way and cost
    // are looked at.
    far->setTaken(-1);
    far->setState(eUnitState::destroy, -1);
    EXPECT_EQ(fixture.ask(far), Busy);
    far->setState(eUnitState::idle, -1);
    EXPECT_EQ(fixture.ask(far), AlreadyTaken);
    EXPECT_EQ(fixture.blocked, Engine::cPoint(-7, -7)) << "no route was searched";
    far->clearTaken();

    // Out of reach and too dear: out of reach, with the reached cell nearest to it.
    EXPECT_EQ(fixture.ask(far), NoRoute);
    EXPECT_NE(fixture.blocked, Engine::cPoint(-7, -7));
    EXPECT_EQ(fixture.cost.getCount(resourceId(L"Money")), 2) << "the cost is the rubble's";
    // Within reach, too dear and every hero out: the stock falls short first.
    game.getBase()->detach(hero);
    ASSERT_FALSE(game.isParked(hero));
    EXPECT_EQ(fixture.ask(near), NotEnoughResources);
    EXPECT_EQ(fixture.blocked, Engine::cPoint(-7, -7)) << "the blocked cell only for a unit out of reach";
    // Paid for, with every hero out: the goal may wait.
    game.addResources(money(2));
    EXPECT_EQ(fixture.ask(near), NoFreeHero);
    game.parkUnit(hero);
    EXPECT_EQ(fixture.ask(near), NoProblem);
}

TEST(UnitProblem, ABurningOrDamagedUnitIsJudgedByItsOwnCostAndAMillByWhatLiesThere)
{
    UnitProblems fixture;
    HeroesFixture::describe({"Market", "Money"});
    Game& game = fixture.load(
        941, street(unitAt("Rubble", 8, 1, " InFire=\"1\"") + unitAt("Road", 12, 1, " Level=\"1\"") +
                        unitAt("Road", 14, 1, " Level=\"1\" IsDamaged=\"1\"") +
                        unitAt("Market", 18, 1, " Level=\"1\"") +
                        unitAt("Market", 22, 1, " Level=\"1\" InFire=\"1\""),
                    "<Res Name=\"Money\" Count=\"50\"/><Res Name=\"Brick\" Count=\"9\"/>"));
    game.addHero();
    fixture.settle();

    // A burning barrier costs what putting the fire out costs, not what clearing it would.
    const auto fire = GameConfig::instance().getFakeFireBarrier()->levels.front();
    const cUnit::Ptr burning = fixture.first(L"Rubble");
    EXPECT_EQ(fixture.ask(burning), NoProblem);
    EXPECT_EQ(fixture.cost.getCount(resourceId(L"Money")), fire->resIn.getCount(resourceId(L"Money")));
    ASSERT_NE(fire->resIn.getCount(resourceId(L"Money")), 2);

    // A road at its last level is not served; damaged, it is repaired all the same, and the
    // upgrade check skips the level test for it.
    const cUnit::Ptr built = fixture.first(L"Road");
    const cUnit::Ptr damaged = fixture.first(L"Road", 2);
    EXPECT_EQ(fixture.ask(built), NotServiceable);
    EXPECT_EQ(fixture.ask(damaged), NoProblem);
    Engine::cPoint cell;
    EXPECT_EQ(fixture.controller().checkUpgradeGoal(built, cGameResources(), false, cell), NotServiceable);
    EXPECT_EQ(fixture.controller().checkUpgradeGoal(damaged, cGameResources(), false, cell), NoProblem);

    // A producing market with nothing lying at it: nothing in the way, and no cost.
    const cUnit::Ptr market = fixture.first(L"Market");
    fixture.cost.assign(money(7));
    EXPECT_EQ(fixture.controller().getUnitProblem(market, fixture.cost, cell), NoProblem);
    EXPECT_EQ(fixture.cost.getCount(resourceId(L"Money")), 7) << "the cost is left as it was";
    // With a heap lying there, the heap answers: taken by a goal of its own, the market is too.
    fixture.controller().onAutoProduced();
    ASSERT_EQ(market->getAttached().size(), 1u);
    const cUnit::Ptr heap = market->getAttached().front();
    heap->setTaken(-1);
    EXPECT_EQ(fixture.ask(market), AlreadyTaken);
    heap->clearTaken();
    EXPECT_EQ(fixture.ask(market), fixture.ask(heap));
    // A burning market is judged by its fire, not by what lies at it.
    const cUnit::Ptr burningMarket = fixture.first(L"Market", 2);
    EXPECT_EQ(fixture.ask(burningMarket), NoProblem);
    EXPECT_EQ(fixture.cost.getItems(), burningMarket->getActiveLevelInfo()->resIn.getItems());
}
