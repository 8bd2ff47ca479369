#pragma once

#include "game/heroes/ActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/UnitProblem.h"
#include "game/world/LevelArchive.h"
#include "game/world/cUnit.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <list>
#include <map>
#include <vector>

namespace Engine
{
class cView;
}

// The goal planner of a level: the player's clicks on units become goals, each goal goes to
// the nearest free hero as a chain of actions, and the running chains are stepped once per
// frame. One planner is a member of the level model and lives as long as it.
//
// This is the part of the planner that the level model drives: its problem signals, the
// level start, the table of running chains (stepped, stopped, saved), the start of a unit's
// fall, hero parking on a base upgrade and the garbage pictures. The goal queue, the chain
// builders and the actions themselves join it with the heroes' work.
class GameController
{
public:
    using ProblemSignal = boost::signals2::signal<void(cUnit::Ptr, UnitProblem)>;

    // Raised by the unit click handlers when a clicked unit cannot be served.
    ProblemSignal problemSignal;
    // Raised by the upgrade button of a unit view.
    ProblemSignal upgradeProblemSignal;

    GameController() = default;
    GameController(const GameController&) = delete;
    GameController& operator=(const GameController&) = delete;
    ~GameController();

    // The level start after the opening briefing: the heroes move into the base, the goal
    // list is built, the resource texts and the level's input start, and the garbage shows.
    void init();
    // One frame: every active chain of a copy of the running-chain table is stepped, so
    // chains that end or start during the step do not disturb the walk.
    void update();
    // Stops every running chain (the level is won or left).
    void stopAllActions();
    // Gives waiting goals to free heroes; a hero that just parked takes one at once.
    void assignGoals();
    // Withdraws every goal that has not started.
    void cancelGoals();
    // Brings a unit onto the field by falling: the unit is hidden at once and appears when
    // its fall begins, `delay` seconds later, taking `fallingTime` seconds.
    void dropUnit(const cUnit::Ptr& unit, float fallingTime, float delay);

    // Click handlers of the unit views; the animal's runs first.
    void onUnitClick(Engine::cView* view);
    void onAnimalClick(Engine::cView* view);
    // Connected to every unit's level signal: a base that changes level houses one more hero.
    void handleHeroUnit(const cUnit::Ptr& unit);
    // Connected to every unit's removed signal.
    void handleUnit(const cUnit::Ptr& unit);
    // Shows the garbage pictures of every unit of the level.
    void showAllGarbage();

    // Registers a started chain under the next id; it is stepped until it finishes or is
    // completed.
    void registerChain(const ActionItem::Ptr& chain);
    // A registered chain ended (finished or completed): it is forgotten.
    void onChainDone(int id, const ActionItem::Ptr& chain);
    size_t runningChainCount() const { return m_chains.size(); }
    const std::map<int, ActionItem::Ptr>& getRunningChains() const { return m_chains; }

    // A finished goal leaves the list and its target's tick is hidden.
    void removeGoal(const boost::shared_ptr<Goal>& goal);
    const std::list<boost::shared_ptr<Goal>>& getPendingGoals() const { return m_goals; }
    // Starts the chain that walks the hero back to the base and parks it.
    void buildReturnChain(const cUnit::Ptr& hero);

    // The planner's block of the saved level: the running chains (each record beginning with
    // its type id, units written as their numbers), then the waiting goals.
    void save(LevelArchive& archive, const UnitNumbering& numbering) const;
    // Reads the block back; `units` are the restored units in number order.
    void restore(LevelArchive& archive, const std::vector<cUnit::Ptr>& units);
    // A goal read back: into the list, to its hero, its tick shown while it waits.
    void restoreGoal(const boost::shared_ptr<Goal>& goal);

private:
    // Shows or hides the goal tick over the unit's view.
    static void setGoalTick(const cUnit::Ptr& unit, bool visible);

    int m_chainCounter = 0;
    std::map<int, ActionItem::Ptr> m_chains;
    std::list<boost::shared_ptr<Goal>> m_goals;
};
