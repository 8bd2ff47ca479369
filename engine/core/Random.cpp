#include "engine/core/Random.h"

#include <cstdint>

namespace Engine
{
namespace
{
uint32_t g_state = 1;
} // namespace

int random15()
{
    // Linear congruential step; the upper bits are the better ones.
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

void seedRandom(unsigned seed)
{
    g_state = seed;
}

} // namespace Engine

float randomRange(float min, float max, float seed)
{
    if (seed > 0.0f)
        Engine::seedRandom(static_cast<unsigned>(seed));
    const double r = Engine::random15();
    return static_cast<float>(min + r * (static_cast<double>(max) - min) / Engine::kRandomMax);
}

int randomInt(int min, int max, int seed)
{
    if (seed > 0)
        Engine::seedRandom(static_cast<unsigned>(seed));
    const double r = Engine::random15();
    return static_cast<int>(min + (static_cast<double>(max) - min) * r / 32768.0);
}
