// GameController: the one-unit variants of the start-up chains, the handlers that end a unit
// or an item when another item signals, and the wait-and-walk chain built on them. The level
// does not call them yet; they are the pieces a level script or a later rule takes.
#include "game/heroes/GameController.h"

#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/MoveActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitLevelInfo.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

ActionItem::Ptr GameController::startAutoProduction(cUnit::Ptr unit)
{
    const auto info = unit ? unit->getActiveLevelInfo() : boost::shared_ptr<UnitLevelInfo>();
    if (!info || !(info->autoProduceTime > 0.0f))
        return ActionItem::Ptr();
    auto item = boost::make_shared<AutoProduceActionItem>(unit);
    item->started.connect(boost::bind(&GameController::registerChain, this, boost::placeholders::_1));
    // A unit's item takes its period from the unit's level, not from the argument.
    item->startWithTime(0.0f);
    return item;
}

ActionItem::Ptr GameController::startAnimalUpgrades(cUnit::Ptr unit)
{
    if (!unit)
        return ActionItem::Ptr();
    auto item = boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), unit, cUnit::Ptr());
    startChain(item);
    return item;
}

void GameController::onDestroyUnit(ActionItem::Ptr, cUnit::Ptr unit)
{
    if (unit && !unit->isRemoved())
        unit->destroy();
}

void GameController::onCompleteItem(ActionItem::Ptr, ActionItem::Ptr item)
{
    // An item that ended already has raised its last signal: completing it again would tell
    // its listeners of an end a second time.
    if (item && item->isActive())
        item->complete();
}

ActionItem::Ptr GameController::buildStateMoveChain(cUnit::Ptr unit, Route route, eUnitState walking,
                                                    const Engine::cVector2& endOffset, ActionItem::Ptr until)
{
    const float delay = GameConfig::instance().getConstants().HeroAttachDelay;
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnitStateActionItem>(unit, eUnitState::idle, delay));
    chain->add(boost::make_shared<MoveActionItem>(unit, route, walking, endOffset));
    if (until)
    {
        // The signal holds the chain only weakly: a chain that ended is not kept alive by an
        // item that may run much longer.
        const boost::weak_ptr<ActionItem> weak = chain;
        until->finished.connect(
            [weak](const ActionItem::Ptr& raised)
            {
                if (const ActionItem::Ptr held = weak.lock())
                    onCompleteItem(raised, held);
            });
    }
    startChain(chain);
    return chain;
}
