#include "game/heroes/GiveResourcesActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/cUnit.h"
#include <boost/make_shared.hpp>
namespace
{
const ActionItemRegistration registration(GiveResourcesAction, &createActionItem<GiveResourcesActionItem>);
}
GiveResourcesActionItem::GiveResourcesActionItem() : ActionItem(GiveResourcesAction) {}
GiveResourcesActionItem::GiveResourcesActionItem(const UnitPtr& c, const UnitPtr& r)
    : ActionItem(GiveResourcesAction), m_carrier(c), m_receiver(r)
{
}
void GiveResourcesActionItem::save(LevelArchive& a, const UnitNumbering& n) const
{
    ActionItem::save(a, n);
    writeUnit(a, n, m_carrier);
    writeUnit(a, n, m_receiver);
}
void GiveResourcesActionItem::load(LevelArchive& a, const Units& u)
{
    ActionItem::load(a, u);
    m_carrier = readUnit(a, u);
    m_receiver = readUnit(a, u);
    if (!m_carrier || !m_receiver)
        a.fail("resources given without a carrier or a receiver");
}
void GiveResourcesActionItem::update()
{
    if (!isDone())
        finish();
}
void GiveResourcesActionItem::returnToBase()
{
    Game::instance()->getController().buildReturnChain(m_carrier);
}
void GiveResourcesActionItem::finish()
{
    GameController& controller = Game::instance()->getController();
    m_carrier->setState(eUnitState::idle, -1);
    m_carrier->resources.clear();
    if (GameConfig::instance().isOfCategory(m_receiver->getTypeId(), UnitCategory::plant))
    {
        if (!m_receiver->getAttached().empty() && !m_receiver->getAttached().front()->isTaken())
        {
            boost::make_shared<CollectResourcesActionItem>(m_carrier, m_receiver->getAttached().front())
                ->finish();
            controller.startProduction(m_receiver);
            notifyFinished();
            return;
        }
        controller.startProduction(m_receiver);
    }
    updateActiveGoal(m_carrier, false);
    notifyFinished();
}
