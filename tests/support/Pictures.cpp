#include "tests/support/Pictures.h"

#include "platform/image/PngCodec.h"

#include <vector>

namespace Test
{

Platform::Image picture(uint32_t width, uint32_t height,
                        const std::function<uint32_t(uint32_t, uint32_t)>& argb)
{
    Platform::Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t v = argb(x, y);
            uint8_t* p = image.row(y) + x * 4;
            p[0] = static_cast<uint8_t>(v);
            p[1] = static_cast<uint8_t>(v >> 8);
            p[2] = static_cast<uint8_t>(v >> 16);
            p[3] = static_cast<uint8_t>(v >> 24);
        }
    return image;
}

std::string pngBytes(const Platform::Image& image)
{
    const std::vector<uint8_t> bytes = Platform::encodePng(image);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace Test
