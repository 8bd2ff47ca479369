#pragma once

namespace Engine
{

struct cVector4
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr cVector4() = default;
    constexpr cVector4(float px, float py, float pz, float pw) : x(px), y(py), z(pz), w(pw) {}

    constexpr bool operator==(const cVector4& o) const
    {
        return x == o.x && y == o.y && z == o.z && w == o.w;
    }
    constexpr bool operator!=(const cVector4& o) const { return !(*this == o); }
};

} // namespace Engine
