#pragma once

#include "platform/particles/IPyroGraphicsDevice.h"

#include <cstdint>
#include <memory>

namespace Platform
{
class GfxDevice;
}

namespace Engine
{

class cPyroIndexBuffer;

// The graphics device the particle library draws through, on the render device's graphics
// device. Everything it creates lives in the managed pool, so it survives a device reset.
//
// It holds one index buffer with the quad pattern (for quad q: 4q, 4q+2, 4q+3, 4q, 4q+1, 4q+2):
// every particle draw shares it and only moves its base vertex to the first quad, so the
// library's vertex buffers need no indices of their own.
class cPyroDevice final : public PyroParticles::IPyroGraphicsDevice
{
public:
    // The most quads the shared indices can address with 16 bits.
    static constexpr uint32_t kMaxQuadCount = 16384;

    // Builds the shared quad indices for `quadCount` quads (the library's quad count); throws
    // PyroParticles::PyroGraphics::CPyroGraphicsException "Can't create quad index buffer"
    // when it cannot.
    cPyroDevice(Platform::GfxDevice& device, uint32_t quadCount);
    ~cPyroDevice() override;

    int32_t setRenderState(uint32_t state, uint32_t value) override;
    int32_t setBlendFunc(uint32_t source, uint32_t destination) override;
    int32_t setStageState(uint32_t stage, uint32_t state, uint32_t value, uint32_t reserved1,
                          uint32_t reserved2) override;
    int32_t createVertexBuffer(PyroParticles::IPyroVertexBuffer** out, uint32_t vertexCount, uint32_t stride,
                               uint32_t formatFlags, uint32_t reserved) override;
    int32_t createIndexBuffer(PyroParticles::IPyroIndexBuffer** out, uint32_t reserved1, uint32_t count,
                              uint32_t reserved2) override;
    int32_t createTexture(PyroParticles::IPyroTexture** out, const PyroParticles::sPyroImage& image,
                          uint32_t reserved) override;
    int32_t createParamRecord(PyroParticles::IPyroParamRecord** out, uint32_t a, uint32_t b, uint32_t c,
                              uint32_t d) override;
    int32_t beginDraw(uint32_t flags) override;
    int32_t setTexture(uint32_t stage, PyroParticles::IPyroTexture* texture) override;
    int32_t drawPrimitives(uint32_t type, uint32_t first, uint32_t count, uint32_t reserved) override;
    int32_t drawQuads(PyroParticles::IPyroVertexBuffer* buffer, uint32_t firstQuad, uint32_t quadCount,
                      uint32_t reserved) override;
    int32_t endDraw() override;

    // The vertex format of the library's format flags.
    static uint32_t toFvf(uint32_t formatFlags);

    uint32_t getQuadCount() const { return m_quadCount; }
    const cPyroIndexBuffer& getQuadIndices() const { return *m_quadIndices; }

private:
    Platform::GfxDevice& m_device;
    uint32_t m_quadCount;
    std::unique_ptr<cPyroIndexBuffer> m_quadIndices;
};

} // namespace Engine
