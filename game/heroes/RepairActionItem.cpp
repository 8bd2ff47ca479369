#include "game/heroes/RepairActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(RepairAction, &createActionItem<RepairActionItem>);

} // namespace

RepairActionItem::RepairActionItem() : RepairActionItem(UnitPtr(), UnitPtr(), UnitPtr()) {}

RepairActionItem::RepairActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit)
    : WorkActionItem(RepairAction, hero, target, attachUnit)
{
}

void RepairActionItem::start()
{
    WorkActionItem::start();
    beginWork(eUnitState::destroy, eUnitState::destroy);
}

void RepairActionItem::update()
{
    if (isDone())
        return;
    beginWorkAfterDelay(eUnitState::destroy, eUnitState::damageRepair);
    WorkActionItem::update();
}

void RepairActionItem::finish()
{
    Game::instance()->giveUnitResources(m_target);
    m_target->isDamaged = false;
    m_target->setState(eUnitState::idle, -1);
    WorkActionItem::finish();
    notifyFinished();
}
