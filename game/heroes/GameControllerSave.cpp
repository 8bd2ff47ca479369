// GameController: its block of the saved unfinished level.
#include "game/heroes/GameController.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/GiveResourcesActionItem.h"
#include "game/heroes/MoveActionItem.h"
#include "game/heroes/ParkActionItem.h"
#include "game/heroes/UnParkActionItem.h"
#include "game/heroes/WorkActionItem.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

#include <boost/make_shared.hpp>

#include <string>
#include <vector>

namespace
{

// An action record holds at least its type id and its two flag bytes; a goal record at least
// its target, hero, attach type, cost count, status and upgrade flag.
constexpr size_t kMinActionRecord = 6;
constexpr size_t kMinGoalRecord = 24;

// The hero a chain walks home and parks: the hero of its last child when that parks.
cUnit::Ptr parkedBy(const BaseActionsItem& chain)
{
    if (chain.getChildren().empty())
        return cUnit::Ptr();
    const auto* park = dynamic_cast<const ParkActionItem*>(chain.getChildren().back().get());
    return park ? park->getHero() : cUnit::Ptr();
}

// True when one of the chain's queued children leaves the base with the hero or walks it.
bool walks(const BaseActionsItem& chain, const cUnit::Ptr& hero)
{
    for (const ActionItem::Ptr& child : chain.getChildren())
    {
        if (const auto* move = dynamic_cast<const MoveActionItem*>(child.get()))
            if (move->getWalker() == hero)
                return true;
        if (const auto* unpark = dynamic_cast<const UnParkActionItem*>(child.get()))
            if (unpark->getHero() == hero)
                return true;
    }
    return false;
}

// The hero whose goal an item ends when it finishes (taking resources, handing them over,
// work): the item stops the game when that hero has no goal.
cUnit::Ptr heroWhoseGoalEnds(const ActionItem& item)
{
    if (const auto* collect = dynamic_cast<const CollectResourcesActionItem*>(&item))
        return collect->getCarrier();
    if (const auto* give = dynamic_cast<const GiveResourcesActionItem*>(&item))
        return give->getCarrier();
    if (const auto* work = dynamic_cast<const WorkActionItem*>(&item))
        return work->getHero();
    return cUnit::Ptr();
}

} // namespace

void GameController::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    archive.write4(static_cast<uint32_t>(m_runningChains.size()));
    for (const auto& entry : m_runningChains)
        entry.second->save(archive, numbering);
    archive.write4(static_cast<uint32_t>(m_pendingGoals.size()));
    for (const GoalPtr& goal : m_pendingGoals)
        goal->save(archive, numbering);
}

void GameController::restore(LevelArchive& archive, const std::vector<cUnit::Ptr>& units)
{
    const int chains = archive.readCount(kMinActionRecord);
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
    const int goals = archive.readCount(kMinGoalRecord);
    for (int i = 0; i < goals; ++i)
    {
        auto goal = boost::make_shared<Goal>();
        goal->load(archive, units);
        if (const cUnit::Ptr hero = goal->getHero())
            if (hero->getGoal())
                archive.fail("two goals for one hero");
        restoreGoal(goal);
    }
    relinkRestoredChains();
    // A hero taken out of the base sets out on its goal's route, and a hero's work ends its
    // goal: a chain that still has to do either for a hero without a goal is a damaged save
    // (playing on would stop the game).
    for (const auto& entry : m_runningChains)
    {
        std::vector<ActionItem::Ptr> items = {entry.second};
        if (const auto* chain = dynamic_cast<const BaseActionsItem*>(entry.second.get()))
        {
            items.push_back(chain->getCurrent());
            items.insert(items.end(), chain->getChildren().begin(), chain->getChildren().end());
        }
        for (const ActionItem::Ptr& item : items)
        {
            if (!item || item->isDone())
                continue;
            if (const auto* unpark = dynamic_cast<const UnParkActionItem*>(item.get()))
                if (!unpark->getHero()->getGoal())
                    archive.fail("a hero to set out from the base without a goal");
            if (const cUnit::Ptr hero = heroWhoseGoalEnds(*item))
                if (!hero->getGoal())
                    archive.fail("a hero's work without a goal");
        }
    }
}

void GameController::relinkRestoredChains()
{
    // The record keeps neither a hero's walk home nor a goal's chain: both are found again
    // among the restored chains, so that a new goal cuts the walk short and a cancel ends the
    // chain of the goal it cancels.
    Game* game = Game::instance();
    for (const auto& entry : m_runningChains)
    {
        const auto* chain = dynamic_cast<const BaseActionsItem*>(entry.second.get());
        if (!chain)
            continue;
        const cUnit::Ptr hero = parkedBy(*chain);
        if (hero && !(game && game->isParked(hero)))
            hero->homeChain = entry.second;
    }
    for (const GoalPtr& goal : m_pendingGoals)
    {
        const cUnit::Ptr hero = goal->getHero();
        if (!hero || goal->getAction())
            continue;
        for (const auto& entry : m_runningChains)
        {
            const auto* chain = dynamic_cast<const BaseActionsItem*>(entry.second.get());
            if (chain && entry.second != hero->homeChain && walks(*chain, hero))
            {
                goal->setAction(entry.second);
                break;
            }
        }
    }
}

void GameController::restoreGoal(GoalPtr goal)
{
    m_pendingGoals.push_back(goal);
    if (const cUnit::Ptr hero = goal->getHero())
        hero->setGoal(goal);
    if (goal->getStatus() == Goal::Waiting)
        setGoalTick(goal->getTarget(), true);
}
