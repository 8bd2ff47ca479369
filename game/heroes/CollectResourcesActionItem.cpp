#include "game/heroes/CollectResourcesActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(CollectResourcesAction,
                                          &createActionItem<CollectResourcesActionItem>);
}
CollectResourcesActionItem::CollectResourcesActionItem() : ActionItem(CollectResourcesAction) {}
CollectResourcesActionItem::CollectResourcesActionItem(const UnitPtr& c, const UnitPtr& s, const UnitPtr&)
    : ActionItem(CollectResourcesAction), m_carrier(c), m_source(s)
{
}
void CollectResourcesActionItem::save(LevelArchive& a, const UnitNumbering& n) const
{
    ActionItem::save(a, n);
    writeUnit(a, n, m_carrier);
    writeUnit(a, n, m_source);
}
void CollectResourcesActionItem::load(LevelArchive& a, const Units& u)
{
    ActionItem::load(a, u);
    m_carrier = readUnit(a, u);
    m_source = readUnit(a, u);
    if (!m_carrier || !m_source)
        a.fail("resources collected without a carrier or a source");
}
void CollectResourcesActionItem::start()
{
    ActionItem::start();
    if (auto g = m_carrier->getGoal())
        g->setStatus(Goal::Working);
}
void CollectResourcesActionItem::update()
{
    if (!isDone())
        finish();
}
void CollectResourcesActionItem::returnToBase()
{
    Game::instance()->getController().buildReturnChainWithUnload(m_carrier);
}
void CollectResourcesActionItem::finish()
{
    Game* game = Game::instance();
    m_carrier->resources.add(m_source->resources);
    m_carrier->setState(eUnitState::carry, -1);
    const UnitView* view = m_source->getUnitView();
    game->showFlyingIconText(view ? view->getPosition() : game->getUnitFieldPos(m_source),
                             m_source->resources);
    game->addResources(m_source->resources);
    const UnitPtr parent = m_source->getParent();
    if (parent && parent->getTakenFor() == -1)
        parent->clearTaken();
    else
        m_source->clearGarbage();
    // A pile with a falling time is sent again: a copy of it drops in its place after that time.
    if (m_source->fallingDelay > 0.0f)
        game->getController().dropUnit(game->cloneUnit(m_source), m_source->fallingDelay,
                                       m_source->fallingDelay);
    m_source->destroy();
    levelViews().refreshTips();
    updateActiveGoal(m_carrier, false);
    notifyFinished();
}
