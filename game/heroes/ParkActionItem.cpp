#include "game/heroes/ParkActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(ParkAction, &createActionItem<ParkActionItem>);

} // namespace

ParkActionItem::ParkActionItem() : ActionItem(ParkAction) {}

ParkActionItem::ParkActionItem(const UnitPtr& hero) : ActionItem(ParkAction), m_hero(hero) {}

void ParkActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_hero);
}

void ParkActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_hero = readUnit(archive, units);
    if (!m_hero)
        archive.fail("a park action without a hero");
}

void ParkActionItem::start()
{
    ActionItem::start();
    if (!m_hero->getAttached().empty())
    {
        // Destroying it takes it out of the list: hold it meanwhile.
        const UnitPtr carried = m_hero->getAttached().front();
        carried->destroy();
    }
}

void ParkActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void ParkActionItem::finish()
{
    Game::instance()->parkUnit(m_hero);
    notifyFinished();
}
