#include "platform/gfx/RecordingGfxDevice.h"

namespace Platform
{

GfxResult RecordingGfxDevice::refuse(GfxResult result)
{
    if (result == GfxError::InvalidCall)
        ++m_invalidCalls;
    return result;
}

GfxResult RecordingGfxDevice::testCooperativeLevel()
{
    if (!m_lost)
        return GfxError::Ok;
    return m_resetAllowed ? GfxError::DeviceNotReset : GfxError::DeviceLost;
}

GfxResult RecordingGfxDevice::present()
{
    if (m_lost)
        return GfxError::DeviceLost;
    if (isInScene())
        return refuse(GfxError::InvalidCall);
    ++m_presents;
    return GfxError::Ok;
}

GfxResult RecordingGfxDevice::beginScene()
{
    const GfxResult result = GfxDevice::beginScene();
    if (!gfxFailed(result))
        ++m_beginScenes;
    return refuse(result);
}

void RecordingGfxDevice::loseDevice()
{
    m_lost = true;
    m_resetAllowed = false;
}

GfxResult RecordingGfxDevice::onReset(const PresentParams&)
{
    if (m_lost && !m_resetAllowed)
        return GfxError::DeviceLost;
    m_lost = false;
    m_resetAllowed = false;
    ++m_resets;
    return GfxError::Ok;
}

GfxResult RecordingGfxDevice::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil)
{
    if (m_keepRecords)
    {
        ClearRecord clear;
        clear.flags = flags;
        clear.color = argb;
        clear.z = z;
        clear.stencil = stencil;
        clear.stencilWriteMask = renderState(RenderState::StencilWriteMask);
        clear.zWriteEnable = renderState(RenderState::ZWriteEnable) != 0;
        clear.clipped = isClipped();
        clear.clip = clipRect();
        m_clears.push_back(clear);
    }
    return GfxError::Ok;
}

GfxResult RecordingGfxDevice::setRenderState(RenderState state, uint32_t value)
{
    const GfxResult result = GfxDevice::setRenderState(state, value);
    if (!gfxFailed(result))
    {
        ++m_renderStateSets;
        ++m_perState[static_cast<unsigned>(state)];
    }
    return refuse(result);
}

GfxResult RecordingGfxDevice::setTextureStageState(unsigned stage, StageState state, uint32_t value)
{
    const GfxResult result = GfxDevice::setTextureStageState(stage, state, value);
    if (!gfxFailed(result))
        ++m_stageStateSets;
    return refuse(result);
}

GfxResult RecordingGfxDevice::setTexture(unsigned stage, const std::shared_ptr<GfxTexture>& texture)
{
    const GfxResult result = GfxDevice::setTexture(stage, texture);
    if (!gfxFailed(result))
        ++m_textureSets;
    return refuse(result);
}

bool RecordingGfxDevice::exhausted(Pool pool)
{
    const bool full =
        (pool == Pool::Default && m_defaultExhausted) || (pool == Pool::Managed && m_managedExhausted);
    if (full)
        ++m_failedCreations;
    return full;
}

GfxResult RecordingGfxDevice::createVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, Pool pool,
                                                 std::shared_ptr<GfxVertexBuffer>& out)
{
    if (exhausted(pool))
    {
        out.reset();
        return GfxError::OutOfVideoMemory;
    }
    return refuse(GfxDevice::createVertexBuffer(size, usage, fvf, pool, out));
}

GfxResult RecordingGfxDevice::createIndexBuffer(uint32_t size, uint32_t usage, Format format, Pool pool,
                                                std::shared_ptr<GfxIndexBuffer>& out)
{
    if (exhausted(pool))
    {
        out.reset();
        return GfxError::OutOfVideoMemory;
    }
    return refuse(GfxDevice::createIndexBuffer(size, usage, format, pool, out));
}

GfxResult RecordingGfxDevice::createTexture(int width, int height, unsigned levels, uint32_t usage,
                                            Format format, Pool pool, std::shared_ptr<GfxTexture>& out)
{
    if (exhausted(pool))
    {
        out.reset();
        return GfxError::OutOfVideoMemory;
    }
    return refuse(GfxDevice::createTexture(width, height, levels, usage, format, pool, out));
}

void RecordingGfxDevice::record(bool indexed, PrimitiveType type, uint32_t startVertex, uint32_t minIndex,
                                uint32_t vertexCount, uint32_t startIndex, uint32_t primitiveCount)
{
    ++m_drawCalls;
    if (!m_keepRecords)
        return;
    DrawRecord draw;
    draw.indexed = indexed;
    draw.type = type;
    draw.startVertex = startVertex;
    draw.minIndex = minIndex;
    draw.vertexCount = vertexCount;
    draw.startIndex = startIndex;
    draw.primitiveCount = primitiveCount;
    draw.baseVertex = m_state.baseVertex;
    draw.stride = m_state.streamStride;
    draw.vertexShader = m_state.vertexShader;
    draw.texture = m_state.textures[0].get();
    draw.stream = m_state.stream.get();
    draw.indices = indexed ? m_state.indices.get() : nullptr;
    draw.render = m_state.render;
    draw.stage0 = m_state.stages[0];
    draw.clipped = isClipped();
    draw.clip = clipRect();
    if (indexed)
    {
        // The checks before passed: the indices are there.
        const auto* indices = reinterpret_cast<const uint16_t*>(m_state.indices->data()) + startIndex;
        draw.drawnIndices.assign(indices, indices + primitiveVertexCount(type, primitiveCount));
    }
    m_draws.push_back(std::move(draw));
}

GfxResult RecordingGfxDevice::drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    const GfxResult check = checkDraw(type, startVertex, primitiveCount);
    if (gfxFailed(check))
        return refuse(check);
    record(false, type, startVertex, 0, 0, 0, primitiveCount);
    return GfxError::Ok;
}

GfxResult RecordingGfxDevice::drawIndexedPrimitive(PrimitiveType type, uint32_t minIndex,
                                                   uint32_t vertexCount, uint32_t startIndex,
                                                   uint32_t primitiveCount)
{
    const GfxResult check = checkIndexedDraw(type, startIndex, primitiveCount);
    if (gfxFailed(check))
        return refuse(check);
    record(true, type, 0, minIndex, vertexCount, startIndex, primitiveCount);
    return GfxError::Ok;
}

void RecordingGfxDevice::clearRecords()
{
    m_draws.clear();
    m_clears.clear();
    m_perState.fill(0);
    m_drawCalls = 0;
    m_renderStateSets = 0;
    m_stageStateSets = 0;
    m_textureSets = 0;
    m_presents = 0;
    m_beginScenes = 0;
    m_resets = 0;
    m_invalidCalls = 0;
    m_failedCreations = 0;
}

} // namespace Platform
