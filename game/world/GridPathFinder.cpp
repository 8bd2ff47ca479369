#include "game/world/GridPathFinder.h"

#include "game/world/GameConfig.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kHalfDiagonal = 0.70710678118654752f; // √2 / 2

const Engine::cPoint kDirections[8] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};

} // namespace

GridPathFinder::GridPathFinder() : GridPathFinder(GameConfig::instance().getWalkSpeeds()) {}

GridPathFinder::GridPathFinder(const WalkSpeeds& speeds) : m_speeds(speeds), m_search(*this) {}

size_t GridPathFinder::cellIndex(const Engine::cPoint& cell) const
{
    return static_cast<size_t>(cell.x) * static_cast<size_t>(m_height) + static_cast<size_t>(cell.y);
}

void GridPathFinder::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    std::vector<CellFlags> cells(static_cast<size_t>(width) * static_cast<size_t>(height), kCellBlocked);
    for (int x = 0; x < std::min(width, m_width); ++x)
        for (int y = 0; y < std::min(height, m_height); ++y)
            cells[static_cast<size_t>(x) * static_cast<size_t>(height) + static_cast<size_t>(y)] =
                m_cells[cellIndex({x, y})];
    m_cells.swap(cells);
    m_width = width;
    m_height = height;
    m_search.resize(width, height);
}

bool GridPathFinder::inside(const Engine::cPoint& cell) const
{
    return cell.x >= 0 && cell.x < m_width && cell.y >= 0 && cell.y < m_height;
}

CellFlags GridPathFinder::getCellFlags(const Engine::cPoint& cell) const
{
    return inside(cell) ? m_cells[cellIndex(cell)] : kCellBlocked;
}

void GridPathFinder::setCellFlags(const Engine::cPoint& cell, CellFlags flags)
{
    if (inside(cell))
        m_cells[cellIndex(cell)] = flags;
}

void GridPathFinder::reset()
{
    m_search.reset();
}

void GridPathFinder::setBonusFlags(const bool* heroBonus, const bool* manBonus)
{
    m_heroBonus = heroBonus;
    m_manBonus = manBonus;
}

float GridPathFinder::cellSpeed(const Engine::cPoint& cell, bool man) const
{
    const CellFlags flags = getCellFlags(cell);
    float speed;
    if (flags & kCellFast)
        speed = man ? m_speeds.manFast : m_speeds.heroFast;
    else if (flags & kCellSlow)
        speed = man ? m_speeds.manSlow : m_speeds.heroSlow;
    else
        speed = man ? m_speeds.man : m_speeds.hero;
    // A carrying hero takes the man bonus while it is on, and the hero bonus otherwise: the
    // hero bonus speeds every walker the man bonus does not.
    if (man && m_manBonus && *m_manBonus)
        speed *= m_speeds.manBonus;
    else if (m_heroBonus && *m_heroBonus)
        speed *= m_speeds.heroBonus;
    return speed;
}

float GridPathFinder::stepCost(const Engine::cPoint& a, const Engine::cPoint& b, bool man) const
{
    const float half = (a.x != b.x && a.y != b.y) ? kHalfDiagonal : 0.5f;
    return half / cellSpeed(a, man) + half / cellSpeed(b, man);
}

float GridPathFinder::heuristic(const Engine::cPoint& from, const Engine::cPoint& to) const
{
    const float dx = static_cast<float>(from.x - to.x);
    const float dy = static_cast<float>(from.y - to.y);
    return std::sqrt(dx * dx + dy * dy) / m_speeds.hero;
}

void GridPathFinder::expand(const Engine::cPoint& cell, std::vector<Neighbour>& out) const
{
    for (const Engine::cPoint& direction : kDirections)
    {
        const Engine::cPoint next = cell + direction;
        if (inside(next) && !(m_cells[cellIndex(next)] & kCellBlocked))
            out.emplace_back(next, stepCost(cell, next, false));
    }
}

int GridPathFinder::search(const Engine::cPoint& start, const Engine::cPoint& goal, CellPath& path,
                           float& cost, Engine::cPoint& closest)
{
    return m_search.run(start, goal, path, cost, closest);
}

int GridPathFinder::findPath(const Engine::cPoint& start, const Engine::cPoint& goal, CellPath& path,
                             Engine::cPoint& closest)
{
    float cost = 0.0f;
    Engine::cPoint reached = kNoCell;
    const int result = search(start, goal, path, cost, reached);
    if (result != NoRoute)
        return result;
    closest = reached;
    if (reached != kNoCell && heuristic(reached, goal) < 2.0f / m_speeds.hero)
    {
        Engine::cPoint ignored = kNoCell;
        if (search(start, reached, path, cost, ignored) == Solved)
            return ClosestReached;
    }
    return NoRoute;
}
