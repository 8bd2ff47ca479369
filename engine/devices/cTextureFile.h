#pragma once

#include "engine/core/cColor.h"
#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

class cAlphaMask;

// Reading image files for the CPU: the pixel readers behind `cRender::loadAlphaMask` and
// `cRender::loadImagePixels`, and the error every image loader gives for a bad file.
class cTextureFile
{
public:
    cTextureFile() = delete;

    // Throws the engine's failure (a narrow `cString`, also stored as the last error text) for an
    // image file that cannot be decoded: "Can't read image \"<path>\": <why>.".
    [[noreturn]] static void throwImageError(const std::string& path, const std::string& why);

    // Decodes image bytes; a failure names the file.
    static Platform::Image decode(const std::string& path, const void* data, size_t size);

    // Reads an image through the file system into a one-bit-per-pixel mask: bit (x, y) is set
    // exactly where alpha / 255 > 0.001. A PVR file gives nothing (false, the mask untouched).
    // Throws the file system's error for a missing file and `throwImageError` for a bad one.
    static bool readAlphaMask(const std::string& path, cAlphaMask& mask);

    // Reads an image into one colour per pixel, row by row (index y × width + x), each channel
    // byte / 255. A PVR file gives nothing (false, the outputs untouched). Throws like
    // `readAlphaMask`.
    static bool readImagePixels(const std::string& path, std::vector<cColor>& pixels, uint32_t& width,
                                uint32_t& height);
};

} // namespace Engine
