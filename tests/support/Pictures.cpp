#include "tests/support/Pictures.h"

#include "platform/image/PngCodec.h"

#include <cmath>
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

std::array<double, 3> meanColour(const Platform::Image& image, uint32_t left, uint32_t top, uint32_t width,
                                 uint32_t height)
{
    std::array<double, 3> sum{0.0, 0.0, 0.0};
    for (uint32_t y = top; y < top + height; ++y)
        for (uint32_t x = left; x < left + width; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                sum[c] += image.row(y)[x * 4 + c];
    const double count = static_cast<double>(width) * height;
    for (double& channel : sum)
        channel = count > 0.0 ? channel / count : 0.0;
    return sum;
}

double colourDistance(const std::array<double, 3>& a, const std::array<double, 3>& b)
{
    return std::sqrt(std::pow(a[0] - b[0], 2) + std::pow(a[1] - b[1], 2) + std::pow(a[2] - b[2], 2));
}

} // namespace Test
