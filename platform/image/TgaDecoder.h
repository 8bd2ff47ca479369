#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

// True when the first 18 bytes can be a TGA header (TGA files carry no signature).
bool looksLikeTga(const uint8_t* data, size_t size);

// Decodes a true-colour TGA file, uncompressed (type 2) or run-length encoded (type 10), with
// 24 or 32 bits per pixel; the descriptor's origin bits decide the row and column order.
// Throws ImageError.
Image decodeTga(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

} // namespace Platform
