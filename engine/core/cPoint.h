#pragma once

namespace Engine
{

// An integer pair: a cell of the level grid, or any integer pair of the data files.
struct cPoint
{
    int x = 0;
    int y = 0;

    constexpr cPoint() = default;
    constexpr cPoint(int px, int py) : x(px), y(py) {}

    constexpr bool operator==(const cPoint& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const cPoint& o) const { return !(*this == o); }
    constexpr cPoint operator+(const cPoint& o) const { return {x + o.x, y + o.y}; }
    constexpr cPoint operator-(const cPoint& o) const { return {x - o.x, y - o.y}; }
};

} // namespace Engine
