#include "platform/image/DdsDecoder.h"

#include "platform/image/ByteOrder.h"

#include <string>

namespace Platform
{

namespace
{

// "DDS " and the 124-byte header; the pixels follow.
constexpr size_t kHeaderEnd = 128;
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;

// Header flags.
constexpr uint32_t kFlagPitch = 0x8;
// Pixel-format flags.
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kAlphaOnly = 0x2;
constexpr uint32_t kFourCc = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kLuminance = 0x20000;

[[noreturn]] void fail(const std::string& text)
{
    throw ImageError("DDS: " + text);
}

constexpr uint32_t fourCc(const char (&text)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// The four characters of a code for messages, unprintable bytes as "?".
std::string fourCcText(uint32_t code)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
    {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        text += c >= 32 && c < 127 ? c : '?';
    }
    return text;
}

struct Pixel
{
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

void put(Image& image, uint32_t x, uint32_t y, const Pixel& p)
{
    uint8_t* out = image.row(y) + static_cast<size_t>(x) * 4;
    out[0] = p.b;
    out[1] = p.g;
    out[2] = p.r;
    out[3] = p.a;
}

// --- Block compression ---------------------------------------------------------------------------

Pixel expand565(uint16_t c)
{
    Pixel p;
    const uint32_t r = (c >> 11) & 31;
    const uint32_t g = (c >> 5) & 63;
    const uint32_t b = c & 31;
    p.r = static_cast<uint8_t>(r << 3 | r >> 2);
    p.g = static_cast<uint8_t>(g << 2 | g >> 4);
    p.b = static_cast<uint8_t>(b << 3 | b >> 2);
    return p;
}

uint8_t mix(uint32_t a, uint32_t b, uint32_t weightA, uint32_t weightB, uint32_t divisor)
{
    return static_cast<uint8_t>((a * weightA + b * weightB) / divisor);
}

// The colour half of a block: two 5-6-5 end points and sixteen 2-bit indices, row by row.
// `threeColours` lets a block whose first end point is not above the second use index 3 for
// transparent black (DXT1 only; DXT3 and DXT5 always have four colours).
void colourBlock(const uint8_t* block, bool threeColours, Pixel out[16])
{
    const uint16_t c0 = readLE16(block);
    const uint16_t c1 = readLE16(block + 2);
    Pixel palette[4];
    palette[0] = expand565(c0);
    palette[1] = expand565(c1);
    const Pixel& a = palette[0];
    const Pixel& b = palette[1];
    if (c0 > c1 || !threeColours)
    {
        palette[2] = {mix(a.r, b.r, 2, 1, 3), mix(a.g, b.g, 2, 1, 3), mix(a.b, b.b, 2, 1, 3), 255};
        palette[3] = {mix(a.r, b.r, 1, 2, 3), mix(a.g, b.g, 1, 2, 3), mix(a.b, b.b, 1, 2, 3), 255};
    }
    else
    {
        palette[2] = {mix(a.r, b.r, 1, 1, 2), mix(a.g, b.g, 1, 1, 2), mix(a.b, b.b, 1, 1, 2), 255};
        palette[3] = {0, 0, 0, 0};
    }
    const uint32_t indices = readLE32(block + 4);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(indices >> (2 * i)) & 3];
}

// DXT3: sixteen 4-bit alphas.
void explicitAlpha(const uint8_t* block, Pixel out[16])
{
    for (int i = 0; i < 16; ++i)
    {
        const uint32_t nibble = (block[i / 2] >> (4 * (i % 2))) & 15;
        out[i].a = static_cast<uint8_t>(nibble * 17);
    }
}

// DXT5: two alpha end points and sixteen 3-bit indices into the eight (or six and 0 and 255)
// alphas between them.
void interpolatedAlpha(const uint8_t* block, Pixel out[16])
{
    const uint32_t a0 = block[0];
    const uint32_t a1 = block[1];
    uint8_t alpha[8] = {static_cast<uint8_t>(a0), static_cast<uint8_t>(a1)};
    if (a0 > a1)
    {
        for (uint32_t i = 1; i < 7; ++i)
            alpha[i + 1] = mix(a0, a1, 7 - i, i, 7);
    }
    else
    {
        for (uint32_t i = 1; i < 5; ++i)
            alpha[i + 1] = mix(a0, a1, 5 - i, i, 5);
        alpha[6] = 0;
        alpha[7] = 255;
    }
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i)
        indices |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[i].a = alpha[(indices >> (3 * i)) & 7];
}

void decodeBlocks(const uint8_t* data, size_t available, uint32_t format, Image& image)
{
    const size_t blockSize = format == fourCc("DXT1") ? 8 : 16;
    const size_t across = (static_cast<size_t>(image.width) + 3) / 4;
    const size_t down = (static_cast<size_t>(image.height) + 3) / 4;
    if (available / blockSize < across * down)
        fail("the pixel data is cut off");
    const uint8_t* block = data;
    for (size_t by = 0; by < down; ++by)
        for (size_t bx = 0; bx < across; ++bx, block += blockSize)
        {
            Pixel pixels[16];
            if (format == fourCc("DXT1"))
                colourBlock(block, true, pixels);
            else
            {
                colourBlock(block + 8, false, pixels);
                if (format == fourCc("DXT3"))
                    explicitAlpha(block, pixels);
                else
                    interpolatedAlpha(block, pixels);
            }
            // Blocks at the right and bottom edges reach past a picture whose sides are not
            // multiples of four.
            for (uint32_t i = 0; i < 16; ++i)
            {
                const size_t x = bx * 4 + i % 4;
                const size_t y = by * 4 + i / 4;
                if (x < image.width && y < image.height)
                    put(image, static_cast<uint32_t>(x), static_cast<uint32_t>(y), pixels[i]);
            }
        }
}

// --- Uncompressed pixels -------------------------------------------------------------------------

// One channel described by its bit mask, scaled to 0..255.
struct Channel
{
    uint32_t mask = 0;
    unsigned shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (mask == 0)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        max = mask >> shift;
    }
    bool present() const { return mask != 0; }
    // 0 for a channel the format does not have.
    uint8_t read(uint32_t value) const
    {
        if (max == 0)
            return 0;
        return static_cast<uint8_t>((static_cast<uint64_t>((value & mask) >> shift) * 255 + max / 2) / max);
    }
};

void decodeMasked(const uint8_t* header, const uint8_t* data, size_t available, Image& image)
{
    const uint32_t flags = readLE32(header + 76);
    const uint32_t bits = readLE32(header + 84);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        fail("uncompressed pixels of " + std::to_string(bits) + " bits are not supported");
    const Channel red(readLE32(header + 88));
    const Channel green(readLE32(header + 92));
    const Channel blue(readLE32(header + 96));
    const Channel alpha((flags & (kAlphaPixels | kAlphaOnly)) ? readLE32(header + 100) : 0);
    const bool luminance = (flags & kLuminance) != 0;
    if (!red.present() && !green.present() && !blue.present() && !alpha.present())
        fail("the pixel format has no channel");

    const size_t bytes = bits / 8;
    size_t pitch = static_cast<size_t>(image.width) * bytes;
    const uint32_t declaredPitch = readLE32(header + 16);
    // Some writers pad rows and say so in the pitch.
    if ((readLE32(header + 4) & kFlagPitch) && declaredPitch > pitch)
        pitch = declaredPitch;
    // The last row needs only its pixels, not its padding.
    if (available < pitch * (image.height - 1) + static_cast<size_t>(image.width) * bytes)
        fail("the pixel data is cut off");
    for (uint32_t y = 0; y < image.height; ++y)
    {
        const uint8_t* in = data + pitch * y;
        for (uint32_t x = 0; x < image.width; ++x, in += bytes)
        {
            uint32_t value = 0;
            for (size_t i = 0; i < bytes; ++i)
                value |= static_cast<uint32_t>(in[i]) << (8 * i);
            Pixel p;
            if (luminance)
                p.r = p.g = p.b = red.read(value);
            else
            {
                p.r = red.read(value);
                p.g = green.read(value);
                p.b = blue.read(value);
            }
            if (alpha.present())
                p.a = alpha.read(value);
            put(image, x, y, p);
        }
    }
}

} // namespace

Image decodeDds(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    if (size < 4 || readLE32(data) != fourCc("DDS "))
        fail("the file does not begin with \"DDS \"");
    if (size < kHeaderEnd)
        fail("the header is cut off");
    const uint8_t* header = data + 4;
    if (readLE32(header) != kHeaderSize || readLE32(header + 72) != kPixelFormatSize)
        fail("the header is damaged");
    const uint32_t height = readLE32(header + 8);
    const uint32_t width = readLE32(header + 12);
    checkImageSize(width, height, limits);

    const uint32_t formatFlags = readLE32(header + 76);
    const uint32_t code = readLE32(header + 80);
    const bool compressed = (formatFlags & kFourCc) != 0;
    if (compressed && code != fourCc("DXT1") && code != fourCc("DXT3") && code != fourCc("DXT5"))
        fail("the pixel format \"" + fourCcText(code) +
             "\" is not supported (DXT1, DXT3, DXT5 or uncompressed pixels)");
    if (!compressed && !(formatFlags & (kRgb | kLuminance | kAlphaOnly)))
        fail("the pixel format is neither compressed nor RGB, luminance or alpha");

    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    if (compressed)
        decodeBlocks(data + kHeaderEnd, size - kHeaderEnd, code, image);
    else
        decodeMasked(header, data + kHeaderEnd, size - kHeaderEnd, image);
    return image;
}

} // namespace Platform
