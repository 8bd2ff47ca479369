#pragma once

#include "engine/core/cPoint.h"

#include <utility>
#include <vector>

// What the best-first route search asks of a graph of grid cells.
class SearchGraph
{
public:
    using Neighbour = std::pair<Engine::cPoint, float>; // cell and step cost

    virtual ~SearchGraph() = default;
    // Estimated cost from one cell to another.
    virtual float heuristic(const Engine::cPoint& from, const Engine::cPoint& to) const = 0;
    // Appends the neighbours of a cell with their step costs.
    virtual void expand(const Engine::cPoint& cell, std::vector<Neighbour>& out) const = 0;
    // A debugging hook; prints nothing by default.
    virtual void printCell(const Engine::cPoint&) const {}
};
