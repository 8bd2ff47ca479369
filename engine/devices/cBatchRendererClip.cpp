// The part of cBatchRenderer that draws a frame inside a few rectangles of the back buffer: the
// pixels each quad may touch, and the drawing of only the quads, particles and meshes that
// reach a rectangle, clipped to it.
//
// Drawing inside rectangles that do not overlap gives each of their pixels exactly what drawing
// the whole frame would: every batch still sets all its states in frame order (so nothing a
// batch inherits from the one before it changes), and a quad that is left out touches no pixel
// of the rectangle, since its bounds hold every pixel it covers.
#include "engine/devices/cBatchRenderer.h"

#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cPyroBatch.h"
#include "platform/particles/IPyroEmitter.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

namespace
{

// Further than any back buffer reaches, and far from overflowing when rectangles are added.
constexpr float kFar = 1 << 24;

int floorPixel(float value)
{
    return static_cast<int>(std::floor(std::clamp(value, -kFar, kFar)));
}

int ceilPixel(float value)
{
    return static_cast<int>(std::ceil(std::clamp(value, -kFar, kFar)));
}

} // namespace

Platform::PixelRect cBatchRenderer::wholePlane()
{
    const int far = static_cast<int>(kFar);
    return Platform::PixelRect{-far, -far, far, far};
}

Platform::PixelRect cBatchRenderer::pixelBounds(float left, float top, float right, float bottom)
{
    // A shape that is not a number anywhere may reach anything.
    if (std::isnan(left) || std::isnan(top) || std::isnan(right) || std::isnan(bottom))
        return wholePlane();
    // The device moves the picture by a little less than half a pixel; a pixel belongs to a
    // triangle when its centre does, and a wireframe line is a pixel wide. One pixel more on
    // each side holds all of it.
    return Platform::PixelRect{floorPixel(left) - 1, floorPixel(top) - 1, ceilPixel(right) + 2,
                               ceilPixel(bottom) + 2};
}

bool cBatchRenderer::overlaps(const Platform::PixelRect& a, const Platform::PixelRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool cBatchRenderer::batchBounds(const cBatch& batch, bool deviceRecreated, Platform::PixelRect& bounds) const
{
    if (batch.mesh)
    {
        bounds = wholePlane();
        return true;
    }
    if (!batch.particle)
        return false;
    cParticleDrawInfo& info = *batch.particle;
    if (!info.emitter)
        return false;
    // Placed now as the draw places it (placing again gives the same place).
    cPyroBatch::place(info, m_placement, deviceRecreated);
    float extent[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (!info.emitter->getBounds(extent))
        return false;
    bounds = pixelBounds(extent[0], extent[1], extent[2], extent[3]);
    return true;
}

uint32_t cBatchRenderer::getDeviceAlphaRef() const
{
    return m_device ? m_device->renderState(Platform::RenderState::AlphaRef) : 0u;
}

void cBatchRenderer::appendDeviceSampling(std::vector<uint8_t>& bytes) const
{
    if (!m_device)
        return;
    // `setQuadStates` sets point magnification and the quads' vertex format before the first
    // batch; the rest stays as the last frame left it.
    for (const Platform::StageState state :
         {Platform::StageState::MinFilter, Platform::StageState::AddressU, Platform::StageState::AddressV})
    {
        uint32_t value = 0;
        m_device->getTextureStageState(0, state, value);
        const auto* from = reinterpret_cast<const uint8_t*>(&value);
        bytes.insert(bytes.end(), from, from + sizeof(value));
    }
}

void cBatchRenderer::findBatchSpans()
{
    m_batchSpans.assign(m_batches.size() + 1, m_spans.size());
    // Spans come in batch order; a batch without any (a mesh, particles) begins where the next
    // one does.
    for (size_t i = m_spans.size(); i-- > 0;)
        m_batchSpans[m_spans[i].batch] = i;
    for (size_t b = m_batches.size(); b-- > 0;)
        m_batchSpans[b] = std::min(m_batchSpans[b], m_batchSpans[b + 1]);
}

uint32_t cBatchRenderer::drawQuadsOf(size_t batchIndex, const cBatch& batch)
{
    if (!m_clip)
    {
        drawQuadBatch(batch);
        return batch.triangleCount;
    }
    uint32_t triangles = 0;
    const size_t from = m_batchSpans[batchIndex];
    const size_t to = m_batchSpans[batchIndex + 1];
    for (const Platform::PixelRect& rect : *m_clip)
    {
        m_chosen.clear();
        for (size_t i = from; i < to; ++i)
        {
            const tQuadSpan& span = m_spans[i];
            if (!overlaps(span.bounds, rect))
                continue;
            const uint16_t* indices = getIndices(batch.buffer) + span.firstIndex;
            m_chosen.insert(m_chosen.end(), indices, indices + span.indexCount);
        }
        if (m_chosen.empty())
            continue;
        m_device->setClipRect(&rect);
        drawSelection(batch, m_chosen);
        triangles += static_cast<uint32_t>(m_chosen.size() / 3);
    }
    return triangles;
}

void cBatchRenderer::drawSelection(const cBatch& batch, const std::vector<uint16_t>& indices)
{
    const uint32_t count = static_cast<uint32_t>(indices.size());
    if (count > m_selectionCapacity)
    {
        m_selection.reset();
        // In the managed pool: a device reset need not wait for it.
        if (Platform::gfxFailed(m_device->createIndexBuffer(count * 2, Platform::Usage::WriteOnly,
                                                            Platform::Format::Index16,
                                                            Platform::Pool::Managed, m_selection)))
        {
            m_selectionCapacity = 0;
            return;
        }
        m_selectionCapacity = count;
    }
    void* locked = nullptr;
    if (Platform::gfxFailed(m_selection->lock(0, count * 2, &locked, Platform::Lock::Discard)))
        return;
    std::copy(indices.begin(), indices.end(), static_cast<uint16_t*>(locked));
    m_selection->unlock();
    m_device->setIndices(m_selection, 0);
    m_device->drawIndexedPrimitive(Platform::PrimitiveType::TriangleList, batch.firstVertex,
                                   batch.vertexCount, 0, count / 3);
    m_device->setIndices(m_buffers[batch.buffer].indices, 0);
}

void cBatchRenderer::drawClipped(const cBatch& batch, bool deviceRecreated, const std::function<void()>& draw)
{
    if (!m_clip)
    {
        draw();
        return;
    }
    Platform::PixelRect bounds;
    if (!batchBounds(batch, deviceRecreated, bounds))
        return;
    for (const Platform::PixelRect& rect : *m_clip)
    {
        if (!overlaps(bounds, rect))
            continue;
        m_device->setClipRect(&rect);
        draw();
    }
}

} // namespace Engine
