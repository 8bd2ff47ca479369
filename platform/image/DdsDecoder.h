#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

// Decodes the first picture (the largest mipmap level; the first face of a cube map) of a DDS
// file: block-compressed DXT1 (with its one-bit alpha), DXT3 or DXT5, or uncompressed pixels of
// 8, 16, 24 or 32 bits described by their channel masks (RGB with or without alpha, luminance,
// alpha alone). Compressed pictures are decompressed here into 32-bit pixels. Throws ImageError
// for any other kind (DXT2/DXT4, the DX10 header, floating-point formats), a damaged header or
// pixel data that is cut off.
Image decodeDds(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

} // namespace Platform
