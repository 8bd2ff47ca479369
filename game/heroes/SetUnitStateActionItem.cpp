#include "game/heroes/SetUnitStateActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(SetUnitStateAction, &createActionItem<SetUnitStateActionItem>);

} // namespace

SetUnitStateActionItem::SetUnitStateActionItem() : ActionItem(SetUnitStateAction) {}

void SetUnitStateActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    archive.write4(static_cast<int32_t>(m_state));
    writeUnit(archive, numbering, m_unit);
}

void SetUnitStateActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    int32_t state = 0;
    archive.read4(state);
    if (!isUnitState(state))
        archive.fail("a unit set to state " + std::to_string(state));
    m_state = static_cast<eUnitState>(state);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("a state action without a unit");
}

void SetUnitStateActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void SetUnitStateActionItem::finish()
{
    m_unit->setState(m_state, -1);
    notifyFinished();
}
