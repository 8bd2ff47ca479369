#pragma once

#include <cstdint>

namespace PyroParticles
{

// The random sequence of one emitter. Each emitter has its own, so effects are the same on
// every run for the same seed and never disturb the engine's generator.
class CPyroRandom
{
public:
    explicit CPyroRandom(uint32_t seed = 0) { setSeed(seed); }

    void setSeed(uint32_t seed);
    uint32_t next();
    // In [0, 1).
    float unit();
    // In [-spread, spread].
    float around(float spread);

private:
    uint64_t m_state = 0;
};

} // namespace PyroParticles
