#pragma once

#include "game/hud/cPointerView.h"

#include <map>

struct LevelGoal;

// An arrow ("UI/GoalArrow.xml") swinging over a unit whose goal is still open, shown while the
// player hovers the goal's row in the status panel. Every live arrow is kept in one set so that
// they can go together (`hideAll`) or one by one as their goals are reached (`hideReached`);
// arrows go through the deferred deletion, never directly.
class cGoalArrow : public cPointerView
{
public:
    using ArrowSet = std::map<cGoalArrow*, cGoalArrow*>;

    // `goal` is borrowed: the level's goal record the arrow points at.
    cGoalArrow(const Engine::cVector2& position, Engine::cControl* parent, const LevelGoal* goal);
    ~cGoalArrow() override;

    // Hides every arrow and queues it for deletion.
    static void hideAll();
    // The first arrow (in set order) whose goal is done goes; at most one per call.
    static void hideReached();
    static const ArrowSet& arrows() { return arrowSet(); }

    const LevelGoal* getGoal() const { return m_goal; }

private:
    static ArrowSet& arrowSet();

    const LevelGoal* m_goal;
};
