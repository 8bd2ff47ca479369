#include "engine/devices/cRenderedFrame.h"

#include "engine/devices/RenderTypes.h"
#include "engine/devices/cBatchRenderer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace Engine
{

namespace
{

template <typename T> void append(std::vector<uint8_t>& bytes, const T& value)
{
    const auto* from = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), from, from + sizeof(T));
}

void appendBytes(std::vector<uint8_t>& bytes, const void* data, size_t size)
{
    const auto* from = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), from, from + size);
}

uint64_t rotate(uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

// A fast 64-bit hash of bytes; equal hashes are confirmed by comparing the bytes.
uint64_t hashBytes(const uint8_t* data, size_t size)
{
    constexpr uint64_t k1 = 0x9E3779B185EBCA87ull;
    constexpr uint64_t k2 = 0xC2B2AE3D27D4EB4Full;
    uint64_t hash = 0x27D4EB2F165667C5ull ^ (size * k1);
    size_t i = 0;
    for (; i + 8 <= size; i += 8)
    {
        uint64_t word = 0;
        std::memcpy(&word, data + i, 8);
        hash = rotate(hash ^ (word * k2), 31) * k1;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, data + i, size - i);
    hash = rotate(hash ^ (tail * k2), 31) * k1;
    hash ^= hash >> 33;
    hash *= k2;
    hash ^= hash >> 29;
    return hash;
}

int64_t area(const Platform::PixelRect& r)
{
    return static_cast<int64_t>(r.right - r.left) * static_cast<int64_t>(r.bottom - r.top);
}

Platform::PixelRect joined(const Platform::PixelRect& a, const Platform::PixelRect& b)
{
    return Platform::PixelRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                               std::max(a.bottom, b.bottom)};
}

// Two rectangles are drawn as one when they overlap, or when the one around both costs only a
// little more than both: a draw per rectangle costs more than a few pixels.
constexpr int64_t kJoinSlack = 4096;

} // namespace

void cRenderedFrame::forget()
{
    m_last.recorded = false;
    m_last.items.clear();
    m_last.bytes.clear();
}

void cRenderedFrame::describe(const cBatchRenderer& batches, bool deviceRecreated, tFrame& frame)
{
    frame.items.clear();
    frame.bytes.clear();
    const std::vector<cBatch>& all = batches.getBatches();
    const std::vector<cBatchRenderer::tQuadSpan>& spans = batches.getQuadSpans();
    // What a batch inherits from the one drawn before it: a masked batch without a mask of its
    // own keeps the alpha reference, a mask pass draws with the sampling, vertex format and
    // constants the batch before set (its render type, shader and constants tell them). The
    // first batch inherits them from the device, as the last drawn frame left it.
    uint32_t alphaRef = batches.getDeviceAlphaRef();
    std::vector<uint8_t> before;
    append(before, uint8_t{3});
    batches.appendDeviceSampling(before);
    std::vector<uint8_t> header;
    size_t span = 0;
    for (size_t index = 0; index < all.size(); ++index)
    {
        const cBatch& batch = all[index];
        // Never drawn, and so it sets no state either.
        if (batch.isQuadBatch() && batch.triangleCount == 0)
            continue;
        const uint32_t type = batch.renderType;
        header.clear();
        append(header, uint8_t{batch.mesh ? uint8_t{2} : (batch.particle ? uint8_t{1} : uint8_t{0})});
        append(header, type);
        append(header, batch.shaderHandle);
        if (batch.shaderConstants)
            for (const cShaderConstant& constant : *batch.shaderConstants)
            {
                append(header, constant.firstRegister);
                append(header, constant.registerCount);
                if (constant.data)
                    appendBytes(header, constant.data, size_t{constant.registerCount} * 4 * sizeof(float));
            }
        const size_t ownHeader = header.size();
        if ((type & eRenderType::StencilMasked) && !(type & eRenderType::StencilMask))
            append(header, alphaRef);
        if (type & eRenderType::StencilMask)
            appendBytes(header, before.data(), before.size());
        // The alpha reference each kind of batch leaves (see `setStencilAndAlphaRef`).
        if (!(type & (eRenderType::StencilMask | eRenderType::StencilMasked)))
            alphaRef = (type & eRenderType::AlphaRef160) ? 160u : 0u;
        else if (type & eRenderType::StencilMask)
            alphaRef = 0u;
        before.assign(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(ownHeader));

        if (!batch.isQuadBatch())
        {
            // Particles move and a mesh is drawn from data of its own: they change every frame.
            tItem item;
            item.matchable = false;
            if (batches.batchBounds(batch, deviceRecreated, item.bounds))
                frame.items.push_back(item);
            continue;
        }
        Platform::GfxTexture* texture = batch.texture.get();
        // The picture is decoded now rather than by the draw, so that its version is the one
        // the frame shows.
        if (texture && texture->isPending())
            texture->realize();
        append(header, texture ? texture->serial() : uint64_t{0});
        append(header, texture ? texture->version() : uint64_t{0});
        append(header, uint8_t{texture && texture->isPending()});
        const cQuadVertex* vertices = batches.getVertices(batch.buffer);
        for (; span < spans.size() && spans[span].batch < index; ++span)
        {
        }
        for (; span < spans.size() && spans[span].batch == index; ++span)
        {
            const cBatchRenderer::tQuadSpan& quad = spans[span];
            tItem item;
            item.offset = static_cast<uint32_t>(frame.bytes.size());
            appendBytes(frame.bytes, header.data(), header.size());
            appendBytes(frame.bytes, vertices + quad.firstVertex,
                        size_t{quad.vertexCount} * sizeof(cQuadVertex));
            item.size = static_cast<uint32_t>(frame.bytes.size() - item.offset);
            item.hash = hashBytes(frame.bytes.data() + item.offset, item.size);
            item.bounds = quad.bounds;
            frame.items.push_back(item);
        }
    }
}

bool cRenderedFrame::sameItem(const tItem& last, const tItem& next) const
{
    return last.matchable && next.matchable && last.hash == next.hash && last.size == next.size &&
           std::memcmp(m_last.bytes.data() + last.offset, m_next.bytes.data() + next.offset, last.size) == 0;
}

void cRenderedFrame::match()
{
    const std::vector<tItem>& last = m_last.items;
    const std::vector<tItem>& next = m_next.items;
    m_sorted.clear();
    for (uint32_t i = 0; i < last.size(); ++i)
        if (last[i].matchable)
            m_sorted.emplace_back(last[i].hash, i);
    std::sort(m_sorted.begin(), m_sorted.end());
    // Equal drawings are matched in order: the first unused old one of a hash for each new one.
    m_nextFree.resize(m_sorted.size());
    for (uint32_t k = 0; k < m_sorted.size(); ++k)
        m_nextFree[k] = k;
    m_pairs.clear();
    for (uint32_t j = 0; j < next.size(); ++j)
    {
        if (!next[j].matchable)
            continue;
        const auto first =
            std::lower_bound(m_sorted.begin(), m_sorted.end(), std::make_pair(next[j].hash, uint32_t{0}));
        if (first == m_sorted.end() || first->first != next[j].hash)
            continue;
        const size_t start = static_cast<size_t>(first - m_sorted.begin());
        const uint32_t k = m_nextFree[start];
        if (k >= m_sorted.size() || m_sorted[k].first != next[j].hash)
            continue;
        const uint32_t i = m_sorted[k].second;
        if (!sameItem(last[i], next[j]))
            continue;
        m_nextFree[start] = k + 1;
        m_pairs.emplace_back(j, i);
    }
    // The longest run of pairs whose old positions rise with the new ones.
    m_tails.clear();
    m_previous.assign(m_pairs.size(), -1);
    for (uint32_t p = 0; p < m_pairs.size(); ++p)
    {
        const uint32_t old = m_pairs[p].second;
        const auto at =
            std::lower_bound(m_tails.begin(), m_tails.end(), old,
                             [this](uint32_t tail, uint32_t value) { return m_pairs[tail].second < value; });
        if (at != m_tails.begin())
            m_previous[p] = static_cast<int32_t>(*(at - 1));
        if (at == m_tails.end())
            m_tails.push_back(p);
        else
            *at = p;
    }
    m_lastKept.assign(last.size(), false);
    m_nextKept.assign(next.size(), false);
    for (int32_t p = m_tails.empty() ? -1 : static_cast<int32_t>(m_tails.back()); p >= 0; p = m_previous[p])
    {
        m_nextKept[m_pairs[p].first] = true;
        m_lastKept[m_pairs[p].second] = true;
    }
}

const cRenderedFrame::tChange& cRenderedFrame::compare(const cBatchRenderer& batches,
                                                       const tSettings& settings, bool partial,
                                                       bool deviceRecreated)
{
    describe(batches, deviceRecreated, m_next);
    m_next.settings = settings;
    m_next.recorded = true;
    m_change.none = false;
    m_change.whole = true;
    m_change.rects.clear();
    const tSettings& was = m_last.settings;
    const bool comparable = m_last.recorded && was.clearColor == settings.clearColor &&
                            was.wireframe == settings.wireframe && was.width == settings.width &&
                            was.height == settings.height;
    if (comparable)
    {
        match();
        for (size_t i = 0; i < m_last.items.size(); ++i)
            if (!m_lastKept[i])
                m_change.rects.push_back(m_last.items[i].bounds);
        for (size_t j = 0; j < m_next.items.size(); ++j)
            if (!m_nextKept[j])
                m_change.rects.push_back(m_next.items[j].bounds);
        if (m_change.rects.empty())
            m_change.none = true;
        else if (partial)
        {
            gather(m_change.rects, settings.width, settings.height);
            int64_t changed = 0;
            for (const Platform::PixelRect& rect : m_change.rects)
                changed += area(rect);
            // Past half the screen, drawing it all costs about as much and clips nothing.
            const int64_t screen = static_cast<int64_t>(settings.width) * settings.height;
            m_change.whole = changed * 2 > screen;
            if (m_change.rects.empty())
                m_change.none = true;
        }
        if (m_change.none)
            m_change.whole = false;
        if (m_change.whole)
            m_change.rects.clear();
    }
    std::swap(m_last, m_next);
    return m_change;
}

void cRenderedFrame::gather(std::vector<Platform::PixelRect>& rects, int width, int height)
{
    // Each rectangle joins the gathered ones it overlaps or lies near, and the rectangle around
    // them takes their place, until it meets none: the gathered ones never overlap. Past
    // `MaxRects`, the two whose joining adds the fewest pixels become one, which is gathered
    // again.
    std::vector<Platform::PixelRect> gathered;
    const auto insert = [&gathered](Platform::PixelRect rect)
    {
        for (size_t i = 0; i < gathered.size();)
        {
            const Platform::PixelRect both = joined(rect, gathered[i]);
            if (cBatchRenderer::overlaps(rect, gathered[i]) ||
                area(both) <= area(rect) + area(gathered[i]) + kJoinSlack)
            {
                rect = both;
                gathered.erase(gathered.begin() + static_cast<std::ptrdiff_t>(i));
                i = 0;
            }
            else
                ++i;
        }
        gathered.push_back(rect);
    };
    for (const Platform::PixelRect& rect : rects)
    {
        // Cut to the back buffer; what lies outside it is never seen.
        const Platform::PixelRect cut{std::max(rect.left, 0), std::max(rect.top, 0),
                                      std::min(rect.right, width), std::min(rect.bottom, height)};
        if (cut.left >= cut.right || cut.top >= cut.bottom)
            continue;
        insert(cut);
        while (gathered.size() > MaxRects)
        {
            size_t bestI = 0;
            size_t bestJ = 1;
            int64_t bestCost = -1;
            for (size_t i = 0; i < gathered.size(); ++i)
                for (size_t j = i + 1; j < gathered.size(); ++j)
                {
                    const int64_t cost =
                        area(joined(gathered[i], gathered[j])) - area(gathered[i]) - area(gathered[j]);
                    if (bestCost < 0 || cost < bestCost)
                    {
                        bestCost = cost;
                        bestI = i;
                        bestJ = j;
                    }
                }
            const Platform::PixelRect both = joined(gathered[bestI], gathered[bestJ]);
            gathered.erase(gathered.begin() + static_cast<std::ptrdiff_t>(bestJ));
            gathered.erase(gathered.begin() + static_cast<std::ptrdiff_t>(bestI));
            insert(both);
        }
    }
    rects.swap(gathered);
}

} // namespace Engine
