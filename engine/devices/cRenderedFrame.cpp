#include "engine/devices/cRenderedFrame.h"

#include "engine/devices/cBatchRenderer.h"

#include <cstring>
#include <utility>

namespace Engine
{

namespace
{

template <typename T> void append(std::vector<uint8_t>& key, const T& value)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    key.insert(key.end(), bytes, bytes + sizeof(T));
}

void appendBytes(std::vector<uint8_t>& key, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    key.insert(key.end(), bytes, bytes + size);
}

} // namespace

bool cRenderedFrame::describe(const cBatchRenderer& batches, uint32_t clearColor, bool wireframe,
                              std::vector<uint8_t>& key,
                              std::vector<std::weak_ptr<Platform::GfxTexture>>& textures)
{
    key.clear();
    textures.clear();
    append(key, clearColor);
    append(key, static_cast<uint8_t>(wireframe));
    for (const cBatch& batch : batches.getBatches())
    {
        if (!batch.isQuadBatch())
            return false;
        Platform::GfxTexture* texture = batch.texture.get();
        // The picture is decoded now rather than by the draw, so that its version is the one
        // the frame shows.
        if (texture && texture->isPending())
            texture->realize();
        if (texture && texture->isPending())
            return false;
        append(key, texture);
        append(key, texture ? texture->version() : uint64_t{0});
        textures.push_back(batch.texture);
        append(key, batch.renderType);
        append(key, batch.shaderHandle);
        append(key, batch.buffer);
        append(key, batch.firstVertex);
        append(key, batch.vertexCount);
        append(key, batch.firstIndex);
        append(key, batch.triangleCount);
        if (batch.shaderConstants)
            for (const cShaderConstant& constant : *batch.shaderConstants)
            {
                append(key, constant.firstRegister);
                append(key, constant.registerCount);
                if (constant.data)
                    appendBytes(key, constant.data, size_t{constant.registerCount} * 4 * sizeof(float));
            }
        const cQuadVertex* vertices = batches.getVertices(batch.buffer);
        const uint16_t* indices = batches.getIndices(batch.buffer);
        if (!vertices || !indices)
            return false;
        appendBytes(key, vertices + batch.firstVertex, size_t{batch.vertexCount} * sizeof(cQuadVertex));
        appendBytes(key, indices + batch.firstIndex, size_t{batch.triangleCount} * 3 * sizeof(uint16_t));
    }
    return true;
}

bool cRenderedFrame::repeats(const cBatchRenderer& batches, uint32_t clearColor, bool wireframe)
{
    if (!describe(batches, clearColor, wireframe, m_scratch, m_scratchTextures))
    {
        forget();
        return false;
    }
    bool same = m_recorded && m_scratch.size() == m_key.size() &&
                std::memcmp(m_scratch.data(), m_key.data(), m_key.size()) == 0;
    // Equal addresses name the same texture only while the recorded one is alive.
    for (size_t i = 0; same && i < m_textures.size(); ++i)
        same = m_textures[i].lock() == m_scratchTextures[i].lock();
    if (same)
        return true;
    std::swap(m_key, m_scratch);
    std::swap(m_textures, m_scratchTextures);
    m_recorded = true;
    return false;
}

void cRenderedFrame::forget()
{
    m_recorded = false;
    m_key.clear();
    m_textures.clear();
}

} // namespace Engine
