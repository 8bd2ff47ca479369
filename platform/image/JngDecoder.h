#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

// Decodes a JNG file: a JPEG picture (JDAT chunks) with an optional alpha channel, stored either
// as zlib-compressed grey rows with PNG filters (IDAT chunks, 1 to 16 bits) or as a grey JPEG
// (JDAA chunks). Only 8-bit JPEG samples are read. Chunk lengths and CRCs are checked; every
// fault throws ImageError.
Image decodeJng(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

} // namespace Platform
