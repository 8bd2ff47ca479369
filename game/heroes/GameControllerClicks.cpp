// GameController: what a click on a unit, or on a unit view's upgrade button, does.
#include "game/heroes/GameController.h"

#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/LockUnitActionItem.h"
#include "game/heroes/UnlockUnitActionItem.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/GameTrace.h"
#include "game/world/LevelTutor.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"

#include <boost/make_shared.hpp>

#include <string>

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

// The unit a click on `view` is about; empty when there is none to click, and empty, the
// refusal traced, for a unit that has left the field.
cUnit::Ptr clickedUnit(Engine::cView* view, bool upgrade)
{
    const cUnit::Ptr unit = unitOf(view);
    if (!Game::instance() || !unit)
        return {};
    if (unit->isRemoved())
    {
        GameController::traceNoGoal(unit, upgrade, L"it has left the field");
        return {};
    }
    return unit;
}

bool isQueueable(UnitProblem problem)
{
    return problem == NoProblem || problem == NoFreeHero;
}

// Why the planner refused a unit, for the trace; "(told)" where the player is shown why.
std::wstring problemReason(const cUnit::Ptr& unit, UnitProblem problem)
{
    switch (problem)
    {
    case NoRoute:
        return L"no way there yet (told)";
    case NotEnoughResources:
        return L"not enough in stock (told)";
    case NoDestination:
        return L"no open hospital takes it (told)";
    case AlreadyTaken:
        // A goal's unit is taken from its click on (-1); work under way takes it for its kind.
        return unit->getTakenFor() == -1
                   ? std::wstring(L"taken by another goal")
                   : L"taken by work under way (" + std::wstring(unitStateName(unit->getTakenFor())) + L")";
    case Busy:
        return L"busy (" + std::wstring(unitStateName(unit->getState())) + L")";
    case NotServiceable:
        return L"it takes no goal";
    case NoFreeHero:
        return L"no free hero";
    case NoProblem:
        break;
    }
    return L"no problem";
}

std::wstring tutorReason()
{
    const cUnit::Ptr pointed = LevelTutor::instance().getPointedUnit();
    return L"the tutorial's tip at " + (pointed ? GameController::traceName(pointed) : std::wstring(L"?")) +
           L" holds the click";
}

std::wstring fullListReason(const GameController& controller)
{
    return L"the goal list is full (" + std::to_wstring(controller.countWaitingGoals()) + L" waiting)";
}

} // namespace

std::wstring GameController::traceName(const cUnit::Ptr& unit)
{
    if (!unit)
        return L"?";
    Game* game = Game::instance();
    if (!game || unit->isRemoved())
        return unit->typeName;
    int number = 0;
    const auto range = game->getUnits().equal_range(unit->getTypeId());
    for (auto it = range.first; it != range.second; ++it)
        if (!it->second->isRemoved())
        {
            ++number;
            if (it->second == unit)
                break;
        }
    return unit->typeName + L"#" + std::to_wstring(number);
}

void GameController::traceNoGoal(const cUnit::Ptr& unit, bool upgrade, const std::wstring& reason)
{
    GameTrace::write(((upgrade ? L"Upgrade click on " : L"Click on ") + traceName(unit) +
                      L" makes no goal: " + reason + L"\n")
                         .c_str());
}

bool GameController::isNeverOrdered(const cUnit::Ptr& unit)
{
    return isOfCategory(unit, UnitCategory::hero) || isOfCategory(unit, UnitCategory::attach) ||
           isOfCategory(unit, UnitCategory::ambient);
}

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

// Whether a click on the unit is refused before it makes a goal, the refusal traced and shown
// the player where it is told: the tutorial's tip holds the click, the unit is a flood (which
// its pumping station drains), or the planner cannot serve the unit now. `cost` takes what its
// goal costs.
bool refusesClick(GameController& controller, const cUnit::Ptr& unit, cGameResources& cost)
{
    if (!LevelTutor::instance().allowsClick(unit, false))
    {
        GameController::traceNoGoal(unit, false, tutorReason());
        return true;
    }
    if (unit->typeName == L"BarrierFlood")
    {
        GameController::traceNoGoal(unit, false, L"a flood is drained by its pumping station, not ordered");
        return true;
    }
    Engine::cPoint blocked = kNoCell;
    const UnitProblem problem = controller.getUnitProblem(unit, cost, blocked);
    if (isQueueable(problem))
        return false;
    GameController::traceNoGoal(unit, false, problemReason(unit, problem));
    giveFeedback(controller, unit, problem);
    return true;
}

// Puts the unit's goal on the list; false, traced, when the list is full.
bool queueGoal(GameController& controller, const cUnit::Ptr& unit, const cGameResources& cost, bool upgrade)
{
    if (controller.addGoal(unit, cost, upgrade))
        return true;
    GameController::traceNoGoal(unit, upgrade, fullListReason(controller));
    return false;
}

} // namespace

void GameController::onUnitClick(Engine::cView* view)
{
    Game* game = Game::instance();
    const cUnit::Ptr unit = unitOf(view);
    if (!game || !unit)
        return;
    if (game->isLevelOver())
    {
        traceNoGoal(unit, false, L"the level is over");
        return;
    }
    if (unit->isRemoved())
    {
        traceNoGoal(unit, false, L"it has left the field");
        return;
    }
    game->playUnitStateSound(unit);
    // An animal's click is onAnimalClick's, which runs first and traces its own refusals.
    if (isOfCategory(unit, UnitCategory::animal))
        return;
    // A hero, its tool or the birds are never ordered: the press reaches the unit under them too.
    if (isNeverOrdered(unit))
        return;
    cGameResources cost;
    if (refusesClick(*this, unit, cost))
        return;
    if (isOfCategory(unit, UnitCategory::mill) && unit->getAttached().empty() && !unit->isInFireOrDamaged())
    {
        // A built mill with nothing lying at it has nothing to fetch. A mill that already
        // produces at its first level is the same: a hero sent there would wait for ever.
        const auto info = unit->getActiveLevelInfo();
        if (unit->getLevel() > 0 || (info && !info->resOut.isEmpty()))
        {
            traceNoGoal(unit, false, L"nothing lies at the mill to fetch");
            return;
        }
    }
    queueGoal(*this, unit, cost, false);
}

void GameController::onAnimalClick(Engine::cView* view)
{
    const cUnit::Ptr unit = clickedUnit(view, false);
    if (!unit)
        return;
    Game* game = Game::instance();
    cGameResources cost;
    if (refusesClick(*this, unit, cost))
        return;
    const auto type = unit->getTypeInfo();
    const int bringTo = type ? type->bringToTypeId : -1;
    bool destination = bringTo == -1 || game->getUnits().count(bringTo) == 0;
    if (!destination)
    {
        const cUnit::Ptr base = game->getBase();
        const RoutePlan plan = base ? game->findRoute(base, unit) : RoutePlan();
        const Engine::cPoint start = plan.path && !plan.path->empty() ? plan.path->back() : unit->getCell();
        boost::shared_ptr<CellPath> path;
        Engine::cVector2 endOffset;
        destination = static_cast<bool>(game->routeToUnitOfType(bringTo, start, true, path, endOffset));
    }
    if (!destination)
    {
        traceNoGoal(unit, false, problemReason(unit, NoDestination));
        problemSignal(unit, NoDestination);
        return;
    }
    queueGoal(*this, unit, cost, false);
}

void GameController::onUnitViewClick(Engine::cView* view)
{
    const cUnit::Ptr unit = clickedUnit(view, true);
    if (!unit)
        return;
    Game* game = Game::instance();
    const auto info = unit->getActiveLevelInfo();
    if (!info)
    {
        traceNoGoal(unit, true, problemReason(unit, NotServiceable));
        return;
    }
    if (!LevelTutor::instance().allowsClick(unit, true))
    {
        traceNoGoal(unit, true, tutorReason());
        return;
    }
    const auto refuse = [&](UnitProblem problem)
    {
        traceNoGoal(unit, true, problemReason(unit, problem));
        upgradeProblemSignal(unit, problem);
    };
    Engine::cPoint blocked = kNoCell;
    if (isOfCategory(unit, UnitCategory::mill) || isOfCategory(unit, UnitCategory::plant))
    {
        const cGameResources cost(info->upIn);
        const UnitProblem problem = checkUpgradeGoal(unit, cost, false, blocked);
        if (!isQueueable(problem))
        {
            refuse(problem);
            return;
        }
        if (unit->getState() != eUnitState::idle && unit->getState() != eUnitState::produce)
        {
            refuse(Busy);
            return;
        }
        if (unit->isTaken() && unit->getTakenFor() != static_cast<int>(eUnitState::produce))
        {
            refuse(AlreadyTaken);
            return;
        }
        if (!queueGoal(*this, unit, cost, true))
            return;
        if (auto* unitView = dynamic_cast<UnitView*>(view))
        {
            unitView->enable();
            unitView->setNormalLock(true);
        }
        return;
    }
    if (!isOfCategory(unit, UnitCategory::base))
    {
        traceNoGoal(unit, true, problemReason(unit, NotServiceable));
        return;
    }
    const cGameResources cost(info->upIn);
    const UnitProblem problem = checkUpgradeGoal(unit, cost, true, blocked);
    if (!isQueueable(problem))
    {
        refuse(problem);
        return;
    }
    if (!game->getResources().contains(cost))
    {
        refuse(NotEnoughResources);
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
