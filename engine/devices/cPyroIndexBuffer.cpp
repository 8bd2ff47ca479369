#include "engine/devices/cPyroIndexBuffer.h"

#include "platform/gfx/GfxBuffer.h"

namespace Engine
{

cPyroIndexBuffer::cPyroIndexBuffer(std::shared_ptr<Platform::GfxIndexBuffer> buffer)
    : m_buffer(std::move(buffer)), m_size(m_buffer->size())
{
}

cPyroIndexBuffer::~cPyroIndexBuffer() = default;

int32_t cPyroIndexBuffer::lock()
{
    void* data = nullptr;
    const Platform::GfxResult result = m_buffer->lock(0, m_size, &data, 0);
    if (!Platform::gfxFailed(result))
        m_locked = data;
    return result;
}

int32_t cPyroIndexBuffer::unlock()
{
    const Platform::GfxResult result = m_buffer->unlock();
    if (!Platform::gfxFailed(result))
        m_locked = nullptr;
    return result;
}

} // namespace Engine
