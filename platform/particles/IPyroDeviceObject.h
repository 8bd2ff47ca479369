#pragma once

#include <cstdint>

namespace PyroParticles
{

// The two hooks every buffer and texture of the device offers: the device keeps them in memory
// it restores itself, so both answer 0 and the library never has to recreate them.
class IPyroDeviceObject
{
public:
    virtual int32_t onDeviceLost() = 0;
    virtual int32_t onDeviceRestored() = 0;
    virtual ~IPyroDeviceObject() = default;
};

} // namespace PyroParticles
