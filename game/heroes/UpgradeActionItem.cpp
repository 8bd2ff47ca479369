#include "game/heroes/UpgradeActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(UpgradeAction, &createActionItem<UpgradeActionItem>);
bool isOf(const cUnit::Ptr& u, const wchar_t* c)
{
    return GameConfig::instance().isOfCategory(u->getTypeId(), c);
}
} // namespace
UpgradeActionItem::UpgradeActionItem() : UpgradeActionItem(UnitPtr(), UnitPtr(), UnitPtr()) {}
UpgradeActionItem::UpgradeActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit)
    : WorkActionItem(UpgradeAction, hero, target, attachUnit)
{
}
void UpgradeActionItem::start()
{
    WorkActionItem::start();
    beginWork(eUnitState::upgrade, eUnitState::upgrade);
}
void UpgradeActionItem::update()
{
    if (isDone())
        return;
    if (m_target->typeName == L"BarrierFire")
    {
        if (m_attachUnit && !m_working && m_elapsed >= m_delay)
        {
            progressOn(m_target);
            m_attachUnit->setState(eUnitState::upgrade, -1);
            if (m_target->getUnitView())
                m_target->getUnitView()->startFade(m_duration);
            if (m_tool)
                m_tool->setState(eUnitState::upgrade, -1);
            m_working = true;
        }
        // The flames die down while the hero works.
        if (m_working && m_target->getUnitView())
            m_target->getUnitView()->fadeStep(frameTime());
    }
    else
        beginWorkAfterDelay(eUnitState::upgrade, eUnitState::upgrade);
    if (isOf(m_target, UnitCategory::animal))
    {
        const auto range = Game::instance()->getUnitsByCategory().equal_range(
            GameConfig::instance().getCategoryId(UnitCategory::animal));
        bool there = false;
        for (auto it = range.first; it != range.second; ++it)
            there = there || it->second == m_target;
        if (!there || m_target->isRemoved())
        {
            progressOff();
            complete();
            return;
        }
    }
    WorkActionItem::update();
}
void UpgradeActionItem::finish()
{
    Game* game = Game::instance();
    if (isOf(m_target, UnitCategory::barrierroad))
    {
        game->updateUnitCells(m_target, true);
        game->giveUnitResources(m_target);
    }
    if (m_target->typeName == L"PipeStation")
        game->getController().removeFlood();
    m_target->setLevelAndState(m_target->getLevel() + 1, eUnitState::idle, false);
    WorkActionItem::finish();
    notifyFinished();
}
