#pragma once

namespace Engine
{

// The engine's own random generator: 15-bit results (0 to `kRandomMax`), seedable, one
// sequence for the whole program. Nothing in the program calls the C library's rand().
constexpr int kRandomMax = 32767;

int random15();
void seedRandom(unsigned seed);

} // namespace Engine

// A float in [min, max]: min + random15() × (max − min) / 32767, computed in double. When
// seed > 0 the generator is first seeded with the seed's integer part.
float randomRange(float min, float max, float seed = 0.0f);

// An int from min up to but excluding max (min when max equals min): min + (max − min) ×
// random15() / 32768, truncated. When seed > 0 the generator is seeded first.
int randomInt(int min, int max, int seed = 0);
