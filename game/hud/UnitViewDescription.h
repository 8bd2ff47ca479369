#pragma once

#include "game/world/UnitStates.h"

#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

class ViewState;

namespace Engine
{
class cProperties;
}

// How a unit type looks: its view states by name and, per upgrade level, which view state
// shows each unit state (the "UpStatesMatrix"). Read from "Units/" + type name + ".xml".
class UnitViewDescription
{
public:
    using Row = std::map<int, boost::shared_ptr<ViewState>>;

    explicit UnitViewDescription(int unitTypeId) : typeId(unitTypeId) {}

    // The root's "name", the "ViewStates" (by "Name"; an empty name is skipped, the first of
    // two equal names stays) and the "UpStatesMatrix" rows, level 0 first.
    void load(const boost::shared_ptr<Engine::cProperties>& root);
    // The view state shown at an upgrade level in a unit state; empty when none.
    boost::shared_ptr<ViewState> getStateName(int level, eUnitState state) const;

    int typeId;
    std::wstring name;
    std::map<std::wstring, boost::shared_ptr<ViewState>> states;
    std::vector<Row> rows;
};
