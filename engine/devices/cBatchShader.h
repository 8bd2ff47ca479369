#pragma once

#include <cstdint>

namespace Engine
{

// What the quad batches read of a vertex shader resource: its device handle (0 when the device
// refused the shader, so that the quad is drawn with the fixed vertex format). The vertex
// shader resources implement it.
class cBatchShader
{
public:
    virtual ~cBatchShader() = default;

    virtual uint32_t getHandle() const = 0;
};

} // namespace Engine
