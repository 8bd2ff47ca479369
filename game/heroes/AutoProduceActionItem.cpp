#include "game/heroes/AutoProduceActionItem.h"

#include "engine/ui/cProgressFloat.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(AutoProduceAction, &createActionItem<AutoProduceActionItem>);

float autoProduceTimeOf(const cUnit& unit)
{
    const auto info = unit.getActiveLevelInfo();
    return info ? info->autoProduceTime : 0.0f;
}
} // namespace
AutoProduceActionItem::AutoProduceActionItem() : ActionItem(AutoProduceAction) {}
AutoProduceActionItem::AutoProduceActionItem(const UnitPtr& unit)
    : ActionItem(AutoProduceAction), m_unit(unit)
{
}
void AutoProduceActionItem::save(LevelArchive& a, const UnitNumbering& n) const
{
    ActionItem::save(a, n);
    writeUnit(a, n, m_unit);
    a.write4(m_elapsed);
    a.write4(m_period);
}
void AutoProduceActionItem::load(LevelArchive& a, const Units& u)
{
    ActionItem::load(a, u);
    m_unit = readUnit(a, u);
    a.read4(m_elapsed);
    a.read4(m_period);
    progressOn(m_unit);
}
void AutoProduceActionItem::progressOn(const UnitPtr&)
{
    makeProgressView("UI/autoProgress.xml")->show();
}
void AutoProduceActionItem::startWithTime(float time)
{
    m_elapsed = 0;
    if (m_unit)
        m_period = autoProduceTimeOf(*m_unit);
    else
    {
        m_period = time;
        progressOn(m_unit);
    }
    ActionItem::start();
}
void AutoProduceActionItem::update()
{
    // Without a period there is no production: a period of 0 (a level without the key, or a
    // damaged record) would yield every frame.
    if (isDone() || !(m_period > 0.0f))
        return;
    float dt = frameTime();
    if (Game::instance()->bonusSpeedMills())
        dt *= GameConfig::instance().getConstants().kMillBonusSpeed;
    m_elapsed += dt;
    setProgress(m_elapsed / m_period * 100.0f);
    if (m_elapsed >= m_period)
    {
        produce();
        m_elapsed = 0;
        // The period follows the unit's upgrade level.
        if (m_unit)
            m_period = autoProduceTimeOf(*m_unit);
    }
}
void AutoProduceActionItem::produce()
{
    Game* game = Game::instance();
    if (!m_unit)
    {
        game->getController().onAutoProduced();
        return;
    }
    const auto info = m_unit->getActiveLevelInfo();
    if (!info || info->autoResOut.isEmpty())
        return;
    // A copy: the yield must not change with the unit's record while it is shown.
    const cGameResources yield(info->autoResOut);
    game->addResources(yield);
    const UnitView* view = m_unit->getUnitView();
    game->showFlyingIconText(view ? view->getPosition() : game->getUnitFieldPos(m_unit), yield);
}
