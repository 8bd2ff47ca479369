#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Platform
{

// Decodes PNG bytes (any colour type and depth, interlaced or not) to B, G, R, A pixels; a
// picture without alpha gets alpha 255. Throws ImageError.
Image decodePng(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

// Encodes B, G, R, A pixels as an 8-bit RGBA PNG file. Throws ImageError.
std::vector<uint8_t> encodePng(const Image& image);

} // namespace Platform
