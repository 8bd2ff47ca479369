#pragma once

#include "engine/core/cVector2.h"
#include "platform/gfx/GfxTexture.h"

#include <memory>

namespace Engine
{

// What the quad batches read of a texture resource: the device texture and the share of it that
// the image covers. The texture resources implement it; `cRender::drawQuad` takes any of them.
class cBatchTexture
{
public:
    virtual ~cBatchTexture() = default;

    // The device texture; empty while the resource holds none (its device data released).
    virtual std::shared_ptr<Platform::GfxTexture> getDeviceTexture() const = 0;
    // Texture coordinates are multiplied by this: (1, 1) unless the image was padded to a larger
    // texture, then image size / texture size.
    virtual cVector2 getCoordinateScale() const = 0;
};

} // namespace Engine
