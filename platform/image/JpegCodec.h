#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Platform
{

// Decodes JPEG bytes to B, G, R, A pixels (alpha 255). A truncated or damaged stream, which
// libjpeg would only warn about, is an error here. Throws ImageError.
Image decodeJpeg(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

// Decodes JPEG bytes straight into the top-left corner of a buffer of `width` x `height` pixels
// (rows of `width` x 4 bytes) when the picture fits in it; false, the buffer untouched, when it
// does not. Throws ImageError like `decodeJpeg`.
bool decodeJpegInto(const uint8_t* data, size_t size, uint8_t* pixels, uint32_t width, uint32_t height,
                    uint32_t& pictureWidth, uint32_t& pictureHeight,
                    const ImageLimits& limits = ImageLimits());

// Decodes JPEG bytes to one grey byte per pixel (the alpha channel of a JNG file).
std::vector<uint8_t> decodeJpegGrey(const uint8_t* data, size_t size, const ImageLimits& limits,
                                    uint32_t& width, uint32_t& height);

// Encodes rows of `components` bytes per pixel (3: R, G, B; 1: grey), top row first, as a
// baseline JPEG of the given quality (0-100). Throws ImageError.
std::vector<uint8_t> encodeJpeg(const uint8_t* samples, uint32_t width, uint32_t height, int components,
                                int quality);

// Encodes R, G, B rows and writes them to a file on disk (UTF-8 path). On failure the error
// text says why ("Cannot open " + path when the file cannot be created), nothing is left behind
// and the result is false.
bool writeJpeg(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality,
               std::string& error);

} // namespace Platform
