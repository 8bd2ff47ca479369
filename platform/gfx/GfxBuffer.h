#pragma once

#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace Platform
{

// A vertex or index buffer. Its bytes live in plain memory: locking hands out a pointer into
// them and the draws read them from there, so a buffer is never lost and never copied to the
// graphics card as a whole. Discarding locks need nothing more than a pointer.
class GfxBuffer
{
public:
    GfxBuffer(uint32_t size, uint32_t usage, Pool pool);
    virtual ~GfxBuffer();
    GfxBuffer(const GfxBuffer&) = delete;
    GfxBuffer& operator=(const GfxBuffer&) = delete;

    uint32_t size() const { return static_cast<uint32_t>(m_bytes.size()); }
    uint32_t usage() const { return m_usage; }
    Pool pool() const { return m_pool; }

    // Locks `size` bytes from `offset` (size 0: to the end) and returns their address. A range
    // outside the buffer is an invalid call.
    GfxResult lock(uint32_t offset, uint32_t size, void** out, uint32_t flags);
    GfxResult unlock();
    bool isLocked() const { return m_locked; }

    // What the draws read.
    const uint8_t* data() const { return m_bytes.data(); }

private:
    std::vector<uint8_t> m_bytes;
    uint32_t m_usage = 0;
    Pool m_pool = Pool::Managed;
    bool m_locked = false;
};

class GfxVertexBuffer final : public GfxBuffer
{
public:
    GfxVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, Pool pool)
        : GfxBuffer(size, usage, pool), m_fvf(fvf)
    {
    }
    uint32_t fvf() const { return m_fvf; }

private:
    uint32_t m_fvf = 0;
};

// 16-bit indices.
class GfxIndexBuffer final : public GfxBuffer
{
public:
    GfxIndexBuffer(uint32_t size, uint32_t usage, Pool pool) : GfxBuffer(size, usage, pool) {}
    Format format() const { return Format::Index16; }
    uint32_t indexCount() const { return size() / 2; }
};

} // namespace Platform
