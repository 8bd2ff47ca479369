#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

// Decodes an uncompressed BMP picture: 24 or 32 bits per pixel, or 8 bits through a palette,
// stored bottom-up (positive height) or top-down (negative height). 32-bit pixels keep their
// fourth byte as alpha unless every pixel has 0 there (a plain X8R8G8B8 file), which is opaque.
// Throws ImageError.
Image decodeBmp(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

} // namespace Platform
