#include "game/hud/cGoalArrow.h"

#include "engine/ui/LayoutKeys.h"
#include "game/world/Game.h"
#include "game/world/LevelGoal.h"

#include <vector>

cGoalArrow::cGoalArrow(const Engine::cVector2& position, Engine::cControl* parent, const LevelGoal* goal)
    : cPointerView(parent, position), m_hasGoal(goal != nullptr)
{
    if (goal)
        m_goalUnit = goal->target;
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

const LevelGoal* cGoalArrow::getGoal() const
{
    const Game* game = Game::instance();
    if (!m_hasGoal || !game)
        return nullptr;
    // A level gives a unit one goal at most; the unit itself may be gone already.
    for (const LevelGoal& goal : game->getLevelGoals())
        if (!goal.target.owner_before(m_goalUnit) && !m_goalUnit.owner_before(goal.target))
            return &goal;
    return nullptr;
}

bool cGoalArrow::isReached() const
{
    if (!m_hasGoal)
        return false;
    const LevelGoal* goal = getGoal();
    return !goal || goal->done;
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
        if (!arrow->isReached())
            continue;
        arrows.erase(it);
        arrow->hide();
        Engine::cControl::deleteLater(arrow);
        return;
    }
}
