#pragma once

#include "engine/core/cVector2.h"
#include "game/world/GridPathFinder.h"
#include "game/world/UnitRoute.h"

#include <boost/shared_ptr.hpp>

// What a route search of the level gives the goal planner: the cells to walk (an empty
// pointer when there is no route; an empty list when the walker stands on the goal already),
// the offset from the centre of the last cell to the point where the walker stops, and the
// approach route of the target that was chosen.
struct RoutePlan
{
    boost::shared_ptr<CellPath> path;
    Engine::cVector2 endOffset;
    UnitRoute route;
};
