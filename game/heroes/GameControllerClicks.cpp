// GameController: what a click on a unit, or on a unit view's upgrade button, does.
#include "game/heroes/GameController.h"

#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/LockUnitActionItem.h"
#include "game/heroes/UnlockUnitActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelTutor.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"

#include <boost/make_shared.hpp>

namespace
{

// Tutorial tip event kinds the clicks show.
constexpr int kTipNotEnoughResources = 2;
constexpr int kTipNoRoute = 3;

bool isOfCategory(const cUnit::Ptr& unit, const wchar_t* category)
{
    return unit && GameConfig::instance().isOfCategory(unit->getTypeId(), category);
}

cUnit::Ptr unitOf(Engine::cView* view)
{
    const auto* unitView = dynamic_cast<const UnitView*>(view);
    return unitView ? unitView->getUnit() : cUnit::Ptr();
}

bool isQueueable(UnitProblem problem)
{
    return problem == NoProblem || problem == NoFreeHero;
}

} // namespace

void GameController::ignoreUnit(Engine::cView*) {}

namespace
{

// Why the click was refused, shown the player's way: the tooltip, a tutorial tip, and the
// arrow at what blocks the way.
void giveFeedback(GameController& controller, const cUnit::Ptr& unit, UnitProblem problem)
{
    controller.problemSignal(unit, problem);
    if (problem == NoRoute)
    {
        unit->showTip(kTipNoRoute);
        Game* game = Game::instance();
        game->showObstacleArrow(game->findObstacle(unit));
    }
    else if (problem == NotEnoughResources)
        unit->showTip(kTipNotEnoughResources);
}

} // namespace

void GameController::onUnitClick(Engine::cView* view)
{
    Game* game = Game::instance();
    if (!game || game->isLevelOver())
        return;
    const cUnit::Ptr unit = unitOf(view);
    if (!unit || unit->isRemoved())
        return;
    game->playUnitStateSound(unit);
    if (isOfCategory(unit, UnitCategory::animal))
        return;
    if (!LevelTutor::instance().allowsClick(unit, false))
        return;
    if (unit->typeName == L"BarrierFlood")
        return;
    cGameResources cost;
    Engine::cPoint blocked = kNoCell;
    const UnitProblem problem = getUnitProblem(unit, cost, blocked);
    if (!isQueueable(problem))
    {
        giveFeedback(*this, unit, problem);
        return;
    }
    if (isOfCategory(unit, UnitCategory::mill) && unit->getAttached().empty() && !unit->isInFireOrDamaged())
    {
        // A built mill with nothing lying at it has nothing to fetch. A mill that already
        // produces at its first level is the same: a hero sent there would wait for ever.
        const auto info = unit->getActiveLevelInfo();
        if (unit->getLevel() > 0 || (info && !info->resOut.isEmpty()))
            return;
    }
    addGoal(unit, cost, false);
}

void GameController::onAnimalClick(Engine::cView* view)
{
    Game* game = Game::instance();
    const cUnit::Ptr unit = unitOf(view);
    if (!game || !unit || unit->isRemoved())
        return;
    const auto type = unit->getTypeInfo();
    if (!LevelTutor::instance().allowsClick(unit, false))
        return;
    cGameResources cost;
    Engine::cPoint blocked = kNoCell;
    const UnitProblem problem = getUnitProblem(unit, cost, blocked);
    if (!isQueueable(problem))
    {
        giveFeedback(*this, unit, problem);
        return;
    }
    const int bringTo = type ? type->bringToTypeId : -1;
    if (bringTo == -1 || game->getUnits().count(bringTo) == 0)
    {
        addGoal(unit, cost, false);
        return;
    }
    const cUnit::Ptr base = game->getBase();
    const RoutePlan plan = base ? game->findRoute(base, unit) : RoutePlan();
    const Engine::cPoint start = plan.path && !plan.path->empty() ? plan.path->back() : unit->getCell();
    boost::shared_ptr<CellPath> path;
    Engine::cVector2 endOffset;
    if (game->routeToUnitOfType(bringTo, start, true, path, endOffset))
        addGoal(unit, cost, false);
    else
        problemSignal(unit, NoDestination);
}

void GameController::onUnitViewClick(Engine::cView* view)
{
    Game* game = Game::instance();
    const cUnit::Ptr unit = unitOf(view);
    if (!game || !unit || unit->isRemoved())
        return;
    const auto info = unit->getActiveLevelInfo();
    if (!info)
        return;
    if (!LevelTutor::instance().allowsClick(unit, true))
        return;
    Engine::cPoint blocked = kNoCell;
    if (isOfCategory(unit, UnitCategory::mill) || isOfCategory(unit, UnitCategory::plant))
    {
        const cGameResources cost(info->upIn);
        const UnitProblem problem = checkUpgradeGoal(unit, cost, false, blocked);
        if (!isQueueable(problem))
        {
            upgradeProblemSignal(unit, problem);
            return;
        }
        if (unit->getState() != eUnitState::idle && unit->getState() != eUnitState::produce)
        {
            upgradeProblemSignal(unit, Busy);
            return;
        }
        if (unit->isTaken() && unit->getTakenFor() != static_cast<int>(eUnitState::produce))
        {
            upgradeProblemSignal(unit, AlreadyTaken);
            return;
        }
        addGoal(unit, cost, true);
        if (auto* unitView = dynamic_cast<UnitView*>(view))
        {
            unitView->enable();
            unitView->setNormalLock(true);
        }
        return;
    }
    if (!isOfCategory(unit, UnitCategory::base))
        return;
    const cGameResources cost(info->upIn);
    const UnitProblem problem = checkUpgradeGoal(unit, cost, true, blocked);
    if (!isQueueable(problem))
    {
        upgradeProblemSignal(unit, problem);
        return;
    }
    if (!game->getResources().contains(cost))
    {
        upgradeProblemSignal(unit, NotEnoughResources);
        return;
    }
    game->subtractResources(cost);
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<LockUnitActionItem>(unit, static_cast<int>(eUnitState::upgrade)));
    chain->add(boost::make_shared<UpgradeActionItem>(cUnit::Ptr(), unit, cUnit::Ptr()));
    chain->add(boost::make_shared<UnlockUnitActionItem>(unit));
    startChain(chain);
    upgradeProblemSignal(unit, NoProblem);
}
