#include "tools/artgen/Noise.h"

#include <algorithm>
#include <cmath>

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

// Sixteen directions around the circle.
struct Gradients
{
    std::array<double, 16> x{};
    std::array<double, 16> y{};
    Gradients()
    {
        for (int i = 0; i < 16; ++i)
        {
            x[static_cast<size_t>(i)] = std::cos(i * 3.14159265358979323846 / 8.0);
            y[static_cast<size_t>(i)] = std::sin(i * 3.14159265358979323846 / 8.0);
        }
    }
};

const Gradients& gradients()
{
    static const Gradients table;
    return table;
}

double fade(double t)
{
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

} // namespace

NoiseField::NoiseField(double start, int octaves)
{
    uint64_t state = mix(static_cast<uint64_t>(std::llround(start * 1000.0)) + 0x632BE59BD9B4E019ull);
    for (int octave = 0; octave < std::max(1, octaves); ++octave)
    {
        // A shuffled order of 0..255, twice over, for the lattice's hash.
        std::array<uint8_t, 512> order{};
        for (int i = 0; i < 256; ++i)
            order[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        for (int i = 255; i > 0; --i)
        {
            state = mix(state + 0x9E3779B97F4A7C15ull);
            std::swap(order[static_cast<size_t>(i)], order[state % static_cast<uint64_t>(i + 1)]);
        }
        std::copy(order.begin(), order.begin() + 256, order.begin() + 256);
        m_orders.push_back(order);
    }
}

// Gradient noise in about [-0.7, 0.7].
double NoiseField::layer(double x, double y, const std::array<uint8_t, 512>& order) const
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<int>(static_cast<int64_t>(fx) & 255);
    const auto iy = static_cast<int>(static_cast<int64_t>(fy) & 255);
    const double dx = x - fx;
    const double dy = y - fy;
    const Gradients& g = gradients();
    double corner[4];
    for (int i = 0; i < 4; ++i)
    {
        const int cx = i & 1;
        const int cy = i >> 1;
        const size_t h = order[static_cast<size_t>(order[static_cast<size_t>(ix + cx)] + iy + cy)] & 15u;
        corner[i] = g.x[h] * (dx - cx) + g.y[h] * (dy - cy);
    }
    const double u = fade(dx);
    const double v = fade(dy);
    const double top = corner[0] + (corner[1] - corner[0]) * u;
    const double bottom = corner[2] + (corner[3] - corner[2]) * u;
    return top + (bottom - top) * v;
}

double NoiseField::at(double x, double y) const
{
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    double frequency = 1.0;
    for (const auto& order : m_orders)
    {
        sum += layer(x * frequency, y * frequency, order) * weight;
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return std::clamp(0.5 + sum / total * 0.75, 0.0, 1.0);
}

} // namespace ArtGen
