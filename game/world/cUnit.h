#pragma once

#include "engine/core/cLazySignal.h"
#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"
#include "game/world/UnitRoute.h"
#include "game/world/UnitStates.h"
#include "game/world/cGameResources.h"

#include <boost/enable_shared_from_this.hpp>
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/signal.hpp>
#include <boost/weak_ptr.hpp>

#include <list>
#include <map>
#include <string>
#include <vector>

class ActionItem;
class Game;
class Goal;
class UnitLevelInfo;
class UnitTip;
class UnitTypeInfo;
class UnitView;
class cUnitView;

namespace Engine
{
class cPicture;
class cProperties;
} // namespace Engine

// One object on the level field: a hero, a building, a road piece, a barrier, a resource, an
// animal, a quest or bonus object. Always owned through boost::shared_ptr: every change
// raises a signal that passes the unit itself, so the unit's view, the level model and the
// tooltips follow it without being called. A unit owns the units attached to it; its parent
// is held weakly, so the two never keep each other alive.
class cUnit : public boost::enable_shared_from_this<cUnit>
{
public:
    using Ptr = boost::shared_ptr<cUnit>;
    using Slot = boost::function<void(Ptr)>;
    using TransitionSlot = boost::function<void(Ptr, eUnitState, eUnitState)>;
    // A building's own cells, keyed by x * 1000 + y.
    using CellMap = std::map<int, Engine::cPoint>;
    using LevelList = std::vector<boost::shared_ptr<UnitLevelInfo>>;

    explicit cUnit(int typeId);
    cUnit(const cUnit&) = delete;
    cUnit& operator=(const cUnit&) = delete;
    ~cUnit();

    int getTypeId() const { return typeId; }
    int getLevel() const { return level; }
    eUnitState getState() const { return state; }
    int getStateTypeId() const { return stateTypeId; }
    float getAngle() const { return angle; }
    const Engine::cPoint& getCell() const { return cell; }
    const Engine::cVector2& getOffset() const { return offset; }
    float getFallOffset() const { return fallOffset; }
    // The unit's view as the rules see it (see UnitView); null while it has none.
    UnitView* getUnitView() const { return view; }
    // The same view as the class the views above the rules make it (cUnitView): only they and
    // the tools and tests over them, which know that class, call it.
    template <class View = cUnitView> View* getView() const { return static_cast<View*>(view); }
    // The view stores itself here when it is bound to the unit; not owned.
    void setView(UnitView* unitView) { view = unitView; }
    std::list<Ptr>& getAttached() { return attached; }
    const std::list<Ptr>& getAttached() const { return attached; }
    Ptr getParent() const { return parent.lock(); }

    int getMaxLevel() const { return maxLevel; }
    void setMaxLevel(int value) { maxLevel = value; }
    int getTargetType() const { return targetType; }
    void setTargetType(int value) { targetType = value; }
    int getTargetLevel() const { return targetLevel; }
    void setTargetLevel(int value) { targetLevel = value; }
    int getAppearOnCataclysm() const { return appearOnCataclysm; }
    void setAppearOnCataclysm(int value) { appearOnCataclysm = value; }
    int getDisappearOnCataclysm() const { return disappearOnCataclysm; }
    void setDisappearOnCataclysm(int value) { disappearOnCataclysm = value; }
    int getTriggerCataclysm() const { return triggerCataclysm; }
    void setTriggerCataclysm(int value) { triggerCataclysm = value; }
    const Engine::cVector2& getProductionOffset() const { return productionOffset; }
    void setProductionOffset(const Engine::cVector2& value) { productionOffset = value; }
    const std::wstring& getViewStateId() const { return viewStateId; }
    void setViewStateId(const std::wstring& value) { viewStateId = value; }
    const boost::shared_ptr<CellMap>& getFreeCells() const { return freeCells; }
    void setFreeCells(const boost::shared_ptr<CellMap>& value) { freeCells = value; }
    bool isInFireOrDamaged() const { return isDamaged || inFire; }

    // Raise signals (the unit must already be owned by a shared pointer).
    void setAngle(float value);
    // Stores the state type id, then the state; raises stateChanged, then stateTransition
    // with the old and the new state, also when the state does not change.
    void setState(eUnitState value, int typeIdOfState);
    // Stores both without the state signals; raises levelChanged unless silent.
    void setLevelAndState(int newLevel, eUnitState newState, bool silent);
    void setCell(const Engine::cPoint& newCell, const Engine::cVector2& newOffset);
    void setOffset(const Engine::cVector2& value);
    void setFallOffset(float value);
    void refresh();
    void attach(Ptr child);
    // Takes the child by value: the list may hold its only other owner.
    void detach(Ptr child);
    void setParent(const Ptr& value);
    void clearParent();
    // Destroys the attached units first to last, leaves the parent, raises removed last.
    void destroy();
    bool isRemoved() const { return disappearOnCataclysm == kRemoved; }

    // The first attached unit whose type is of the category "attach" (a hero's tool); empty
    // when none.
    Ptr getAttachedOfType() const;

    // Shows or hides the view of the first attached unit (a hero's tool or load).
    void setAttachedVisible(bool visible);
    // A hero walking home takes a goal from where its view stands: the walk home is completed
    // and dropped, and the cell and offset become those under the view.
    void snapToView();

    // --- The building's record from its level file ---
    // "CameOffsetPoints": one route per child ("Pos"), one step per grandchild ("Pos", "Angle").
    void loadCameOffsetPoints(const boost::shared_ptr<Engine::cProperties>& node);
    // "Upgrades": the building's own copy of its type's level blocks with the resource lists
    // and "UpgradeTime" of the file. The child count must equal the type's level count, else
    // the wide string "cUnit::loadSpecificUpgrades(): ..." and the type name is thrown.
    void loadSpecificUpgrades(const boost::shared_ptr<Engine::cProperties>& node);
    // "FireUpgrades" of a burning building, over "FakeFireBarrier"'s blocks; nothing for a
    // building that does not burn. "RepairRes" keeps the fake type's entries.
    void loadFireUpgrades(const boost::shared_ptr<Engine::cProperties>& node);
    // "RepairUpgrades" of a damaged building, over "FakeDamagedUnit"'s blocks.
    void loadRepairUpgrades(const boost::shared_ptr<Engine::cProperties>& node);
    // "Tutorial": one tip per child, registered with the tutorial. A tip the tutorial could not
    // show (a bad type or event, no text, a target off the screen) is logged and left out.
    void loadTutorial(const boost::shared_ptr<Engine::cProperties>& node);
    // Offers the first tip of the event kind to the tutorial; a shown tip is removed.
    bool showTip(int eventKind);
    // Drops one tip (every entry of it), from the tutorial's lists too.
    void removeTip(const boost::shared_ptr<UnitTip>& tip);
    // Takes every tip out of the tutorial and drops it.
    void clearTips();
    // "Garbage": one copy of the level's garbage picture per child, at "Pos", hidden. Throws
    // the C string "cUnit::loadGarbageList(): garbage list is not empty" when it has some.
    void loadGarbageList(const boost::shared_ptr<Engine::cProperties>& node);
    void showGarbage(bool visible);
    // Hides the garbage pictures and queues them for deletion.
    void clearGarbage();

    // The taken flag: set while a goal holds or waits for the unit, with the code of the work
    // (an eUnitState value) it is taken for; -1 while the goal that took it only waits.
    void setTaken(int takenFor)
    {
        locked = true;
        lockId = takenFor;
    }
    void clearTaken()
    {
        locked = false;
        lockId = 0;
    }
    bool isTaken() const { return locked; }
    int getTakenFor() const { return lockId; }

    boost::shared_ptr<Goal> getGoal() const { return goal; }
    // Throws the C string "cUnit::setGoal(): goal is not 0" when a goal is set already.
    void setGoal(const boost::shared_ptr<Goal>& value);
    // Throws the C string "cUnit::resetGoal(): goal is 0" when no goal is set.
    void resetGoal();

    // The unit's type record; empty for a type id that "Units/Units.xml" does not define.
    boost::shared_ptr<UnitTypeInfo> getTypeInfo() const;
    // Block `level` of the building's own blocks when it has them, else of its type. A level
    // outside the list reads its nearest block; empty only for a type without a record.
    boost::shared_ptr<UnitLevelInfo> getLevelInfo() const;
    // The block whose rules apply now: a burning unit's first fire block (block 0 of
    // "FakeFireBarrier" when it has none), else getLevelInfo. Damage plays no part.
    boost::shared_ptr<UnitLevelInfo> getActiveLevelInfo() const;

    boost::signals2::connection connectAngleChanged(const Slot& slot);
    boost::signals2::connection connectStateChanged(const Slot& slot);
    boost::signals2::connection connectStateTransition(const TransitionSlot& slot);
    boost::signals2::connection connectRefreshed(const Slot& slot);
    boost::signals2::connection connectPositionChanged(const Slot& slot);
    boost::signals2::connection connectRemoved(const Slot& slot);
    boost::signals2::connection connectLevelChanged(const Slot& slot);
    // Raised on the parent.
    boost::signals2::connection connectAttached(const Slot& slot);
    boost::signals2::connection connectDetached(const Slot& slot);
    boost::signals2::connection connectLastDetached(const Slot& slot);
    // Raised on the child.
    boost::signals2::connection connectParentSet(const Slot& slot);
    boost::signals2::connection connectParentCleared(const Slot& slot);

    // disappearOnCataclysm of a removed unit.
    static constexpr int kRemoved = -5;

    // Filled by the level loader and the saved-level reader, read and changed by the actions.
    std::vector<UnitRoute> cameOffsetRoutes; // "CameOffsetPoints"
    UnitRoute route;                         // the current approach route
    cGameResources resources;                // what a hero carries
    bool locked = false;                     // taken by a hero's chain
    int lockId = 0;                          // stored with `locked`
    float fallingDelay = 0.0f;               // "FallingDelay"
    bool inFire = false;                     // "InFire"
    bool isDamaged = false;                  // "IsDamaged"
    std::string breafId;                     // "BreafId"
    std::string goalCategory;                // "GoalCategory"
    bool targetReached = false;              // the unit's goal is fulfilled
    std::wstring typeName;                   // name of the type, filled when the unit is added
    // The running chain that takes a hero back to park.
    boost::shared_ptr<ActionItem> homeChain;
    LevelList ownLevels; // the building's own "Upgrades"
    bool hasOwnLevels = false;
    LevelList fireLevels;   // "FireUpgrades"
    LevelList repairLevels; // "RepairUpgrades"
    // The building's "Tutorial" tips, shared with the tutorial's lists (clearTips, called first
    // by the destructor, takes them out of those).
    std::list<boost::shared_ptr<UnitTip>> tips;
    // Garbage pictures around the building, children of the play view (owned there).
    std::vector<Engine::cPicture*> garbage;

private:
    // Most of a unit's signals are never connected: their state is made on the first connection.
    using UnitSignal = Engine::cLazySignal<void(Ptr)>;
    using TransitionSignal = Engine::cLazySignal<void(Ptr, eUnitState, eUnitState)>;

    // The saved-level reader restores these directly.
    friend class Game;

    int level = 0;
    int maxLevel = -1;
    int targetType = 0;
    int targetLevel = -1;
    eUnitState state = eUnitState::idle;
    float angle = 0.0f;
    Engine::cVector2 offset;
    Engine::cPoint cell;
    float fallOffset = 0.0f;
    Engine::cVector2 productionOffset;
    int typeId;
    int stateTypeId = -1;
    std::list<Ptr> attached;
    int appearOnCataclysm = -1;
    int disappearOnCataclysm = -1;
    int triggerCataclysm = -1;
    boost::weak_ptr<cUnit> parent;
    UnitView* view = nullptr;
    boost::shared_ptr<CellMap> freeCells;
    std::wstring viewStateId;
    boost::shared_ptr<Goal> goal;

    UnitSignal angleChanged;
    UnitSignal stateChanged;
    TransitionSignal stateTransition;
    UnitSignal refreshed;
    UnitSignal positionChanged;
    UnitSignal removed;
    UnitSignal levelChanged;
    UnitSignal attachedSignal;
    UnitSignal detachedSignal;
    UnitSignal lastDetached;
    UnitSignal parentSet;
    UnitSignal parentCleared;
};
