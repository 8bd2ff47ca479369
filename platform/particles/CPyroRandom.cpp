#include "platform/particles/CPyroRandom.h"

namespace PyroParticles
{

void CPyroRandom::setSeed(uint32_t seed)
{
    // Spread the seed's bits so that neighbouring seeds start far apart.
    uint64_t z = static_cast<uint64_t>(seed) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    m_state = z ^ (z >> 31);
    if (m_state == 0)
        m_state = 1;
}

uint32_t CPyroRandom::next()
{
    // xorshift64*: small, fast and good enough for particles.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return static_cast<uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
}

float CPyroRandom::unit()
{
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

float CPyroRandom::around(float spread)
{
    // Always draws, so that giving one value a spread leaves the others' draws as they were.
    return (unit() * 2.0f - 1.0f) * spread;
}

} // namespace PyroParticles
