#pragma once

#include "platform/image/Image.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace Test
{

// A picture whose pixel (x, y) is `argb(x, y)`.
Platform::Image picture(uint32_t width, uint32_t height,
                        const std::function<uint32_t(uint32_t, uint32_t)>& argb);

// The bytes of a PNG file holding `image`.
std::string pngBytes(const Platform::Image& image);

// The mean of each of the first three channels (red, green, blue; 0-255) over the rectangle of
// `image` with its top-left corner at (left, top).
std::array<double, 3> meanColour(const Platform::Image& image, uint32_t left, uint32_t top, uint32_t width,
                                 uint32_t height);

// How far apart two colours are: their distance in red, green and blue.
double colourDistance(const std::array<double, 3>& a, const std::array<double, 3>& b);

} // namespace Test
