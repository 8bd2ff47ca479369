#include "game/heroes/WorkActionItem.h"

#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/cUnit.h"

namespace
{

float upgradeTimeOf(const cUnit& unit)
{
    const auto info = unit.getActiveLevelInfo();
    return info ? info->upgradeTime : 0.0f;
}

} // namespace

WorkActionItem::WorkActionItem(int32_t typeId, const UnitPtr& hero, const UnitPtr& target,
                               const UnitPtr& attachUnit)
    : ActionItem(typeId), m_hero(hero), m_target(target), m_attachUnit(attachUnit)
{
}

WorkActionItem::~WorkActionItem() = default;

void WorkActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_hero);
    writeUnit(archive, numbering, m_target);
    writeUnit(archive, numbering, m_attachUnit);
    writeUnit(archive, numbering, m_tool);
    archive.write4(m_elapsed);
    archive.write4(m_duration);
    archive.write4(m_delay);
    archive.write1(m_working);
    archive.write8(m_savedCell);
    archive.write8(m_savedPosition);
}

void WorkActionItem::load(LevelArchive& archive, const Units& units)
{
    readWorkRecord(archive, units);
    if (m_active && (!m_attachUnit || m_working))
        progressOn(m_target);
}

void WorkActionItem::readWorkRecord(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_hero = readUnit(archive, units);
    m_target = readUnit(archive, units);
    m_attachUnit = readUnit(archive, units);
    m_tool = readUnit(archive, units);
    archive.read4(m_elapsed);
    archive.read4(m_duration);
    archive.read4(m_delay);
    archive.read1(m_working);
    archive.read8(m_savedCell);
    archive.read8(m_savedPosition);
    if (!m_target)
        archive.fail("a work action without a target");
}

void WorkActionItem::start()
{
    Game* game = Game::instance();
    m_delay = 0.0f;
    m_duration = upgradeTimeOf(*m_target);
    if (m_hero)
        if (const boost::shared_ptr<Goal> goal = m_hero->getGoal())
            goal->setStatus(Goal::Working);
    if (m_attachUnit)
    {
        m_attachUnit->setState(eUnitState::prepare, -1);
        m_delay = upgradeTimeOf(*m_attachUnit);
    }
    const std::vector<UnitRoute::Step>& points = m_target->route.steps;
    if (!points.empty())
    {
        const Engine::cVector2 targetPos = game->unitPos(m_target);
        // The cell that holds a work point and the point's offset from that cell's centre.
        const auto place = [&](size_t entry, const UnitPtr& unit)
        {
            Engine::cPoint cell;
            Engine::cVector2 offset;
            game->posToCellAndOffset(targetPos + points[entry].point, cell, offset);
            unit->setCell(cell, offset);
            unit->setAngle(points[entry].angle);
        };
        if (m_hero)
        {
            m_savedCell = m_hero->getCell();
            m_savedPosition = m_hero->getOffset();
            place(0, m_hero);
        }
        if (m_attachUnit && points.size() > 2)
            place(2, m_attachUnit);
        if (m_attachUnit && points.size() > 1)
        {
            const auto attachType = m_attachUnit->getTypeInfo();
            if (attachType && attachType->attachTypeId != -1)
                m_tool = game->addUnit(attachType->attachTypeId, 0, -1, eUnitState::idle, points[1].angle,
                                       targetPos + points[1].point, {}, L"");
        }
    }
    ActionItem::start();
}

void WorkActionItem::stop()
{
    if (m_active)
        interrupt();
}

void WorkActionItem::update()
{
    if (isDone())
        return;
    float dt = frameTime();
    Game* game = Game::instance();
    if (game && game->bonusSpeedUpgrades())
        dt *= GameConfig::instance().getConstants().kUpgradeBonusSpeed;
    m_elapsed += dt;
    if (m_duration > 0.0f)
    {
        if (m_delay <= 0.0f)
            setProgress(m_elapsed / m_duration * 100.0f);
        else if (m_working)
            setProgress((m_elapsed - m_delay) / m_duration * 100.0f);
    }
    if (m_elapsed > m_delay + m_duration)
    {
        m_elapsed = m_duration;
        finish();
    }
}

void WorkActionItem::returnToBase()
{
    if (m_hero)
        if (Game* game = Game::instance())
            game->getController().buildReturnChain(m_hero);
}

void WorkActionItem::finish()
{
    interrupt();
    if (m_hero)
    {
        const bool keepHeroIdle = Game::instance()->checkLevelGoals();
        updateActiveGoal(m_hero, keepHeroIdle);
    }
    m_target->clearGarbage();
    // Also after work without a hero (a flood drained, the base upgraded, an animal's
    // countdown): an arrow whose goal is now done goes.
    levelViews().hideReachedGoalArrows();
}

void WorkActionItem::interrupt()
{
    if (m_hero && !m_target->route.steps.empty())
        m_hero->setCell(m_savedCell, m_savedPosition);
    if (m_hero)
        m_hero->setState(eUnitState::idle, -1);
    if (m_attachUnit)
        m_attachUnit->setState(eUnitState::idle, -1);
    progressOff();
    if (m_tool)
    {
        const UnitPtr tool = m_tool;
        m_tool.reset();
        tool->destroy();
    }
}

void WorkActionItem::beginWork(eUnitState heroState, eUnitState targetState)
{
    if (m_hero)
        m_hero->setState(heroState, m_target->getTypeId());
    if (!m_attachUnit)
    {
        progressOn(m_target);
        if (m_duration > 0.0f)
            setProgress(m_elapsed / m_duration * 100.0f);
        m_target->setState(targetState, -1);
    }
}

bool WorkActionItem::beginWorkAfterDelay(eUnitState workerState, eUnitState targetState)
{
    if (!m_attachUnit || m_working || m_elapsed < m_delay)
        return false;
    progressOn(m_target);
    m_attachUnit->setState(workerState, -1);
    m_target->setState(targetState, -1);
    if (m_tool)
        m_tool->setState(workerState, -1);
    m_working = true;
    return true;
}
