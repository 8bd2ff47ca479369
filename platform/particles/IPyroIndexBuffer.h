#pragma once

#include "platform/particles/IPyroDeviceObject.h"

namespace PyroParticles
{

// An index buffer of 16-bit indices created by the graphics device.
class IPyroIndexBuffer : public IPyroDeviceObject
{
public:
    virtual int32_t lock() = 0;
    virtual int32_t unlock() = 0;
    // The locked indices; null while unlocked.
    virtual void* getLockedData() = 0;
};

} // namespace PyroParticles
