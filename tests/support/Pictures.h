#pragma once

#include "platform/image/Image.h"

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

} // namespace Test
