#pragma once

#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/GfxTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Platform
{
struct Image;
}

namespace Platform
{
class GfxDevice;
}

namespace Engine
{

// What the texture creation tells of a decoded file: the picture's own size (a texture may be
// larger when the device wants power-of-two sides).
struct sImageInfo
{
    uint32_t width = 0;
    uint32_t height = 0;
};

using tGfxTexturePtr = std::shared_ptr<Platform::GfxTexture>;

// The texture side of `cDeviceFactory::createTexture`: device textures from image file bytes or
// empty ones.
//
// - No bytes: an empty A8R8G8B8 texture of width × height, transparent black. Out of video
//   memory in the default pool retries in the managed pool; any other failure throws
//   "Direct3D function call failed\nCreateTexture(...)\n<name>".
// - JNG or PNG bytes: `decodeImageToTexture` (a managed texture).
// - PVR bytes: `decodeImageOrPvrToTexture`, which refuses them.
// - Anything else (JPEG, BMP, TGA, DDS): decoded into a texture of the file's size (or of width ×
//   height when both are given, the picture cut or padded with transparent black) in `pool`,
//   with the same retry; a refused texture throws with the call text
//   "D3DXCreateTextureFromFileInMemoryEx(...)".
// Bytes that cannot be decoded throw Platform::ImageError, which the caller turns into an error
// that names the file. Unless the device asks for pictures at once (`decodesPicturesOnLoad`),
// only the picture's header is read: the texture gets the size it gives and decodes the picture
// when it is first drawn or its pixels are read, so a start decodes only what it shows, and a
// device that shows nothing decodes nothing. Data broken past its header is found only then,
// with the engine's failure naming `name` ("Can't read image ...").
Platform::GfxResult createTexture(Platform::GfxDevice& device, const void* bytes, const unsigned* size,
                                  tGfxTexturePtr& out, Platform::Pool pool, sImageInfo* info, int width,
                                  int height, const std::string& name = std::string());

// For a device that reads pictures when it decodes them (`readsPicturesWhenDecoded`): a
// texture of the size that `header`, the first bytes of the file at `path`, gives, which reads
// the whole file through the file system when the picture is first drawn or its pixels are
// read. For PNG, JNG and JPEG files; false for any other format and for a header that does not
// tell the size, whose file the caller reads whole. A PVR file throws Platform::ImageError.
bool createTextureFromHeader(Platform::GfxDevice& device, const void* header, size_t size,
                             const std::string& path, tGfxTexturePtr& out, sImageInfo* info);

// Decodes JNG or PNG bytes (any format `Platform::decodeImage` reads) into a managed A8R8G8B8
// texture of the picture's size; when the device refuses that size, of the smallest
// power-of-two sides not below it, the picture in its top-left corner. Throws
// Platform::ImageError for bad bytes and the device error when no texture can be made.
bool decodeImageToTexture(Platform::GfxDevice& device, const void* bytes, size_t size, tGfxTexturePtr& out,
                          sImageInfo* info, const std::string& name = std::string());

// A managed A8R8G8B8 texture holding `image` in its top-left corner: of the picture's size, or
// of the smallest power-of-two sides not below it when the device refuses that. Throws the
// device error (naming `call`) when no texture can be made or locked.
tGfxTexturePtr createTextureFromImage(Platform::GfxDevice& device, const Platform::Image& image,
                                      const char* call = "CreateTexture(...)");

// As `decodeImageToTexture`, but false when the bytes are neither JNG nor PNG nor PVR. PVR
// pictures are not supported: they throw Platform::ImageError.
bool decodeImageOrPvrToTexture(Platform::GfxDevice& device, const void* bytes, size_t size,
                               tGfxTexturePtr& out, sImageInfo* info,
                               const std::string& name = std::string());

} // namespace Engine
