// GameController: the chains that carry out goals, one builder per kind of target, and the
// chains that walk a hero home.
#include "game/heroes/GameController.h"

#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/FireActionItem.h"
#include "game/heroes/GiveResourcesActionItem.h"
#include "game/heroes/LockUnitActionItem.h"
#include "game/heroes/MoveActionItem.h"
#include "game/heroes/ParkActionItem.h"
#include "game/heroes/RepairActionItem.h"
#include "game/heroes/ReturnAnimalActionItem.h"
#include "game/heroes/SaveAnimalActionItem.h"
#include "game/heroes/SpeedBonusActionItem.h"
#include "game/heroes/TakeResourcesActionItem.h"
#include "game/heroes/UnParkActionItem.h"
#include "game/heroes/UnloadResourcesActionItem.h"
#include "game/heroes/UnlockUnitActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/make_shared.hpp>

namespace
{

using Chain = boost::shared_ptr<BaseActionsItem>;

boost::shared_ptr<MoveActionItem> makeMove(const cUnit::Ptr& walker, const GameController::Route& route,
                                           eUnitState walking, const Engine::cVector2& endOffset,
                                           eUnitState attachState)
{
    auto move = boost::make_shared<MoveActionItem>(walker, route, walking, endOffset);
    move->setAttachState(attachState);
    return move;
}

boost::shared_ptr<LockUnitActionItem> makeLock(const cUnit::Ptr& unit, eUnitState work)
{
    return boost::make_shared<LockUnitActionItem>(unit, static_cast<int>(work));
}

} // namespace

GameController::Route GameController::tryGoAndUpgrade(GoalPtr goal, cUnit::Ptr hero, cUnit::Ptr target, bool)
{
    Game* game = Game::instance();
    // The search stores the chosen approach as the target's work points.
    const RoutePlan plan = game->findRoute(hero, target);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::upgrade));
    chain->add(makeMove(hero, plan.path, eUnitState::carry, Engine::cVector2(), eUnitState::move));
    chain->add(boost::make_shared<UpgradeActionItem>(hero, target, game->attachTool(hero, target)));
    chain->add(boost::make_shared<UnlockUnitActionItem>(target));
    // The hero leaves the base on the goal's route.
    goal->setRoute(plan.path);
    startChain(chain);
    goal->setAction(chain);
    return plan.path;
}

void GameController::assignMillGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const cUnit::Ptr target = goal->getTarget();
    const auto info = target->getActiveLevelInfo();
    if (!info || info->resOut.isEmpty())
    {
        const Route route = tryGoAndUpgrade(goal, hero, target, true);
        if (!route)
            throw "GameController::assignMillGoal(): some problem is in tryGoAndUpgrade() because path is 0";
        goal->setRoute(route);
        return;
    }
    if (target->getAttached().empty())
        return;
    const ChainPlan plan = buildCollectResourcesChain(hero, target->getAttached().front());
    goal->setRoute(plan.route);
    if (plan.chain)
    {
        startChain(plan.chain);
        goal->setAction(plan.chain);
    }
}

void GameController::assignPlantGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const cUnit::Ptr target = goal->getTarget();
    const auto info = target->getActiveLevelInfo();
    if (!info || info->resOut.isEmpty())
    {
        const Route route = tryGoAndUpgrade(goal, hero, target, true);
        if (!route)
            throw "GameController::assignPlantGoal(): some problem is in tryGoAndUpgrade() because path is 0";
        goal->setRoute(route);
        return;
    }
    const RoutePlan plan = Game::instance()->findRoute(hero, target);
    goal->setRoute(plan.path);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::produce));
    chain->add(boost::make_shared<TakeResourcesActionItem>(hero, cGameResources(info->resIn)));
    chain->add(makeMove(hero, plan.path, eUnitState::carry, plan.endOffset, eUnitState::move));
    chain->add(boost::make_shared<GiveResourcesActionItem>(hero, target));
    chain->add(boost::make_shared<UnlockUnitActionItem>(target));
    startChain(chain);
    goal->setAction(chain);
}

void GameController::assignBarrierGoal(cUnit::Ptr hero, GoalPtr goal)
{
    Game* game = Game::instance();
    const cUnit::Ptr target = goal->getTarget();
    const RoutePlan plan = game->findRoute(hero, target);
    goal->setRoute(plan.path);
    auto chain = boost::make_shared<BaseActionsItem>();
    if (game->isParked(hero))
        chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::destroy));
    chain->add(makeMove(hero, plan.path, eUnitState::move, plan.endOffset, eUnitState::moveTo));
    chain->add(boost::make_shared<DestroyActionItem>(hero, target, game->attachTool(hero, target)));
    startChain(chain);
    goal->setAction(chain);
}

void GameController::assignRoadGoal(cUnit::Ptr hero, GoalPtr goal)
{
    Game* game = Game::instance();
    const cUnit::Ptr target = goal->getTarget();
    const RoutePlan plan = game->findRoute(hero, target);
    goal->setRoute(plan.path);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::upgrade));
    chain->add(makeMove(hero, plan.path, eUnitState::move, Engine::cVector2(), eUnitState::moveTo));
    chain->add(boost::make_shared<UpgradeActionItem>(hero, target, game->attachTool(hero, target)));
    startChain(chain);
    goal->setAction(chain);
}

void GameController::assignResourceGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const ChainPlan plan = buildCollectResourcesChain(hero, goal->getTarget());
    goal->setRoute(plan.route);
    if (plan.chain)
    {
        startChain(plan.chain);
        goal->setAction(plan.chain);
    }
}

void GameController::assignAnimalGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const ChainPlan plan = buildSaveAnimalChain(hero, goal->getTarget());
    goal->setRoute(plan.route);
    if (plan.chain)
    {
        startChain(plan.chain);
        goal->setAction(plan.chain);
    }
}

void GameController::assignQuestGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const Route route = tryGoAndUpgrade(goal, hero, goal->getTarget(), true);
    if (!route)
        throw "GameController::assignQuestGoal(): some problem is in tryGoAndUpgrade() because path is 0";
    goal->setRoute(route);
}

void GameController::assignUpgradeGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const Route route = tryGoAndUpgrade(goal, hero, goal->getTarget(), true);
    if (!route)
        throw "GameController::assignMillGoal(): some problem is in tryGoAndUpgrade() because path is 0";
    goal->setRoute(route);
}

void GameController::assignBonusGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const cUnit::Ptr target = goal->getTarget();
    const RoutePlan plan = Game::instance()->findRoute(hero, target);
    goal->setRoute(plan.path);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::destroy));
    chain->add(makeMove(hero, plan.path, eUnitState::move, plan.endOffset, eUnitState::move));
    chain->add(boost::make_shared<SpeedBonusActionItem>(hero, target));
    startChain(chain);
    goal->setAction(chain);
}

namespace
{

// The hero's tool for a fire or a repair: the one it carries, else a new one of the fake
// record's "Attach" type, attached to it.
cUnit::Ptr workTool(const cUnit::Ptr& hero, const boost::shared_ptr<UnitTypeInfo>& record)
{
    if (const cUnit::Ptr tool = hero->getAttachedOfType())
        return tool;
    if (!record || record->attachTypeId == -1)
        return cUnit::Ptr();
    Game* game = Game::instance();
    const cUnit::Ptr tool =
        game->addUnit(record->attachTypeId, 0, -1, eUnitState::idle, 0.0f, game->unitPos(hero), {}, L"");
    hero->attach(tool);
    return tool;
}

// The chain of a hero's work with a tool on a target: out of the base, the target locked, the
// walk to it, the work `Work` with the tool `toolRecord` names, the target unlocked.
template <class Work>
boost::shared_ptr<BaseActionsItem> toolWorkChain(const cUnit::Ptr& hero, const GameController::GoalPtr& goal,
                                                 const boost::shared_ptr<UnitTypeInfo>& toolRecord)
{
    const cUnit::Ptr target = goal->getTarget();
    const RoutePlan plan = Game::instance()->findRoute(hero, target);
    goal->setRoute(plan.path);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::destroy));
    chain->add(makeMove(hero, plan.path, eUnitState::move, plan.endOffset, eUnitState::moveTo));
    const cUnit::Ptr tool = workTool(hero, toolRecord);
    chain->add(boost::make_shared<Work>(hero, target, tool));
    chain->add(boost::make_shared<UnlockUnitActionItem>(target));
    return chain;
}

} // namespace

void GameController::assignFireGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const auto chain = toolWorkChain<FireActionItem>(hero, goal, GameConfig::instance().getFakeFireBarrier());
    startChain(chain);
    goal->setAction(chain);
}

void GameController::assignRepairGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const auto chain =
        toolWorkChain<RepairActionItem>(hero, goal, GameConfig::instance().getFakeDamagedUnit());
    startChain(chain);
    goal->setAction(chain);
}

void GameController::assignReturnAnimalGoal(cUnit::Ptr hero)
{
    const GoalPtr previous = hero->getGoal();
    if (!previous)
        throw "GameController::assignReturnAnimalGoal(): previous goal is 0";
    const int attachType = previous->getAttachType();
    removeGoal(previous);
    hero->resetGoal();
    Game* game = Game::instance();
    const auto hospitals = game->getUnits().equal_range(GameConfig::instance().getTypeId(L"Hospital"));
    cUnit::Ptr hospital;
    for (auto it = hospitals.first; it != hospitals.second && !hospital; ++it)
        if (!it->second->isRemoved())
            hospital = it->second;
    if (!hospital)
    {
        buildReturnChain(hero);
        return;
    }
    const RoutePlan plan = game->findRoute(hero, hospital);
    auto goal = boost::make_shared<Goal>(hospital, cGameResources());
    goal->setAttachType(attachType);
    goal->setRoute(plan.path);
    // The walk to the hospital is part of the work begun at the animal: it cannot be
    // cancelled, and it is saved with the level like every goal a hero holds.
    goal->setStatus(Goal::Working);
    goal->setHero(hero);
    hero->setGoal(goal);
    m_pendingGoals.push_back(goal);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(makeMove(hero, plan.path, eUnitState::carry, plan.endOffset, eUnitState::move));
    chain->add(boost::make_shared<ReturnAnimalActionItem>(hero, hospital));
    startChain(chain);
}

namespace
{

// The common part of the collect and save-animal chains: out of the base, the target taken,
// the walk, carrying when serving the target takes resources.
Chain approachChain(const cUnit::Ptr& hero, const cUnit::Ptr& target, const RoutePlan& plan)
{
    const auto info = target->getActiveLevelInfo();
    if (Game::isResourceName(target->typeName) && hero->getLevel() == 0)
        hero->setLevelAndState(1, eUnitState::idle, true);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<UnParkActionItem>(hero));
    chain->add(makeLock(target, eUnitState::carry));
    const eUnitState walking = info && !info->resIn.isEmpty() ? eUnitState::carry : eUnitState::move;
    chain->add(makeMove(hero, plan.path, walking, Engine::cVector2(), eUnitState::move));
    return chain;
}

} // namespace

GameController::ChainPlan GameController::buildCollectResourcesChain(cUnit::Ptr hero, cUnit::Ptr target)
{
    Game* game = Game::instance();
    const RoutePlan plan = game->findRoute(hero, target);
    const Chain chain = approachChain(hero, target, plan);
    chain->add(boost::make_shared<CollectResourcesActionItem>(hero, target, game->attachTool(hero, target)));
    return ChainPlan{chain, hero, plan.path, plan.endOffset};
}

GameController::ChainPlan GameController::buildSaveAnimalChain(cUnit::Ptr hero, cUnit::Ptr target)
{
    Game* game = Game::instance();
    const RoutePlan plan = game->findRoute(hero, target);
    const Chain chain = approachChain(hero, target, plan);
    chain->add(boost::make_shared<SaveAnimalActionItem>(hero, target, game->attachTool(hero, target)));
    return ChainPlan{chain, hero, plan.path, plan.endOffset};
}

void GameController::buildReturnChain(cUnit::Ptr hero)
{
    Game* game = Game::instance();
    const cUnit::Ptr base = game->getBase();
    if (!base)
        return;
    const RoutePlan plan = game->findRoute(hero, base);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(makeMove(hero, plan.path, eUnitState::move, plan.endOffset, eUnitState::moveBack));
    chain->add(boost::make_shared<ParkActionItem>(hero));
    startChain(chain);
    hero->homeChain = chain;
}

void GameController::buildReturnChainWithUnload(cUnit::Ptr hero)
{
    Game* game = Game::instance();
    const cUnit::Ptr base = game->getBase();
    if (!base)
        return;
    const RoutePlan plan = game->findRoute(hero, base);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(makeMove(hero, plan.path, eUnitState::carry, plan.endOffset, eUnitState::moveBack));
    chain->add(boost::make_shared<UnloadResourcesActionItem>(hero));
    chain->add(boost::make_shared<ParkActionItem>(hero));
    startChain(chain);
    hero->homeChain = chain;
}
