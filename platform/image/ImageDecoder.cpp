#include "platform/image/ImageDecoder.h"

#include "platform/image/BmpDecoder.h"
#include "platform/image/DdsDecoder.h"
#include "platform/image/JngDecoder.h"
#include "platform/image/JpegCodec.h"
#include "platform/image/PngCodec.h"
#include "platform/image/TgaDecoder.h"

#include <algorithm>
#include <cstring>

namespace Platform
{

namespace
{

bool startsWith(const uint8_t* data, size_t size, const char* bytes, size_t count)
{
    return size >= count && std::memcmp(data, bytes, count) == 0;
}

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t bigEndian16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | uint32_t(p[1]);
}

uint32_t littleEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t littleEndian16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

[[noreturn]] void headerCutShort(ImageFormat format)
{
    throw ImageError(std::string("the ") + imageFormatName(format) + " header is cut short");
}

// The frame header of a JPEG file: the markers before it are walked by their lengths.
void readJpegSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height)
{
    size_t at = 2;
    while (at + 4 <= size)
    {
        if (data[at] != 0xFF)
            throw ImageError("the JPEG data has no frame header");
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF)
        {
            ++at; // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
        {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
            break;
        const size_t length = bigEndian16(data + at + 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            if (at + 9 > size)
                break;
            height = bigEndian16(data + at + 5);
            width = bigEndian16(data + at + 7);
            return;
        }
        if (length < 2)
            break;
        at += 2 + length;
    }
    throw ImageError("the JPEG data has no frame header");
}

} // namespace

bool hasJngSignature(const uint8_t* data, size_t size)
{
    return startsWith(data, size, "\x8BJNG", 4);
}

bool hasJngOrPngSignature(const uint8_t* data, size_t size)
{
    return hasJngSignature(data, size) || startsWith(data, size, "\x89PNG", 4);
}

bool hasPvrSignature(const uint8_t* data, size_t size)
{
    return size > 48 && std::memcmp(data + 44, "PVR!", 4) == 0;
}

ImageFormat detectImageFormat(const uint8_t* data, size_t size)
{
    if (startsWith(data, size, "\x89PNG", 4))
        return ImageFormat::Png;
    if (hasJngSignature(data, size))
        return ImageFormat::Jng;
    if (startsWith(data, size, "\xFF\xD8\xFF", 3))
        return ImageFormat::Jpeg;
    if (startsWith(data, size, "BM", 2))
        return ImageFormat::Bmp;
    if (startsWith(data, size, "DDS ", 4))
        return ImageFormat::Dds;
    if (hasPvrSignature(data, size))
        return ImageFormat::Pvr;
    if (looksLikeTga(data, size))
        return ImageFormat::Tga;
    return ImageFormat::Unknown;
}

const char* imageFormatName(ImageFormat format)
{
    switch (format)
    {
    case ImageFormat::Png:
        return "PNG";
    case ImageFormat::Jng:
        return "JNG";
    case ImageFormat::Jpeg:
        return "JPEG";
    case ImageFormat::Bmp:
        return "BMP";
    case ImageFormat::Tga:
        return "TGA";
    case ImageFormat::Dds:
        return "DDS";
    case ImageFormat::Pvr:
        return "PVR";
    case ImageFormat::Unknown:
        break;
    }
    return "unknown";
}

Image decodeImage(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    if (size == 0)
        throw ImageError("the file is empty");
    const ImageFormat format = detectImageFormat(data, size);
    switch (format)
    {
    case ImageFormat::Png:
        return decodePng(data, size, limits);
    case ImageFormat::Jng:
        return decodeJng(data, size, limits);
    case ImageFormat::Jpeg:
        return decodeJpeg(data, size, limits);
    case ImageFormat::Bmp:
        return decodeBmp(data, size, limits);
    case ImageFormat::Tga:
        return decodeTga(data, size, limits);
    case ImageFormat::Dds:
        return decodeDds(data, size, limits);
    case ImageFormat::Pvr:
        throw ImageError(std::string(imageFormatName(format)) + " images are not supported");
    case ImageFormat::Unknown:
        break;
    }
    throw ImageError("the data is no image of a known format (PNG, JNG, JPEG, BMP, TGA or DDS)");
}

void decodeImageInto(const uint8_t* data, size_t size, uint32_t* pixels, uint32_t width, uint32_t height,
                     uint32_t& pictureWidth, uint32_t& pictureHeight)
{
    uint32_t rows = 0;
    uint32_t columns = 0;
    const ImageFormat format = detectImageFormat(data, size);
    uint8_t* const bytes = reinterpret_cast<uint8_t*>(pixels);
    if ((format == ImageFormat::Png &&
         decodePngInto(data, size, bytes, width, height, pictureWidth, pictureHeight)) ||
        (format == ImageFormat::Jpeg &&
         decodeJpegInto(data, size, bytes, width, height, pictureWidth, pictureHeight)))
    {
        rows = pictureHeight;
        columns = pictureWidth;
    }
    else
    {
        const Image image = decodeImage(data, size);
        pictureWidth = image.width;
        pictureHeight = image.height;
        rows = std::min(image.height, height);
        columns = std::min(image.width, width);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(pixels + static_cast<size_t>(y) * width, image.row(y),
                        static_cast<size_t>(columns) * 4);
    }
    for (uint32_t y = 0; y < rows; ++y)
        std::fill(pixels + static_cast<size_t>(y) * width + columns,
                  pixels + static_cast<size_t>(y + 1) * width, 0u);
    std::fill(pixels + static_cast<size_t>(rows) * width, pixels + static_cast<size_t>(height) * width, 0u);
}

void readImageSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height,
                   const ImageLimits& limits)
{
    if (size == 0)
        throw ImageError("the file is empty");
    const ImageFormat format = detectImageFormat(data, size);
    switch (format)
    {
    case ImageFormat::Png:
    case ImageFormat::Jng:
        // The signature, then the header chunk ("IHDR" or "JHDR") with the width and height.
        if (size < 24)
            headerCutShort(format);
        width = bigEndian32(data + 16);
        height = bigEndian32(data + 20);
        break;
    case ImageFormat::Jpeg:
        readJpegSize(data, size, width, height);
        break;
    case ImageFormat::Bmp:
    {
        if (size < 26)
            headerCutShort(format);
        if (littleEndian32(data + 14) == 12)
        {
            width = littleEndian16(data + 18);
            height = littleEndian16(data + 20);
            break;
        }
        const int32_t w = static_cast<int32_t>(littleEndian32(data + 18));
        const int32_t h = static_cast<int32_t>(littleEndian32(data + 22));
        // A negative height stands for rows stored top-down.
        width = static_cast<uint32_t>(w < 0 ? 0 : w);
        height = h < 0 ? 0u - static_cast<uint32_t>(h) : static_cast<uint32_t>(h);
        break;
    }
    case ImageFormat::Tga:
        if (size < 18)
            headerCutShort(format);
        width = littleEndian16(data + 12);
        height = littleEndian16(data + 14);
        break;
    case ImageFormat::Dds:
        if (size < 20)
            headerCutShort(format);
        height = littleEndian32(data + 12);
        width = littleEndian32(data + 16);
        break;
    case ImageFormat::Pvr:
        throw ImageError(std::string(imageFormatName(format)) + " images are not supported");
    case ImageFormat::Unknown:
        throw ImageError("the data is no image of a known format (PNG, JNG, JPEG, BMP, TGA or DDS)");
    }
    checkImageSize(width, height, limits);
}

} // namespace Platform
