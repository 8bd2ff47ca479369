#pragma once

#include "engine/core/cPoint.h"

namespace Engine
{

// Two floats: positions, sizes and offsets on the screen and on the level field.
struct cVector2
{
    float x = 0.0f;
    float y = 0.0f;

    constexpr cVector2() = default;
    constexpr cVector2(float px, float py) : x(px), y(py) {}
    constexpr explicit cVector2(const cPoint& p) : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)) {}

    // Exact comparison, no tolerance.
    constexpr bool operator==(const cVector2& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const cVector2& o) const { return !(*this == o); }

    constexpr cVector2 operator+(const cVector2& o) const { return {x + o.x, y + o.y}; }
    constexpr cVector2 operator-(const cVector2& o) const { return {x - o.x, y - o.y}; }
    constexpr cVector2 operator-() const { return {-x, -y}; }
    constexpr cVector2 operator*(float k) const { return {x * k, y * k}; }
    // Division multiplies by the divisor's reciprocal held as a float.
    constexpr cVector2 operator/(float k) const
    {
        const float r = 1.0f / k;
        return {x * r, y * r};
    }
    cVector2& operator+=(const cVector2& o) { return *this = *this + o; }
    cVector2& operator-=(const cVector2& o) { return *this = *this - o; }
    cVector2& operator*=(float k) { return *this = *this * k; }
    cVector2& operator/=(float k) { return *this = *this / k; }
};

} // namespace Engine
