#include "engine/devices/cBatchRenderer.h"

#include "engine/core/cColor.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/RenderTypes.h"
#include "engine/devices/cMeshRenderer.h"
#include "engine/devices/cPyroBatch.h"

#include <algorithm>

namespace Engine
{

using Platform::Blend;
using Platform::Compare;
namespace GfxError = Platform::GfxError;
using Platform::RenderState;
using Platform::StageState;
using Platform::StencilOp;
using Platform::TextureAddress;
using Platform::TextureFilter;

namespace
{

constexpr uint32_t BufferUsage = Platform::Usage::WriteOnly | Platform::Usage::Dynamic;

} // namespace

cBatchRenderer::cBatchRenderer() = default;

cBatchRenderer::~cBatchRenderer() = default;

void cBatchRenderer::setDevice(Platform::GfxDevice* device)
{
    if (device == m_device)
        return;
    m_meshes.reset();
    m_white.reset();
    m_device = device;
    if (m_device)
        m_meshes = std::make_unique<cMeshRenderer>(*m_device);
}

// --- Buffers -------------------------------------------------------------------------------------

cBatchRenderer::tBuffers cBatchRenderer::makeBuffers(unsigned quads)
{
    tBuffers buffers;
    Platform::GfxResult result = m_device->createIndexBuffer(
        quads * 12, BufferUsage, Platform::Format::Index16, Platform::Pool::Default, buffers.indices);
    if (Platform::gfxFailed(result))
        result = m_device->createIndexBuffer(quads * 12, BufferUsage, Platform::Format::Index16,
                                             Platform::Pool::Managed, buffers.indices);
    // Without quad buffers nothing can be drawn: a fatal error rather than a crash at the
    // first lock.
    if (Platform::gfxFailed(result))
        throwD3DError(result, "CreateIndexBuffer(...)");
    result = m_device->createVertexBuffer(quads * 4 * sizeof(cQuadVertex), BufferUsage, QuadFvf,
                                          Platform::Pool::Default, buffers.vertices);
    if (Platform::gfxFailed(result))
        result = m_device->createVertexBuffer(quads * 4 * sizeof(cQuadVertex), BufferUsage, QuadFvf,
                                              Platform::Pool::Managed, buffers.vertices);
    if (Platform::gfxFailed(result))
        throwD3DError(result, "CreateVertexBuffer(...)");
    buffers.vertexCapacity = quads * 4;
    buffers.indexCapacity = quads * 6;
    return buffers;
}

void cBatchRenderer::reserve(unsigned quads)
{
    release();
    quads = std::clamp(quads, 1u, MaxReserve);
    m_reserve = quads;
    if (m_device)
        m_buffers.push_back(makeBuffers(quads));
}

void cBatchRenderer::release()
{
    m_frameOpen = false;
    m_buffers.clear();
    m_selection.reset();
    m_selectionCapacity = 0;
    m_batches.clear();
    m_spans.clear();
    m_current = cBatch();
    m_active = 0;
    m_vertexTotal = 0;
    m_indexTotal = 0;
}

bool cBatchRenderer::lockBuffers(tBuffers& buffers)
{
    void* vertices = nullptr;
    void* indices = nullptr;
    if (Platform::gfxFailed(
            buffers.indices->lock(0, buffers.indexCapacity * 2, &indices, Platform::Lock::Discard)))
        return false;
    if (Platform::gfxFailed(buffers.vertices->lock(0, buffers.vertexCapacity * sizeof(cQuadVertex), &vertices,
                                                   Platform::Lock::Discard)))
    {
        buffers.indices->unlock();
        return false;
    }
    buffers.lockedVertices = static_cast<cQuadVertex*>(vertices);
    buffers.lockedIndices = static_cast<uint16_t*>(indices);
    buffers.vertexCount = 0;
    buffers.indexCount = 0;
    return true;
}

void cBatchRenderer::unlockBuffers(tBuffers& buffers)
{
    if (buffers.lockedVertices)
        buffers.vertices->unlock();
    if (buffers.lockedIndices)
        buffers.indices->unlock();
    buffers.lockedVertices = nullptr;
    buffers.lockedIndices = nullptr;
}

const cQuadVertex* cBatchRenderer::getVertices(unsigned buffer) const
{
    return buffer < m_buffers.size()
               ? reinterpret_cast<const cQuadVertex*>(m_buffers[buffer].vertices->data())
               : nullptr;
}

const uint16_t* cBatchRenderer::getIndices(unsigned buffer) const
{
    return buffer < m_buffers.size() ? reinterpret_cast<const uint16_t*>(m_buffers[buffer].indices->data())
                                     : nullptr;
}

// --- The frame -----------------------------------------------------------------------------------

void cBatchRenderer::beginFrame()
{
    m_frameOpen = false;
    m_batches.clear();
    m_spans.clear();
    m_current = cBatch();
    m_active = 0;
    m_vertexTotal = 0;
    m_indexTotal = 0;
    if (m_buffers.empty())
        return;
    for (tBuffers& buffers : m_buffers)
        unlockBuffers(buffers);
    m_frameOpen = lockBuffers(m_buffers[0]);
}

void cBatchRenderer::endFrame()
{
    if (!m_frameOpen)
        return;
    for (tBuffers& buffers : m_buffers)
        unlockBuffers(buffers);
    if (!m_current.isQuadBatch() || m_current.triangleCount > 0)
        m_batches.push_back(m_current);
    m_current = cBatch();
    m_frameOpen = false;
}

bool cBatchRenderer::nextBuffers(uint32_t vertices, uint32_t indices)
{
    unlockBuffers(m_buffers[m_active]);
    if (!m_current.isQuadBatch() || m_current.triangleCount > 0)
        m_batches.push_back(m_current);
    ++m_active;
    const unsigned needed = std::max({m_reserve, (vertices + 3) / 4, (indices + 5) / 6});
    if (m_active == m_buffers.size())
        m_buffers.push_back(makeBuffers(needed));
    else if (m_buffers[m_active].vertexCapacity < vertices || m_buffers[m_active].indexCapacity < indices)
        m_buffers[m_active] = makeBuffers(needed);
    m_current = cBatch();
    m_current.buffer = m_active;
    if (!lockBuffers(m_buffers[m_active]))
    {
        m_frameOpen = false;
        return false;
    }
    return true;
}

void cBatchRenderer::closeCurrent()
{
    if (!m_current.isQuadBatch() || m_current.triangleCount > 0)
        m_batches.push_back(m_current);
    cBatch next;
    next.buffer = m_active;
    next.firstIndex = m_buffers[m_active].indexCount;
    next.firstVertex = m_current.firstVertex + m_current.vertexCount;
    m_current = next;
}

void cBatchRenderer::openMeshBatch(cMeshRenderData* mesh, uint32_t renderType)
{
    if (!m_frameOpen)
        return;
    closeCurrent();
    m_current.mesh = mesh;
    m_current.renderType = renderType;
}

void cBatchRenderer::openParticleBatch(cParticleDrawInfo* particle)
{
    if (!m_frameOpen)
        return;
    closeCurrent();
    m_current.particle = particle;
    m_current.renderType = 0;
}

void cBatchRenderer::startQuadBatch(const std::shared_ptr<Platform::GfxTexture>& texture, uint32_t renderType,
                                    uint32_t shader, const tShaderConstants* constants)
{
    // A quad batch without triangles (quads of grid 0 only) draws nothing and is dropped.
    if (!m_current.isQuadBatch() || m_current.triangleCount > 0)
        m_batches.push_back(m_current);
    cBatch next;
    next.texture = texture;
    next.renderType = renderType;
    next.shaderHandle = shader;
    next.shaderConstants = constants;
    next.buffer = m_active;
    next.firstIndex = m_buffers[m_active].indexCount;
    next.firstVertex = m_current.firstVertex + m_current.vertexCount;
    m_current = next;
}

void cBatchRenderer::drawQuad(const cQuad& quad, const cBatchTexture* texture, uint32_t renderType)
{
    if (!m_frameOpen)
        return;
    const unsigned grid = std::min<unsigned>(quad.grid, MaxGrid);
    const uint32_t vertices = (grid + 1) * (grid + 1);
    const uint32_t indices = 6 * grid * grid;

    std::shared_ptr<Platform::GfxTexture> deviceTexture;
    cVector2 uvScale(1.0f, 1.0f);
    if (texture)
    {
        deviceTexture = texture->getDeviceTexture();
        uvScale = texture->getCoordinateScale();
    }
    const uint32_t shader = quad.vertexShader ? quad.vertexShader->getHandle() : 0;

    bool keysTaken = false;
    const tBuffers& current = m_buffers[m_active];
    if (current.vertexCount + vertices > current.vertexCapacity ||
        current.indexCount + indices > current.indexCapacity)
    {
        if (!nextBuffers(vertices, indices))
            return;
        keysTaken = true;
    }
    else if (m_vertexTotal == 0 && m_current.isQuadBatch())
        keysTaken = true;
    if (keysTaken)
    {
        m_current.texture = deviceTexture;
        m_current.renderType = renderType;
        m_current.shaderHandle = shader;
        m_current.shaderConstants = quad.shaderConstants;
    }
    else if (!m_current.isQuadBatch() || m_current.texture != deviceTexture ||
             m_current.renderType != renderType || m_current.shaderHandle != shader ||
             m_current.shaderConstants != quad.shaderConstants)
        startQuadBatch(deviceTexture, renderType, shader, quad.shaderConstants);

    writeQuad(quad, grid, uvScale);
}

void cBatchRenderer::writeQuad(const cQuad& quad, unsigned grid, const cVector2& uvScale)
{
    tBuffers& buffers = m_buffers[m_active];
    const uint32_t first = buffers.vertexCount;
    cQuadVertex* out = buffers.lockedVertices + first;
    const cQuadCorner* c = quad.corners;
    const cColor colors[4] = {cColor::fromARGB(c[0].color), cColor::fromARGB(c[1].color),
                              cColor::fromARGB(c[2].color), cColor::fromARGB(c[3].color)};
    // A grid of 0 is one vertex at corner 0 (no division by zero).
    const float step = grid == 0 ? 0.0f : 1.0f / static_cast<float>(grid);

    for (unsigned j = 0; j <= grid; ++j)
    {
        const float s = grid == 0 ? 0.0f : (j == grid ? 1.0f : static_cast<float>(j) * step);
        for (unsigned i = 0; i <= grid; ++i, ++out)
        {
            const float t = grid == 0 ? 0.0f : (i == grid ? 1.0f : static_cast<float>(i) * step);
            float x = c[0].x + t * (c[1].x - c[0].x) + s * (c[2].x - c[0].x) +
                      t * s * (c[3].x - c[1].x - c[2].x + c[0].x);
            float y = c[0].y + t * (c[1].y - c[0].y) + s * (c[2].y - c[0].y) +
                      t * s * (c[3].y - c[1].y - c[2].y + c[0].y);
            if (m_placement.fullscreen)
            {
                x = x * m_placement.scaleX + m_placement.offsetX;
                y = y * m_placement.scaleY + m_placement.offsetY;
            }
            else
            {
                // Pixel centres lie on whole numbers: a quad from 0 to 800 then covers pixels 0
                // to 799 exactly.
                x -= 0.5f;
                y -= 0.5f;
            }
            out->x = x;
            out->y = y;
            out->z = 0.0f;
            if ((t == 0.0f || t == 1.0f) && (s == 0.0f || s == 1.0f))
                // A corner itself: mixing with weights 0 and 1 gives its colour back.
                out->color = c[(s == 1.0f ? 2 : 0) + (t == 1.0f ? 1 : 0)].color;
            else
            {
                const float w0 = (1.0f - t) * (1.0f - s);
                const float w1 = t * (1.0f - s);
                const float w2 = (1.0f - t) * s;
                const float w3 = t * s;
                const cColor mixed(w0 * colors[0].r + w1 * colors[1].r + w2 * colors[2].r + w3 * colors[3].r,
                                   w0 * colors[0].g + w1 * colors[1].g + w2 * colors[2].g + w3 * colors[3].g,
                                   w0 * colors[0].b + w1 * colors[1].b + w2 * colors[2].b + w3 * colors[3].b,
                                   w0 * colors[0].a + w1 * colors[1].a + w2 * colors[2].a + w3 * colors[3].a);
                out->color = mixed.toARGB();
            }
            out->u = (quad.uvFrom.x + t * (quad.uvTo.x - quad.uvFrom.x)) * uvScale.x;
            out->v = (quad.uvFrom.y + s * (quad.uvTo.y - quad.uvFrom.y)) * uvScale.y;
        }
    }

    uint16_t* index = buffers.lockedIndices + buffers.indexCount;
    for (unsigned j = 0; j < grid; ++j)
        for (unsigned i = 0; i < grid; ++i)
        {
            const uint32_t a = first + j * (grid + 1) + i;
            const uint32_t b = a + grid + 1;
            *index++ = static_cast<uint16_t>(a);
            *index++ = static_cast<uint16_t>(b);
            *index++ = static_cast<uint16_t>(a + 1);
            *index++ = static_cast<uint16_t>(a + 1);
            *index++ = static_cast<uint16_t>(b);
            *index++ = static_cast<uint16_t>(b + 1);
        }

    const uint32_t vertices = (grid + 1) * (grid + 1);
    const uint32_t indices = 6 * grid * grid;
    if (indices > 0)
    {
        // The batch being filled is the next one `getBatches` will hold.
        tQuadSpan span;
        span.batch = static_cast<uint32_t>(m_batches.size());
        span.firstVertex = first;
        span.vertexCount = vertices;
        span.firstIndex = buffers.indexCount;
        span.indexCount = indices;
        if (quad.vertexShader)
            span.bounds = wholePlane();
        else
        {
            const cQuadVertex* written = buffers.lockedVertices + first;
            float left = written->x;
            float right = written->x;
            float top = written->y;
            float bottom = written->y;
            for (uint32_t k = 1; k < vertices; ++k)
            {
                left = std::min(left, written[k].x);
                right = std::max(right, written[k].x);
                top = std::min(top, written[k].y);
                bottom = std::max(bottom, written[k].y);
            }
            span.bounds = pixelBounds(left, top, right, bottom);
        }
        m_spans.push_back(span);
    }
    buffers.vertexCount += vertices;
    buffers.indexCount += indices;
    m_vertexTotal += vertices;
    m_indexTotal += indices;
    m_current.vertexCount += vertices;
    m_current.triangleCount += 2 * grid * grid;
}

// --- Drawing -------------------------------------------------------------------------------------

void cBatchRenderer::bindBuffers(unsigned buffer)
{
    const tBuffers& buffers = m_buffers[buffer];
    m_device->setIndices(buffers.indices, 0);
    m_device->setStreamSource(0, buffers.vertices, sizeof(cQuadVertex));
}

void cBatchRenderer::drawQuadBatch(const cBatch& batch)
{
    m_device->drawIndexedPrimitive(Platform::PrimitiveType::TriangleList, batch.firstVertex,
                                   batch.vertexCount, batch.firstIndex, batch.triangleCount);
}

void cBatchRenderer::setStencilAndAlphaRef(size_t index, const cBatch& batch, uint32_t& triangles,
                                           bool deviceRecreated)
{
    Platform::GfxDevice& d = *m_device;
    const uint32_t type = batch.renderType;
    if (!(type & (eRenderType::StencilMask | eRenderType::StencilMasked)))
    {
        d.changeRenderState(RenderState::StencilEnable, 0u);
        d.changeRenderState(RenderState::AlphaRef, (type & eRenderType::AlphaRef160) ? 160u : 0u);
        return;
    }
    if (type & eRenderType::StencilMask)
    {
        // The mask pass writes 1 into the stencil wherever the batch's alpha passes 136 and
        // leaves the colour alone (ZERO, ONE); a quad or particle batch keeps the filtering,
        // addressing and vertex format the previous batch left.
        d.changeRenderState(RenderState::StencilEnable, 1u);
        d.changeRenderState(RenderState::StencilFunc, Compare::Always);
        d.changeRenderState(RenderState::StencilRef, 1u);
        d.changeRenderState(RenderState::StencilMask, 0xFFFFFFFFu);
        d.changeRenderState(RenderState::StencilWriteMask, 0xFFFFFFFFu);
        d.changeRenderState(RenderState::StencilFail, StencilOp::Keep);
        d.changeRenderState(RenderState::StencilZFail, StencilOp::Keep);
        d.changeRenderState(RenderState::StencilPass, StencilOp::Replace);
        d.changeRenderState(RenderState::AlphaRef, 136u);
        d.changeRenderState(RenderState::SrcBlend, Blend::Zero);
        d.changeRenderState(RenderState::DestBlend, Blend::One);
        d.changeRenderState(RenderState::AlphaBlendEnable, 1u);
        d.changeRenderState(RenderState::AlphaTestEnable, 1u);
        drawMask(index, batch, triangles, deviceRecreated);
        d.changeRenderState(RenderState::AlphaRef, 0u);
        d.changeRenderState(RenderState::StencilEnable, 0u);
    }
    if (type & eRenderType::StencilMasked)
    {
        d.changeRenderState(RenderState::StencilEnable, 1u);
        d.changeRenderState(RenderState::StencilRef, 1u);
        d.changeRenderState(RenderState::StencilFunc, Compare::Equal);
        d.changeRenderState(RenderState::StencilPass, StencilOp::Keep);
    }
}

void cBatchRenderer::drawMask(size_t index, const cBatch& batch, uint32_t& triangles, bool deviceRecreated)
{
    if (batch.mesh)
        // Without lights and material; the visible draw that follows sets up the mesh again.
        drawClipped(batch, deviceRecreated, [&] { triangles += m_meshes->drawMask(*batch.mesh, m_screen); });
    else if (batch.particle)
        drawClipped(batch, deviceRecreated, [&] { drawParticleBatch(batch, deviceRecreated); });
    else
        triangles += drawQuadsOf(index, batch);
}

void cBatchRenderer::drawParticleBatch(const cBatch& batch, bool deviceRecreated)
{
    cPyroBatch(*m_device).draw(*batch.particle, m_placement, deviceRecreated);
    // The emitter drew from buffers of its own.
    bindBuffers(batch.buffer);
}

void cBatchRenderer::setBlend(uint32_t type)
{
    Platform::GfxDevice& d = *m_device;
    Blend source = Blend::SrcAlpha;
    Blend destination = Blend::InvSrcAlpha;
    if (type & (eRenderType::DestColorBlend | eRenderType::DestColor))
    {
        source = Blend::DestColor;
        destination = Blend::SrcAlpha;
    }
    else if (type & eRenderType::Additive)
        destination = Blend::One;
    else if (type & eRenderType::Multiply)
    {
        source = Blend::Zero;
        destination = Blend::SrcColor;
    }
    d.changeRenderState(RenderState::SrcBlend, source);
    d.changeRenderState(RenderState::DestBlend, destination);
    const uint32_t alpha = (type & eRenderType::Opaque) ? 0u : 1u;
    d.changeRenderState(RenderState::AlphaBlendEnable, alpha);
    d.changeRenderState(RenderState::AlphaTestEnable, alpha);
}

bool cBatchRenderer::coversWhatIsUnder(const cBatch& batch) const
{
    // Blending a fully covered picture with opaque colours over the usual blend gives the
    // picture itself: drawn without blending (and without the alpha test, which every pixel
    // passes), the same pixels cost a software rasteriser much less.
    constexpr uint32_t otherBlends =
        eRenderType::DestColor | eRenderType::DestColorBlend | eRenderType::Additive | eRenderType::Multiply |
        eRenderType::StencilMask | eRenderType::StencilMasked | eRenderType::AlphaRef160;
    if (!batch.isQuadBatch() || batch.shaderHandle != 0 || (batch.renderType & otherBlends) ||
        !batch.texture || !batch.texture->coversAll() || m_wireframe)
        return false;
    const cQuadVertex* vertices = getVertices(batch.buffer);
    if (!vertices)
        return false;
    return std::all_of(vertices + batch.firstVertex, vertices + batch.firstVertex + batch.vertexCount,
                       [](const cQuadVertex& vertex) { return (vertex.color >> 24) == 0xFFu; });
}

std::shared_ptr<Platform::GfxTexture> cBatchRenderer::textureFor(const cBatch& batch)
{
    if (m_wireframe)
        return nullptr;
    if (batch.texture || !batch.isQuadBatch() || batch.shaderHandle != 0)
        return batch.texture;
    // A quad without a picture (a veil, a plain rectangle) is its vertex colour. The stage
    // modulates the texture by the vertex colour, so a white pixel gives the same colour and
    // alpha, and the quad is drawn with the same pipeline as the pictures around it: a software
    // rasteriser builds no second shader for it.
    if (!m_white)
    {
        std::shared_ptr<Platform::GfxTexture> white;
        Platform::LockedRect locked;
        if (Platform::gfxFailed(m_device->createTexture(1, 1, 1, 0, Platform::Format::A8R8G8B8,
                                                        Platform::Pool::Managed, white)) ||
            !white || Platform::gfxFailed(white->lockRect(0, locked, nullptr, 0)))
            return nullptr;
        *static_cast<uint32_t*>(locked.bits) = 0xFFFFFFFFu;
        white->unlockRect(0);
        m_white = white;
    }
    return m_white;
}

void cBatchRenderer::setSampling(const cBatch& batch)
{
    Platform::GfxDevice& d = *m_device;
    const uint32_t type = batch.renderType;
    TextureFilter filter = TextureFilter::Point;
    if (type & eRenderType::Linear)
        filter = TextureFilter::Linear;
    else if (type & eRenderType::Anisotropic)
        filter = TextureFilter::Anisotropic;
    d.changeTextureStageState(0, StageState::MagFilter, filter);
    d.changeTextureStageState(0, StageState::MinFilter, filter);
    const TextureAddress address =
        (type & eRenderType::Mirror) ? TextureAddress::Mirror : TextureAddress::Clamp;
    d.changeTextureStageState(0, StageState::AddressU, address);
    d.changeTextureStageState(0, StageState::AddressV, address);
}

void cBatchRenderer::setShader(const cBatch& batch, const cMatrix& viewProjectionT)
{
    Platform::GfxDevice& d = *m_device;
    if (batch.shaderHandle == 0)
    {
        if (d.getVertexShader() != QuadFvf)
            d.setVertexShader(QuadFvf);
        return;
    }
    if (d.getVertexShader() != batch.shaderHandle)
        d.setVertexShader(batch.shaderHandle);
    d.setVertexShaderConstant(0, viewProjectionT.m, 4);
    if (batch.shaderConstants)
        for (const cShaderConstant& constant : *batch.shaderConstants)
            d.setVertexShaderConstant(constant.firstRegister, constant.data, constant.registerCount);
}

void cBatchRenderer::setQuadStates()
{
    Platform::GfxDevice& d = *m_device;
    d.changeTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
    Platform::Material material;
    d.getMaterial(material);
    if (material != m_material)
        d.setMaterial(m_material);
    Platform::Matrix4 world;
    d.getTransform(Platform::TransformType::World, world);
    if (world != Platform::Matrix4::identity())
        d.setTransform(Platform::TransformType::World, Platform::Matrix4::identity());
    d.changeRenderState(RenderState::Lighting, 0u);
    d.changeRenderState(RenderState::CullMode, Platform::CullMode::None);
    d.changeRenderState(RenderState::ZEnable, 0u);
    d.changeRenderState(RenderState::ZWriteEnable, 0u);
    if (d.getVertexShader() != QuadFvf)
        d.setVertexShader(QuadFvf);
}

uint32_t cBatchRenderer::drawBatches(const cMatrix& viewProjectionT, bool deviceRecreated,
                                     const std::vector<Platform::PixelRect>* clip)
{
    if (!m_device || m_buffers.empty())
        return 0;
    Platform::GfxDevice& d = *m_device;
    m_clip = clip;
    if (m_clip)
        findBatchSpans();
    setQuadStates();
    uint32_t triangles = 0;
    bindBuffers(0);
    unsigned bound = 0;
    const cMeshRenderer::tContext meshContext{m_screen, m_lights, m_material};
    for (size_t index = 0; index < m_batches.size(); ++index)
    {
        const cBatch& batch = m_batches[index];
        if (batch.isQuadBatch() && batch.triangleCount == 0)
            continue;
        if (batch.buffer != bound)
        {
            bindBuffers(batch.buffer);
            bound = batch.buffer;
        }
        const std::shared_ptr<Platform::GfxTexture> texture = textureFor(batch);
        if (d.getTexture(0) != texture)
            d.setTexture(0, texture);
        setStencilAndAlphaRef(index, batch, triangles, deviceRecreated);
        setBlend(coversWhatIsUnder(batch) ? batch.renderType | eRenderType::Opaque : batch.renderType);
        if (batch.mesh)
        {
            // The mesh renderer puts the two-dimensional states back; the quad buffers are ours.
            drawClipped(batch, deviceRecreated,
                        [&] { triangles += m_meshes->draw(*batch.mesh, batch.renderType, meshContext); });
            bindBuffers(batch.buffer);
            continue;
        }
        setSampling(batch);
        setShader(batch, viewProjectionT);
        if (m_placement.fullscreen)
        {
            if (batch.renderType & eRenderType::DestColor)
                d.changeTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
            else
            {
                d.changeTextureStageState(0, StageState::MagFilter, TextureFilter::Anisotropic);
                d.changeTextureStageState(0, StageState::MinFilter, TextureFilter::Anisotropic);
            }
        }
        if (batch.particle)
        {
            drawClipped(batch, deviceRecreated, [&] { drawParticleBatch(batch, deviceRecreated); });
            continue;
        }
        triangles += drawQuadsOf(index, batch);
    }
    if (m_clip)
        d.setClipRect(nullptr);
    m_clip = nullptr;
    return triangles;
}

} // namespace Engine
