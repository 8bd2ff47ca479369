#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

// The header of a device-independent bitmap as the screenshot builds it: 40 bytes, rows
// bottom-up (a negative height means top-down), each row padded to 4 bytes.
struct sBitmapInfoHeader
{
    uint32_t size = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// One 5-5-5 pixel to 8-bit red, green and blue: 0 stays 0, 31 becomes 255 and i in 1..30
// becomes 8 × (i + 1).
void expand555(uint16_t pixel, uint8_t& red, uint8_t& green, uint8_t& blue);

// Turns bitmap rows (1, 4, 8, 16, 24 or 32 bits; `size` bytes at `bits`) into R, G, B rows
// top-down, width × 3 bytes each. 1-, 4- and 8-bit rows have no palette here and come out
// black. False with "Invalid input data" or "Invalid bitmap bit count" in `error`.
bool convertBitmapRows(const sBitmapInfoHeader* header, const uint8_t* bits, size_t size,
                       std::vector<uint8_t>& rows, std::wstring& error);

// Writes a bitmap as a JPEG file of the given quality (0-100) at a path on disk. True when
// the error text is empty at the end. A null error text gives false at once; a quality above
// 100, a null header or an empty path gives "Invalid input data"; a file that cannot be made
// gives "Cannot open " + path. A failed write leaves no file behind.
bool saveJpeg(const sBitmapInfoHeader* header, const uint8_t* bits, size_t size, int quality,
              const std::wstring& path, std::wstring* error);

// The screenshot writer of the render device (`cRender::setScreenshotWriter`): writes
// width × height pixels (0xAARRGGBB, rows top-down, as read from the back buffer) as a JPEG of
// quality 80 to `path` in the shared data folder through `writeWholeFile` (a screenshot already
// there, in whatever case, is replaced only by a whole one). True when the file was written; a
// file that cannot be written is logged in "files" (not told: it is no player's progress), the
// last screenshot stays, and the result is false.
bool writeScreenshot(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels);

} // namespace Engine
