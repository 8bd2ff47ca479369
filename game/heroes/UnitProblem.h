#pragma once

#include <cstdint>

// Why a unit cannot be served now; saved and passed as a 32-bit value.
enum UnitProblem : int32_t
{
    NoProblem = 0,          // the unit can be served now
    NoRoute = 1,            // no path leads from the base to the unit
    NoFreeHero = 2,         // a path exists but no hero is parked; the goal may still wait
    NotEnoughResources = 3, // the level's resources do not cover the cost
    AlreadyTaken = 4,       // another goal has taken the unit
    Busy = 5,               // the unit's state forbids service
    NoDestination = 6,      // no unit of an animal's destination type can take it
    NotServiceable = 7,     // never served, or already at its last upgrade level
};
