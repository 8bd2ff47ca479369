#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace ArtGen
{

// Smooth fractal noise for the ground of the map and the grain of paper and wood: gradient
// noise on a unit lattice, `octaves` layers each of twice the frequency and half the weight
// of the one before, scaled into [0, 1] (about 0.5 on average). `start` picks another field;
// the same inputs give the same value on every run and machine. Each layer repeats every 256
// lattice steps of its own.
class NoiseField
{
public:
    NoiseField(double start, int octaves);

    double at(double x, double y) const;

private:
    double layer(double x, double y, const std::array<uint8_t, 512>& order) const;

    std::vector<std::array<uint8_t, 512>> m_orders;
};

} // namespace ArtGen
