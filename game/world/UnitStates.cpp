#include "game/world/UnitStates.h"

#include <cstddef>

const std::array<const wchar_t*, kUnitStateCount> kUnitStateNames = {
    L"idle",     L"upgrade",     L"produce",   L"move",       L"carry",        L"harvest",
    L"destroy",  L"falling",     L"hidden",    L"prepare",    L"moveTo",       L"moveBack",
    L"fireIdle", L"fireDestroy", L"afterFire", L"damageIdle", L"damageRepair",
};

const wchar_t* unitStateName(int state)
{
    return isUnitState(state) ? kUnitStateNames[static_cast<size_t>(state)] : L"";
}
