#include "engine/devices/Screenshot.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileStream.h"
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

    // A 24-bit bitmap, bottom row first, as the JPEG writer takes it.
    sBitmapInfoHeader header;
    header.width = width;
    header.height = height;
    const uint32_t w = static_cast<uint32_t>(width);
    const uint32_t h = static_cast<uint32_t>(height);
    const size_t stride = dibStride24(w);
    header.sizeImage = static_cast<uint32_t>(static_cast<size_t>(w) * h * 3);
    std::vector<uint8_t> bits(stride * h, 0);
    for (uint32_t r = 0; r < h; ++r)
    {
        const uint32_t* in = pixels.data() + static_cast<size_t>(h - 1 - r) * w;
        uint8_t* out = bits.data() + r * stride;
        for (uint32_t i = 0; i < w; ++i)
        {
            out[i * 3] = static_cast<uint8_t>(in[i]);
            out[i * 3 + 1] = static_cast<uint8_t>(in[i] >> 8);
            out[i * 3 + 2] = static_cast<uint8_t>(in[i] >> 16);
        }
    }

    cFileSystem* files = cFileSystem::instance();
    if (!files)
    {
        traceFailure(path, "there is no file system");
        return false;
    }
    const std::string relative = toUtf8(toLower(path));
    // The picture goes into the file that createFile makes (one already there keeps its name).
    const std::wstring fileName = fromUtf8(files->sharedPathOnDisk(relative));
    try
    {
        // Makes the folders and enters the file into the index.
        files->createFile(relative, true)->close();
    }
    catch (...)
    {
        traceFailure(fileName, "the file can't be created");
        return false;
    }
    std::wstring error;
    if (!saveJpeg(&header, bits.data(), bits.size(), kScreenshotQuality, fileName, &error))
    {
        // No empty file is left where a picture was expected.
        files->removeFile(relative);
        traceFailure(fileName, toUtf8(error));
        return false;
    }
    return true;
}

} // namespace Engine
