// The top rows of a PNG picture: for any bytes, `decodePngTop` gives the top rows of what
// `decodePng` gives, and refuses only what `decodePng` refuses, with the same text. The first
// byte of an input is the number of rows asked for, the rest are the PNG bytes.
#include "platform/image/ByteOrder.h"
#include "platform/image/PngCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// Whether the first IHDR chunk says the picture is interlaced. libpng passes over every chunk
// before it by its length, as this walk does.
bool interlaced(const uint8_t* data, size_t size)
{
    for (size_t at = 8; size >= 8 && at <= size - 8;)
    {
        const uint32_t length = Platform::readBE32(data + at);
        if (std::memcmp(data + at + 4, "IHDR", 4) == 0)
            return length >= 13 && at + 8 + 13 <= size && data[at + 8 + 12] != 0;
        if (length > size)
            break;
        at += 12 + static_cast<size_t>(length);
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint32_t wanted = data[0];
    const uint8_t* png = data + 1;
    const size_t bytes = size - 1;
    // Small limits keep a lying header from asking for more memory than a fuzz run has.
    Platform::ImageLimits limits;
    limits.maxSide = 2048;
    limits.maxPixels = 1u << 20;

    Platform::Image whole;
    std::string wholeError;
    try
    {
        whole = Platform::decodePng(png, bytes, limits);
    }
    catch (const Platform::ImageError& error)
    {
        wholeError = error.what();
    }
    Platform::Image top;
    try
    {
        top = Platform::decodePngTop(png, bytes, wanted, limits);
    }
    catch (const Platform::ImageError& error)
    {
        // The whole decoding reads the same bytes first, the same way.
        if (wholeError != error.what())
            std::abort();
        return 0;
    }
    if (top.pixels.size() != static_cast<size_t>(top.width) * top.height * 4)
        std::abort();
    if (!wholeError.empty())
    {
        // Only rows below the top ones can be at fault; the top ones were read alone.
        if (top.height != wanted)
            std::abort();
        return 0;
    }
    const uint32_t rows = interlaced(png, bytes) || wanted >= whole.height ? whole.height : wanted;
    if (top.width != whole.width || top.height != rows ||
        !std::equal(top.pixels.begin(), top.pixels.end(), whole.pixels.begin()))
        std::abort();
    return 0;
}
