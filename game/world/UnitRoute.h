#pragma once

#include "engine/core/cVector2.h"

#include <vector>

// An approach route of a unit: where a hero stops to work (an offset from the unit's field
// position) and the waypoints it walks through, each with its facing angle.
struct UnitRoute
{
    struct Step
    {
        Engine::cVector2 point;
        float angle = 0.0f;
    };

    Engine::cVector2 point;
    std::vector<Step> steps;
};
