#pragma once

#include "engine/devices/cQuad.h"
#include "platform/gfx/GfxTexture.h"

#include <cstdint>
#include <memory>

namespace Engine
{

struct cMeshRenderData;
struct cParticleDrawInfo;

// One batch of the frame: consecutive quads that share a texture, a render type, a vertex
// shader and its constants, drawn with one call; or one mesh or particle effect at its place
// in the drawing order.
struct cBatch
{
    // Stage-0 texture of a quad batch; null for untextured quads and for mesh and particle
    // batches.
    std::shared_ptr<Platform::GfxTexture> texture;
    // The batch's first index in its quad buffer.
    uint32_t firstIndex = 0;
    uint32_t triangleCount = 0;
    uint32_t vertexCount = 0;
    // `eRenderType` bits; 0 for particle batches.
    uint32_t renderType = 0;
    // The batch's first vertex in its quad buffer.
    uint32_t firstVertex = 0;
    // 0: the fixed vertex format of the quads.
    uint32_t shaderHandle = 0;
    // Compared by address.
    const tShaderConstants* shaderConstants = nullptr;
    cMeshRenderData* mesh = nullptr;
    cParticleDrawInfo* particle = nullptr;
    // Which quad buffer of the frame holds the batch: a frame that outgrows one buffer goes on
    // in the next.
    uint32_t buffer = 0;

    bool isQuadBatch() const { return !mesh && !particle; }
};

} // namespace Engine
