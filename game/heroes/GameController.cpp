#include "game/heroes/GameController.h"

#include "game/hud/cUnitView.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"

#include <string>

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
    const std::map<int, ActionItem::Ptr> chains = m_chains;
    for (const auto& [id, chain] : chains)
        if (chain->isActive())
            chain->update();
    // A chain that is no longer active has ended.
    for (auto it = m_chains.begin(); it != m_chains.end();)
        it = it->second->isActive() ? std::next(it) : m_chains.erase(it);
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
    if (chain)
        m_chains[m_nextChainId++] = chain;
}

void GameController::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    archive.write4(static_cast<int32_t>(m_chains.size()));
    for (const auto& [id, chain] : m_chains)
    {
        archive.write4(chain->getTypeId());
        chain->save(archive, numbering);
    }
    // The goal queue.
    archive.write4(static_cast<int32_t>(0));
}

void GameController::restore(LevelArchive& archive, const std::vector<cUnit::Ptr>&)
{
    // A saved chain or goal can only be read by the action it belongs to.
    const int chains = archive.readCount(4);
    if (chains != 0)
        archive.fail(std::to_string(chains) + " running actions, which this game cannot resume");
    const int goals = archive.readCount(4);
    if (goals != 0)
        archive.fail(std::to_string(goals) + " waiting goals, which this game cannot resume");
}
