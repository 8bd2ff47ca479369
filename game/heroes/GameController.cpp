// GameController: the goal queue, the assignment of goals to heroes, the running chains and
// the chains the level starts by itself (automatic production, cataclysms, the flood).
#include "game/heroes/GameController.h"

#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/CataclysmActionItem.h"
#include "game/heroes/DestroyActionItem.h"
#include "game/heroes/ProduceActionItem.h"
#include "game/heroes/UnitStateActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/GameTrace.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cGameSounds.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>

using namespace boost::placeholders;

namespace
{

bool isOfCategory(const cUnit::Ptr& unit, const wchar_t* category)
{
    return unit && GameConfig::instance().isOfCategory(unit->getTypeId(), category);
}

// A copy of the units of a category, in the order they joined the level: the walks below
// start actions that may add or remove units.
std::vector<cUnit::Ptr> unitsOfCategory(Game& game, const wchar_t* category)
{
    std::vector<cUnit::Ptr> units;
    const int id = GameConfig::instance().getCategoryId(category);
    const auto range = game.getUnitsByCategory().equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        units.push_back(it->second);
    return units;
}

int attachTypeOf(const boost::shared_ptr<UnitTypeInfo>& type)
{
    return type ? type->attachTypeId : -1;
}

} // namespace

GameController::GameController() = default;

GameController::~GameController() = default;

void GameController::init()
{
    Game* game = Game::instance();
    if (!game)
        return;
    game->addHero();
    game->buildLevelGoals();
    game->loadResourceTexts();
    startAutoProduction();
    startAnimalUpgrades();
    scheduleCataclysms();
    showAllGarbage();
    m_pendingGoals.clear();
}

void GameController::showAllGarbage()
{
    Game* game = Game::instance();
    if (!game)
        return;
    for (const auto& entry : game->getUnitsByCategory())
        entry.second->showGarbage(true);
}

void GameController::registerChain(const ActionItem::Ptr& chain)
{
    if (!chain)
        return;
    const int id = ++m_chainCounter;
    m_runningChains[id] = chain;
    chain->finished.connect(boost::bind(&GameController::onChainDone, this, id, _1));
    chain->completed.connect(boost::bind(&GameController::onChainDone, this, id, _1));
}

void GameController::onChainDone(int id, const ActionItem::Ptr&)
{
    m_runningChains.erase(id);
}

void GameController::update()
{
    // Chains end and start during the step: a chain registered now is stepped from the next
    // frame, one that ended is still visited but no longer active.
    std::vector<ActionItem::Ptr> chains;
    chains.reserve(m_runningChains.size());
    for (const auto& entry : m_runningChains)
        chains.push_back(entry.second);
    for (const ActionItem::Ptr& chain : chains)
        if (chain->isActive())
            chain->update();
}

void GameController::stopAllActions()
{
    // Stopping erases nothing, but a stop handler may register a chain: the walk goes over
    // the chains registered when it began.
    std::vector<ActionItem::Ptr> chains;
    for (const auto& entry : m_runningChains)
        chains.push_back(entry.second);
    for (const ActionItem::Ptr& chain : chains)
        chain->stop();
}

void GameController::startChain(const ActionItem::Ptr& chain)
{
    chain->started.connect(boost::bind(&GameController::registerChain, this, _1));
    chain->start();
}

unsigned GameController::countWaitingGoals() const
{
    return static_cast<unsigned>(std::count_if(m_pendingGoals.begin(), m_pendingGoals.end(),
                                               [](const GoalPtr& goal)
                                               { return goal->getStatus() == Goal::Waiting; }));
}

unsigned GameController::waitingGoalsLimit() const
{
    const Game* game = Game::instance();
    const cUnit::Ptr base = game ? game->getBase() : cUnit::Ptr();
    const unsigned baseLevel = base ? static_cast<unsigned>(std::max(base->getLevel(), 0)) : 0u;
    return (baseLevel + 1u) *
           static_cast<unsigned>(std::max(GameConfig::instance().getConstants().GoalsListLimit, 0));
}

bool GameController::addGoal(cUnit::Ptr target, cGameResources cost, bool upgrade)
{
    Game* game = Game::instance();
    GameConfig& config = GameConfig::instance();
    if (countWaitingGoals() >= waitingGoalsLimit())
        return false;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->play("add_unit_goal");
    auto goal = boost::make_shared<Goal>(target, cost);
    m_pendingGoals.push_back(goal);
    GameTrace::write((L"Goal queued: " + target->typeName + (upgrade ? L" upgrade\n" : L"\n")).c_str());
    target->setTaken(-1);

    int attachType = attachTypeOf(target->getTypeInfo());
    if (target->inFire)
        attachType = attachTypeOf(config.getFakeFireBarrier());
    else if (target->isDamaged)
        attachType = attachTypeOf(config.getFakeDamagedUnit());
    const bool mill = isOfCategory(target, UnitCategory::mill);
    if (mill && upgrade && target->getLevel() > 0)
        attachType = attachTypeOf(config.getFakeDamagedUnit());
    goal->setAttachType(attachType);

    game->subtractResources(cost);

    if (mill && !upgrade && !target->getAttached().empty())
    {
        // The resources lying at the mill carry the tick; the hero fetches them empty-handed.
        for (const cUnit::Ptr& unit : target->getAttached())
            if (isOfCategory(unit, UnitCategory::resource))
            {
                setGoalTick(unit, true);
                goal->setAttachType(-1);
            }
    }
    else
        setGoalTick(target, true);
    goal->setUpgrade(upgrade);
    assignGoals();
    return true;
}

void GameController::assignGoals()
{
    Game* game = Game::instance();
    if (!game)
        return;
    GameConfig& config = GameConfig::instance();
    const int attachCategory = config.getCategoryId(UnitCategory::attach);
    const std::vector<cUnit::Ptr> heroes = unitsOfCategory(*game, UnitCategory::hero);
    // The builders neither add nor remove goals; a copy still keeps the walk safe from a
    // goal that a finished chain takes out of the list.
    const std::list<GoalPtr> goals = m_pendingGoals;
    for (const GoalPtr& goal : goals)
    {
        if (goal->getStatus() != Goal::Waiting)
            continue;
        const cUnit::Ptr target = goal->getTarget();
        cUnit::Ptr chosen;
        float best = 3.4e38f;
        for (const cUnit::Ptr& hero : heroes)
        {
            if (hero->getGoal() || hero->isRemoved())
                continue;
            bool free = false;
            if (hero->getAttached().empty())
                free = game->isParked(hero);
            else
                for (const cUnit::Ptr& unit : hero->getAttached())
                    if (const auto type = unit->getTypeInfo())
                        if (type->categoryId == attachCategory && unit->getTypeId() == goal->getAttachType())
                            free = true;
            if (!free)
                continue;
            const RoutePlan plan = game->findRoute(hero, target);
            // A hero that no path leads from cannot take the goal.
            if (!plan.path)
                continue;
            const float length = Game::pathLength(plan.path);
            if (length < best)
            {
                best = length;
                chosen = hero;
            }
        }
        if (!chosen)
            continue;
        if (chosen->homeChain)
            chosen->snapToView();
        if (assignGoal(chosen, goal))
        {
            chosen->setGoal(goal);
            goal->setStatus(Goal::Assigned);
            goal->setHero(chosen);
        }
    }
}

bool GameController::assignGoal(cUnit::Ptr hero, GoalPtr goal)
{
    const cUnit::Ptr target = goal->getTarget();
    if (target->inFire)
        assignFireGoal(hero, goal);
    else if (target->isDamaged)
        assignRepairGoal(hero, goal);
    else if (goal->isUpgrade())
        assignUpgradeGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::mill))
    {
        // A producing mill with nothing lying at it yet has nothing to fetch: the goal waits
        // for the heap instead of holding a hero that would never set out.
        const auto info = target->getActiveLevelInfo();
        if (info && !info->resOut.isEmpty() && target->getAttached().empty())
            return false;
        assignMillGoal(hero, goal);
    }
    else if (isOfCategory(target, UnitCategory::plant))
        assignPlantGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::barrier))
        assignBarrierGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::road) || isOfCategory(target, UnitCategory::barrierroad))
        assignRoadGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::resource))
        assignResourceGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::animal))
        assignAnimalGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::quest))
        assignQuestGoal(hero, goal);
    else if (isOfCategory(target, UnitCategory::bonus))
        assignBonusGoal(hero, goal);
    else
        return false;
    return true;
}

void GameController::removeGoal(GoalPtr goal)
{
    setGoalTick(goal->getTarget(), false);
    m_pendingGoals.remove(goal);
}

void GameController::cancelGoals()
{
    const std::list<GoalPtr> goals = m_pendingGoals;
    for (const GoalPtr& goal : goals)
        cancelGoal(goal);
}

bool GameController::cancelGoal(GoalPtr goal)
{
    if (goal->getStatus() == Goal::Working ||
        std::find(m_pendingGoals.begin(), m_pendingGoals.end(), goal) == m_pendingGoals.end())
        return false;
    withdrawGoal(goal);
    return true;
}

void GameController::endGoalsOn(const cUnit::Ptr& unit)
{
    const std::list<GoalPtr> goals = m_pendingGoals;
    for (const GoalPtr& goal : goals)
        if (goal->getTarget() == unit &&
            std::find(m_pendingGoals.begin(), m_pendingGoals.end(), goal) != m_pendingGoals.end())
            withdrawGoal(goal);
}

void GameController::withdrawGoal(const GoalPtr& goal)
{
    Game* game = Game::instance();
    const cUnit::Ptr target = goal->getTarget();
    target->clearTaken();
    setGoalTick(target, false);
    if (isOfCategory(target, UnitCategory::mill))
        for (const cUnit::Ptr& unit : target->getAttached())
            if (isOfCategory(unit, UnitCategory::resource))
            {
                unit->clearTaken();
                setGoalTick(unit, false);
            }
    game->addResources(goal->getResources());
    m_pendingGoals.remove(goal);
    if (goal->getStatus() == Goal::Waiting)
        return;
    // Work under way ends where it stands: the bar goes, the hero and its tool stand idle.
    if (goal->getStatus() == Goal::Working)
        if (const auto* chain = dynamic_cast<const BaseActionsItem*>(goal->getAction().get()))
            if (const ActionItem::Ptr current = chain->getCurrent())
                current->stop();
    goal->releaseAction();
    if (const cUnit::Ptr hero = goal->getHero())
    {
        // The hero stops where it stands before it turns home.
        if (hero->getGoal() == goal)
            hero->resetGoal();
        buildReturnChain(hero);
    }
}

void GameController::onAutoProduced()
{
    Game* game = Game::instance();
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playSingle("auto_give_resource", 0.2f, 0.0f);
    for (const wchar_t* category : {UnitCategory::mill, UnitCategory::quest})
        for (const cUnit::Ptr& unit : unitsOfCategory(*game, category))
        {
            if (unit->isInFireOrDamaged() || unit->isRemoved())
                continue;
            boost::make_shared<AutoProduceActionItem>(unit)->produce();
            boost::make_shared<ProduceActionItem>(unit)->finish();
        }
    const cUnit::Ptr base = game->getBase();
    if (base && !base->isInFireOrDamaged())
        boost::make_shared<AutoProduceActionItem>(base)->produce();
}

void GameController::startCataclysm(float delay, int index)
{
    auto chain = boost::make_shared<BaseActionsItem>();
    if (delay > 0.0f)
        chain->add(boost::make_shared<UnitStateActionItem>(cUnit::Ptr(), eUnitState::idle, delay));
    chain->add(boost::make_shared<CataclysmActionItem>(index));
    startChain(chain);
}

void GameController::startLinkedCataclysms(cUnit::Ptr unit)
{
    Game* game = Game::instance();
    const int index = unit->getTriggerCataclysm();
    if (index >= 0 && index < static_cast<int>(game->getCataclysms().size()))
        startCataclysm(0.0f, index);
}

void GameController::handleHeroUnit(cUnit::Ptr unit)
{
    Game* game = Game::instance();
    if (!game)
        return;
    GameConfig& config = GameConfig::instance();
    if (config.isOfCategory(unit->getTypeId(), UnitCategory::base))
        if (const cUnit::Ptr base = game->getBase())
        {
            // Every level a base gains houses one more hero.
            const cUnit::Ptr hero = game->addUnit(config.getTypeId(L"hero"), 0, -1, eUnitState::idle, 0.0f,
                                                  game->cellToPos(base->getCell()), {}, L"");
            game->parkUnit(hero);
        }
    startLinkedCataclysms(unit);
}

void GameController::handleUnit(cUnit::Ptr unit)
{
    if (Game::instance() && isOfCategory(unit, UnitCategory::barrier))
        startLinkedCataclysms(unit);
}

void GameController::removeFlood()
{
    const cUnit::Ptr flood = Game::instance()->getFloodBarrier();
    if (!flood || flood->isRemoved())
        return;
    auto chain = boost::make_shared<BaseActionsItem>();
    chain->add(boost::make_shared<DestroyActionItem>(cUnit::Ptr(), flood, cUnit::Ptr()));
    startChain(chain);
}

bool GameController::hasAutoOutputMill() const
{
    for (const cUnit::Ptr& unit : unitsOfCategory(*Game::instance(), UnitCategory::mill))
        if (const auto info = unit->getActiveLevelInfo())
            if (!info->autoResOut.isEmpty())
                return true;
    return false;
}

void GameController::resumeAutoProduction()
{
    if (m_autoProductionItem)
        m_autoProductionItem->resetDone();
}

void GameController::setGoalTick(const cUnit::Ptr& unit, bool visible)
{
    if (!unit)
        return;
    if (UnitView* view = unit->getUnitView())
        view->showGoalTick(visible);
}
