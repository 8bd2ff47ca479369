// The route search of the level grid against a plain Dijkstra over the same grid, with the
// same eight directions and step costs, on the same routes in the same run ("ratio": the
// search's time over the Dijkstra's; it should be no more than 1). Two fields: a large open
// grid and the level grid of a 1024 by 768 window.
#include "bench/LoopTimer.h"
#include "game/world/GridPathFinder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <queue>
#include <random>
#include <vector>

namespace
{

using Engine::cPoint;

struct Grid
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> blocked; // x * height + y
    bool isBlocked(int x, int y) const { return blocked[static_cast<size_t>(x * height + y)] != 0; }
};

Grid makeGrid(int width, int height, double blockedShare, unsigned seed)
{
    Grid grid{width, height, std::vector<uint8_t>(static_cast<size_t>(width * height))};
    std::mt19937 random(seed);
    std::bernoulli_distribution block(blockedShare);
    for (auto& cell : grid.blocked)
        cell = block(random) ? 1 : 0;
    return grid;
}

// Cells reachable from `from`, eight directions, diagonals allowed between blocked corners.
std::vector<uint8_t> reachable(const Grid& grid, cPoint from)
{
    std::vector<uint8_t> seen(grid.blocked.size());
    std::deque<cPoint> queue{from};
    seen[static_cast<size_t>(from.x * grid.height + from.y)] = 1;
    while (!queue.empty())
    {
        const cPoint c = queue.front();
        queue.pop_front();
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
            {
                const cPoint n(c.x + dx, c.y + dy);
                if (n.x < 0 || n.y < 0 || n.x >= grid.width || n.y >= grid.height || grid.isBlocked(n.x, n.y))
                    continue;
                auto& mark = seen[static_cast<size_t>(n.x * grid.height + n.y)];
                if (!mark)
                {
                    mark = 1;
                    queue.push_back(n);
                }
            }
    }
    return seen;
}

// Routes between far-apart free cells of one connected area, the same for every contender.
std::vector<std::pair<cPoint, cPoint>> makeRoutes(Grid& grid, int count, unsigned seed)
{
    const cPoint origin(grid.width / 2, grid.height / 2);
    grid.blocked[static_cast<size_t>(origin.x * grid.height + origin.y)] = 0;
    const auto area = reachable(grid, origin);
    std::mt19937 random(seed);
    auto pick = [&](int x0, int y0, int x1, int y1)
    {
        for (;;)
        {
            const cPoint c(std::uniform_int_distribution<int>(x0, x1)(random),
                           std::uniform_int_distribution<int>(y0, y1)(random));
            if (area[static_cast<size_t>(c.x * grid.height + c.y)])
                return c;
        }
    };
    const int w = grid.width - 1;
    const int h = grid.height - 1;
    const int edge = std::max(2, grid.width / 8);
    std::vector<std::pair<cPoint, cPoint>> routes;
    for (int i = 0; i < count; ++i)
    {
        // Corner to opposite corner, alternating the diagonal.
        if (i % 2 == 0)
            routes.emplace_back(pick(0, 0, edge, edge), pick(w - edge, h - edge, w, h));
        else
            routes.emplace_back(pick(w - edge, 0, w, edge), pick(0, h - edge, edge, h));
    }
    return routes;
}

GridPathFinder* makeFinder(const Grid& grid)
{
    auto* finder = new GridPathFinder(WalkSpeeds());
    finder->setSize(grid.width, grid.height);
    for (int x = 0; x < grid.width; ++x)
        for (int y = 0; y < grid.height; ++y)
            finder->setCellFlags(cPoint(x, y), grid.isBlocked(x, y) ? 1 : 0);
    finder->reset();
    return finder;
}

// The baseline: Dijkstra with a binary heap over dense arrays, the same step costs as the
// level grid at base speed (half a step on each cell, hero speed 2).
class PlainDijkstra
{
public:
    explicit PlainDijkstra(const Grid& grid)
        : m_grid(grid), m_cost(grid.blocked.size()), m_parent(grid.blocked.size()),
          m_done(grid.blocked.size())
    {
    }

    float route(cPoint start, cPoint goal, std::vector<cPoint>& path)
    {
        const float straight = 0.5f / 2.0f + 0.5f / 2.0f;
        const float diagonal = 0.70710678f / 2.0f + 0.70710678f / 2.0f;
        std::fill(m_cost.begin(), m_cost.end(), INFINITY);
        std::fill(m_done.begin(), m_done.end(), 0);
        using Entry = std::pair<float, int>;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
        const int from = index(start);
        const int to = index(goal);
        m_cost[static_cast<size_t>(from)] = 0.0f;
        m_parent[static_cast<size_t>(from)] = -1;
        open.push({0.0f, from});
        while (!open.empty())
        {
            const auto [cost, node] = open.top();
            open.pop();
            if (m_done[static_cast<size_t>(node)])
                continue;
            m_done[static_cast<size_t>(node)] = 1;
            if (node == to)
                break;
            const int x = node / m_grid.height;
            const int y = node % m_grid.height;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= m_grid.width ||
                        ny >= m_grid.height || m_grid.isBlocked(nx, ny))
                        continue;
                    const int next = nx * m_grid.height + ny;
                    const float c = cost + (dx != 0 && dy != 0 ? diagonal : straight);
                    if (c < m_cost[static_cast<size_t>(next)])
                    {
                        m_cost[static_cast<size_t>(next)] = c;
                        m_parent[static_cast<size_t>(next)] = node;
                        open.push({c, next});
                    }
                }
        }
        path.clear();
        for (int node = to; node >= 0; node = m_parent[static_cast<size_t>(node)])
            path.emplace_back(node / m_grid.height, node % m_grid.height);
        return m_cost[static_cast<size_t>(to)];
    }

private:
    int index(cPoint c) const { return c.x * m_grid.height + c.y; }

    const Grid& m_grid;
    std::vector<float> m_cost;
    std::vector<int> m_parent;
    std::vector<uint8_t> m_done;
};

struct Field
{
    Grid grid;
    std::vector<std::pair<cPoint, cPoint>> routes;
};

Field makeField(int width, int height, double blockedShare, unsigned gridStart, int routeCount,
                unsigned routeStart)
{
    Field field{makeGrid(width, height, blockedShare, gridStart), {}};
    field.routes = makeRoutes(field.grid, routeCount, routeStart);
    // Both contenders must agree on every route's cost, or the race means nothing.
    std::unique_ptr<GridPathFinder> finder(makeFinder(field.grid));
    PlainDijkstra dijkstra(field.grid);
    for (const auto& [start, goal] : field.routes)
    {
        CellPath path;
        float cost = 0.0f;
        cPoint closest;
        std::vector<cPoint> plain;
        if (finder->search(start, goal, path, cost, closest) != GridPathFinder::Solved ||
            std::fabs(cost - dijkstra.route(start, goal, plain)) > 1e-3f)
        {
            std::fprintf(stderr, "the contenders disagree on a route\n");
            std::abort();
        }
    }
    return field;
}

// A large open grid, 30% of it blocked, routes from corner to opposite corner.
const Field& largeField()
{
    static const Field field = makeField(200, 200, 0.30, 20240501u, 16, 7u);
    return field;
}

// The level grid of a 1024 by 768 window (53 by 40 cells of 20 units), a fifth of it blocked.
const Field& levelField()
{
    static const Field field = makeField(53, 40, 0.20, 99u, 8, 3u);
    return field;
}

// One route per iteration, taking the field's routes in turn.
void plainDijkstra(benchmark::State& state, const Field& field, const char* name)
{
    PlainDijkstra dijkstra(field.grid);
    std::vector<cPoint> path;
    size_t next = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        const auto& [start, goal] = field.routes[next++ % field.routes.size()];
        benchmark::DoNotOptimize(dijkstra.route(start, goal, path));
    }
    timer.baseline(name);
}

void gridPathFinder(benchmark::State& state, const Field& field, const char* baseline)
{
    std::unique_ptr<GridPathFinder> finder(makeFinder(field.grid));
    CellPath path;
    cPoint closest;
    size_t next = 0;
    Bench::LoopTimer timer(state);
    for (auto _ : state)
    {
        const auto& [start, goal] = field.routes[next++ % field.routes.size()];
        benchmark::DoNotOptimize(finder->findPath(start, goal, path, closest));
    }
    timer.against(baseline);
}

void BM_PlainDijkstra_200x200(benchmark::State& state)
{
    plainDijkstra(state, largeField(), "large");
}
void BM_GridPathFinder_200x200(benchmark::State& state)
{
    gridPathFinder(state, largeField(), "large");
}
void BM_PlainDijkstra_Level1024x768(benchmark::State& state)
{
    plainDijkstra(state, levelField(), "level");
}
void BM_GridPathFinder_Level1024x768(benchmark::State& state)
{
    gridPathFinder(state, levelField(), "level");
}

BENCHMARK(BM_PlainDijkstra_200x200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridPathFinder_200x200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainDijkstra_Level1024x768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridPathFinder_Level1024x768)->Unit(benchmark::kMicrosecond);

} // namespace
