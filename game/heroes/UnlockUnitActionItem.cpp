#include "game/heroes/UnlockUnitActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(UnlockUnitAction, &createActionItem<UnlockUnitActionItem>);

} // namespace

UnlockUnitActionItem::UnlockUnitActionItem() : ActionItem(UnlockUnitAction) {}

UnlockUnitActionItem::UnlockUnitActionItem(const UnitPtr& unit) : ActionItem(UnlockUnitAction), m_unit(unit)
{
}

void UnlockUnitActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_unit);
}

void UnlockUnitActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("an unlock action without a unit");
}

void UnlockUnitActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void UnlockUnitActionItem::finish()
{
    m_unit->clearTaken();
    notifyFinished();
}
