#include "game/heroes/UnParkActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(UnParkAction, &createActionItem<UnParkActionItem>);

} // namespace

UnParkActionItem::UnParkActionItem() : ActionItem(UnParkAction) {}

UnParkActionItem::UnParkActionItem(const UnitPtr& hero) : ActionItem(UnParkAction), m_hero(hero) {}

void UnParkActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_hero);
}

void UnParkActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_hero = readUnit(archive, units);
    if (!m_hero)
        archive.fail("an unpark action without a hero");
}

void UnParkActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void UnParkActionItem::finish()
{
    Game* game = Game::instance();
    m_hero->setState(eUnitState::idle, -1);
    if (const UnitPtr base = game->getBase())
        base->detach(m_hero);
    const boost::shared_ptr<Goal> goal = m_hero->getGoal();
    if (!goal)
        throw "UnParkActionItem::finish(): hero has not active goal";
    // The search gives no cells when the goal's approach cell is the base's own cell (and a
    // goal restored from a save searches its route again, which may find nothing): the hero
    // then sets out from where it stands.
    const Goal::Route route = goal->getRoute();
    const Engine::cPoint cell = route && !route->empty() ? route->front() : m_hero->getCell();
    m_hero->setCell(cell, game->getBasePoint());
    notifyFinished();
}
