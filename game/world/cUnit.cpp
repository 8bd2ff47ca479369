#include "game/world/cUnit.h"

#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"

#include <algorithm>

cUnit::cUnit(int unitTypeId) : typeId(unitTypeId) {}

// The garbage pictures belong to the play view.
cUnit::~cUnit()
{
    clearTips();
}

void cUnit::setAngle(float value)
{
    angle = value;
    angleChanged(shared_from_this());
}

void cUnit::setState(eUnitState value, int typeIdOfState)
{
    const eUnitState old = state;
    stateTypeId = typeIdOfState;
    state = value;
    const Ptr self = shared_from_this();
    stateChanged(self);
    stateTransition(self, old, value);
}

void cUnit::setLevelAndState(int newLevel, eUnitState newState, bool silent)
{
    level = newLevel;
    state = newState;
    if (!silent)
        levelChanged(shared_from_this());
}

void cUnit::setCell(const Engine::cPoint& newCell, const Engine::cVector2& newOffset)
{
    cell = newCell;
    offset = newOffset;
    positionChanged(shared_from_this());
}

void cUnit::setOffset(const Engine::cVector2& value)
{
    offset = value;
    positionChanged(shared_from_this());
}

void cUnit::setFallOffset(float value)
{
    fallOffset = value;
    positionChanged(shared_from_this());
}

void cUnit::refresh()
{
    refreshed(shared_from_this());
}

void cUnit::attach(Ptr child)
{
    attached.push_back(child);
    child->setParent(shared_from_this());
    attachedSignal(shared_from_this());
}

void cUnit::detach(Ptr child)
{
    const Ptr self = shared_from_this();
    const auto found = std::find(attached.begin(), attached.end(), child);
    if (found != attached.end())
    {
        attached.erase(found);
        child->clearParent();
        detachedSignal(self);
    }
    if (attached.empty())
        lastDetached(self);
}

void cUnit::setParent(const Ptr& value)
{
    parent = value;
    parentSet(shared_from_this());
}

void cUnit::clearParent()
{
    parent.reset();
    parentCleared(shared_from_this());
}

void cUnit::destroy()
{
    // The parent's list may hold the only other owner; stay alive to the end.
    const Ptr self = shared_from_this();
    disappearOnCataclysm = kRemoved;
    while (!attached.empty())
    {
        // Out of the list first: the child's own detach then finds nothing here, and the
        // last one raises this unit's lastDetached once.
        const Ptr child = attached.front();
        attached.pop_front();
        child->destroy();
    }
    if (const Ptr owner = parent.lock())
        owner->detach(self);
    removed(self);
}

cUnit::Ptr cUnit::getAttachedOfType() const
{
    GameConfig& config = GameConfig::instance();
    const int attachCategory = config.getCategoryId(UnitCategory::attach);
    for (const Ptr& unit : attached)
    {
        const auto info = config.getTypeInfo(unit->getTypeId());
        if (info && info->categoryId == attachCategory)
            return unit;
    }
    return {};
}

void cUnit::setGoal(const boost::shared_ptr<Goal>& value)
{
    if (goal)
        throw "cUnit::setGoal(): goal is not 0";
    goal = value;
}

void cUnit::resetGoal()
{
    if (!goal)
        throw "cUnit::resetGoal(): goal is 0";
    goal.reset();
}

boost::shared_ptr<UnitTypeInfo> cUnit::getTypeInfo() const
{
    return GameConfig::instance().getTypeInfo(typeId);
}

namespace
{

boost::shared_ptr<UnitLevelInfo> blockOf(const cUnit::LevelList& levels, int level)
{
    if (levels.empty())
        return {};
    const size_t index = static_cast<size_t>(std::clamp(level, 0, static_cast<int>(levels.size()) - 1));
    return levels[index];
}

} // namespace

boost::shared_ptr<UnitLevelInfo> cUnit::getLevelInfo() const
{
    if (hasOwnLevels && !ownLevels.empty())
        return blockOf(ownLevels, level);
    const auto info = getTypeInfo();
    return info ? info->levelInfo(level) : boost::shared_ptr<UnitLevelInfo>();
}

boost::shared_ptr<UnitLevelInfo> cUnit::getActiveLevelInfo() const
{
    if (inFire)
    {
        if (!fireLevels.empty())
            return fireLevels.front();
        return GameConfig::instance().getFakeFireBarrier()->levelInfo(0);
    }
    return getLevelInfo();
}

boost::signals2::connection cUnit::connectAngleChanged(const Slot& slot)
{
    return angleChanged.connect(slot);
}

boost::signals2::connection cUnit::connectStateChanged(const Slot& slot)
{
    return stateChanged.connect(slot);
}

boost::signals2::connection cUnit::connectStateTransition(const TransitionSlot& slot)
{
    return stateTransition.connect(slot);
}

boost::signals2::connection cUnit::connectRefreshed(const Slot& slot)
{
    return refreshed.connect(slot);
}

boost::signals2::connection cUnit::connectPositionChanged(const Slot& slot)
{
    return positionChanged.connect(slot);
}

boost::signals2::connection cUnit::connectRemoved(const Slot& slot)
{
    return removed.connect(slot);
}

boost::signals2::connection cUnit::connectLevelChanged(const Slot& slot)
{
    return levelChanged.connect(slot);
}

boost::signals2::connection cUnit::connectAttached(const Slot& slot)
{
    return attachedSignal.connect(slot);
}

boost::signals2::connection cUnit::connectDetached(const Slot& slot)
{
    return detachedSignal.connect(slot);
}

boost::signals2::connection cUnit::connectLastDetached(const Slot& slot)
{
    return lastDetached.connect(slot);
}

boost::signals2::connection cUnit::connectParentSet(const Slot& slot)
{
    return parentSet.connect(slot);
}

boost::signals2::connection cUnit::connectParentCleared(const Slot& slot)
{
    return parentCleared.connect(slot);
}
