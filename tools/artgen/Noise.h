#pragma once

namespace ArtGen
{

// Smooth fractal noise for the ground of the map and the grain of paper and wood: gradient
// noise on a unit lattice, `octaves` layers each of twice the frequency and half the weight
// of the one before, scaled into [0, 1] (about 0.5 on average). `start` picks another field;
// the same inputs give the same value on every run and machine.
double fractalNoise(double x, double y, int octaves, double start);

} // namespace ArtGen
