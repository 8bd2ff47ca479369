#include "game/world/GridPathFinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Engine::cPoint;

// Rows top to bottom ('#' blocked, anything else free); x runs along a row.
void draw(GridPathFinder& finder, const std::vector<std::string>& rows)
{
    finder.setSize(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            finder.setCellFlags(cPoint(static_cast<int>(x), static_cast<int>(y)), rows[y][x] == '#' ? 1 : 0);
    finder.reset();
}

// Counts how often the search asks for a cell's neighbours.
class CountingFinder : public GridPathFinder
{
public:
    CountingFinder() : GridPathFinder(WalkSpeeds()) {}
    void expand(const cPoint& cell, std::vector<Neighbour>& out) const override
    {
        ++expansions;
        GridPathFinder::expand(cell, out);
    }
    mutable int expansions = 0;
};

const float kDiagonal = 0.70710678f;

} // namespace

TEST(GridPathFinder, GridCells)
{
    GridPathFinder finder{WalkSpeeds()};
    finder.setSize(3, 2);
    EXPECT_EQ(finder.getCellFlags({2, 1}), 1); // new cells are blocked
    finder.setCellFlags({2, 1}, 0);
    finder.setCellFlags({0, 0}, 4);
    finder.setSize(4, 4);
    EXPECT_EQ(finder.getCellFlags({2, 1}), 0);
    EXPECT_EQ(finder.getCellFlags({0, 0}), 4);
    EXPECT_EQ(finder.getCellFlags({3, 3}), 1);
    EXPECT_TRUE(finder.inside({3, 3}));
    EXPECT_FALSE(finder.inside({4, 0}));
    EXPECT_FALSE(finder.inside({0, -1}));
    // Outside the grid: reads blocked, writes nothing.
    finder.setCellFlags({-1, 2}, 0);
    finder.setCellFlags({100000, 100000}, 0);
    EXPECT_EQ(finder.getCellFlags({-1, 2}), 1);
    finder.setSize(1, 1);
    EXPECT_EQ(finder.getCellFlags({0, 0}), 4);
}

TEST(GridPathFinder, SpeedsAndStepCosts)
{
    GridPathFinder finder{WalkSpeeds()};
    finder.setSize(3, 1);
    finder.setCellFlags({0, 0}, 0);
    finder.setCellFlags({1, 0}, 2);     // fast
    finder.setCellFlags({2, 0}, 4 | 1); // slow (and blocked: speed ignores that)
    EXPECT_FLOAT_EQ(finder.cellSpeed({0, 0}, false), 2.0f);
    EXPECT_FLOAT_EQ(finder.cellSpeed({1, 0}, false), 3.0f);
    EXPECT_FLOAT_EQ(finder.cellSpeed({2, 0}, false), 1.5f);
    EXPECT_FLOAT_EQ(finder.cellSpeed({0, 0}, true), 1.0f);
    EXPECT_FLOAT_EQ(finder.cellSpeed({1, 0}, true), 1.5f);
    EXPECT_FLOAT_EQ(finder.cellSpeed({2, 0}, true), 0.75f);
    EXPECT_FLOAT_EQ(finder.stepCost({0, 0}, {1, 0}, false), 0.5f / 2.0f + 0.5f / 3.0f);
    EXPECT_FLOAT_EQ(finder.stepCost({0, 0}, {1, 1}, false), kDiagonal / 2.0f + kDiagonal / 2.0f);
    EXPECT_FLOAT_EQ(finder.heuristic({0, 0}, {3, 4}), 2.5f);

    // The man bonus speeds only a carrying hero; the hero bonus speeds every walker the man
    // bonus does not, a carrying hero too.
    WalkSpeeds speeds;
    speeds.heroBonus = 2.0f;
    speeds.manBonus = 4.0f;
    GridPathFinder bonus(speeds);
    bonus.setSize(1, 1);
    bonus.setCellFlags({0, 0}, 0);
    bool heroBonus = true;
    bool manBonus = false;
    bonus.setBonusFlags(&heroBonus, &manBonus);
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, false), 4.0f);
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, true), 2.0f) << "a carrying hero takes the hero bonus";
    manBonus = true;
    heroBonus = false;
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, false), 2.0f);
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, true), 4.0f);
    heroBonus = true;
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, false), 4.0f);
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, true), 4.0f) << "the man bonus alone, never both";
    heroBonus = false;
    manBonus = false;
    EXPECT_FLOAT_EQ(bonus.cellSpeed({0, 0}, true), 1.0f);
    // The estimate ignores flags and bonuses.
    EXPECT_FLOAT_EQ(bonus.heuristic({0, 0}, {0, 4}), 2.0f);
}

TEST(GridPathFinder, StartEqualsGoalLeavesEverythingAlone)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"..", ".."});
    CellPath path = {{9, 9}};
    cPoint closest(5, 5);
    EXPECT_EQ(finder.findPath({1, 1}, {1, 1}, path, closest), GridPathFinder::StartIsGoal);
    EXPECT_EQ(path, (CellPath{{9, 9}}));
    EXPECT_EQ(closest, cPoint(5, 5));
}

TEST(GridPathFinder, StraightAndDiagonalSteps)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"...", "...", "..."});
    CellPath path;
    float cost = 0.0f;
    cPoint closest;
    EXPECT_EQ(finder.search({1, 1}, {2, 1}, path, cost, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{1, 1}, {2, 1}}));
    EXPECT_FLOAT_EQ(cost, 0.5f);
    EXPECT_EQ(finder.search({0, 0}, {2, 2}, path, cost, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_FLOAT_EQ(cost, 2 * kDiagonal);
}

TEST(GridPathFinder, DiagonalPassesBetweenCornerTouchingBlocks)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {".#", "#."});
    CellPath path;
    cPoint closest;
    EXPECT_EQ(finder.findPath({0, 0}, {1, 1}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{0, 0}, {1, 1}}));
}

TEST(GridPathFinder, RouteAroundAWall)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {".....", ".###.", ".#...", ".#.#.", "...#."});
    CellPath path;
    float cost = 0.0f;
    cPoint closest;
    ASSERT_EQ(finder.search({2, 3}, {0, 0}, path, cost, closest), GridPathFinder::Solved);
    EXPECT_EQ(path.front(), cPoint(2, 3));
    EXPECT_EQ(path.back(), cPoint(0, 0));
    for (size_t i = 1; i < path.size(); ++i)
    {
        EXPECT_EQ(finder.getCellFlags(path[i]), 0);
        EXPECT_LE(std::abs(path[i].x - path[i - 1].x), 1);
        EXPECT_LE(std::abs(path[i].y - path[i - 1].y), 1);
    }
    // Round the foot of the wall: (1, 4) and (0, 3) diagonally, then three steps up.
    EXPECT_EQ(path, (CellPath{{2, 3}, {1, 4}, {0, 3}, {0, 2}, {0, 1}, {0, 0}}));
    EXPECT_FLOAT_EQ(cost, 3 * 0.5f + 2 * kDiagonal);
}

TEST(GridPathFinder, BlockedGoalFallsBackToTheClosestCell)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"....#"});
    CellPath path;
    float cost = 0.0f;
    cPoint closest;
    EXPECT_EQ(finder.search({0, 0}, {4, 0}, path, cost, closest), GridPathFinder::NoRoute);
    EXPECT_EQ(closest, cPoint(3, 0));
    EXPECT_TRUE(path.empty());

    closest = kNoCell;
    EXPECT_EQ(finder.findPath({0, 0}, {4, 0}, path, closest), GridPathFinder::ClosestReached);
    EXPECT_EQ(closest, cPoint(3, 0));
    EXPECT_EQ(path, (CellPath{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
}

TEST(GridPathFinder, FarWalledGoalHasNoRoute)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"..#...", "..#...", "..#..."});
    CellPath path = {{7, 7}};
    cPoint closest = kNoCell;
    EXPECT_EQ(finder.findPath({0, 1}, {5, 1}, path, closest), GridPathFinder::NoRoute);
    EXPECT_EQ(closest, cPoint(1, 1));
    EXPECT_EQ(path, (CellPath{{7, 7}}));

    // A start without any free neighbour reaches nothing.
    draw(finder, {".#", "##"});
    EXPECT_EQ(finder.findPath({0, 0}, {1, 1}, path, closest), GridPathFinder::NoRoute);
    EXPECT_EQ(closest, kNoCell);
}

TEST(GridPathFinder, EqualTotalsPopInPushOrder)
{
    // Two routes of equal cost round the blocked centre. Neighbours are listed E, SE, S, SW,
    // W, NW, N, NE: the first listed side is pushed first and wins the tie.
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"...", ".#.", "..."});
    CellPath path;
    cPoint closest;
    ASSERT_EQ(finder.findPath({0, 0}, {2, 2}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{0, 0}, {1, 0}, {2, 1}, {2, 2}}));
    ASSERT_EQ(finder.findPath({2, 2}, {0, 0}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{2, 2}, {1, 2}, {0, 1}, {0, 0}}));

    // (2, 3) is first reached over (1, 2), then over (2, 2) for a cost lower only in the
    // last bit (the same steps added in another order): its float total is unchanged, so it
    // keeps its place ahead of the cells of that total pushed after it, and the route takes
    // the new parent.
    draw(finder, {".....", ".....", ".....", ".....", "....."});
    ASSERT_EQ(finder.findPath({0, 0}, {2, 4}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{0, 0}, {1, 1}, {2, 2}, {2, 3}, {2, 4}}));
}

TEST(GridPathFinder, StartOutsideTheGrid)
{
    GridPathFinder finder{WalkSpeeds()};
    draw(finder, {"...", "..."});
    CellPath path;
    cPoint closest;
    EXPECT_EQ(finder.findPath({-1, 0}, {2, 0}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, (CellPath{{-1, 0}, {0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(finder.findPath({-5, -5}, {2, 0}, path, closest), GridPathFinder::NoRoute);
    EXPECT_EQ(finder.findPath({3, 1}, {0, 1}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path.front(), cPoint(3, 1));
}

TEST(GridPathFinder, NeighbourCacheIsBoundedAndLastsUntilReset)
{
    CountingFinder finder;
    finder.setSize(60, 60);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 60; ++y)
            finder.setCellFlags({x, y}, (x == 30 && y < 55) ? 1 : 0);
    finder.reset();
    CellPath path;
    cPoint closest;
    ASSERT_EQ(finder.findPath({0, 0}, {59, 0}, path, closest), GridPathFinder::Solved);
    const int first = finder.expansions;
    EXPECT_GT(first, 200);
    EXPECT_LE(finder.cacheFill(), GridSearch::kCacheCapacity);
    EXPECT_GT(finder.cacheFill(), GridSearch::kCacheCapacity - 8);

    // The same search again: the cached cells are not expanded, the rest are.
    finder.expansions = 0;
    const CellPath firstPath = path;
    ASSERT_EQ(finder.findPath({0, 0}, {59, 0}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(path, firstPath);
    EXPECT_GT(finder.expansions, 0);
    EXPECT_LT(finder.expansions, first);

    finder.reset();
    EXPECT_EQ(finder.cacheFill(), 0);
    finder.expansions = 0;
    ASSERT_EQ(finder.findPath({0, 0}, {59, 0}, path, closest), GridPathFinder::Solved);
    EXPECT_EQ(finder.expansions, first);
    EXPECT_EQ(path, firstPath);
}
