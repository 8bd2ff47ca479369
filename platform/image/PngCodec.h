#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Platform
{

// Decodes PNG bytes (any colour type and depth, interlaced or not) to B, G, R, A pixels; a
// picture without alpha gets alpha 255. Of the ancillary chunks only tRNS is read: what the others
// claim to hold costs no memory. Throws ImageError.
Image decodePng(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

// The top `rows` rows of the picture of PNG bytes (every row when it has no more, or when it is
// interlaced), decoded as `decodePng` decodes them: for a reader that needs only the top of a
// picture, such as a few cells of an atlas. The bytes past those rows are not read, nor checked.
// Throws ImageError like `decodePng`.
Image decodePngTop(const uint8_t* data, size_t size, uint32_t rows,
                   const ImageLimits& limits = ImageLimits());

// Decodes PNG bytes straight into the top-left corner of a buffer of `width` x `height` pixels
// (rows of `width` x 4 bytes) when the picture fits in it; false, the buffer untouched, when it
// does not. Throws ImageError like `decodePng`.
bool decodePngInto(const uint8_t* data, size_t size, uint8_t* pixels, uint32_t width, uint32_t height,
                   uint32_t& pictureWidth, uint32_t& pictureHeight,
                   const ImageLimits& limits = ImageLimits());

// Encodes B, G, R, A pixels as an 8-bit RGBA PNG file with unfiltered rows. Throws ImageError.
std::vector<uint8_t> encodePng(const Image& image);

} // namespace Platform
