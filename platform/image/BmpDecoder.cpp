#include "platform/image/BmpDecoder.h"

#include "platform/image/ByteOrder.h"

#include <string>

namespace Platform
{

namespace
{

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;

[[noreturn]] void fail(const std::string& text)
{
    throw ImageError("BMP: " + text);
}

struct BmpHeader
{
    uint32_t dataOffset = 0;
    uint32_t infoSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint16_t bits = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
};

BmpHeader readHeader(const uint8_t* data, size_t size)
{
    if (size < kFileHeaderSize + 4)
        fail("unexpected end of data in the header");
    BmpHeader header;
    header.dataOffset = readLE32(data + 10);
    header.infoSize = readLE32(data + 14);
    const uint32_t info = header.infoSize;
    if (info != 40 && info != 52 && info != 56 && info != 108 && info != 124)
        fail("unsupported header of " + std::to_string(info) + " bytes");
    if (size - kFileHeaderSize < info)
        fail("unexpected end of data in the header");
    header.width = static_cast<int32_t>(readLE32(data + 18));
    header.height = static_cast<int32_t>(readLE32(data + 22));
    header.bits = readLE16(data + 28);
    header.compression = readLE32(data + 30);
    header.colorsUsed = readLE32(data + 46);
    if (readLE16(data + 26) != 1)
        fail("the plane count is not 1");
    return header;
}

// For a BI_BITFIELDS file: only the usual 8-bit masks are read; true when the alpha mask is
// given.
bool checkBitFields(const uint8_t* data, size_t size, const BmpHeader& header)
{
    const size_t masks = kFileHeaderSize + 40;
    if (size < masks + 12)
        fail("unexpected end of data in the colour masks");
    if (readLE32(data + masks) != 0x00FF0000u || readLE32(data + masks + 4) != 0x0000FF00u ||
        readLE32(data + masks + 8) != 0x000000FFu)
        fail("unsupported colour masks");
    if (header.infoSize < 56)
        return false;
    const uint32_t alpha = readLE32(data + masks + 12);
    if (alpha != 0 && alpha != 0xFF000000u)
        fail("unsupported alpha mask");
    return alpha != 0;
}

} // namespace

Image decodeBmp(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        fail("bad signature");
    const BmpHeader header = readHeader(data, size);
    if (header.bits != 8 && header.bits != 24 && header.bits != 32)
        fail(std::to_string(header.bits) + "-bit pictures are not supported");
    bool alphaMask = false;
    if (header.compression == kBitFields && header.bits == 32)
        alphaMask = checkBitFields(data, size, header);
    else if (header.compression != kRgb)
        fail("compressed pictures are not supported");

    const bool topDown = header.height < 0;
    const int64_t height = topDown ? -header.height : header.height;
    if (header.width <= 0)
        fail("bad width " + std::to_string(header.width));
    checkImageSize(static_cast<uint64_t>(header.width), static_cast<uint64_t>(height), limits);
    const uint32_t w = static_cast<uint32_t>(header.width);
    const uint32_t h = static_cast<uint32_t>(height);

    // The palette follows the headers (after the three masks of a 40-byte BI_BITFIELDS header).
    const uint8_t* palette = nullptr;
    uint32_t paletteSize = 0;
    if (header.bits == 8)
    {
        paletteSize = header.colorsUsed ? header.colorsUsed : 256;
        if (paletteSize > 256)
            fail("a palette of " + std::to_string(paletteSize) + " colours");
        const size_t start = kFileHeaderSize + header.infoSize;
        if (size < start || (size - start) / 4 < paletteSize)
            fail("unexpected end of data in the palette");
        palette = data + start;
    }

    const uint64_t stride = (static_cast<uint64_t>(w) * header.bits + 31) / 32 * 4;
    if (header.dataOffset > size || (size - header.dataOffset) / stride < h)
        fail("unexpected end of data in the pixels");

    Image image;
    image.width = w;
    image.height = h;
    image.pixels.resize(static_cast<size_t>(w) * h * 4);
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h; ++y)
    {
        const uint32_t fileRow = topDown ? y : h - 1 - y;
        const uint8_t* in = data + header.dataOffset + fileRow * stride;
        uint8_t* out = image.row(y);
        for (uint32_t x = 0; x < w; ++x, out += 4)
        {
            if (header.bits == 8)
            {
                const uint32_t index = in[x];
                if (index >= paletteSize)
                    fail("palette index " + std::to_string(index) + " beyond " + std::to_string(paletteSize) +
                         " colours");
                const uint8_t* entry = palette + index * 4;
                out[0] = entry[0];
                out[1] = entry[1];
                out[2] = entry[2];
                out[3] = 255;
            }
            else if (header.bits == 24)
            {
                out[0] = in[x * 3];
                out[1] = in[x * 3 + 1];
                out[2] = in[x * 3 + 2];
                out[3] = 255;
            }
            else
            {
                out[0] = in[x * 4];
                out[1] = in[x * 4 + 1];
                out[2] = in[x * 4 + 2];
                out[3] = in[x * 4 + 3];
                anyAlpha = anyAlpha || out[3] != 0;
            }
        }
    }
    // A 32-bit file whose fourth bytes are all 0 has no alpha channel, only padding.
    if (header.bits == 32 && !anyAlpha && !alphaMask)
    {
        for (size_t i = 3; i < image.pixels.size(); i += 4)
            image.pixels[i] = 255;
    }
    return image;
}

} // namespace Platform
