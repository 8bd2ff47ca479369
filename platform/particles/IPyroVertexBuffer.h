#pragma once

#include "platform/particles/IPyroDeviceObject.h"

namespace PyroParticles
{

// A vertex buffer created by the graphics device.
class IPyroVertexBuffer : public IPyroDeviceObject
{
public:
    // Copies `byteCount` bytes to `byteOffset`; 0 or a failure code.
    virtual int32_t write(const void* data, uint32_t byteOffset, uint32_t byteCount, uint32_t flags) = 0;
};

} // namespace PyroParticles
