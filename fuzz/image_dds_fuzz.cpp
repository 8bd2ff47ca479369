// The DDS decoder: any bytes either decode to a picture of the size it reports or give an
// ImageError, never a read past their end.
#include "platform/image/DdsDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Small limits keep a lying header from asking for more memory than a fuzz run has.
    Platform::ImageLimits limits;
    limits.maxSide = 2048;
    limits.maxPixels = 1u << 20;
    try
    {
        const Platform::Image image = Platform::decodeDds(data, size, limits);
        if (image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4)
            std::abort();
    }
    catch (const Platform::ImageError&)
    {
    }
    return 0;
}
