#pragma once

#include "engine/core/cVector2.h"
#include "game/world/UnitStates.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>

#include <map>
#include <string>
#include <vector>

class ViewState;

namespace Engine
{
class cProperties;
}

// How a unit type looks, read from "Units/" + type name + ".xml": its view states by name,
// which view state shows for each upgrade level and unit state (the "UpStatesMatrix"), and
// where the head-up pieces sit over a unit of the type: the goal tick, the progress bar, the
// upgrade button, the upgrade indicator and the selection pictures of the tooltips.
//
// Root attributes: "name", "goalTickOffset", "progressOffset", "upgradeButtonOffset" (each
// (0, 0) when absent; an upgrade button offset of -1000;-1000 means no upgrade button) and
// "upgradeIndicatorOffset" (-1000;-1000 when absent). Children: "UpgradeButtons" and
// "UpgradeIndicators" (one child with "pos" per level or indicator number), "Selection"
// (children with "number" and "pos"), "ViewStates" (see ViewState) and "UpStatesMatrix" (one
// child per upgrade level, level 0 first, whose attributes name the view state of each unit
// state). Children of one list are read in document order only when they share one element
// name, so every list uses a single element name.
class UnitViewDescription : public boost::enable_shared_from_this<UnitViewDescription>
{
public:
    using StatePtr = boost::shared_ptr<ViewState>;
    using Row = std::map<int, StatePtr>;

    // `source` names the file in error texts.
    explicit UnitViewDescription(int unitTypeId, std::string source = std::string());
    ~UnitViewDescription();

    // Reads the root's offsets, the position lists and the states. A matrix entry naming a
    // view state the file does not define throws a text naming the file and the state.
    void load(const boost::shared_ptr<Engine::cProperties>& root);
    void loadStates(const boost::shared_ptr<Engine::cProperties>& root);

    // The view state to show at an upgrade level in a unit state: the matrix row's entry for
    // the state, else the row's "idle" entry, else (no row for the level) the state named
    // "idle"; empty when there is none.
    StatePtr getStateName(unsigned level, eUnitState state) const;

    // For every view state: the part views leave the unit views holding them, then every view
    // is hidden. The play state calls both before the level's views are deleted.
    void detachStates();
    void hideStates();
    // Lets go of every view of every state.
    void release();

    int getTypeId() const { return m_typeId; }
    const std::wstring& getName() const { return m_name; }
    const std::string& getSource() const { return m_source; }
    const Engine::cVector2& getGoalTickOffset() const { return m_goalTickOffset; }
    const Engine::cVector2& getProgressOffset() const { return m_progressOffset; }
    const Engine::cVector2& getUpgradeButtonOffset() const { return m_upgradeButtonOffset; }
    const std::vector<Engine::cVector2>& getUpgradeButtonPositions() const
    {
        return m_upgradeButtonPositions;
    }
    const std::vector<Engine::cVector2>& getUpgradeIndicatorPositions() const
    {
        return m_upgradeIndicatorPositions;
    }
    const Engine::cVector2& getUpgradeIndicatorOffset() const { return m_upgradeIndicatorOffset; }
    const std::map<int, Engine::cVector2>& getSelectionOffsets() const { return m_selectionOffsets; }
    const std::map<std::wstring, StatePtr>& getStates() const { return m_states; }
    const std::vector<boost::shared_ptr<Row>>& getRows() const { return m_rows; }

    // The one unit type whose states are parsed when the file is read, not on first use.
    static constexpr int kParseNowTypeId = 47;

private:
    int m_typeId;
    std::wstring m_name;
    Engine::cVector2 m_goalTickOffset{0.0f, 0.0f};
    Engine::cVector2 m_progressOffset{0.0f, 0.0f};
    Engine::cVector2 m_upgradeButtonOffset{-1000.0f, -1000.0f};
    std::vector<Engine::cVector2> m_upgradeButtonPositions;
    std::vector<Engine::cVector2> m_upgradeIndicatorPositions;
    Engine::cVector2 m_upgradeIndicatorOffset{-1000.0f, -1000.0f};
    std::map<int, Engine::cVector2> m_selectionOffsets;
    std::map<std::wstring, StatePtr> m_states;
    std::vector<boost::shared_ptr<Row>> m_rows;
    std::string m_source;
};
