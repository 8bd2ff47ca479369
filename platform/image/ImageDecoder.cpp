#include "platform/image/ImageDecoder.h"

#include "platform/image/BmpDecoder.h"
#include "platform/image/DdsDecoder.h"
#include "platform/image/JngDecoder.h"
#include "platform/image/JpegCodec.h"
#include "platform/image/PngCodec.h"
#include "platform/image/TgaDecoder.h"

#include <cstring>

namespace Platform
{

namespace
{

bool startsWith(const uint8_t* data, size_t size, const char* bytes, size_t count)
{
    return size >= count && std::memcmp(data, bytes, count) == 0;
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

} // namespace Platform
