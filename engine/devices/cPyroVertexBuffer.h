#pragma once

#include "platform/particles/IPyroVertexBuffer.h"

#include <memory>

namespace Platform
{
class GfxVertexBuffer;
}

namespace Engine
{

// A vertex buffer the particle library asked the particle device for.
class cPyroVertexBuffer final : public PyroParticles::IPyroVertexBuffer
{
public:
    cPyroVertexBuffer(std::shared_ptr<Platform::GfxVertexBuffer> buffer, uint32_t formatFlags,
                      uint32_t stride);
    ~cPyroVertexBuffer() override;

    int32_t onDeviceLost() override { return 0; }
    int32_t onDeviceRestored() override { return 0; }
    int32_t write(const void* data, uint32_t byteOffset, uint32_t byteCount, uint32_t flags) override;

    const std::shared_ptr<Platform::GfxVertexBuffer>& buffer() const { return m_buffer; }
    uint32_t formatFlags() const { return m_formatFlags; }
    uint32_t stride() const { return m_stride; }

private:
    std::shared_ptr<Platform::GfxVertexBuffer> m_buffer;
    uint32_t m_formatFlags;
    uint32_t m_stride;
};

} // namespace Engine
