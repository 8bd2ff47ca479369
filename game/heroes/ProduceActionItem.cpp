#include "game/heroes/ProduceActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/heroes/WorkActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(ProduceAction, &createActionItem<ProduceActionItem>);
}
ProduceActionItem::ProduceActionItem() : ActionItem(ProduceAction) {}
ProduceActionItem::ProduceActionItem(const UnitPtr& unit) : ActionItem(ProduceAction), m_unit(unit) {}
void ProduceActionItem::save(LevelArchive& a, const UnitNumbering& n) const
{
    ActionItem::save(a, n);
    writeUnit(a, n, m_unit);
    a.write4(m_elapsed);
    a.write4(m_time);
}
void ProduceActionItem::load(LevelArchive& a, const Units& u)
{
    ActionItem::load(a, u);
    m_unit = readUnit(a, u);
    a.read4(m_elapsed);
    a.read4(m_time);
    if (!m_unit)
        a.fail("produce without unit");
    progressOn(m_unit);
    if (m_time > 0)
        setProgress(m_elapsed / m_time * 100);
}
void ProduceActionItem::start()
{
    m_elapsed = 0;
    const auto info = m_unit->getActiveLevelInfo();
    m_time = info ? info->produceTime : 0;
    const UnitPtr unit = m_unit;
    const Ptr upgrade = findFirstOfKind(unit, UpgradeAction,
                                        [](const Ptr& item)
                                        {
                                            const auto* work =
                                                dynamic_cast<const WorkActionItem*>(item.get());
                                            return work ? work->getTarget() : UnitPtr();
                                        });
    if (upgrade)
        setDone();
    else
        m_unit->setState(eUnitState::produce, -1);
    progressOn(m_unit);
    if (m_time > 0)
        setProgress(0);
    ActionItem::start();
}
void ProduceActionItem::resetDone()
{
    m_unit->setState(eUnitState::produce, -1);
    ActionItem::resetDone();
}
void ProduceActionItem::update()
{
    if (isDone())
        return;
    float dt = frameTime();
    if (Game::instance()->bonusSpeedMills())
        dt *= GameConfig::instance().getConstants().kMillBonusSpeed;
    m_elapsed += dt;
    if (m_elapsed > m_time)
        m_elapsed = m_time;
    if (m_time > 0)
        setProgress(m_elapsed / m_time * 100);
    if (m_elapsed == m_time)
        finish();
}
void ProduceActionItem::finish()
{
    GameConfig& config = GameConfig::instance();
    if (config.isOfCategory(m_unit->getTypeId(), UnitCategory::plant))
    {
        m_unit->setState(eUnitState::idle, -1);
        progressOff();
    }
    const auto info = m_unit->getActiveLevelInfo();
    // A level that yields nothing still ends its cycle: otherwise the item would finish again
    // every frame and its chain would never end.
    if (!info || info->resOut.isEmpty())
    {
        notifyFinished();
        return;
    }
    const cGameResources out(info->resOut);
    const int type = config.getTypeId(config.resourceNames().nameOf(out.getItems().begin()->first));
    UnitPtr heap;
    for (const UnitPtr& a : m_unit->getAttached())
        if (config.isOfCategory(a->getTypeId(), UnitCategory::resource))
        {
            heap = a;
            break;
        }
    Game* game = Game::instance();
    const bool newHeap = !heap;
    if (newHeap)
    {
        heap = game->addUnit(type, 0, -1, eUnitState::idle, 0.0f,
                             game->unitPos(m_unit) + m_unit->getProductionOffset(), {}, L"");
        m_unit->attach(heap);
    }
    heap->resources.add(out);
    // A goal at this mill that had nothing to fetch waited for a heap; now there is one.
    if (newHeap)
        game->getController().assignGoals();
    notifyFinished();
}
