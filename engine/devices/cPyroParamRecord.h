#pragma once

#include "platform/particles/IPyroParamRecord.h"

#include <cstdint>

namespace Engine
{

// Four values the particle library asked the device to keep, stored as given.
class cPyroParamRecord final : public PyroParticles::IPyroParamRecord
{
public:
    cPyroParamRecord(uint32_t a, uint32_t b, uint32_t c, uint32_t d) : m_values{a, b, c, d} {}

    uint32_t value(unsigned index) const { return index < 4 ? m_values[index] : 0; }

private:
    uint32_t m_values[4];
};

} // namespace Engine
