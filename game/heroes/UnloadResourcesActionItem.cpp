#include "game/heroes/UnloadResourcesActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(UnloadResourcesAction,
                                          &createActionItem<UnloadResourcesActionItem>);

} // namespace

UnloadResourcesActionItem::UnloadResourcesActionItem() : ActionItem(UnloadResourcesAction) {}

UnloadResourcesActionItem::UnloadResourcesActionItem(const UnitPtr& unit)
    : ActionItem(UnloadResourcesAction), m_unit(unit)
{
}

void UnloadResourcesActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_unit);
}

void UnloadResourcesActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_unit = readUnit(archive, units);
    if (!m_unit)
        archive.fail("an unload action without a unit");
}

void UnloadResourcesActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void UnloadResourcesActionItem::returnToBase()
{
    Game::instance()->getController().buildReturnChain(m_unit);
}

void UnloadResourcesActionItem::finish()
{
    m_unit->setState(eUnitState::idle, -1);
    m_unit->resources.clear();
    if (m_unit->getGoal())
        updateActiveGoal(m_unit, false);
    notifyFinished();
}
