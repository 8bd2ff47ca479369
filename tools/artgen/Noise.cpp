#include "tools/artgen/Noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ArtGen
{

namespace
{

uint64_t mix(uint64_t value)
{
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdull;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ull;
    value ^= value >> 33;
    return value;
}

// The gradient at a lattice point: one of sixteen directions around the circle.
void gradient(int64_t x, int64_t y, uint64_t field, double& gx, double& gy)
{
    const uint64_t h = mix(field ^ mix(static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^
                                       static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full));
    const double angle = static_cast<double>(h & 15u) * (3.14159265358979323846 / 8.0);
    gx = std::cos(angle);
    gy = std::sin(angle);
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// Gradient noise in about [-0.7, 0.7].
double layer(double x, double y, uint64_t field)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<int64_t>(fx);
    const auto iy = static_cast<int64_t>(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    double corner[4];
    for (int i = 0; i < 4; ++i)
    {
        const int cx = i & 1;
        const int cy = i >> 1;
        double gx = 0.0, gy = 0.0;
        gradient(ix + cx, iy + cy, field, gx, gy);
        corner[i] = gx * (dx - cx) + gy * (dy - cy);
    }
    const double u = fade(dx);
    const double v = fade(dy);
    const double top = corner[0] + (corner[1] - corner[0]) * u;
    const double bottom = corner[2] + (corner[3] - corner[2]) * u;
    return top + (bottom - top) * v;
}

} // namespace

double fractalNoise(double x, double y, int octaves, double start)
{
    const uint64_t field = mix(static_cast<uint64_t>(std::llround(start * 1000.0)) + 0x632BE59BD9B4E019ull);
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    double frequency = 1.0;
    for (int i = 0; i < std::max(1, octaves); ++i)
    {
        sum += layer(x * frequency, y * frequency, field + static_cast<uint64_t>(i) * 0x9E37u) * weight;
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return std::clamp(0.5 + sum / total * 0.75, 0.0, 1.0);
}

} // namespace ArtGen
