#pragma once

#include "engine/core/cPoint.h"
#include "game/world/GridSearch.h"
#include "game/world/SearchGraph.h"
#include "game/world/WalkSpeeds.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One cell of a level grid. Bit value 1: blocked; 2: fast cell; 4: slow cell. The level model
// writes only 0 (free) and 1 (blocked).
using CellFlags = uint16_t;
constexpr CellFlags kCellBlocked = 1;
constexpr CellFlags kCellFast = 2;
constexpr CellFlags kCellSlow = 4;

// The cell no search reached.
constexpr Engine::cPoint kNoCell(-1, -1);

using CellPath = std::vector<Engine::cPoint>;

// The finder's result `NoRoute` has the name of the unit problem of the same meaning
// (UnitProblem's `NoRoute`, also 1): inside the finder it names the finder's own result, which
// is what the shadowing gives.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
// A level's walkability grid and the route search over it: the time a hero needs to walk
// from cell to cell in eight directions. Diagonal steps need nothing of the two cells beside
// them, so a route may pass between two blocked cells that touch at a corner.
class GridPathFinder : public SearchGraph
{
public:
    // Results of findPath and search.
    enum
    {
        Solved = 0,
        NoRoute = 1,
        StartIsGoal = 2,
        ClosestReached = 3, // findPath only: the path leads to the closest cell
    };

    // Walks at the speeds of the game configuration.
    GridPathFinder();
    explicit GridPathFinder(const WalkSpeeds& speeds);

    // Cells inside both the old and the new extents keep their value; all others are blocked.
    // Resets the search.
    void setSize(int width, int height);
    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    bool inside(const Engine::cPoint& cell) const;
    // A cell outside the grid reads as blocked, and writing it changes nothing: cells come
    // from level and save files, which may name any cell.
    CellFlags getCellFlags(const Engine::cPoint& cell) const;
    void setCellFlags(const Engine::cPoint& cell, CellFlags flags);
    // Forgets the search's nodes and its cache of neighbours; call it after changing cells.
    void reset();

    // The level model's speed-bonus flags, read at every speed computation (none when null).
    void setBonusFlags(const bool* heroBonus, const bool* manBonus);
    const WalkSpeeds& getSpeeds() const { return m_speeds; }

    // Cells per second on a cell, for a hero (man = false) or a man.
    float cellSpeed(const Engine::cPoint& cell, bool man) const;
    // Seconds from a to b: half the step on each cell.
    float stepCost(const Engine::cPoint& a, const Engine::cPoint& b, bool man) const;

    // Straight-line distance over the hero speed.
    float heuristic(const Engine::cPoint& from, const Engine::cPoint& to) const override;
    // Free neighbours inside the grid in the order E, SE, S, SW, W, NW, N, NE, with their
    // hero step costs.
    void expand(const Engine::cPoint& cell, std::vector<Neighbour>& out) const override;

    // A route from start to goal into `path`. When the goal cannot be reached, `closest`
    // receives the reached cell nearest to it; when that cell lies less than two cells from
    // the goal, the path leads there instead and the result is ClosestReached.
    int findPath(const Engine::cPoint& start, const Engine::cPoint& goal, CellPath& path,
                 Engine::cPoint& closest);
    // One search: Solved, NoRoute or StartIsGoal.
    int search(const Engine::cPoint& start, const Engine::cPoint& goal, CellPath& path, float& cost,
               Engine::cPoint& closest);

    // Entries of the neighbour cache in use (for tests and diagnostics).
    int cacheFill() const { return m_search.cacheFill(); }

private:
    size_t cellIndex(const Engine::cPoint& cell) const;

    WalkSpeeds m_speeds;
    int m_width = 0;
    int m_height = 0;
    std::vector<CellFlags> m_cells; // [x][y]: x * height + y
    const bool* m_heroBonus = nullptr;
    const bool* m_manBonus = nullptr;
    GridSearch m_search;
};
#pragma GCC diagnostic pop
