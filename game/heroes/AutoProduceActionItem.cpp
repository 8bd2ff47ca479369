#include "game/heroes/AutoProduceActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(AutoProduceAction, &createActionItem<AutoProduceActionItem>);
}
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
}
void AutoProduceActionItem::startWithTime(float time)
{
    m_elapsed = 0;
    m_period = time;
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
    if (m_elapsed >= m_period)
    {
        produce();
        m_elapsed = 0;
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
    game->addResources(info->autoResOut);
}
