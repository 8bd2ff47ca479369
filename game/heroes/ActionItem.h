#pragma once

#include "game/world/LevelArchive.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>

#include <cstdint>
#include <string>
#include <vector>

class cUnit;
class cUnitProgressView;

namespace Engine
{
class cProgressFloat;
} // namespace Engine

// The type ids of the action classes: the key of the factory and the first field of every
// saved action record. The numbers are part of the saved-level format.
enum ActionType : int32_t
{
    BaseActions = 0,
    DestroyAction = 1,
    LockUnitAction = 2,
    UnlockUnitAction = 3,
    MoveAction = 4,
    ProduceAction = 5,
    AutoProduceAction = 6,
    CollectResourcesAction = 7,
    TakeResourcesAction = 8,
    SaveAnimalAction = 9,
    UnloadResourcesAction = 10,
    GiveResourcesAction = 11,
    UpgradeAction = 12,
    UnitStateAction = 13,
    FallingUnitAction = 14,
    SetUnitStateAction = 15,
    ParkAction = 16,
    UnParkAction = 17,
    CataclysmAction = 18,
    SpeedBonusAction = 19,
    FireAction = 20,
    RepairAction = 21,
    ReturnAnimalAction = 22,
    ActionTypeCount = 23,
};

// The base of every action a unit performs under the game's control: leaving the base,
// walking, working, carrying, parking, and the level's scripted effects; chains
// (`BaseActionsItem`) run actions one after another.
//
// An action is always owned by a boost::shared_ptr and hands itself to its signals as one.
// It is stepped once per frame while it is active (the goal planner steps registered chains,
// a chain steps its current child) and ends in one of three ways: it finishes (its own effect
// ran; `finished`), it is completed from outside (no effect; `completed`), or it is stopped
// when play ends (no effect, no signal). Running actions are written into the saved
// unfinished level, each record beginning with the type id, and rebuilt by the factory.
class ActionItem : public boost::enable_shared_from_this<ActionItem>
{
public:
    using Ptr = boost::shared_ptr<ActionItem>;
    using UnitPtr = boost::shared_ptr<cUnit>;
    using Units = std::vector<UnitPtr>;
    using Signal = boost::signals2::signal<void(Ptr)>;

    ActionItem(const ActionItem&) = delete;
    ActionItem& operator=(const ActionItem&) = delete;

    // The record: type id, active byte, done byte, then the class's fields.
    virtual void save(LevelArchive& archive, const UnitNumbering& numbering) const;
    // Reads the record after its type id (the reader of the enclosing record read it).
    virtual void load(LevelArchive& archive, const Units& units);
    virtual ~ActionItem();

    // The layout of the bar a hero's work shows over its unit.
    static constexpr const char* WorkBarLayout = "ui/unitprogress.xml";
    // A progress bar over the unit (`WorkBarLayout`), a child of the play view, at the view's
    // progress offset from the unit's place. Throws
    // "ActionItem::progressOn(): unit's view type is not defined" when the unit's view has
    // no view description.
    virtual void progressOn(const UnitPtr& unit);
    // 0 to 100; clamped to the bar's maximum.
    virtual void setProgress(float percent);
    // Hands the bar to the deferred deletion.
    virtual void progressOff();
    // Sets active and raises `started`.
    virtual void start();
    // Ends the action without a signal when play ends; nothing in the base.
    virtual void stop();
    // While the done flag is set the action stands still without ending.
    virtual void setDone();
    virtual void resetDone();
    // One frame; every override does nothing while the done flag is set.
    virtual void update();
    // Clears active and raises `completed`.
    virtual void complete();
    // The hero's goal is done: it leaves the planner's list and the hero; unless the hero
    // should stay idle, the hero takes the next goal or walks home. Throws
    // "ActionItem::updateActiveGoal(): active goal is 0" for a hero without a goal.
    virtual void updateActiveGoal(const UnitPtr& hero, bool keepHeroIdle);
    // Work items start the chain that walks their hero home; nothing in the base.
    virtual void returnToBase();

    // Clears active and raises `finished`: the action has run to its end.
    void notifyFinished();
    bool isActive() const { return m_active; }
    bool isDone() const { return m_done; }
    int32_t getTypeId() const { return m_typeId; }
    // The action's bar as the class the views make it (cUnitProgressView, see
    // LevelViews::makeProgressBar), for the views, tools and tests above the rules.
    template <class Bar = cUnitProgressView> Bar* getProgressView() const
    {
        return static_cast<Bar*>(m_progressView);
    }

    Signal started;
    Signal finished;
    Signal completed;

protected:
    explicit ActionItem(int32_t typeId);

    // A new bar from the layout at `path`, a child of the play view, as the action's bar (the
    // one it had goes); the caller places and shows it.
    Engine::cProgressFloat* makeProgressView(const std::string& path);
    // The frame time of the engine's timer (0 without one).
    static float frameTime();
    // Unit references in records: the unit's number, -1 for an empty reference.
    static void writeUnit(LevelArchive& archive, const UnitNumbering& numbering, const UnitPtr& unit);
    static UnitPtr readUnit(LevelArchive& archive, const Units& units);

    bool m_active = false;
    bool m_done = false;

private:
    int32_t m_typeId;
    // Owned by the view tree; the action only creates it and queues it for deletion.
    Engine::cProgressFloat* m_progressView = nullptr;
};

// The first item registered with the level's planner (in ascending registration id) whose
// type id is `kind` and for which `accessor` gives `key`; empty when none. Only registered
// items are searched (chains and the items the planner runs alone), not chain children.
ActionItem::Ptr
findFirstOfKind(const boost::shared_ptr<cUnit>& key, int kind,
                const boost::function<boost::shared_ptr<cUnit>(const ActionItem::Ptr&)>& accessor);
