// GameController: whether a unit can be served now, and the chains the level starts without
// a hero goal (production, automatic production, falling units, animals, cataclysms).
#include "game/heroes/GameController.h"

#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/FallingUnitActionItem.h"
#include "game/heroes/LockUnitActionItem.h"
#include "game/heroes/ProduceActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "game/heroes/UnlockUnitActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

namespace
{

bool isOfCategory(const cUnit::Ptr& unit, const wchar_t* category)
{
    return unit && GameConfig::instance().isOfCategory(unit->getTypeId(), category);
}

bool isIdleForService(eUnitState state)
{
    return state == eUnitState::idle || state == eUnitState::fireIdle || state == eUnitState::afterFire ||
           state == eUnitState::damageIdle;
}

} // namespace

UnitProblem GameController::getUnitProblem(cUnit::Ptr unit, cGameResources& cost, Engine::cPoint& blocked)
{
    if (isNeverOrdered(unit))
        return NotServiceable;
    if (!isIdleForService(unit->getState()))
        return Busy;
    if (unit->isTaken())
        return AlreadyTaken;
    const auto info = unit->getActiveLevelInfo();
    if (!info)
        return NotServiceable;
    if (unit->inFire)
    {
        cost.assign(info->resIn);
        return checkGoal(unit, cost, false, blocked);
    }
    if (unit->isDamaged)
    {
        cost.assign(info->repairRes);
        return checkGoal(unit, cost, false, blocked);
    }
    if (isOfCategory(unit, UnitCategory::mill))
    {
        if (info->resOut.isEmpty())
        {
            cost.assign(info->upIn);
            return checkUpgradeGoal(unit, cost, false, blocked);
        }
        if (unit->getAttached().empty())
            return NoProblem;
        return getUnitProblem(unit->getAttached().front(), cost, blocked);
    }
    if (isOfCategory(unit, UnitCategory::plant))
    {
        if (info->resOut.isEmpty())
        {
            cost.assign(info->upIn);
            return checkUpgradeGoal(unit, cost, false, blocked);
        }
        cost.assign(info->resIn);
        return checkGoal(unit, cost, false, blocked);
    }
    if (isOfCategory(unit, UnitCategory::barrier))
    {
        cost.assign(info->resIn);
        return checkGoal(unit, cost, false, blocked);
    }
    if (isOfCategory(unit, UnitCategory::road) || isOfCategory(unit, UnitCategory::barrierroad) ||
        isOfCategory(unit, UnitCategory::quest))
    {
        cost.assign(info->upIn);
        return checkUpgradeGoal(unit, cost, false, blocked);
    }
    if (isOfCategory(unit, UnitCategory::resource) || isOfCategory(unit, UnitCategory::animal) ||
        isOfCategory(unit, UnitCategory::bonus))
    {
        cost.assign(info->resIn);
        return checkGoal(unit, cost, false, blocked);
    }
    return NotServiceable;
}

UnitProblem GameController::checkGoal(cUnit::Ptr unit, const cGameResources& cost, bool checkState,
                                      Engine::cPoint& blocked)
{
    if (checkState)
    {
        if (unit->getState() != eUnitState::idle)
            return Busy;
        if (unit->isTaken())
            return AlreadyTaken;
    }
    Game* game = Game::instance();
    RoutePlan plan;
    Engine::cPoint closest = kNoCell;
    const cUnit::Ptr hero = game->chooseRouteForGoal(unit, closest, plan);
    if (!plan.path)
    {
        blocked = closest;
        return NoRoute;
    }
    if (!game->getResources().contains(cost))
        return NotEnoughResources;
    if (!hero)
        return NoFreeHero;
    return NoProblem;
}

UnitProblem GameController::checkUpgradeGoal(cUnit::Ptr unit, const cGameResources& cost, bool checkState,
                                             Engine::cPoint& blocked)
{
    if (checkState)
    {
        if (unit->getState() != eUnitState::idle)
            return Busy;
        if (unit->isTaken())
            return AlreadyTaken;
    }
    if (!unit->isDamaged)
    {
        const auto type = unit->getTypeInfo();
        const int lastLevel = type ? type->levelCount() - 1 : 0;
        if (unit->getLevel() >= lastLevel ||
            (unit->getMaxLevel() != -1 && unit->getLevel() >= unit->getMaxLevel()))
            return NotServiceable;
    }
    return checkGoal(unit, cost, checkState, blocked);
}

void GameController::startProduction(cUnit::Ptr unit)
{
    startChain(boost::make_shared<ProduceActionItem>(unit));
}

void GameController::startAutoProduction()
{
    Game* game = Game::instance();
    // A level without an automatic production time has no automatic production: a period
    // of 0 would yield every frame.
    if (!(game->getAutoProduceTime() > 0.0f))
        return;
    auto item = boost::make_shared<AutoProduceActionItem>(cUnit::Ptr());
    m_autoProductionItem = item;
    item->started.connect(boost::bind(&GameController::registerChain, this, boost::placeholders::_1));
    item->startWithTime(game->getAutoProduceTime());
}

void GameController::dropUnit(cUnit::Ptr unit, float, float delay)
{
    unit->setState(eUnitState::hidden, -1);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<LockUnitActionItem>(unit, static_cast<int>(eUnitState::falling)));
    chain->add(boost::make_shared<UnitStateActionItem>(unit, eUnitState::hidden, delay));
    chain->add(boost::make_shared<FallingUnitActionItem>(unit));
    chain->add(boost::make_shared<UnlockUnitActionItem>(unit));
    startChain(chain);
}

void GameController::startAnimalUpgrades()
{
    Game* game = Game::instance();
    const int animal = GameConfig::instance().getCategoryId(UnitCategory::animal);
    std::vector<cUnit::Ptr> animals;
    const auto range = game->getUnitsByCategory().equal_range(animal);
    for (auto it = range.first; it != range.second; ++it)
        animals.push_back(it->second);
    for (const cUnit::Ptr& unit : animals)
    {
        startChain(boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), unit, cUnit::Ptr()));
        unit->setState(eUnitState::idle, -1);
    }
}

void GameController::scheduleCataclysms()
{
    const std::vector<CataclysmInfo> records = Game::instance()->getCataclysms();
    for (size_t i = 0; i < records.size(); ++i)
        if (records[i].StartTime != -1)
            startCataclysm(static_cast<float>(records[i].StartTime), static_cast<int>(i));
}
