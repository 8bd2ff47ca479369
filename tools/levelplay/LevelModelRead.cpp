// LevelModel: reading the level: its units, their rules, its grid, goals and quakes.
#include "tools/levelplay/LevelModel.h"

#include "engine/core/StringUtils.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"

#include <algorithm>
#include <deque>
#include <stdexcept>

namespace LevelPlay
{

namespace
{

LevelModel::Amounts amountsOf(const cGameResources& resources)
{
    LevelModel::Amounts amounts{};
    for (const auto& [id, count] : resources.getItems())
        if (id >= 0 && id < LevelModel::kKinds)
            amounts[static_cast<size_t>(id)] += count;
    return amounts;
}

unsigned kindsOf(const LevelModel::Amounts& amounts)
{
    unsigned kinds = 0;
    for (int kind = 0; kind < LevelModel::kKinds; ++kind)
        if (amounts[static_cast<size_t>(kind)] > 0)
            kinds |= 1u << kind;
    return kinds;
}

LevelModel::Step stepOf(const UnitLevelInfo& info, int freeCell)
{
    LevelModel::Step step;
    step.upIn = amountsOf(info.upIn);
    step.resIn = amountsOf(info.resIn);
    step.resOut = amountsOf(info.resOut);
    step.autoResOut = amountsOf(info.autoResOut);
    step.repairRes = amountsOf(info.repairRes);
    step.freeCell = freeCell;
    step.inKinds = kindsOf(step.resIn);
    step.outKinds = kindsOf(step.resOut);
    step.autoKinds = kindsOf(step.autoResOut);
    return step;
}

bool roleOf(GameConfig& config, const cUnit& unit, LevelModel::Role& role)
{
    using Role = LevelModel::Role;
    const int type = unit.getTypeId();
    const std::pair<const wchar_t*, Role> categories[] = {
        {UnitCategory::resource, Role::Pile}, {UnitCategory::mill, Role::Mill},
        {UnitCategory::plant, Role::Plant},   {UnitCategory::barrier, Role::Barrier},
        {UnitCategory::road, Role::Road},     {UnitCategory::barrierroad, Role::Road},
        {UnitCategory::quest, Role::Quest},   {UnitCategory::animal, Role::Animal},
        {UnitCategory::base, Role::Base},     {UnitCategory::service, Role::Hospital}};
    for (const auto& [category, which] : categories)
        if (config.isOfCategory(type, category))
        {
            role = which;
            if (which == Role::Barrier && unit.typeName == L"BarrierFlood")
                role = Role::Flood;
            return true;
        }
    return false;
}

} // namespace

LevelModel::LevelModel(Game& game)
{
    GameConfig& config = GameConfig::instance();
    for (int kind = 0; kind < kKinds; ++kind)
        m_resourceNames.push_back(config.resourceNames().nameOf(kind));
    m_autoProduceTime = game.getAutoProduceTime();
    readGrid(game);
    readParts(game);
    readGoalsAndCataclysms(game);
}

void LevelModel::readGrid(Game& game)
{
    GridPathFinder& grid = game.getOccupancy();
    m_width = grid.getWidth();
    m_height = grid.getHeight();
    m_blocked.assign(static_cast<size_t>(m_width * m_height), 1);
    for (int x = 0; x < m_width; ++x)
        for (int y = 0; y < m_height; ++y)
            m_blocked[static_cast<size_t>(x * m_height + y)] =
                (grid.getCellFlags(Engine::cPoint(x, y)) & kCellBlocked) ? 1 : 0;
    if (const cUnit::Ptr base = game.getBase())
    {
        const Engine::cPoint cell = base->getCell();
        if (grid.inside(cell))
            m_startCell = cell.x * m_height + cell.y;
    }
}

void LevelModel::readParts(Game& game)
{
    GameConfig& config = GameConfig::instance();
    const auto fireType = config.getFakeFireBarrier();
    for (const auto& entry : game.getUnits())
    {
        const cUnit::Ptr& unit = entry.second;
        Role role;
        if (unit->isRemoved() || !roleOf(config, *unit, role))
            continue;
        const auto type = unit->getTypeInfo();
        if (!type)
            continue;
        Part part;
        part.unit = unit;
        part.type = Engine::toUtf8(unit->typeName);
        part.role = role;
        for (int level = 0; level < type->levelCount(); ++level)
        {
            const auto& own = unit->ownLevels;
            const bool hasOwn = unit->hasOwnLevels && !own.empty();
            const UnitLevelInfo& info =
                hasOwn ? *own[static_cast<size_t>(std::min<int>(level, static_cast<int>(own.size()) - 1))]
                       : *type->levelInfo(level);
            part.steps.push_back(stepOf(info, type->levelInfo(level)->freeCell));
        }
        part.lastLevel = type->levelCount() - 1;
        part.maxLevel = unit->getMaxLevel();
        const boost::shared_ptr<UnitLevelInfo> fire =
            !unit->fireLevels.empty()
                ? unit->fireLevels.front()
                : (fireType ? fireType->levelInfo(0) : boost::shared_ptr<UnitLevelInfo>());
        if (fire)
        {
            part.fireIn = amountsOf(fire->resIn);
            part.fireOut = amountsOf(fire->resOut);
        }
        part.pile = amountsOf(unit->resources);
        part.pileKinds = kindsOf(part.pile);
        part.regenerating = role == Role::Pile && unit->fallingDelay > 0.0f;
        part.appearOn = unit->getAppearOnCataclysm();
        part.disappearOn = unit->getDisappearOnCataclysm();
        part.trigger = unit->getTriggerCataclysm();
        part.pipeStation = unit->typeName == L"PipeStation";
        part.hospitalType = type->bringToTypeId;
        if (unit->getFreeCells() && (role == Role::Barrier || role == Role::Road || role == Role::Flood))
            for (const auto& cell : *unit->getFreeCells())
                if (cell.second.x >= 0 && cell.second.x < m_width && cell.second.y >= 0 &&
                    cell.second.y < m_height)
                {
                    const int index = cell.second.x * m_height + cell.second.y;
                    part.cells.push_back(index);
                    m_blocked[static_cast<size_t>(index)] = 0;
                }
        // The route search ends on an approach cell, or on a reached cell less than two cells
        // from it: one of the nine cells around it.
        for (const Engine::cPoint& approach : game.approachCells(unit))
        {
            if (approach.x * m_height + approach.y == m_startCell)
                part.atStart = true;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                {
                    const int x = approach.x + dx;
                    const int y = approach.y + dy;
                    if (x >= 0 && x < m_width && y >= 0 && y < m_height)
                        part.near.push_back(x * m_height + y);
                }
        }

        uint8_t flags = 0;
        if (part.appearOn != -1 && unit->getState() == eUnitState::hidden)
            flags |= Hidden;
        if (unit->inFire)
            flags |= Burning;
        if (unit->isDamaged)
            flags |= Damaged;
        if (unit->targetReached)
            flags |= Reached;
        if (!part.cells.empty())
            m_openers.push_back(static_cast<int>(m_parts.size()));
        if (m_parts.size() >= kMostParts)
            throw std::runtime_error("the level has more than " + std::to_string(kMostParts) +
                                     " units its play can change");
        m_start.level[m_parts.size()] = static_cast<uint8_t>(std::clamp(unit->getLevel(), 0, 255));
        m_start.flags[m_parts.size()] = flags;
        m_parts.push_back(part);
        m_start.count = m_parts.size();
    }
    m_start.stock = amountsOf(game.getResources());

    // Steps from the base over the field with every way open, for the order "farthest first".
    std::vector<int> steps(m_blocked.size(), -1);
    std::deque<int> queue;
    if (m_startCell >= 0)
    {
        steps[static_cast<size_t>(m_startCell)] = 0;
        queue.push_back(m_startCell);
    }
    while (!queue.empty())
    {
        const int cell = queue.front();
        queue.pop_front();
        forEachNeighbour(cell,
                         [&](int next)
                         {
                             if (steps[static_cast<size_t>(next)] != -1 ||
                                 m_blocked[static_cast<size_t>(next)])
                                 return;
                             steps[static_cast<size_t>(next)] = steps[static_cast<size_t>(cell)] + 1;
                             queue.push_back(next);
                         });
    }
    for (Part& part : m_parts)
        for (int cell : part.near)
        {
            const int distance = steps[static_cast<size_t>(cell)];
            if (distance >= 0 && (part.distance < 0 || distance < part.distance))
                part.distance = distance;
        }
}

void LevelModel::readGoalsAndCataclysms(Game& game)
{
    for (const LevelGoal& goal : game.getLevelGoals())
    {
        const cUnit::Ptr target = goal.target.lock();
        for (size_t i = 0; target && i < m_parts.size(); ++i)
            if (m_parts[i].unit == target)
                m_goals.push_back(Goal{goal.kind, static_cast<int>(i), target->getTargetLevel()});
    }
    for (const CataclysmInfo& info : game.getCataclysms())
        m_cataclysms.push_back(Cataclysm{info.StartTime, info.Duration});
    // A cataclysm has struck when nothing it brings or takes away waits for it any more.
    for (size_t i = 0; i < m_cataclysms.size() && i < 32; ++i)
    {
        bool waiting = false;
        for (size_t p = 0; p < m_parts.size(); ++p)
        {
            const Part& part = m_parts[p];
            if (part.appearOn == static_cast<int>(i) && (m_start.flags[p] & Hidden))
                waiting = true;
            if (part.disappearOn == static_cast<int>(i))
                waiting = true;
        }
        if (!waiting)
            m_start.fired |= 1u << i;
    }
}

} // namespace LevelPlay
