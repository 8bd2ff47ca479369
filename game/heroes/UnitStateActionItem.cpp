#include "game/heroes/UnitStateActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(UnitStateAction, &createActionItem<UnitStateActionItem>);

} // namespace

UnitStateActionItem::UnitStateActionItem() : ActionItem(UnitStateAction) {}

UnitStateActionItem::UnitStateActionItem(const UnitPtr& unit, eUnitState state, float duration)
    : ActionItem(UnitStateAction), m_unit(unit), m_duration(duration), m_state(state)
{
}

void UnitStateActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_unit);
    archive.write4(m_elapsed);
    archive.write4(m_duration);
    archive.write4(static_cast<int32_t>(m_state));
}

void UnitStateActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_unit = readUnit(archive, units);
    archive.read4(m_elapsed);
    archive.read4(m_duration);
    int32_t state = 0;
    archive.read4(state);
    if (!isUnitState(state))
        archive.fail("a unit held in state " + std::to_string(state));
    m_state = static_cast<eUnitState>(state);
}

void UnitStateActionItem::start()
{
    if (m_unit)
        m_unit->setState(m_state, -1);
    ActionItem::start();
}

void UnitStateActionItem::update()
{
    if (isDone())
        return;
    m_elapsed += frameTime();
    if (m_elapsed > m_duration)
        m_elapsed = m_duration;
    if (m_elapsed == m_duration)
        finish();
}

void UnitStateActionItem::finish()
{
    if (m_unit)
        m_unit->setState(eUnitState::idle, -1);
    notifyFinished();
}
