#pragma once

#include <array>
#include <cstdint>

// The states a unit moves through while the level runs. The values are stored and saved as
// 32-bit integers, so their order is fixed.
enum class eUnitState : int32_t
{
    idle = 0,
    upgrade,
    produce,
    move,
    carry,
    harvest,
    destroy,
    falling,
    hidden,
    prepare,
    moveTo,
    moveBack,
    fireIdle,
    fireDestroy,
    afterFire,
    damageIdle,
    damageRepair,
};

constexpr int kUnitStateCount = 17;

// The name of each state, indexed by its value. The unit view descriptions use these words
// as the attribute names of their "UpStatesMatrix" rows.
extern const std::array<const wchar_t*, kUnitStateCount> kUnitStateNames;

// The name of a state value; an empty text for a value outside the table.
const wchar_t* unitStateName(int state);
inline const wchar_t* unitStateName(eUnitState state)
{
    return unitStateName(static_cast<int>(state));
}

// True for the values 0 to 16.
constexpr bool isUnitState(int value)
{
    return value >= 0 && value < kUnitStateCount;
}
