#include "platform/image/TgaDecoder.h"

#include "platform/image/ByteOrder.h"

#include <string>

namespace Platform
{

namespace
{

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kTrueColor = 2;
constexpr uint8_t kTrueColorRle = 10;
// Descriptor bits: columns stored right to left, rows stored top to bottom.
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopToBottom = 0x20;

[[noreturn]] void fail(const std::string& text)
{
    throw ImageError("TGA: " + text);
}

} // namespace

bool looksLikeTga(const uint8_t* data, size_t size)
{
    if (size < kHeaderSize)
        return false;
    const uint8_t colorMapType = data[1];
    const uint8_t type = data[2];
    const uint8_t depth = data[16];
    const bool knownType = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return colorMapType <= 1 && knownType && knownDepth;
}

Image decodeTga(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    if (size < kHeaderSize)
        fail("unexpected end of data in the header");
    const uint8_t idLength = data[0];
    const uint8_t colorMapType = data[1];
    const uint8_t type = data[2];
    const uint16_t colorMapLength = readLE16(data + 5);
    const uint8_t colorMapEntryBits = data[7];
    const uint16_t width = readLE16(data + 12);
    const uint16_t height = readLE16(data + 14);
    const uint8_t depth = data[16];
    const uint8_t descriptor = data[17];

    if (type != kTrueColor && type != kTrueColorRle)
        fail("image type " + std::to_string(type) + " is not supported (only true colour, types 2 and 10)");
    if (colorMapType > 1)
        fail("bad colour map type " + std::to_string(colorMapType));
    if (depth != 24 && depth != 32)
        fail(std::to_string(depth) + "-bit pixels are not supported");
    checkImageSize(width, height, limits);

    // A true-colour file may still carry a colour map; it is skipped.
    size_t pos = kHeaderSize + idLength;
    if (colorMapType == 1)
        pos += static_cast<size_t>(colorMapLength) * ((colorMapEntryBits + 7u) / 8u);
    if (pos > size)
        fail("unexpected end of data before the pixels");

    const size_t bytesPerPixel = depth / 8;
    const size_t total = static_cast<size_t>(width) * height;
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(total * 4);

    // Pixels in file order, counted 0..total-1, placed by the origin bits.
    const bool topDown = (descriptor & kTopToBottom) != 0;
    const bool rightToLeft = (descriptor & kRightToLeft) != 0;
    auto place = [&](size_t index, const uint8_t* pixel)
    {
        const size_t fileRow = index / width;
        const size_t fileColumn = index % width;
        const size_t y = topDown ? fileRow : height - 1 - fileRow;
        const size_t x = rightToLeft ? width - 1 - fileColumn : fileColumn;
        uint8_t* out = image.pixels.data() + (y * width + x) * 4;
        out[0] = pixel[0];
        out[1] = pixel[1];
        out[2] = pixel[2];
        out[3] = bytesPerPixel == 4 ? pixel[3] : 255;
    };

    if (type == kTrueColor)
    {
        if ((size - pos) / bytesPerPixel < total)
            fail("unexpected end of data in the pixels");
        for (size_t i = 0; i < total; ++i)
            place(i, data + pos + i * bytesPerPixel);
        return image;
    }

    size_t done = 0;
    while (done < total)
    {
        if (pos >= size)
            fail("unexpected end of data in the pixels");
        const uint8_t packet = data[pos++];
        const size_t count = (packet & 0x7Fu) + 1u;
        if (count > total - done)
            fail("a run goes past the end of the picture");
        if (packet & 0x80u)
        {
            if (size - pos < bytesPerPixel)
                fail("unexpected end of data in the pixels");
            for (size_t i = 0; i < count; ++i)
                place(done + i, data + pos);
            pos += bytesPerPixel;
        }
        else
        {
            if ((size - pos) / bytesPerPixel < count)
                fail("unexpected end of data in the pixels");
            for (size_t i = 0; i < count; ++i)
                place(done + i, data + pos + i * bytesPerPixel);
            pos += count * bytesPerPixel;
        }
        done += count;
    }
    return image;
}

} // namespace Platform
