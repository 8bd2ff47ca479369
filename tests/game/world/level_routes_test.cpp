// Routes planned from the base, the obstacle in the way, tools for the heroes, and heroes
// parked in the base.
#include "game/world/UnitTypeInfo.h"
#include "tests/game/world/game_test_tools.h"

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using namespace GameTest;

namespace
{

// A town hall at cell (2, 2) covering (2, 2) and (3, 2); heroes leave it 40 units to the right.
std::string base(int level = 0)
{
    return "<Unit Type=\"TownHall\" Position=\"50;50\" Level=\"" + std::to_string(level) +
           "\"><FreeCells><Cell Pos=\"2;2\"/><Cell Pos=\"3;2\"/></FreeCells>"
           "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";
}

cUnit::Ptr first(Game& game, const wchar_t* type)
{
    const auto found = game.getUnits().find(typeId(type));
    return found == game.getUnits().end() ? cUnit::Ptr() : found->second;
}

} // namespace

TEST(LevelRoutes, ThePlanTakesTheShortestReachableApproach)
{
    GameFixture fixture;
    // The rubble at cell (12, 5) has three approaches: one into the closed cell (12, 15) far
    // from every free cell, one 10 cells away on the right, one to the left that is nearer.
    const std::string rubble =
        "<Unit Type=\"Rubble\" Position=\"250;110\"><FreeCells><Cell Pos=\"12;5\"/></FreeCells>"
        "<CameOffsetPoints><Route Pos=\"0;200\"/><Route Pos=\"200;0\"/>"
        "<Route Pos=\"-35;3\"><Step Pos=\"-30;0\" Angle=\"90\"/></Route></CameOffsetPoints></Unit>";
    Game& game = fixture.load(910, "<Level>" + freeCells(0, 0, 30, 10) + "<Buildings>" + base() + rubble +
                                       "</Buildings></Level>");
    const cUnit::Ptr target = first(game, L"Rubble");
    Engine::cPoint closest = kNoCell;
    RoutePlan plan;
    game.chooseRouteForGoal(target, closest, plan);
    ASSERT_TRUE(plan.path);
    EXPECT_EQ(plan.path->front(), Engine::cPoint(2, 2)) << "from the base's cell";
    EXPECT_EQ(plan.path->back(), Engine::cPoint(10, 5));
    // The approach point (215, 113) lies 5 right and 3 down of the last cell's centre.
    EXPECT_EQ(plan.endOffset, Engine::cVector2(5.0f, 3.0f));
    ASSERT_EQ(plan.route.steps.size(), 1u);
    EXPECT_EQ(plan.route.steps[0].angle, 90.0f);

    // A walker already on the approach cell gets an empty route at once.
    const RoutePlan here = game.planRoute(target, Engine::cPoint(10, 5), closest);
    ASSERT_TRUE(here.path);
    EXPECT_TRUE(here.path->empty());

    // Lengths leave the last step out.
    auto points = boost::make_shared<CellPath>(CellPath{{0, 0}, {3, 4}, {3, 5}});
    EXPECT_FLOAT_EQ(Game::pathLength(points), 5.0f);
    EXPECT_FLOAT_EQ(Game::pathLength(boost::make_shared<CellPath>()), 0.0f);
}

TEST(LevelRoutes, AnUnreachableUnitShowsTheObstacleInTheWay)
{
    GameFixture fixture;
    // A corridor along row 5 from the base's exit; junk blocks it at cell (8, 5); a well stands
    // at its end. A second well lies where no level cell leads.
    const std::string corridor = "<FreeCells>" + cells(0, 0, 5, 5) + cells(6, 5, 20, 5) + "</FreeCells>";
    Game& game = fixture.load(
        911,
        "<Level>" + corridor + "<Buildings>" + base() +
            "<Unit Type=\"JunkPile\" Position=\"170;110\"><FreeCells><Cell Pos=\"8;5\"/></FreeCells></Unit>"
            "<Unit Type=\"Well\" Position=\"310;110\" TargetType=\"1\" TargetLevel=\"1\">"
            "<CameOffsetPoints><Route Pos=\"-20;0\"/></CameOffsetPoints></Unit>"
            "<Unit Type=\"Statue\" Position=\"510;310\"/></Buildings></Level>");
    const cUnit::Ptr well = first(game, L"Well");
    Engine::cPoint closest = kNoCell;
    RoutePlan plan;
    game.chooseRouteForGoal(well, closest, plan);
    EXPECT_FALSE(plan.path) << "the junk closes the corridor";
    EXPECT_EQ(closest, Engine::cPoint(7, 5));
    EXPECT_EQ(game.findObstacle(well), game.cellToPos(Engine::cPoint(8, 5)));
    EXPECT_EQ(game.findObstacle(first(game, L"Statue")), Engine::cVector2(-1000.0f, -1000.0f));

    // Clearing the junk opens the way.
    first(game, L"JunkPile")->destroy();
    game.chooseRouteForGoal(well, closest, plan);
    ASSERT_TRUE(plan.path);
    EXPECT_EQ(plan.path->back(), Engine::cPoint(14, 5));
    EXPECT_EQ(game.findObstacle(well), Engine::cVector2(0.0f, 0.0f)) << "nothing covers the way any more";
}

TEST(LevelRoutes, HeroesParkOnTheBasesPointsAndTakeTheirTools)
{
    GameFixture fixture;
    Game& game = fixture.load(
        912, GameFixture::levelXml(base(2) + "<Unit Type=\"Rubble\" Position=\"250;110\"/>"
                                             "<Unit Type=\"Money\" Position=\"290;110\"/>"
                                             "<Unit Type=\"Market\" Position=\"330;150\" Level=\"1\"/>"
                                             "<Unit Type=\"Well\" Position=\"370;150\" InFire=\"1\"/>"));
    const cUnit::Ptr townHall = game.getBase();
    ASSERT_TRUE(townHall);
    EXPECT_EQ(game.getBasePoint(), Engine::cVector2(40.0f, 0.0f));

    game.addHero();
    ASSERT_EQ(townHall->getAttached().size(), 3u) << "a base at level 2 houses three heroes";
    const Engine::cVector2 points[] = {{-26, 34}, {0, 38}, {26, 34}};
    int i = 0;
    for (const cUnit::Ptr& hero : townHall->getAttached())
    {
        EXPECT_TRUE(game.isParked(hero));
        EXPECT_EQ(hero->getState(), eUnitState::idle);
        EXPECT_EQ(hero->getCell(), townHall->getCell());
        EXPECT_EQ(hero->getOffset(), points[i++]);
    }

    // A hero beyond the four points shares the last one instead of failing.
    for (int extra = 0; extra < 2; ++extra)
        game.parkUnit(game.addUnit(typeId(L"hero"), 0, -1, eUnitState::hidden, 0.0f, {}, {}, L""));
    EXPECT_EQ(townHall->getAttached().size(), 5u);
    EXPECT_EQ(townHall->getAttached().back()->getOffset(), GameConfig::instance().getParkingOffset(2, 3));
    // Parking a parked hero again does not attach it twice.
    game.parkUnit(townHall->getAttached().front());
    EXPECT_EQ(townHall->getAttached().size(), 5u);

    const cUnit::Ptr hero = townHall->getAttached().front();
    const cUnit::Ptr shovel = game.attachTool(hero, first(game, L"Rubble"));
    ASSERT_TRUE(shovel);
    EXPECT_EQ(shovel->getTypeId(), typeId(L"Shovel"));
    EXPECT_EQ(shovel->getParent(), hero);
    EXPECT_EQ(shovel->getCell(), townHall->getCell());
    EXPECT_EQ(shovel->getOffset(), game.getBasePoint());
    EXPECT_EQ(game.attachTool(hero, first(game, L"Well")), shovel) << "a hero keeps the tool it carries";

    const cUnit::Ptr other = *std::next(townHall->getAttached().begin());
    EXPECT_FALSE(game.attachTool(other, first(game, L"Money"))) << "a pile needs no tool";
    EXPECT_EQ(game.attachTool(other, first(game, L"Well"))->getTypeId(), typeId(L"Extinguisher"));
    const cUnit::Ptr third = *std::next(townHall->getAttached().begin(), 2);
    EXPECT_EQ(game.attachTool(third, first(game, L"Market"))->getTypeId(), typeId(L"Toolbox"))
        << "a built mill is repaired";
}

TEST(LevelRoutes, AnimalsAreTakenOnlyToAnOpenHospitalThatCanBeReached)
{
    GameFixture fixture;
    Game& game = fixture.load(
        913,
        GameFixture::levelXml(base() + "<Unit Type=\"Hospital\" Position=\"410;110\"/>"
                                       "<Unit Type=\"Hospital\" Position=\"490;190\" Level=\"1\">"
                                       "<CameOffsetPoints><Route Pos=\"-40;0\"/></CameOffsetPoints></Unit>"));
    boost::shared_ptr<CellPath> path;
    Engine::cVector2 endOffset;
    const cUnit::Ptr hospital =
        game.routeToUnitOfType(typeId(L"Hospital"), Engine::cPoint(5, 5), true, path, endOffset);
    ASSERT_TRUE(hospital);
    EXPECT_EQ(hospital->getLevel(), 1) << "the closed hospital is passed over";
    ASSERT_TRUE(path);
    EXPECT_EQ(path->back(), Engine::cPoint(22, 9));
    hospital->setState(eUnitState::upgrade, -1);
    EXPECT_FALSE(game.routeToUnitOfType(typeId(L"Hospital"), Engine::cPoint(5, 5), true, path, endOffset))
        << "a busy hospital takes no animal";
    EXPECT_FALSE(path);
}
