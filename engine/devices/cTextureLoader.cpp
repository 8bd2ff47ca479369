#include "engine/devices/cTextureLoader.h"

#include "engine/core/cFileSystem.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/cTextureFile.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/image/ImageDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace Engine
{

namespace
{

namespace GfxError = Platform::GfxError;
using Platform::GfxResult;

int powerOfTwoNotBelow(int side)
{
    int p = 1;
    while (p < side && p < (1 << 30))
        p *= 2;
    return p;
}

GfxResult createInPool(Platform::GfxDevice& device, int width, int height, Platform::Pool pool,
                       tGfxTexturePtr& out)
{
    GfxResult result = device.createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8, pool, out);
    if (result == GfxError::OutOfVideoMemory && pool == Platform::Pool::Default)
        result = device.createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8,
                                      Platform::Pool::Managed, out);
    return result;
}

// A texture for a picture: its own size, or power-of-two sides when the device refuses that.
tGfxTexturePtr createForPicture(Platform::GfxDevice& device, int width, int height, Platform::Pool pool,
                                const char* call)
{
    tGfxTexturePtr texture;
    GfxResult result = createInPool(device, width, height, pool, texture);
    const int w2 = powerOfTwoNotBelow(width);
    const int h2 = powerOfTwoNotBelow(height);
    if (Platform::gfxFailed(result) && (w2 != width || h2 != height))
        result = createInPool(device, w2, h2, pool, texture);
    if (Platform::gfxFailed(result) || !texture)
        throwD3DError(Platform::gfxFailed(result) ? result : GfxError::Fail, call);
    return texture;
}

// Copies the picture into the top-left corner of level 0; the rest stays as created.
void upload(Platform::GfxTexture& texture, const Platform::Image& image, const char* call)
{
    Platform::LockedRect locked;
    const GfxResult result = texture.lockRect(0, locked, nullptr, 0);
    if (Platform::gfxFailed(result))
        throwD3DError(result, call);
    const uint32_t rows = std::min<uint32_t>(image.height, static_cast<uint32_t>(texture.height()));
    const size_t rowBytes =
        static_cast<size_t>(std::min<uint32_t>(image.width, static_cast<uint32_t>(texture.width()))) * 4;
    const size_t pitch = static_cast<size_t>(locked.pitch) & ~static_cast<size_t>(3);
    uint8_t* dest = static_cast<uint8_t*>(locked.bits);
    for (uint32_t y = 0; y < rows; ++y, dest += pitch)
        std::memcpy(dest, image.row(y), rowBytes);
    texture.unlockRect(0);
}

bool fitsInt(uint32_t v)
{
    return v <= static_cast<uint32_t>(1 << 30);
}

// A texture of the size the picture's header gives (or of width x height when both are
// given), whose pixels are decoded from a copy of the bytes when it is first drawn or read.
tGfxTexturePtr createUndecoded(Platform::GfxDevice& device, const uint8_t* data, size_t size,
                               Platform::Pool pool, int width, int height, const char* call, sImageInfo* info,
                               const std::string& name)
{
    uint32_t pictureWidth = 0;
    uint32_t pictureHeight = 0;
    Platform::readImageSize(data, size, pictureWidth, pictureHeight);
    if (!fitsInt(pictureWidth) || !fitsInt(pictureHeight))
        throw Platform::ImageError("the picture is too large");
    const int w = width > 0 ? width : static_cast<int>(pictureWidth);
    const int h = height > 0 ? height : static_cast<int>(pictureHeight);
    tGfxTexturePtr texture = createForPicture(device, w, h, pool, call);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(data, data + size);
    // A JPEG has no transparency: its picture covers the whole texture when it fills it (a
    // device that made the texture larger leaves transparent edges).
    const bool covers = Platform::detectImageFormat(data, size) == Platform::ImageFormat::Jpeg &&
                        texture->width() == static_cast<int>(pictureWidth) &&
                        texture->height() == static_cast<int>(pictureHeight);
    texture->setPendingPicture(
        [bytes, name](uint32_t* pixels, int textureWidth, int textureHeight)
        {
            uint32_t decodedWidth = 0;
            uint32_t decodedHeight = 0;
            try
            {
                Platform::decodeImageInto(bytes->data(), bytes->size(), pixels,
                                          static_cast<uint32_t>(textureWidth),
                                          static_cast<uint32_t>(textureHeight), decodedWidth, decodedHeight);
            }
            catch (const Platform::ImageError& error)
            {
                // Found when the picture is first drawn: the failure names its file.
                if (name.empty())
                    throw;
                cTextureFile::throwImageError(name, error.what());
            }
        },
        covers);
    if (info)
    {
        info->width = pictureWidth;
        info->height = pictureHeight;
    }
    return texture;
}

} // namespace

bool createTextureFromHeader(Platform::GfxDevice& device, const void* header, size_t size,
                             const std::string& path, tGfxTexturePtr& out, sImageInfo* info)
{
    const auto* data = static_cast<const uint8_t*>(header);
    if (Platform::hasPvrSignature(data, size))
        throw Platform::ImageError("PVR images are not supported");
    const Platform::ImageFormat format = Platform::detectImageFormat(data, size);
    const bool pngOrJng = Platform::hasJngOrPngSignature(data, size);
    if (!pngOrJng && format != Platform::ImageFormat::Jpeg)
        return false;
    uint32_t pictureWidth = 0;
    uint32_t pictureHeight = 0;
    try
    {
        Platform::readImageSize(data, size, pictureWidth, pictureHeight);
    }
    catch (const Platform::ImageError&)
    {
        return false;
    }
    if (!fitsInt(pictureWidth) || !fitsInt(pictureHeight))
        throw Platform::ImageError("the picture is too large");
    // As the whole file would make it: the same texture in the same pool.
    tGfxTexturePtr texture = createForPicture(
        device, static_cast<int>(pictureWidth), static_cast<int>(pictureHeight), Platform::Pool::Managed,
        pngOrJng ? "CreateTexture(...)" : "D3DXCreateTextureFromFileInMemoryEx(...)");
    const bool covers = format == Platform::ImageFormat::Jpeg &&
                        texture->width() == static_cast<int>(pictureWidth) &&
                        texture->height() == static_cast<int>(pictureHeight);
    texture->setPendingPicture(
        [path](uint32_t* pixels, int textureWidth, int textureHeight)
        {
            const cFileSystem* files = cFileSystem::instance();
            if (!files)
                cTextureFile::throwImageError(path, "there is no file system");
            std::vector<char> bytes;
            files->readFile(path, bytes);
            uint32_t decodedWidth = 0;
            uint32_t decodedHeight = 0;
            try
            {
                Platform::decodeImageInto(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                          pixels, static_cast<uint32_t>(textureWidth),
                                          static_cast<uint32_t>(textureHeight), decodedWidth, decodedHeight);
            }
            catch (const Platform::ImageError& error)
            {
                cTextureFile::throwImageError(path, error.what());
            }
        },
        covers);
    if (info)
    {
        info->width = pictureWidth;
        info->height = pictureHeight;
    }
    out = std::move(texture);
    return true;
}

bool decodeImageToTexture(Platform::GfxDevice& device, const void* bytes, size_t size, tGfxTexturePtr& out,
                          sImageInfo* info, const std::string& name)
{
    if (!device.decodesPicturesOnLoad())
    {
        out = createUndecoded(device, static_cast<const uint8_t*>(bytes), size, Platform::Pool::Managed, 0, 0,
                              "CreateTexture(...)", info, name);
        return true;
    }
    const Platform::Image image = Platform::decodeImage(static_cast<const uint8_t*>(bytes), size);
    if (!fitsInt(image.width) || !fitsInt(image.height))
        throw Platform::ImageError("the picture is too large");
    tGfxTexturePtr texture = createTextureFromImage(device, image);
    if (info)
    {
        info->width = image.width;
        info->height = image.height;
    }
    out = std::move(texture);
    return true;
}

tGfxTexturePtr createTextureFromImage(Platform::GfxDevice& device, const Platform::Image& image,
                                      const char* call)
{
    tGfxTexturePtr texture = createForPicture(device, static_cast<int>(image.width),
                                              static_cast<int>(image.height), Platform::Pool::Managed, call);
    upload(*texture, image, "LockRect(...)");
    return texture;
}

bool decodeImageOrPvrToTexture(Platform::GfxDevice& device, const void* bytes, size_t size,
                               tGfxTexturePtr& out, sImageInfo* info, const std::string& name)
{
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (Platform::hasPvrSignature(data, size))
        throw Platform::ImageError("PVR images are not supported");
    if (!Platform::hasJngOrPngSignature(data, size))
        return false;
    return decodeImageToTexture(device, bytes, size, out, info, name);
}

GfxResult createTexture(Platform::GfxDevice& device, const void* bytes, const unsigned* size,
                        tGfxTexturePtr& out, Platform::Pool pool, sImageInfo* info, int width, int height,
                        const std::string& name)
{
    out.reset();
    if (!bytes)
    {
        tGfxTexturePtr texture;
        const GfxResult result = createInPool(device, width, height, pool, texture);
        if (Platform::gfxFailed(result) || !texture)
            throwD3DError(Platform::gfxFailed(result) ? result : GfxError::Fail, "CreateTexture(...)");
        Platform::LockedRect locked;
        if (!Platform::gfxFailed(texture->lockRect(0, locked, nullptr, 0)))
        {
            std::memset(locked.bits, 0,
                        static_cast<size_t>(locked.pitch) * static_cast<size_t>(texture->height()));
            texture->unlockRect(0);
        }
        out = std::move(texture);
        return GfxError::Ok;
    }

    const auto* data = static_cast<const uint8_t*>(bytes);
    const size_t count = size ? *size : 0;
    if (Platform::hasJngOrPngSignature(data, count))
    {
        decodeImageToTexture(device, bytes, count, out, info, name);
        return GfxError::Ok;
    }
    if (Platform::hasPvrSignature(data, count))
    {
        decodeImageOrPvrToTexture(device, bytes, count, out, info, name);
        return GfxError::Ok;
    }

    if (!device.decodesPicturesOnLoad())
    {
        out = createUndecoded(device, data, count, pool, width, height,
                              "D3DXCreateTextureFromFileInMemoryEx(...)", info, name);
        return GfxError::Ok;
    }
    const Platform::Image image = Platform::decodeImage(data, count);
    if (!fitsInt(image.width) || !fitsInt(image.height))
        throw Platform::ImageError("the picture is too large");
    const int w = width > 0 ? width : static_cast<int>(image.width);
    const int h = height > 0 ? height : static_cast<int>(image.height);
    tGfxTexturePtr texture = createForPicture(device, w, h, pool, "D3DXCreateTextureFromFileInMemoryEx(...)");
    upload(*texture, image, "D3DXCreateTextureFromFileInMemoryEx(...)");
    if (info)
    {
        info->width = image.width;
        info->height = image.height;
    }
    out = std::move(texture);
    return GfxError::Ok;
}

} // namespace Engine
