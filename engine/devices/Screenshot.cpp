#include "engine/devices/Screenshot.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "platform/image/JpegCodec.h"
#include "platform/system/SystemInfo.h"

namespace Engine
{

namespace
{

constexpr int kScreenshotQuality = 80;

size_t dibStride24(uint32_t width)
{
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

void traceFailure(const std::wstring& path, const std::string& why)
{
    Platform::debugTrace("Screenshot \"" + toUtf8(path) + "\" not written: " + why + "\n");
}

} // namespace

void expand555(uint16_t pixel, uint8_t& red, uint8_t& green, uint8_t& blue)
{
    auto expand = [](uint32_t v) -> uint8_t
    {
        if (v == 0)
            return 0;
        if (v == 31)
            return 255;
        return static_cast<uint8_t>(8 * (v + 1));
    };
    red = expand((pixel >> 10) & 31u);
    green = expand((pixel >> 5) & 31u);
    blue = expand(pixel & 31u);
}

bool convertBitmapRows(const sBitmapInfoHeader* header, const uint8_t* bits, size_t size,
                       std::vector<uint8_t>& rows, std::wstring& error)
{
    if (!header || !bits || header->width <= 0 || header->height == 0)
    {
        error = L"Invalid input data";
        return false;
    }
    const uint32_t width = static_cast<uint32_t>(header->width);
    // A negative height is a top-down bitmap; the usual positive one is stored bottom-up.
    const bool topDown = header->height < 0;
    const uint32_t height = topDown ? static_cast<uint32_t>(-static_cast<int64_t>(header->height))
                                    : static_cast<uint32_t>(header->height);

    size_t stride = 0;
    switch (header->bitCount)
    {
    case 24:
        stride = dibStride24(width);
        break;
    case 32:
        stride = static_cast<size_t>(width) * 4;
        break;
    case 16:
        stride = (static_cast<size_t>(width) + (width & 1u)) * 2;
        break;
    case 1:
    case 4:
    case 8:
        // No palette comes with the header: such rows stay black.
        rows.assign(static_cast<size_t>(width) * height * 3, 0);
        return true;
    default:
        error = L"Invalid bitmap bit count";
        return false;
    }
    if (size / stride < height)
    {
        error = L"Invalid input data";
        return false;
    }

    rows.assign(static_cast<size_t>(width) * height * 3, 0);
    for (uint32_t r = 0; r < height; ++r)
    {
        const uint8_t* in = bits + (topDown ? r : height - 1 - r) * stride;
        uint8_t* out = rows.data() + static_cast<size_t>(r) * width * 3;
        for (uint32_t x = 0; x < width; ++x, out += 3)
        {
            if (header->bitCount == 24)
            {
                out[0] = in[x * 3 + 2];
                out[1] = in[x * 3 + 1];
                out[2] = in[x * 3];
            }
            else if (header->bitCount == 32)
            {
                out[0] = in[x * 4 + 2];
                out[1] = in[x * 4 + 1];
                out[2] = in[x * 4];
            }
            else
            {
                const uint16_t pixel = static_cast<uint16_t>(in[x * 2] | in[x * 2 + 1] << 8);
                expand555(pixel, out[0], out[1], out[2]);
            }
        }
    }
    return true;
}

bool saveJpeg(const sBitmapInfoHeader* header, const uint8_t* bits, size_t size, int quality,
              const std::wstring& path, std::wstring* error)
{
    if (!error)
        return false;
    if (quality > 100 || quality < 0 || !header || path.empty())
    {
        *error = L"Invalid input data";
        return false;
    }
    error->clear();
    // The rows are converted before the file is opened, so a bitmap that cannot be converted
    // leaves no half-written file.
    std::vector<uint8_t> rows;
    if (!convertBitmapRows(header, bits, size, rows, *error))
        return false;
    const uint32_t width = static_cast<uint32_t>(header->width);
    const uint32_t height = static_cast<uint32_t>(rows.size() / 3 / width);
    std::string text;
    if (!Platform::writeJpeg(toUtf8(path), rows.data(), width, height, quality, text))
        *error = fromUtf8(text);
    return error->empty();
}

bool writeScreenshot(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels)
{
    if (path.empty())
        return false;
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
    {
        traceFailure(path, "no pixels");
        return false;
    }
    cFileSystem* files = cFileSystem::instance();
    if (!files)
    {
        traceFailure(path, "there is no file system");
        return false;
    }

    // R, G, B rows, top row first, as the JPEG encoder takes them.
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> rows(count * 3);
    for (size_t i = 0; i < count; ++i)
    {
        rows[i * 3] = static_cast<uint8_t>(pixels[i] >> 16);
        rows[i * 3 + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rows[i * 3 + 2] = static_cast<uint8_t>(pixels[i]);
    }
    try
    {
        const std::vector<uint8_t> jpeg = Platform::encodeJpeg(
            rows.data(), static_cast<uint32_t>(width), static_cast<uint32_t>(height), 3, kScreenshotQuality);
        // As the player's files are written: the last screenshot is replaced only by a whole one.
        writeWholeFile(toUtf8(path), jpeg.data(), jpeg.size());
    }
    catch (...)
    {
        // The screenshot is no player's progress: its failure joins the files that could not be
        // written in the log, and the game does not stop the player to tell it.
        reportProblem(L"files", "The screenshot was not saved; the last one, if any, is kept: " +
                                    currentExceptionText());
        return false;
    }
    return true;
}

} // namespace Engine
