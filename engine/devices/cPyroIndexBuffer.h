#pragma once

#include "platform/particles/IPyroIndexBuffer.h"

#include <memory>

namespace Platform
{
class GfxIndexBuffer;
}

namespace Engine
{

// An index buffer of the particle device: the shared quad indices.
class cPyroIndexBuffer final : public PyroParticles::IPyroIndexBuffer
{
public:
    explicit cPyroIndexBuffer(std::shared_ptr<Platform::GfxIndexBuffer> buffer);
    ~cPyroIndexBuffer() override;

    int32_t onDeviceLost() override { return 0; }
    int32_t onDeviceRestored() override { return 0; }
    // Locks the whole buffer and keeps the pointer.
    int32_t lock() override;
    int32_t unlock() override;
    void* getLockedData() override { return m_locked; }

    const std::shared_ptr<Platform::GfxIndexBuffer>& buffer() const { return m_buffer; }
    // In bytes, as the buffer reports it.
    uint32_t size() const { return m_size; }

private:
    std::shared_ptr<Platform::GfxIndexBuffer> m_buffer;
    void* m_locked = nullptr;
    uint32_t m_size;
};

} // namespace Engine
