#include "game/heroes/TakeResourcesActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(TakeResourcesAction, &createActionItem<TakeResourcesActionItem>);

} // namespace

TakeResourcesActionItem::TakeResourcesActionItem() : ActionItem(TakeResourcesAction) {}

TakeResourcesActionItem::TakeResourcesActionItem(const UnitPtr& unit, const cGameResources& resources)
    : ActionItem(TakeResourcesAction), m_unit(unit), m_resources(resources)
{
}

void TakeResourcesActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_unit);
    m_resources.save(archive);
}

void TakeResourcesActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("resources taken by no unit");
    m_resources.load(archive);
}

void TakeResourcesActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void TakeResourcesActionItem::finish()
{
    m_unit->resources.add(m_resources);
    m_unit->setState(eUnitState::carry, -1);
    notifyFinished();
}
