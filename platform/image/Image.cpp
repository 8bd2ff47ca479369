#include "platform/image/Image.h"

namespace Platform
{

void checkImageSize(uint64_t width, uint64_t height, const ImageLimits& limits)
{
    if (width == 0 || height == 0)
        throw ImageError("the picture is empty (" + std::to_string(width) + " x " + std::to_string(height) +
                         ")");
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        throw ImageError("the picture is too large (" + std::to_string(width) + " x " +
                         std::to_string(height) + ")");
}

} // namespace Platform
