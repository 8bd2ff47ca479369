#include "game/hud/cGoalArrow.h"

#include "engine/ui/LayoutKeys.h"
#include "game/world/LevelGoal.h"

#include <vector>

cGoalArrow::cGoalArrow(const Engine::cVector2& position, Engine::cControl* parent, const LevelGoal* goal)
    : cPointerView(parent, position), m_goal(goal)
{
    Engine::loadLayout(*this, "UI/GoalArrow.xml");
    arrowSet()[this] = this;
}

// An arrow deleted with its parent leaves the set too.
cGoalArrow::~cGoalArrow()
{
    arrowSet().erase(this);
}

cGoalArrow::ArrowSet& cGoalArrow::arrowSet()
{
    static ArrowSet arrows;
    return arrows;
}

void cGoalArrow::hideAll()
{
    // The set is emptied first: hiding runs handlers that could reach it.
    std::vector<cGoalArrow*> arrows;
    for (const auto& entry : arrowSet())
        arrows.push_back(entry.second);
    arrowSet().clear();
    for (cGoalArrow* arrow : arrows)
    {
        arrow->hide();
        Engine::cControl::deleteLater(arrow);
    }
}

void cGoalArrow::hideReached()
{
    ArrowSet& arrows = arrowSet();
    for (auto it = arrows.begin(); it != arrows.end(); ++it)
    {
        cGoalArrow* arrow = it->second;
        if (!arrow->m_goal || !arrow->m_goal->done)
            continue;
        arrows.erase(it);
        arrow->hide();
        Engine::cControl::deleteLater(arrow);
        return;
    }
}
