// Game: routes to units for the goal planner, tools for the heroes, and hero parking.
#include "game/world/Game.h"

#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"

#include <boost/make_shared.hpp>

#include <cmath>
#include <set>

namespace
{

// A unit without approach routes is approached at its own position.
std::vector<UnitRoute> approachRoutes(const cUnit& target)
{
    if (!target.cameOffsetRoutes.empty())
        return target.cameOffsetRoutes;
    return {UnitRoute()};
}

} // namespace

float Game::pathLength(const boost::shared_ptr<CellPath>& route)
{
    if (!route || route->empty())
        return 0.0f;
    const CellPath& points = *route;
    float length = 0.0f;
    // The step into the last cell is not counted.
    for (size_t i = 1; i + 1 < points.size(); ++i)
    {
        const float dx = static_cast<float>(points[i].x - points[i - 1].x);
        const float dy = static_cast<float>(points[i].y - points[i - 1].y);
        length += std::sqrt(dx * dx + dy * dy);
    }
    return length;
}

RoutePlan Game::planRoute(const cUnit::Ptr& target, const Engine::cPoint& start, Engine::cPoint& closest)
{
    std::vector<RoutePlan> candidates;
    for (const UnitRoute& route : approachRoutes(*target))
    {
        const Engine::cVector2 approach = unitPos(target) + route.point;
        Engine::cPoint goal;
        Engine::cVector2 endOffset;
        posToCellAndOffset(approach, goal, endOffset);
        auto path = boost::make_shared<CellPath>();
        const int result = m_occupancy.findPath(start, goal, *path, closest);
        if (result == GridPathFinder::StartIsGoal)
            return RoutePlan{path, endOffset, route};
        if (result == GridPathFinder::Solved || result == GridPathFinder::ClosestReached)
        {
            if (!path->empty())
                endOffset = approach - cellToPos(path->back());
            candidates.push_back(RoutePlan{path, endOffset, route});
        }
    }
    if (candidates.empty())
        return RoutePlan();
    size_t best = 0;
    float bestLength = pathLength(candidates[0].path);
    for (size_t i = 1; i < candidates.size(); ++i)
    {
        const float length = pathLength(candidates[i].path);
        if (length < bestLength)
        {
            best = i;
            bestLength = length;
        }
    }
    return candidates[best];
}

RoutePlan Game::findRoute(const cUnit::Ptr& walker, const cUnit::Ptr& target)
{
    Engine::cPoint start = walker->getCell();
    // A hero on its way home starts from where its view stands.
    if (walker->homeChain && walker->getUnitView())
        start = posToCell(walker->getUnitView()->getPosition());
    Engine::cPoint closest = kNoCell;
    const RoutePlan plan = planRoute(target, start, closest);
    target->route = plan.route;
    return plan;
}

cUnit::Ptr Game::chooseRouteForGoal(const cUnit::Ptr& target, Engine::cPoint& closest, RoutePlan& plan)
{
    // Without a base nobody sets out, and no route leads anywhere.
    if (!m_base)
    {
        plan = RoutePlan();
        return {};
    }
    plan = planRoute(target, m_base->getCell(), closest);
    for (const cUnit::Ptr& unit : m_base->getAttached())
        if (isOfCategory(unit, UnitCategory::hero))
            return unit;
    return {};
}

cUnit::Ptr Game::routeToUnitOfType(int typeId, const Engine::cPoint& start, bool idleOnly,
                                   boost::shared_ptr<CellPath>& path, Engine::cVector2& endOffset)
{
    const auto range = m_unitsByType.equal_range(typeId);
    std::vector<cUnit::Ptr> units;
    for (auto it = range.first; it != range.second; ++it)
        units.push_back(it->second);
    for (const cUnit::Ptr& unit : units)
    {
        if ((idleOnly && unit->getState() != eUnitState::idle) || unit->getLevel() == 0)
            continue;
        Engine::cPoint closest = kNoCell;
        const RoutePlan plan = planRoute(unit, start, closest);
        if (plan.path)
        {
            path = plan.path;
            endOffset = plan.endOffset;
            return unit;
        }
    }
    path.reset();
    endOffset = Engine::cVector2();
    return {};
}

Engine::cVector2 Game::findObstacle(const cUnit::Ptr& target)
{
    const Engine::cVector2 nowhere(-1000.0f, -1000.0f);
    if (!m_base)
        return nowhere;
    const Engine::cPoint start = m_base->getCell();
    const Engine::cPoint goal = posToCell(unitPos(target) + approachRoutes(*target).front().point);
    CellPath path;
    Engine::cPoint closest = kNoCell;
    const int result = m_ground.findPath(start, goal, path, closest);
    if (result == GridPathFinder::NoRoute || result == GridPathFinder::StartIsGoal)
        return nowhere;
    // Heroes set out from inside the base: its own cells are never what blocks their way.
    std::set<int> covered;
    for (const auto& entry : m_unitsByType)
    {
        const cUnit::Ptr& unit = entry.second;
        if (unit != m_base && unit->getLevel() != 1 && unit->getFreeCells())
            for (const auto& cell : *unit->getFreeCells())
                covered.insert(cell.first);
    }
    for (const Engine::cPoint& cell : path)
        if (covered.count(cell.x * 1000 + cell.y))
            return cellToPos(cell);
    return Engine::cVector2();
}

std::vector<Engine::cPoint> Game::approachCells(const cUnit::Ptr& target) const
{
    std::vector<Engine::cPoint> cells;
    for (const UnitRoute& route : approachRoutes(*target))
    {
        Engine::cPoint cell;
        Engine::cVector2 offset;
        posToCellAndOffset(unitPos(target) + route.point, cell, offset);
        cells.push_back(cell);
    }
    return cells;
}

cUnit::Ptr Game::attachTool(const cUnit::Ptr& hero, const cUnit::Ptr& target)
{
    if (const cUnit::Ptr tool = hero->getAttachedOfType())
        return tool;
    GameConfig& config = GameConfig::instance();
    const auto targetType = target->getTypeInfo();
    int toolType = targetType ? targetType->attachTypeId : -1;
    if (target->inFire)
        toolType = config.getFakeFireBarrier()->attachTypeId;
    else if (target->isDamaged)
        toolType = config.getFakeDamagedUnit()->attachTypeId;
    if (isOfCategory(target, UnitCategory::mill) && target->getLevel() > 0)
        toolType = config.getFakeDamagedUnit()->attachTypeId;
    if (toolType == -1)
        return {};
    const cUnit::Ptr tool = addUnit(toolType, 0, -1, eUnitState::idle, 0.0f, Engine::cVector2(), {}, L"");
    hero->attach(tool);
    if (m_base)
        tool->setCell(m_base->getCell(), m_basePoint);
    return tool;
}

void Game::placeParkedHeroes()
{
    if (!m_base)
        return;
    GameConfig& config = GameConfig::instance();
    const std::list<cUnit::Ptr> attached = m_base->getAttached();
    int i = 0;
    for (const cUnit::Ptr& unit : attached)
    {
        if (!isOfCategory(unit, UnitCategory::hero))
            continue;
        // A base keeps four parking points per level: heroes beyond the fourth share the last.
        unit->setCell(m_base->getCell(), config.getParkingOffset(m_base->getLevel(), std::min(i, 3)));
        ++i;
    }
}
