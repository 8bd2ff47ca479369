#include "game/heroes/GameController.h"

#include "game/hud/cUnitView.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"

#include "game/heroes/ActionItemFactory.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <string>

using namespace boost::placeholders;

GameController::~GameController() = default;

void GameController::init()
{
    Game* game = Game::instance();
    if (!game)
        return;
    game->addHero();
    game->buildLevelGoals();
    game->loadResourceTexts();
    showAllGarbage();
}

void GameController::update()
{
    // Chains end and start during the step: a chain registered now is stepped from the next
    // frame, one that ended is still visited but no longer active.
    std::vector<ActionItem::Ptr> chains;
    chains.reserve(m_chains.size());
    for (const auto& entry : m_chains)
        chains.push_back(entry.second);
    for (const ActionItem::Ptr& chain : chains)
        if (chain->isActive())
            chain->update();
}

void GameController::stopAllActions()
{
    // Stopping a chain may start or end others: walk a copy.
    const std::map<int, ActionItem::Ptr> chains = m_chains;
    for (const auto& [id, chain] : chains)
        chain->stop();
    m_chains.clear();
}

void GameController::assignGoals()
{
    // No goal waits before the player orders one.
}

void GameController::cancelGoals()
{
    // Nothing is queued that has not started.
}

void GameController::dropUnit(const cUnit::Ptr& unit, float, float)
{
    if (unit)
        unit->setState(eUnitState::hidden, -1);
}

void GameController::onUnitClick(Engine::cView* view)
{
    Game* game = Game::instance();
    if (!game || game->isLevelOver())
        return;
    auto* unitView = dynamic_cast<cUnitView*>(view);
    if (unitView && unitView->getUnit())
        game->playUnitStateSound(unitView->getUnit());
}

void GameController::onAnimalClick(Engine::cView*) {}

void GameController::handleHeroUnit(const cUnit::Ptr& unit)
{
    Game* game = Game::instance();
    GameConfig& config = GameConfig::instance();
    if (!game || !config.isOfCategory(unit->getTypeId(), UnitCategory::base))
        return;
    const cUnit::Ptr base = game->getBase();
    if (!base)
        return;
    // Every level a base gains houses one more hero.
    const cUnit::Ptr hero = game->addUnit(config.getTypeId(L"hero"), 0, -1, eUnitState::idle, 0.0f,
                                          game->cellToPos(base->getCell()), {}, L"");
    game->parkUnit(hero);
}

void GameController::handleUnit(const cUnit::Ptr&) {}

void GameController::showAllGarbage()
{
    Game* game = Game::instance();
    if (!game)
        return;
    for (const auto& entry : game->getUnits())
        entry.second->showGarbage(true);
}

void GameController::registerChain(const ActionItem::Ptr& chain)
{
    if (!chain)
        return;
    const int id = ++m_chainCounter;
    m_chains[id] = chain;
    chain->finished.connect(boost::bind(&GameController::onChainDone, this, id, _1));
    chain->completed.connect(boost::bind(&GameController::onChainDone, this, id, _1));
}

void GameController::onChainDone(int id, const ActionItem::Ptr&)
{
    m_chains.erase(id);
}

void GameController::removeGoal(const boost::shared_ptr<Goal>& goal)
{
    setGoalTick(goal->getTarget(), false);
    m_goals.remove(goal);
}

void GameController::buildReturnChain(const cUnit::Ptr&) {}

void GameController::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    archive.write4(static_cast<int32_t>(m_chains.size()));
    for (const auto& entry : m_chains)
        entry.second->save(archive, numbering);
    archive.write4(static_cast<int32_t>(m_goals.size()));
    for (const boost::shared_ptr<Goal>& goal : m_goals)
        goal->save(archive, numbering);
}

void GameController::restore(LevelArchive& archive, const std::vector<cUnit::Ptr>& units)
{
    // An action record holds at least its type id and two flag bytes.
    const int chains = archive.readCount(6);
    for (int i = 0; i < chains; ++i)
    {
        int32_t typeId = -1;
        archive.read4(typeId);
        const ActionItem::Ptr chain = ActionItemFactory(typeId);
        if (!chain)
            archive.fail("an action of unknown type " + std::to_string(typeId));
        chain->load(archive, units);
        registerChain(chain);
    }
    // A goal record holds at least its target, hero, attach type, cost count, status and
    // upgrade flag.
    const int goals = archive.readCount(24);
    for (int i = 0; i < goals; ++i)
    {
        auto goal = boost::make_shared<Goal>();
        goal->load(archive, units);
        restoreGoal(goal);
    }
}

void GameController::restoreGoal(const boost::shared_ptr<Goal>& goal)
{
    m_goals.push_back(goal);
    if (const cUnit::Ptr hero = goal->getHero())
        hero->setGoal(goal);
    if (goal->getStatus() == Goal::Waiting)
        setGoalTick(goal->getTarget(), true);
}

void GameController::setGoalTick(const cUnit::Ptr& unit, bool visible)
{
    // The tick over a unit's view is drawn by the unit views; until they show one, a goal's
    // place in the list is what marks it.
    (void)unit;
    (void)visible;
}
