#include "engine/devices/cDeviceFactory.h"

#include "engine/devices/cTextureLoader.h"

#include <vector>

namespace Engine
{

namespace GfxError = Platform::GfxError;
using Platform::GfxResult;
using Platform::Pool;

cDeviceFactory::~cDeviceFactory() = default;

GfxResult cDeviceFactory::createIndexBuffer(unsigned count, std::shared_ptr<Platform::GfxIndexBuffer>& out,
                                            Pool pool)
{
    Platform::GfxDevice* device = getDevice();
    if (!device)
        return GfxError::InvalidCall;
    GfxResult result = device->createIndexBuffer(count * 2, Platform::Usage::WriteOnly,
                                                 Platform::Format::Index16, pool, out);
    if (result == GfxError::OutOfVideoMemory && pool == Pool::Default)
        result = device->createIndexBuffer(count * 2, Platform::Usage::WriteOnly, Platform::Format::Index16,
                                           Pool::Managed, out);
    return result;
}

GfxResult cDeviceFactory::createVertexBuffer(unsigned count, unsigned vertexSize, uint32_t fvf,
                                             std::shared_ptr<Platform::GfxVertexBuffer>& out, Pool pool)
{
    Platform::GfxDevice* device = getDevice();
    if (!device)
        return GfxError::InvalidCall;
    const uint64_t bytes = static_cast<uint64_t>(count) * vertexSize;
    if (bytes > UINT32_MAX)
        return GfxError::InvalidCall;
    GfxResult result =
        device->createVertexBuffer(static_cast<uint32_t>(bytes), Platform::Usage::WriteOnly, fvf, pool, out);
    if (result == GfxError::OutOfVideoMemory && pool == Pool::Default)
        result = device->createVertexBuffer(static_cast<uint32_t>(bytes), Platform::Usage::WriteOnly, fvf,
                                            Pool::Managed, out);
    return result;
}

GfxResult cDeviceFactory::createVertexShader(const void* code, size_t size, uint32_t& handle)
{
    handle = 0;
    Platform::GfxDevice* device = getDevice();
    if (!device)
        return GfxError::InvalidCall;
    const std::vector<Platform::VertexElement> declaration = {
        {0, Platform::VertexElementType::Float3},
        {5, Platform::VertexElementType::Color},
        {7, Platform::VertexElementType::Float2},
    };
    return device->createVertexShader(declaration, code, size, handle, 0);
}

GfxResult cDeviceFactory::deleteVertexShader(uint32_t* handle)
{
    Platform::GfxDevice* device = getDevice();
    if (!handle || *handle == 0)
        return GfxError::Ok;
    const GfxResult result = device ? device->deleteVertexShader(*handle) : GfxError::InvalidCall;
    *handle = 0;
    return result;
}

GfxResult cDeviceFactory::createBlankTexture(int width, int height, Pool pool,
                                             std::shared_ptr<Platform::GfxTexture>& out)
{
    Platform::GfxDevice* device = getDevice();
    if (!device)
        return GfxError::InvalidCall;
    GfxResult result = device->createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8, pool, out);
    if (result == GfxError::OutOfVideoMemory && pool == Pool::Default)
        result = device->createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8, Pool::Managed, out);
    return result;
}

GfxResult cDeviceFactory::createTexture(const void* bytes, const unsigned* size,
                                        std::shared_ptr<Platform::GfxTexture>& out, Pool pool,
                                        sImageInfo* info, int width, int height)
{
    Platform::GfxDevice* device = getDevice();
    if (!device)
        return GfxError::InvalidCall;
    return Engine::createTexture(*device, bytes, size, out, pool, info, width, height);
}

} // namespace Engine
