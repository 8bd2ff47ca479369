#include "engine/devices/cPyroVertexBuffer.h"

#include "platform/gfx/GfxBuffer.h"

#include <cstring>

namespace Engine
{

cPyroVertexBuffer::cPyroVertexBuffer(std::shared_ptr<Platform::GfxVertexBuffer> buffer, uint32_t formatFlags,
                                     uint32_t stride)
    : m_buffer(std::move(buffer)), m_formatFlags(formatFlags), m_stride(stride)
{
}

cPyroVertexBuffer::~cPyroVertexBuffer() = default;

int32_t cPyroVertexBuffer::write(const void* data, uint32_t byteOffset, uint32_t byteCount, uint32_t)
{
    if (byteCount == 0)
        return 0;
    void* target = nullptr;
    // The buffer refuses a range that does not fit, so a bad offset or count never writes past it.
    const Platform::GfxResult locked = m_buffer->lock(byteOffset, byteCount, &target, 0);
    if (Platform::gfxFailed(locked))
        return locked;
    std::memcpy(target, data, byteCount);
    return m_buffer->unlock();
}

} // namespace Engine
