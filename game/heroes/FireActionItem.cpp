#include "game/heroes/FireActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/world/Game.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(FireAction, &createActionItem<FireActionItem>);

} // namespace

FireActionItem::FireActionItem() : FireActionItem(UnitPtr(), UnitPtr(), UnitPtr()) {}

FireActionItem::FireActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit)
    : WorkActionItem(FireAction, hero, target, attachUnit)
{
}

void FireActionItem::start()
{
    if (!m_attachUnit)
        throw "FireActionItem::start(): there is no attach for extinguish fire";
    WorkActionItem::start();
    if (m_hero)
        m_hero->setState(eUnitState::destroy, m_target->getTypeId());
}

void FireActionItem::update()
{
    if (isDone())
        return;
    UnitView* view = m_target->getUnitView();
    // A record read back may lack the tool: the work then begins at once.
    if (!m_working && m_elapsed >= m_delay)
    {
        progressOn(m_target);
        if (m_attachUnit)
            m_attachUnit->setState(eUnitState::destroy, -1);
        if (view)
            view->startFade(m_duration);
        if (m_tool)
            m_tool->setState(eUnitState::destroy, -1);
        m_working = true;
    }
    if (m_working && view)
        view->fadeStep(frameTime());
    WorkActionItem::update();
}

void FireActionItem::finish()
{
    Game* game = Game::instance();
    // While it still burns, the unit's rules are its fire's: the fire's yield is
    // given.
    game->giveUnitResources(m_target);
    m_target->inFire = false;
    m_target->setState(m_target->isDamaged ? eUnitState::damageIdle : eUnitState::idle, -1);
    WorkActionItem::finish();
    notifyFinished();
}
