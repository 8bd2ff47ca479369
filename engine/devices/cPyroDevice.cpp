#include "engine/devices/cPyroDevice.h"

#include "engine/devices/cPyroIndexBuffer.h"
#include "engine/devices/cPyroParamRecord.h"
#include "engine/devices/cPyroTexture.h"
#include "engine/devices/cPyroVertexBuffer.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/particles/CPyroGraphicsException.h"

#include <cstring>
#include <new>

namespace Engine
{

using Platform::gfxFailed;
using Platform::GfxResult;
namespace Pyro = PyroParticles;

cPyroDevice::cPyroDevice(Platform::GfxDevice& device, uint32_t quadCount)
    : m_device(device), m_quadCount(quadCount)
{
    if (quadCount == 0 || quadCount > kMaxQuadCount)
        throw Pyro::PyroGraphics::CPyroGraphicsException("Can't create quad index buffer",
                                                         Platform::GfxError::InvalidCall);
    Pyro::IPyroIndexBuffer* created = nullptr;
    // The count is in quads times six; the buffer gets twelve bytes for each, twice what the
    // indices need, which is harmless.
    const int32_t result = createIndexBuffer(&created, 0, quadCount * 6, 0);
    if (gfxFailed(result) || !created)
        throw Pyro::PyroGraphics::CPyroGraphicsException(
            "Can't create quad index buffer", gfxFailed(result) ? result : Platform::GfxError::Fail);
    m_quadIndices.reset(static_cast<cPyroIndexBuffer*>(created));

    const int32_t locked = m_quadIndices->lock();
    if (gfxFailed(locked))
        throw Pyro::PyroGraphics::CPyroGraphicsException("Can't create quad index buffer", locked);
    auto* indices = static_cast<uint16_t*>(m_quadIndices->getLockedData());
    for (uint32_t q = 0; q < quadCount; ++q)
    {
        const auto base = static_cast<uint16_t>(q * 4);
        uint16_t* at = indices + q * 6;
        at[0] = base;
        at[1] = static_cast<uint16_t>(base + 2);
        at[2] = static_cast<uint16_t>(base + 3);
        at[3] = base;
        at[4] = static_cast<uint16_t>(base + 1);
        at[5] = static_cast<uint16_t>(base + 2);
    }
    m_quadIndices->unlock();
}

cPyroDevice::~cPyroDevice() = default;

int32_t cPyroDevice::setRenderState(uint32_t state, uint32_t value)
{
    if (state != Pyro::PyroAlphaBlendEnable)
        return 0;
    return m_device.setRenderState(Platform::RenderState::AlphaBlendEnable, value);
}

int32_t cPyroDevice::setBlendFunc(uint32_t source, uint32_t destination)
{
    static const Platform::Blend blends[] = {
        Platform::Blend::Zero,         Platform::Blend::One,          Platform::Blend::DestColor,
        Platform::Blend::InvDestColor, Platform::Blend::SrcAlpha,     Platform::Blend::InvSrcAlpha,
        Platform::Blend::DestAlpha,    Platform::Blend::InvDestAlpha, Platform::Blend::SrcAlphaSat};
    if (source > 8 || destination > 8)
        return 0;
    const GfxResult result = m_device.setRenderState(Platform::RenderState::SrcBlend, blends[source]);
    if (gfxFailed(result))
        return result;
    return m_device.setRenderState(Platform::RenderState::DestBlend, blends[destination]);
}

int32_t cPyroDevice::setStageState(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    return Pyro::kUnsupported;
}

int32_t cPyroDevice::createVertexBuffer(Pyro::IPyroVertexBuffer** out, uint32_t vertexCount, uint32_t stride,
                                        uint32_t formatFlags, uint32_t)
{
    *out = nullptr;
    const uint64_t size = static_cast<uint64_t>(vertexCount) * stride;
    if (size > 0xFFFFFFFFu)
        return Platform::GfxError::InvalidCall;
    std::shared_ptr<Platform::GfxVertexBuffer> buffer;
    const GfxResult result =
        m_device.createVertexBuffer(static_cast<uint32_t>(size), Platform::Usage::WriteOnly,
                                    toFvf(formatFlags), Platform::Pool::Managed, buffer);
    if (gfxFailed(result))
        return result;
    *out = new cPyroVertexBuffer(std::move(buffer), formatFlags, stride);
    return 0;
}

int32_t cPyroDevice::createIndexBuffer(Pyro::IPyroIndexBuffer** out, uint32_t, uint32_t count, uint32_t)
{
    *out = nullptr;
    const uint64_t size = static_cast<uint64_t>(count) * 12;
    if (size > 0xFFFFFFFFu)
        return Platform::GfxError::InvalidCall;
    std::shared_ptr<Platform::GfxIndexBuffer> buffer;
    const GfxResult result =
        m_device.createIndexBuffer(static_cast<uint32_t>(size), Platform::Usage::WriteOnly,
                                   Platform::Format::Index16, Platform::Pool::Managed, buffer);
    if (gfxFailed(result))
        return result;
    *out = new cPyroIndexBuffer(std::move(buffer));
    return 0;
}

int32_t cPyroDevice::createTexture(Pyro::IPyroTexture** out, const Pyro::sPyroImage& image, uint32_t)
{
    *out = nullptr;
    if (!image.pixels || image.width == 0 || image.height == 0 || image.width > 0x7FFFFFFF ||
        image.height > 0x7FFFFFFF)
        return Platform::GfxError::InvalidCall;
    std::shared_ptr<Platform::GfxTexture> texture;
    GfxResult result =
        m_device.createTexture(static_cast<int>(image.width), static_cast<int>(image.height), 1, 0,
                               Platform::Format::A8R8G8B8, Platform::Pool::Managed, texture);
    if (gfxFailed(result))
        return result;
    Platform::LockedRect rect;
    result = texture->lockRect(0, rect, nullptr, 0);
    if (gfxFailed(result))
        return result; // the shared pointer releases the texture
    // Red, green, blue, alpha in; the texture's memory order is blue, green, red, alpha.
    const uint8_t* source = image.pixels;
    for (uint32_t y = 0; y < image.height; ++y)
    {
        uint8_t* target = static_cast<uint8_t*>(rect.bits) + static_cast<size_t>(y) * rect.pitch;
        for (uint32_t x = 0; x < image.width; ++x, source += 4, target += 4)
        {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = source[3];
        }
    }
    result = texture->unlockRect(0);
    if (gfxFailed(result))
        return result;
    *out = new cPyroTexture(std::move(texture));
    return 0;
}

int32_t cPyroDevice::createParamRecord(Pyro::IPyroParamRecord** out, uint32_t a, uint32_t b, uint32_t c,
                                       uint32_t d)
{
    *out = new (std::nothrow) cPyroParamRecord(a, b, c, d);
    return 0;
}

int32_t cPyroDevice::beginDraw(uint32_t)
{
    return 0;
}

int32_t cPyroDevice::setTexture(uint32_t stage, Pyro::IPyroTexture* texture)
{
    static const std::shared_ptr<Platform::GfxTexture> none;
    // The library only hands back textures this device made.
    return m_device.setTexture(stage, texture ? static_cast<cPyroTexture*>(texture)->texture() : none);
}

int32_t cPyroDevice::drawPrimitives(uint32_t, uint32_t, uint32_t, uint32_t)
{
    return Pyro::kUnsupported;
}

int32_t cPyroDevice::drawQuads(Pyro::IPyroVertexBuffer* buffer, uint32_t firstQuad, uint32_t quadCount,
                               uint32_t)
{
    if (quadCount == 0)
        return 0;
    // More quads than the shared indices hold would read indices past their end.
    if (!buffer || quadCount > m_quadCount)
        return Platform::GfxError::InvalidCall;
    auto* vertices = static_cast<cPyroVertexBuffer*>(buffer);
    m_device.setStreamSource(0, vertices->buffer(), vertices->stride());
    m_device.setVertexShader(toFvf(vertices->formatFlags()));
    m_device.setIndices(m_quadIndices->buffer(), firstQuad * 4);
    // The vertex count passed is quad count × 6, a hint the device does not rely on.
    const GfxResult result = m_device.drawIndexedPrimitive(Platform::PrimitiveType::TriangleList, 0,
                                                           quadCount * 6, 0, quadCount * 2);
    // A refused draw (quads past the end of the buffer) is reported, not passed off as drawn.
    return gfxFailed(result) ? result : 0;
}

int32_t cPyroDevice::endDraw()
{
    return 0;
}

uint32_t cPyroDevice::toFvf(uint32_t formatFlags)
{
    using namespace Pyro::PyroVertex;
    uint32_t fvf = 0;
    if (formatFlags & PositionRhw)
        fvf |= Platform::Fvf::XyzRhw;
    else if (formatFlags & Position)
        fvf |= Platform::Fvf::Xyz;
    if (formatFlags & Diffuse)
        fvf |= Platform::Fvf::Diffuse;
    if (formatFlags & Tex3)
        fvf |= 0x300;
    else if (formatFlags & Tex2)
        fvf |= (formatFlags & Tex1) ? 0x300 : 0x200;
    else if (formatFlags & Tex1)
        fvf |= 0x100;
    if (formatFlags & TexExtra)
        fvf += 0x400;
    return fvf;
}

} // namespace Engine
