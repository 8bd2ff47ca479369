#include "platform/particles/TextureShapes.h"

#include <algorithm>
#include <cmath>

namespace PyroParticles
{

namespace
{

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

// The alpha of the shape at (x, y) measured from the centre, in units of the radius.
float shapeAlpha(eTextureShape shape, float x, float y, float pixel)
{
    const float r = std::sqrt(x * x + y * y);
    switch (shape)
    {
    case eTextureShape::Square:
        return 1.0f;
    case eTextureShape::Dot:
        return clamp01((1.0f - r) / pixel + 0.5f);
    case eTextureShape::SoftDot:
    {
        const float f = clamp01(1.0f - r);
        return f * f;
    }
    case eTextureShape::Ring:
    {
        const float d = std::fabs(r - 0.75f) / 0.2f;
        return clamp01(1.0f - d * d);
    }
    case eTextureShape::Star:
    {
        const float core = clamp01(1.0f - r * 2.5f);
        const float rays = clamp01(1.0f - std::min(std::fabs(x), std::fabs(y)) * 10.0f) * clamp01(1.0f - r);
        return clamp01(core * core + rays * rays);
    }
    }
    return 0.0f;
}

} // namespace

bool shapeFromName(const std::string& name, eTextureShape& out)
{
    static const struct
    {
        const char* name;
        eTextureShape shape;
    } names[] = {{"square", eTextureShape::Square},
                 {"dot", eTextureShape::Dot},
                 {"softdot", eTextureShape::SoftDot},
                 {"ring", eTextureShape::Ring},
                 {"star", eTextureShape::Star}};
    for (const auto& entry : names)
    {
        if (name == entry.name)
        {
            out = entry.shape;
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> makeShape(eTextureShape shape, uint32_t size)
{
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4, 255);
    const float half = static_cast<float>(size) * 0.5f;
    const float pixel = 1.0f / half;
    for (uint32_t y = 0; y < size; ++y)
    {
        for (uint32_t x = 0; x < size; ++x)
        {
            // Pixel centres, so the picture is symmetric.
            const float fx = (static_cast<float>(x) + 0.5f - half) / half;
            const float fy = (static_cast<float>(y) + 0.5f - half) / half;
            const float a = shapeAlpha(shape, fx, fy, pixel);
            rgba[(static_cast<size_t>(y) * size + x) * 4 + 3] = static_cast<uint8_t>(a * 255.0f + 0.5f);
        }
    }
    return rgba;
}

} // namespace PyroParticles
