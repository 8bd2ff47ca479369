#pragma once

#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxTypes.h"

#include <array>
#include <memory>
#include <vector>

namespace Platform
{

struct GfxLightSlot
{
    Light light;
    bool enabled = false;
};

// Everything a device call can set, as the device holds it. Reading a state reads this copy,
// never the graphics library, so "read back, set only when different" costs nothing; a state
// block is a copy of it. `reset` gives the documented defaults of the classic device, which the
// engine's renderer assumes after creation and after every reset.
struct GfxStateShadow
{
    static constexpr unsigned MaxWorldMatrices = 256;
    static constexpr unsigned MaxShaderConstants = 96;
    static constexpr unsigned MaxLights = 8;

    std::array<uint32_t, RenderStateCount> render{};
    std::array<std::array<uint32_t, StageStateCount>, MaxTextureStages> stages{};
    std::array<std::shared_ptr<GfxTexture>, MaxTextureStages> textures;
    std::shared_ptr<GfxVertexBuffer> stream;
    uint32_t streamStride = 0;
    std::shared_ptr<GfxIndexBuffer> indices;
    uint32_t baseVertex = 0;
    // A vertex format or a shader handle.
    uint32_t vertexShader = 0;
    Matrix4 view;
    Matrix4 projection;
    // World matrix 0 first; grows as higher indices are set.
    std::vector<Matrix4> world;
    Material material;
    std::array<GfxLightSlot, MaxLights> lights;
    // Four floats per register.
    std::vector<float> shaderConstants;

    GfxStateShadow() { reset(true); }

    // The defaults; `depthBuffer` tells whether the device has a depth buffer (depth testing is
    // then on by default).
    void reset(bool depthBuffer);

    uint32_t& operator[](RenderState state) { return render[static_cast<unsigned>(state)]; }
    uint32_t operator[](RenderState state) const { return render[static_cast<unsigned>(state)]; }
    uint32_t& stage(unsigned index, StageState state) { return stages[index][static_cast<unsigned>(state)]; }
    uint32_t stage(unsigned index, StageState state) const
    {
        return stages[index][static_cast<unsigned>(state)];
    }
};

} // namespace Platform
