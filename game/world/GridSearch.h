#pragma once

#include "engine/core/cPoint.h"
#include "game/world/SearchGraph.h"

#include <cstdint>
#include <vector>

// The best-first (A*) search behind GridPathFinder, over the cells of a width × height grid.
//
// Searches run inside a frame, often several per click, so nothing is allocated per node:
// every cell has a node record that a search claims by stamping it, and the neighbours of a
// cell with their step costs are kept in one flat cache until the next reset (at most
// kCacheCapacity entries; a cell whose list does not fit is expanded again when reached).
// Cached costs therefore stay as they were when the cell was first expanded.
//
// The open list pops the lowest total first and, among equal totals, the node that was
// pushed (or whose total last dropped) earliest. A cheaper cost that leaves the float total
// as it was does not move a node.
class GridSearch
{
public:
    static constexpr int kCacheCapacity = 1500;

    explicit GridSearch(const SearchGraph& graph);

    // Sizes the node table for a grid and resets.
    void resize(int width, int height);
    // Forgets every node and the neighbour cache.
    void reset();

    // 0 solved (path from start to goal, cost), 1 no route (closest: the reached cell with
    // the least estimate, or (-1, -1)), 2 start equals goal. Path and closest are only
    // written as described.
    int run(const Engine::cPoint& start, const Engine::cPoint& goal, std::vector<Engine::cPoint>& path,
            float& cost, Engine::cPoint& closest);

    // Entries of the neighbour cache in use.
    int cacheFill() const { return static_cast<int>(m_cache.size()); }

private:
    struct Node
    {
        Engine::cPoint cell;
        float cost = 0.0f;
        float estimate = 0.0f;
        float total = 0.0f;
        int parent = -1;
        uint32_t stamp = 0;
        int neighbourCount = -1; // -1: not yet expanded
        int cacheIndex = -1;     // -1: not in the cache
        uint32_t sequence = 0;   // when it was last placed in the open list
        bool inOpen = false;
        bool inClosed = false;
    };
    struct OpenEntry
    {
        float total;
        uint32_t sequence;
        int node;
    };
    struct CacheEntry
    {
        int node;
        float cost;
    };

    void forgetNodes();
    int nodeIndex(const Engine::cPoint& cell) const;
    int lookup(const Engine::cPoint& cell, float cost, float estimate, int parent);
    void initialise(Node& node, const Engine::cPoint& cell, float cost, float estimate, int parent);
    void gatherNeighbours(int index);
    void push(int index);
    int pop();
    void buildPath(int goalIndex, std::vector<Engine::cPoint>& path) const;

    const SearchGraph& m_graph;
    int m_width = 0;
    int m_height = 0;
    // One node per grid cell, plus one for a start that lies outside the grid.
    std::vector<Node> m_nodes;
    std::vector<CacheEntry> m_cache;
    std::vector<OpenEntry> m_open; // a binary heap
    std::vector<SearchGraph::Neighbour> m_cells;
    std::vector<CacheEntry> m_neighbours;
    uint32_t m_stamp = 0;
    uint32_t m_sequence = 0;
    // Reset since the last search: the nodes still hold what that search knew.
    bool m_stale = false;
};
