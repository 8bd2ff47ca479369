#include "game/heroes/LockUnitActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(LockUnitAction, &createActionItem<LockUnitActionItem>);

} // namespace

LockUnitActionItem::LockUnitActionItem() : ActionItem(LockUnitAction) {}

LockUnitActionItem::LockUnitActionItem(const UnitPtr& unit, int workCode)
    : ActionItem(LockUnitAction), m_unit(unit), m_workCode(workCode)
{
}

void LockUnitActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    archive.write4(m_workCode);
    writeUnit(archive, numbering, m_unit);
}

void LockUnitActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    archive.read4(m_workCode);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("a lock action without a unit");
}

void LockUnitActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void LockUnitActionItem::finish()
{
    m_unit->setTaken(m_workCode);
    notifyFinished();
}
