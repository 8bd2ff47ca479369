#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"
#include "game/heroes/ActionItem.h"
#include "game/heroes/Goal.h"
#include "game/heroes/UnitProblem.h"
#include "game/world/GridPathFinder.h"
#include "game/world/LevelArchive.h"
#include "game/world/cGameResources.h"
#include "game/world/cUnit.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <list>
#include <map>
#include <string>
#include <vector>

class BaseActionsItem;

namespace Engine
{
class cView;
}

// The goal planner of a level. The player's clicks on units become goals; each waiting goal,
// in the order queued, goes to the nearest free hero as a chain of actions built for the kind
// of its target; the running chains are stepped once per frame; goals not yet worked on are
// cancelled on the cancel input with their cost refunded. It also starts the chains no hero
// goal needs: production, the level's automatic production, falling units, the animals'
// growth, cataclysms and the flood's removal. Its goals and chains are saved with the
// unfinished level. One planner is a member of the level model and lives as long as it.
//
// Its operations live in several source files by theme: GameController.cpp (the queue,
// assignment and running chains), GameControllerStart.cpp (unit problems and the start-up
// chains), GameControllerChains.cpp (the goal chain builders), GameControllerExtras.cpp (the
// one-unit variants and handlers the level does not call yet), GameControllerClicks.cpp (the
// click handlers) and GameControllerSave.cpp (the saved level).
class GameController
{
public:
    using ProblemSignal = boost::signals2::signal<void(cUnit::Ptr, UnitProblem)>;
    using GoalPtr = boost::shared_ptr<Goal>;
    using Route = boost::shared_ptr<CellPath>;

    // What the collect and save-animal builders hand back: the chain (not yet started), the
    // hero, the route cells and the end offset of the walk.
    struct ChainPlan
    {
        boost::shared_ptr<BaseActionsItem> chain;
        cUnit::Ptr hero;
        Route route;
        Engine::cVector2 endOffset;
    };

    // Raised by the unit click handlers when a clicked unit cannot be served.
    ProblemSignal problemSignal;
    // Raised by the upgrade button of a unit view.
    ProblemSignal upgradeProblemSignal;

    GameController();
    GameController(const GameController&) = delete;
    GameController& operator=(const GameController&) = delete;
    ~GameController();

    // --- Queue, assignment and running chains (GameController.cpp) ---
    // The level start: heroes, goal list, resource texts, automatic production, the
    // animals' growth, cataclysms, garbage; the goal list is emptied.
    void init();
    void showAllGarbage();
    // Registers a started chain under the next id (the started signal of every top-level
    // chain leads here); it is stepped until it finishes or is completed.
    void registerChain(const ActionItem::Ptr& chain);
    // A registered chain finished or was completed: it is forgotten.
    void onChainDone(int id, const ActionItem::Ptr& chain);
    // One frame: every active chain, in ascending id, of the chains registered before it.
    void update();
    // Stops every running chain (the level is won or left); they stay registered.
    void stopAllActions();
    // Queues a clicked unit unless the waiting goals fill the list: the cost is taken from
    // the level at once, the unit taken, its tick shown, and free heroes assigned. False when
    // the list was full and nothing was queued.
    bool addGoal(cUnit::Ptr target, cGameResources cost, bool upgrade);
    unsigned countWaitingGoals() const;
    // How many goals may wait at once: "GoalsListLimit" for each level of the base, from 1.
    unsigned waitingGoalsLimit() const;
    // Gives each waiting goal, in queue order, to the nearest free hero.
    void assignGoals();
    // Builds and starts the goal's chain for the hero; false for a target no builder serves.
    bool assignGoal(cUnit::Ptr hero, GoalPtr goal);
    // A finished goal leaves the list and its target's tick is hidden.
    void removeGoal(GoalPtr goal);
    // Withdraws every goal whose work has not begun, refunding its cost; heroes on their way
    // walk home.
    void cancelGoals();
    // Withdraws one waiting goal as `cancelGoals` does; false for a goal that is not waiting
    // (not in the list, or its work has begun).
    bool cancelGoal(GoalPtr goal);
    // A quake takes the unit off the field: every goal on it ends as a withdrawn one does, a
    // goal being worked on too, so that no walk or work goes on for a unit the level no longer
    // has (a level saved then could not be read back).
    void endGoalsOn(const cUnit::Ptr& unit);
    // The level's automatic production ended a period: mills, quests and the base give.
    void onAutoProduced();
    void startCataclysm(float delay, int index);
    void startLinkedCataclysms(cUnit::Ptr unit);
    // Connected to every unit's level signal: a base that changes level houses one more hero.
    void handleHeroUnit(cUnit::Ptr unit);
    // Connected to every unit's removed signal.
    void handleUnit(cUnit::Ptr unit);
    // The pipe station is built: the flood goes.
    void removeFlood();
    bool hasAutoOutputMill() const;
    void resumeAutoProduction();

    // --- Unit problems and start-up chains (GameControllerStart.cpp) ---
    // Whether the unit can be served now and what it costs; `blocked` receives the reached
    // cell nearest to an unreachable unit.
    UnitProblem getUnitProblem(cUnit::Ptr unit, cGameResources& cost, Engine::cPoint& blocked);
    UnitProblem checkGoal(cUnit::Ptr unit, const cGameResources& cost, bool checkState,
                          Engine::cPoint& blocked);
    UnitProblem checkUpgradeGoal(cUnit::Ptr unit, const cGameResources& cost, bool checkState,
                                 Engine::cPoint& blocked);
    // A plant that received its input produces.
    void startProduction(cUnit::Ptr unit);
    void startAutoProduction();
    // Brings a unit onto the field by falling: hidden at once, falling after `delay` seconds
    // for `fallingTime` seconds.
    void dropUnit(cUnit::Ptr unit, float fallingTime, float delay);
    void startAnimalUpgrades();
    void scheduleCataclysms();

    // --- Goal chain builders (GameControllerChains.cpp) ---
    Route tryGoAndUpgrade(GoalPtr goal, cUnit::Ptr hero, cUnit::Ptr target, bool unused);
    void assignMillGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignPlantGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignBarrierGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignRoadGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignResourceGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignAnimalGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignQuestGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignUpgradeGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignBonusGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignFireGoal(cUnit::Ptr hero, GoalPtr goal);
    void assignRepairGoal(cUnit::Ptr hero, GoalPtr goal);
    // The hero freed an animal: it carries it to the hospital, or walks home without one.
    void assignReturnAnimalGoal(cUnit::Ptr hero);
    ChainPlan buildCollectResourcesChain(cUnit::Ptr hero, cUnit::Ptr target);
    ChainPlan buildSaveAnimalChain(cUnit::Ptr hero, cUnit::Ptr target);
    // Walks the hero home and parks it; the chain becomes the hero's walk home.
    void buildReturnChain(cUnit::Ptr hero);
    // The same, unloading what the hero carries before it parks.
    void buildReturnChainWithUnload(cUnit::Ptr hero);

    // --- Operations the level does not call yet (GameControllerExtras.cpp) ---
    // One unit's own automatic production: its "AutoResOut" every "AutoProduceTime" of its
    // current level, for as long as the level lasts. Nothing (an empty pointer) for a unit
    // whose level has no period.
    ActionItem::Ptr startAutoProduction(cUnit::Ptr unit);
    // One animal's countdown, as the level start gives every animal one; the animal's state
    // is left as it is.
    ActionItem::Ptr startAnimalUpgrades(cUnit::Ptr unit);
    // Handlers for an item's signals (the item that raised it is not used): the unit leaves
    // the field; the given item, while it still runs, is completed.
    static void onDestroyUnit(ActionItem::Ptr raised, cUnit::Ptr unit);
    static void onCompleteItem(ActionItem::Ptr raised, ActionItem::Ptr item);
    // The unit waits "HeroAttachDelay" seconds, then walks the route in the walking state to
    // the end offset; when `until` finishes first, the chain is completed where it stands.
    // Registered and started.
    ActionItem::Ptr buildStateMoveChain(cUnit::Ptr unit, Route route, eUnitState walking,
                                        const Engine::cVector2& endOffset, ActionItem::Ptr until);

    // --- Click handlers (GameControllerClicks.cpp) ---
    // The unit as a level's script names it, for the traces: its type and its number among
    // the units of its type still on the field ("Cement#2"), its type alone once it has left.
    static std::wstring traceName(const cUnit::Ptr& unit);
    // Traces a press on a unit that makes no goal, and why: "Click on Cement#2 makes no goal:
    // taken by another goal" (an upgrade press: "Upgrade click on ...").
    static void traceNoGoal(const cUnit::Ptr& unit, bool upgrade, const std::wstring& reason);
    // A unit a click never orders: a hero, its tool, the birds (the planner finds none
    // serviceable). A press on one standing on a unit is that unit's.
    static bool isNeverOrdered(const cUnit::Ptr& unit);
    // The category handler of units whose click needs nothing before onUnitClick.
    void ignoreUnit(Engine::cView* view);
    void onUnitClick(Engine::cView* view);
    // Runs before onUnitClick for animals.
    void onAnimalClick(Engine::cView* view);
    // The upgrade button of a unit view.
    void onUnitViewClick(Engine::cView* view);

    // --- The saved level (GameControllerSave.cpp) ---
    // The running chains in ascending id, then the goals front first, each list after its
    // 4-byte count.
    void save(LevelArchive& archive, const UnitNumbering& numbering) const;
    // Reads the block back into this new planner; throws the archive's error for records
    // that do not fit the level.
    void restore(LevelArchive& archive, const std::vector<cUnit::Ptr>& units);
    // A goal read back: into the list, to its hero, its tick shown while it waits.
    void restoreGoal(GoalPtr goal);

    size_t runningChainCount() const { return m_runningChains.size(); }
    const std::map<int, ActionItem::Ptr>& getRunningChains() const { return m_runningChains; }
    const std::list<GoalPtr>& getPendingGoals() const { return m_pendingGoals; }
    const ActionItem::Ptr& getAutoProductionItem() const { return m_autoProductionItem; }

private:
    // After a restore: the walks home back on their heroes, the goals' chains on the goals.
    void relinkRestoredChains();
    // Withdraws a goal of the list whatever its status: its cost refunded, its chain ended, its
    // hero sent home.
    void withdrawGoal(const GoalPtr& goal);
    // Connects the chain's started signal to the registration and starts it.
    void startChain(const ActionItem::Ptr& chain);
    // Shows or hides the goal tick over the unit's view.
    static void setGoalTick(const cUnit::Ptr& unit, bool visible);

    int m_chainCounter = 0;
    std::map<int, ActionItem::Ptr> m_runningChains;
    ActionItem::Ptr m_autoProductionItem;
    std::list<GoalPtr> m_pendingGoals;
};
