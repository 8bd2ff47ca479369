#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Platform
{

// A decoded picture: 32 bits per pixel in the memory order B, G, R, A (one little-endian
// A8R8G8B8 value per pixel), rows from top to bottom, width × 4 bytes per row, no padding.
struct Image
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;

    uint8_t* row(uint32_t y) { return pixels.data() + static_cast<size_t>(y) * width * 4; }
    const uint8_t* row(uint32_t y) const { return pixels.data() + static_cast<size_t>(y) * width * 4; }
};

// Why image bytes could not be decoded or encoded. The text says what is wrong with the data;
// the caller adds the name of the file.
class ImageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What a decoder accepts before it allocates anything: a file that claims a larger picture is
// refused, so a few bytes of header can never ask for gigabytes of memory.
struct ImageLimits
{
    // The largest side a texture can have.
    uint32_t maxSide = 16384;
    // 64 M pixels, 256 MiB decoded.
    uint64_t maxPixels = 64ull * 1024 * 1024;
};

// Throws ImageError when a picture of that size is empty or beyond the limits.
void checkImageSize(uint64_t width, uint64_t height, const ImageLimits& limits);

} // namespace Platform
