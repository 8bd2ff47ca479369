#include "platform/gfx/GfxBuffer.h"

namespace Platform
{

GfxBuffer::GfxBuffer(uint32_t size, uint32_t usage, Pool pool) : m_bytes(size), m_usage(usage), m_pool(pool)
{
}

GfxBuffer::~GfxBuffer() = default;

GfxResult GfxBuffer::lock(uint32_t offset, uint32_t size, void** out, uint32_t /*flags*/)
{
    if (!out)
        return GfxError::InvalidCall;
    *out = nullptr;
    const uint64_t total = m_bytes.size();
    if (size == 0)
    {
        if (offset > total)
            return GfxError::InvalidCall;
    }
    else if (static_cast<uint64_t>(offset) + size > total)
        return GfxError::InvalidCall;
    m_locked = true;
    *out = m_bytes.data() + offset;
    return GfxError::Ok;
}

GfxResult GfxBuffer::unlock()
{
    if (!m_locked)
        return GfxError::InvalidCall;
    m_locked = false;
    return GfxError::Ok;
}

} // namespace Platform
