#pragma once

#include "engine/core/cResource.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cTextureLoader.h"

#include <memory>
#include <string>

namespace Platform
{
class GfxDevice;
}

namespace Engine
{

// A texture resource (kind 0): an image file (PNG, JNG, JPEG, BMP, TGA or DDS) as a device texture
// in the managed pool, which survives device resets. When the device wanted a larger texture
// (power-of-two sides) the picture sits in its top-left corner and the u and v scales (image
// size / texture size) tell the views how much of the texture it covers.
class cTexture : public cResource, public cBatchTexture
{
public:
    // Reads the file through the file system and makes the texture on the render device's
    // factory. A missing file throws the file system's error; a file that cannot be decoded
    // throws "Can't read image \"<path>\": <why>."; a refused texture the device error.
    explicit cTexture(const std::string& path);
    // The same on a given device.
    cTexture(const std::string& path, Platform::GfxDevice& device);
    // Wraps an existing device texture: scales 1, half texels 0, sizes 0.
    explicit cTexture(tGfxTexturePtr texture);
    ~cTexture() override;

    eResourceType getType() const override;
    // Lets go of the device texture; views then draw without it.
    void releaseDeviceData() override;

    std::shared_ptr<Platform::GfxTexture> getDeviceTexture() const override;
    cVector2 getCoordinateScale() const override;

    float getUScale() const { return m_uScale; }
    float getVScale() const { return m_vScale; }
    float getHalfTexelU() const { return m_halfTexelU; }
    float getHalfTexelV() const { return m_halfTexelV; }
    // The size of the device texture's level 0.
    int getTextureWidth() const { return m_textureWidth; }
    int getTextureHeight() const { return m_textureHeight; }
    // The picture's own size.
    int getImageWidth() const { return m_imageWidth; }
    int getImageHeight() const { return m_imageHeight; }

protected:
    // For text textures, which draw their own picture.
    cTexture();

    // Reads the file into the texture loaders' shared buffer and makes the texture.
    void load(const std::string& path, Platform::GfxDevice& device);
    // For a device that reads pictures when it decodes them: the texture made from the file's
    // header alone; false when the file is to be read whole.
    bool loadHeader(const std::string& path, Platform::GfxDevice& device, sImageInfo& info);
    // The sizes and scales of the texture made for a picture of `info`'s size.
    void setSizes(const sImageInfo& info);
    // The device of the render device's factory; throws when there is none.
    static Platform::GfxDevice& factoryDevice(const std::string& forPath);

    tGfxTexturePtr m_texture;
    float m_uScale = 1.0f;
    float m_vScale = 1.0f;
    float m_halfTexelU = 0.0f;
    float m_halfTexelV = 0.0f;
    int m_textureWidth = 0;
    int m_textureHeight = 0;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
};

} // namespace Engine
