#pragma once

#include "game/heroes/UnitProblem.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <list>

class cUnit;

namespace Engine
{
class cView;
}

// The tips shown over units: why a clicked unit cannot be served, what a unit under the
// pointer is and costs. One manager serves the whole run.
//
// This is the manager's bookkeeping: which unit's tip is shown, with which problem, and the
// tips waiting behind it. The tooltip windows that show them join it with the game's views.
class TooltipManager
{
public:
    struct Tip
    {
        boost::weak_ptr<cUnit> unit;
        UnitProblem problem = NoProblem;
    };

    static TooltipManager& instance();

    TooltipManager(const TooltipManager&) = delete;
    TooltipManager& operator=(const TooltipManager&) = delete;

    // Problem 3 gets its own tip over the unit; others go to showProblemTip.
    void onUnitProblem(boost::shared_ptr<cUnit> unit, UnitProblem problem);
    // Shows the tip of problems 0 to 5 at the unit; other problems show nothing.
    void showProblemTip(boost::shared_ptr<cUnit> unit, UnitProblem problem);
    // The pointer entered / left a unit view.
    void onUnitViewHover(Engine::cView* view);
    void onUnitViewLeave(Engine::cView* view);
    // The base's attached units changed: a shown tip is shown again.
    void onUnitChanged(boost::shared_ptr<cUnit> unit);
    // A unit left the field: its tip goes, current or first waiting.
    void onUnitRemoved(boost::shared_ptr<cUnit> unit);
    // A unit changed level: the shown tip is shown again.
    void onUnitUpdated(boost::shared_ptr<cUnit> unit);
    // Hides the shown tip and drops the waiting ones.
    void reset();
    // Shows the current unit's tip again, then the first waiting one.
    void refresh();

    bool isShown() const { return m_shown; }
    boost::shared_ptr<cUnit> getCurrentUnit() const { return m_current.unit.lock(); }
    UnitProblem getCurrentProblem() const { return m_current.problem; }
    const std::list<Tip>& getPending() const { return m_pending; }
    // How often a tip was (re)shown, for the views to follow.
    int getShowCount() const { return m_showCount; }

private:
    TooltipManager() = default;
    void show(const boost::shared_ptr<cUnit>& unit, UnitProblem problem);

    Tip m_current;
    bool m_shown = false;
    std::list<Tip> m_pending;
    int m_showCount = 0;
};
