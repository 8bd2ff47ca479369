#pragma once

namespace Engine
{

// Three floats: the scale of a view, positions and directions in space.
struct cVector3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr cVector3() = default;
    constexpr cVector3(float px, float py, float pz) : x(px), y(py), z(pz) {}

    constexpr bool operator==(const cVector3& o) const { return x == o.x && y == o.y && z == o.z; }
    constexpr bool operator!=(const cVector3& o) const { return !(*this == o); }
    constexpr cVector3 operator+(const cVector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr cVector3 operator-(const cVector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr cVector3 operator*(float k) const { return {x * k, y * k, z * k}; }
};

} // namespace Engine
