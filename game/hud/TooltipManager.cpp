#include "game/hud/TooltipManager.h"

#include "game/hud/cUnitView.h"
#include "game/world/cUnit.h"

TooltipManager& TooltipManager::instance()
{
    static TooltipManager manager;
    return manager;
}

void TooltipManager::show(const boost::shared_ptr<cUnit>& unit, UnitProblem problem)
{
    if (!unit)
        return;
    m_current.unit = unit;
    m_current.problem = problem;
    m_shown = true;
    ++m_showCount;
}

void TooltipManager::onUnitProblem(boost::shared_ptr<cUnit> unit, UnitProblem problem)
{
    if (problem == NotEnoughResources)
        show(unit, problem);
    else
        showProblemTip(unit, problem);
}

void TooltipManager::showProblemTip(boost::shared_ptr<cUnit> unit, UnitProblem problem)
{
    if (problem >= NoProblem && problem <= Busy)
        show(unit, problem);
}

void TooltipManager::onUnitViewHover(Engine::cView* view)
{
    if (auto* unitView = dynamic_cast<cUnitView*>(view))
        show(unitView->getUnit(), NoProblem);
}

void TooltipManager::onUnitViewLeave(Engine::cView*)
{
    m_shown = false;
}

void TooltipManager::onUnitChanged(boost::shared_ptr<cUnit>)
{
    if (m_shown)
        refresh();
}

void TooltipManager::onUnitRemoved(boost::shared_ptr<cUnit> unit)
{
    if (unit && m_current.unit.lock() == unit)
    {
        m_current = Tip();
        m_shown = false;
    }
    if (!m_pending.empty() && m_pending.front().unit.lock() == unit)
        m_pending.pop_front();
    refresh();
}

void TooltipManager::onUnitUpdated(boost::shared_ptr<cUnit>)
{
    if (m_shown)
        refresh();
}

void TooltipManager::reset()
{
    m_shown = false;
    m_current = Tip();
    m_pending.clear();
}

void TooltipManager::refresh()
{
    if (const auto unit = m_current.unit.lock(); unit && m_shown)
        show(unit, m_current.problem);
    while (!m_pending.empty())
    {
        const Tip next = m_pending.front();
        m_pending.pop_front();
        if (const auto unit = next.unit.lock())
        {
            show(unit, next.problem);
            break;
        }
    }
}
