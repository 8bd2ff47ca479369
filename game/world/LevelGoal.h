#pragma once

#include "game/world/cUnit.h"

#include <boost/weak_ptr.hpp>

#include <string>

// One goal of the level: a unit whose "TargetType" makes it something the player must reach.
// The kinds say how the goal is judged (see Game::countOpenGoals):
//   0  the unit's goal is fulfilled (targetReached), "TargetType" 3
//   1  the unit reached its "TargetLevel" 1; 5 the same for any other "TargetLevel"
//   2  a barrier was cleared away (targetReached), "TargetType" 2 on a barrier
//   6  the unit's fire was put out, "TargetType" 4
// A goal whose unit has left the field counts as reached.
struct LevelGoal
{
    LevelGoal() = default;
    LevelGoal(int goalKind, const cUnit::Ptr& unit)
        : kind(goalKind), target(unit), typeId(unit ? unit->getTypeId() : -1)
    {
    }

    int kind = 0;
    boost::weak_ptr<cUnit> target;
    int typeId = -1;
    bool done = false;
    // The briefing shown when the goal is reached ("BreafId" of the unit); may be empty.
    std::string breafId;
    // The group of the goal's row in the status panel ("GoalCategory").
    std::string goalCategory;
};
