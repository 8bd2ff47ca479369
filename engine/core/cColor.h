#pragma once

#include <cstdint>

namespace Engine
{

// Four floats r, g, b, a, each 0..1.
struct cColor
{
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;

    constexpr cColor() = default;
    constexpr cColor(float pr, float pg, float pb, float pa) : r(pr), g(pg), b(pb), a(pa) {}

    constexpr bool operator==(const cColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    constexpr bool operator!=(const cColor& o) const { return !(*this == o); }

    // Each byte of 0xAARRGGBB times 1/255.
    static cColor fromARGB(uint32_t argb)
    {
        constexpr float k = 1.0f / 255.0f;
        return {static_cast<float>((argb >> 16) & 255u) * k, static_cast<float>((argb >> 8) & 255u) * k,
                static_cast<float>(argb & 255u) * k, static_cast<float>((argb >> 24) & 255u) * k};
    }

    // Sets r, g and b from the bytes of 0xRRGGBB (each times 1/255); a stays as it is, and the
    // top byte is ignored.
    void fromRGB(uint32_t rgb)
    {
        const cColor unpacked = fromARGB(rgb);
        r = unpacked.r;
        g = unpacked.g;
        b = unpacked.b;
    }

    // One component to a byte: 1 or more gives 255, 0 or less gives 0, else rounded.
    static uint32_t toByte(float v)
    {
        if (v >= 1.0f)
            return 255u;
        if (v <= 0.0f)
            return 0u;
        return static_cast<uint32_t>(v * 255.0f + 0.5f);
    }

    // Packs to 0xAARRGGBB.
    uint32_t toARGB() const { return toByte(a) << 24 | toByte(r) << 16 | toByte(g) << 8 | toByte(b); }
    // Packs with the first component in the lowest byte: 0xAABBGGRR.
    uint32_t toABGR() const { return toByte(a) << 24 | toByte(b) << 16 | toByte(g) << 8 | toByte(r); }
};

} // namespace Engine
