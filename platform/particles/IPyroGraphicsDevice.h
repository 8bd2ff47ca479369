#pragma once

#include "platform/particles/PyroTypes.h"

#include <cstdint>

namespace PyroParticles
{

class IPyroIndexBuffer;
class IPyroParamRecord;
class IPyroTexture;
class IPyroVertexBuffer;

// The graphics device through which the library draws: the engine implements it on its own
// render device. Results are 0 for success, negative for a failure (the device's code) and
// `kUnsupported` for the operations the device does not offer. Objects created through the
// `create...` calls belong to the caller, who deletes them.
//
// The order of the operations is the order the library knows them by; keep it.
class IPyroGraphicsDevice
{
public:
    virtual int32_t setRenderState(uint32_t state, uint32_t value) = 0;
    virtual int32_t setBlendFunc(uint32_t source, uint32_t destination) = 0;
    // Texture-stage set-up; no device offers it and the library never calls it.
    virtual int32_t setStageState(uint32_t stage, uint32_t state, uint32_t value, uint32_t reserved1,
                                  uint32_t reserved2) = 0;
    virtual int32_t createVertexBuffer(IPyroVertexBuffer** out, uint32_t vertexCount, uint32_t stride,
                                       uint32_t formatFlags, uint32_t reserved) = 0;
    // Room for `count` × 6 indices of 16 bits (count × 12 bytes).
    virtual int32_t createIndexBuffer(IPyroIndexBuffer** out, uint32_t reserved1, uint32_t count,
                                      uint32_t reserved2) = 0;
    virtual int32_t createTexture(IPyroTexture** out, const sPyroImage& image, uint32_t reserved) = 0;
    virtual int32_t createParamRecord(IPyroParamRecord** out, uint32_t a, uint32_t b, uint32_t c,
                                      uint32_t d) = 0;
    // Called before an emitter draws; the device needs no preparation and answers 0.
    virtual int32_t beginDraw(uint32_t flags) = 0;
    virtual int32_t setTexture(uint32_t stage, IPyroTexture* texture) = 0;
    // Non-indexed drawing; no device offers it and the library never calls it.
    virtual int32_t drawPrimitives(uint32_t type, uint32_t first, uint32_t count, uint32_t reserved) = 0;
    // Draws `quadCount` quads of four vertices each, starting at quad `firstQuad` of the buffer,
    // with the device's shared quad indices. At most the library's quad count per call.
    virtual int32_t drawQuads(IPyroVertexBuffer* buffer, uint32_t firstQuad, uint32_t quadCount,
                              uint32_t reserved) = 0;
    // Called after an emitter has drawn; answers 0.
    virtual int32_t endDraw() = 0;
    virtual ~IPyroGraphicsDevice() = default;
};

} // namespace PyroParticles
