#pragma once

#include "game/hud/cPointerView.h"

#include <boost/weak_ptr.hpp>

#include <map>

class cUnit;
struct LevelGoal;

// An arrow ("UI/GoalArrow.xml") swinging over a unit whose goal is still open, shown while the
// player hovers the goal's row in the status panel. Every live arrow is kept in one set so that
// they can go together (`hideAll`) or one by one as their goals are reached (`hideReached`);
// arrows go through the deferred deletion, never directly.
//
// The arrow knows its goal by the goal's unit, never by the record's address: the level
// rebuilds its goal list (a level start, a restore), and an arrow may outlive the level.
class cGoalArrow : public cPointerView
{
public:
    using ArrowSet = std::map<cGoalArrow*, cGoalArrow*>;

    // `goal`, when given, is the level's goal record the arrow points at; only its unit is kept.
    cGoalArrow(const Engine::cVector2& position, Engine::cControl* parent, const LevelGoal* goal);
    ~cGoalArrow() override;

    // Hides every arrow and queues it for deletion.
    static void hideAll();
    // The first arrow (in set order) whose goal is done, or no longer among the level's goals,
    // goes; at most one per call. An arrow made without a goal never goes here.
    static void hideReached();
    static const ArrowSet& arrows() { return arrowSet(); }

    // The level's current record of the arrow's goal; null when the arrow has none, or the
    // level (if any) no longer lists it. Read it at once: the list may be rebuilt later.
    const LevelGoal* getGoal() const;

private:
    static ArrowSet& arrowSet();
    bool isReached() const;

    bool m_hasGoal = false;
    boost::weak_ptr<cUnit> m_goalUnit;
};
