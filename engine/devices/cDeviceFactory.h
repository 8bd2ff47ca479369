#pragma once

#include "engine/core/cSingleton.h"
#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTexture.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Engine
{

struct sImageInfo;

// The face of the render device through which resources make their device objects: buffers,
// vertex shaders and textures. It is a singleton of its own, set while the render device lives.
class cDeviceFactory : public cSingleton<cDeviceFactory>
{
public:
    virtual ~cDeviceFactory();

    // `count` 16-bit indices, write-only. A default-pool buffer that fails for want of video
    // memory is made once more in the managed pool; any other result is returned as it is.
    virtual Platform::GfxResult
    createIndexBuffer(unsigned count, std::shared_ptr<Platform::GfxIndexBuffer>& out, Platform::Pool pool);
    // `count` vertices of `vertexSize` bytes in format `fvf`, write-only; the same retry.
    virtual Platform::GfxResult createVertexBuffer(unsigned count, unsigned vertexSize, uint32_t fvf,
                                                   std::shared_ptr<Platform::GfxVertexBuffer>& out,
                                                   Platform::Pool pool);
    // A vertex shader from the bytes of a shader file, for vertices of the quad layout: register
    // 0 three floats (position), register 5 a packed colour, register 7 two floats.
    virtual Platform::GfxResult createVertexShader(const void* code, size_t size, uint32_t& handle);
    // Deletes the shader and sets the handle to 0; nothing for a handle of 0.
    virtual Platform::GfxResult deleteVertexShader(uint32_t* handle);
    // A blank (zeroed) A8R8G8B8 texture; a default-pool texture that fails for want of video
    // memory is made once more in the managed pool.
    virtual Platform::GfxResult createBlankTexture(int width, int height, Platform::Pool pool,
                                                   std::shared_ptr<Platform::GfxTexture>& out);
    // A texture from the bytes of an image file (or an empty one without bytes): see
    // `Engine::createTexture` in cTextureLoader.h.
    virtual Platform::GfxResult createTexture(const void* bytes, const unsigned* size,
                                              std::shared_ptr<Platform::GfxTexture>& out, Platform::Pool pool,
                                              sImageInfo* info, int width, int height);

    // The device the objects are made on; null before it exists.
    virtual Platform::GfxDevice* getDevice() const = 0;

protected:
    cDeviceFactory() = default;
};

} // namespace Engine
