#include "game/world/GridSearch.h"

#include <algorithm>
#include <cfloat>

namespace
{

float sum(float cost, float estimate)
{
    return cost == FLT_MAX || estimate == FLT_MAX ? FLT_MAX : cost + estimate;
}

} // namespace

GridSearch::GridSearch(const SearchGraph& graph) : m_graph(graph)
{
    m_cache.reserve(kCacheCapacity);
    resize(0, 0);
}

void GridSearch::resize(int width, int height)
{
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_nodes.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) + 1, Node());
    m_cache.clear();
    m_open.clear();
    m_stamp = 0;
    m_sequence = 0;
    m_stale = false;
}

void GridSearch::reset()
{
    // A level's restore resets the grid once per unit whose cells change, with no search in
    // between: the nodes are forgotten when the next search starts.
    m_cache.clear();
    m_open.clear();
    m_stale = true;
}

void GridSearch::forgetNodes()
{
    for (Node& node : m_nodes)
        node = Node();
    m_stamp = 0;
    m_sequence = 0;
    m_stale = false;
}

int GridSearch::nodeIndex(const Engine::cPoint& cell) const
{
    if (cell.x >= 0 && cell.x < m_width && cell.y >= 0 && cell.y < m_height)
        return cell.x * m_height + cell.y;
    return static_cast<int>(m_nodes.size()) - 1;
}

void GridSearch::initialise(Node& node, const Engine::cPoint& cell, float cost, float estimate, int parent)
{
    node.cell = cell;
    node.cost = cost;
    node.estimate = estimate;
    node.total = sum(cost, estimate);
    node.parent = parent;
    node.stamp = m_stamp;
    node.inOpen = false;
    node.inClosed = false;
}

int GridSearch::lookup(const Engine::cPoint& cell, float cost, float estimate, int parent)
{
    const int index = nodeIndex(cell);
    Node& node = m_nodes[static_cast<size_t>(index)];
    if (index == static_cast<int>(m_nodes.size()) - 1 && node.cell != cell)
    {
        // The spare node changes cells: what it knew about its neighbours is void.
        node.neighbourCount = -1;
        node.cacheIndex = -1;
        node.stamp = 0;
    }
    if (node.stamp == m_stamp)
        return index;
    initialise(node, cell, cost, estimate, parent);
    return index;
}

void GridSearch::gatherNeighbours(int index)
{
    m_neighbours.clear();
    Node& node = m_nodes[static_cast<size_t>(index)];
    if (node.neighbourCount == 0)
        return;
    if (node.cacheIndex < 0)
    {
        m_cells.clear();
        m_graph.expand(node.cell, m_cells);
        const int count = static_cast<int>(m_cells.size());
        m_nodes[static_cast<size_t>(index)].neighbourCount = count;
        for (const auto& [cell, cost] : m_cells)
            m_neighbours.push_back({lookup(cell, FLT_MAX, FLT_MAX, -1), cost});
        if (count > 0 && m_cache.size() + m_neighbours.size() <= static_cast<size_t>(kCacheCapacity))
        {
            m_nodes[static_cast<size_t>(index)].cacheIndex = static_cast<int>(m_cache.size());
            m_cache.insert(m_cache.end(), m_neighbours.begin(), m_neighbours.end());
        }
        return;
    }
    const auto first = m_cache.begin() + node.cacheIndex;
    m_neighbours.assign(first, first + node.neighbourCount);
    for (const CacheEntry& entry : m_neighbours)
    {
        Node& neighbour = m_nodes[static_cast<size_t>(entry.node)];
        if (neighbour.stamp != m_stamp)
            initialise(neighbour, neighbour.cell, FLT_MAX, FLT_MAX, -1);
    }
}

namespace
{

// Heap order: the lowest total on top, and of equal totals the earliest placed.
struct LaterFirst
{
    template <class Entry> bool operator()(const Entry& a, const Entry& b) const
    {
        return a.total > b.total || (a.total == b.total && a.sequence > b.sequence);
    }
};

} // namespace

void GridSearch::push(int index)
{
    Node& node = m_nodes[static_cast<size_t>(index)];
    node.sequence = ++m_sequence;
    node.inOpen = true;
    m_open.push_back({node.total, node.sequence, index});
    std::push_heap(m_open.begin(), m_open.end(), LaterFirst());
}

int GridSearch::pop()
{
    while (!m_open.empty())
    {
        std::pop_heap(m_open.begin(), m_open.end(), LaterFirst());
        const OpenEntry entry = m_open.back();
        m_open.pop_back();
        Node& node = m_nodes[static_cast<size_t>(entry.node)];
        // An entry left behind when the node's total dropped is skipped.
        if (node.inOpen && node.stamp == m_stamp && node.sequence == entry.sequence)
        {
            node.inOpen = false;
            return entry.node;
        }
    }
    return -1;
}

void GridSearch::buildPath(int goalIndex, std::vector<Engine::cPoint>& path) const
{
    path.clear();
    // Parent links never form a cycle with positive step costs; the bound guards against
    // data that makes them zero or negative.
    for (int index = goalIndex, steps = 0; index >= 0 && steps < static_cast<int>(m_nodes.size()); ++steps)
    {
        path.push_back(m_nodes[static_cast<size_t>(index)].cell);
        index = m_nodes[static_cast<size_t>(index)].parent;
    }
    std::reverse(path.begin(), path.end());
}

int GridSearch::run(const Engine::cPoint& start, const Engine::cPoint& goal,
                    std::vector<Engine::cPoint>& path, float& cost, Engine::cPoint& closest)
{
    cost = 0.0f;
    if (start == goal)
        return 2;
    if (m_stale)
        forgetNodes();
    if (++m_stamp == 0)
    {
        // After four billion searches the stamps wrap: forget them all once.
        for (Node& node : m_nodes)
            node.stamp = 0;
        m_stamp = 1;
    }
    m_open.clear();
    const int startIndex = lookup(start, 0.0f, m_graph.heuristic(start, goal), -1);
    push(startIndex);
    float bestEstimate = FLT_MAX;
    closest = Engine::cPoint(-1, -1);

    for (int current = pop(); current >= 0; current = pop())
    {
        if (m_nodes[static_cast<size_t>(current)].cell == goal)
        {
            buildPath(current, path);
            cost = m_nodes[static_cast<size_t>(current)].cost;
            return 0;
        }
        m_nodes[static_cast<size_t>(current)].inClosed = true;
        gatherNeighbours(current);
        const float currentCost = m_nodes[static_cast<size_t>(current)].cost;
        for (const CacheEntry& entry : m_neighbours)
        {
            if (entry.cost == FLT_MAX)
                continue;
            Node& neighbour = m_nodes[static_cast<size_t>(entry.node)];
            const float newCost = currentCost + entry.cost;
            const bool known = neighbour.inOpen || neighbour.inClosed;
            if (!known || newCost < neighbour.cost)
            {
                const float oldTotal = neighbour.total;
                neighbour.parent = current;
                neighbour.cost = newCost;
                neighbour.estimate = m_graph.heuristic(neighbour.cell, goal);
                neighbour.total = sum(newCost, neighbour.estimate);
                // A new node joins the open list. An open one whose total dropped moves behind
                // the nodes of its new total; one whose cost dropped too little to change the
                // float total keeps its place among its equals. A closed one is not reopened.
                if (!known || (neighbour.inOpen && neighbour.total < oldTotal))
                    push(entry.node);
            }
            if (neighbour.estimate < bestEstimate)
            {
                bestEstimate = neighbour.estimate;
                closest = neighbour.cell;
            }
        }
    }
    return 1;
}
