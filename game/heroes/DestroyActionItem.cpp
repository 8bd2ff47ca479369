#include "game/heroes/DestroyActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(DestroyAction, &createActionItem<DestroyActionItem>);

} // namespace

DestroyActionItem::DestroyActionItem() : DestroyActionItem(UnitPtr(), UnitPtr(), UnitPtr()) {}

DestroyActionItem::DestroyActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit)
    : WorkActionItem(DestroyAction, hero, target, attachUnit)
{
}

void DestroyActionItem::start()
{
    WorkActionItem::start();
    beginWork(eUnitState::destroy, eUnitState::destroy);
}

void DestroyActionItem::update()
{
    if (isDone())
        return;
    beginWorkAfterDelay(eUnitState::destroy, eUnitState::destroy);
    WorkActionItem::update();
}

void DestroyActionItem::finish()
{
    // The target may hold the last reference to itself through the level's tables.
    const UnitPtr target = m_target;
    target->targetReached = true;
    WorkActionItem::finish();
    Game* game = Game::instance();
    game->updateUnitCells(target, true);
    game->giveUnitResources(target);
    target->destroy();
    notifyFinished();
}
