#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "platform/image/DdsDecoder.h"
#include "platform/image/ImageDecoder.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using Platform::Image;
using Platform::ImageError;

// Pixel-format flags of the file.
constexpr uint32_t kAlphaPixels = 0x1;
constexpr uint32_t kAlphaOnly = 0x2;
constexpr uint32_t kFourCc = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kLuminance = 0x20000;

struct Format
{
    uint32_t flags = 0;
    std::string fourCc = std::string(4, '\0');
    uint32_t bits = 0;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
};

Format compressed(const char* code)
{
    Format f;
    f.flags = kFourCc;
    f.fourCc = code;
    return f;
}

Format masked(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    Format f;
    f.flags = flags;
    f.bits = bits;
    f.masks[0] = r;
    f.masks[1] = g;
    f.masks[2] = b;
    f.masks[3] = a;
    return f;
}

void put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A DDS file: "DDS ", the 124-byte header and the pixel bytes. A pitch other than 0 is written
// with the header flag that says rows are that long.
std::string ddsFile(uint32_t width, uint32_t height, const Format& format, const std::string& pixels,
                    uint32_t pitch = 0)
{
    std::string out = "DDS ";
    put32(out, 124);
    put32(out, 0x1007 | (pitch ? 0x8 : 0)); // caps, height, width, pixel format (+ pitch)
    put32(out, height);
    put32(out, width);
    put32(out, pitch);
    put32(out, 0); // depth
    put32(out, 1); // mipmap levels
    out.append(44, '\0');
    put32(out, 32);
    put32(out, format.flags);
    out += format.fourCc;
    put32(out, format.bits);
    for (uint32_t mask : format.masks)
        put32(out, mask);
    put32(out, 0x1000); // a texture
    out.append(16, '\0');
    return out + pixels;
}

std::string le16(uint16_t v)
{
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string le32(uint32_t v)
{
    std::string out;
    put32(out, v);
    return out;
}

// The colour half of a block: end points and sixteen 2-bit indices.
std::string colourBlock(uint16_t c0, uint16_t c1, uint32_t indices)
{
    return le16(c0) + le16(c1) + le32(indices);
}

Image decode(const std::string& file)
{
    return Platform::decodeImage(reinterpret_cast<const uint8_t*>(file.data()), file.size());
}

uint32_t at(const Image& image, uint32_t x, uint32_t y)
{
    uint32_t argb = 0;
    std::memcpy(&argb, image.row(y) + static_cast<size_t>(x) * 4, 4);
    return argb;
}

std::string errorOf(const std::string& file)
{
    try
    {
        decode(file);
    }
    catch (const ImageError& e)
    {
        return e.what();
    }
    return "no error";
}

constexpr uint16_t kRed = 0xF800;
constexpr uint16_t kGreen = 0x07E0;
constexpr uint16_t kBlue = 0x001F;

} // namespace

TEST(DdsDecoder, Dxt1HasFourColoursOrThreeAndTransparentAndClipsTheEdgeBlocks)
{
    // 6 x 5 pixels: 2 x 2 blocks, the right and bottom ones cut by the picture's edge.
    // Every row of the first block uses indices 0, 1, 2, 3; the second block's rows 2, 3, 0, 0.
    const std::string blocks = colourBlock(kRed, kBlue, 0xE4E4E4E4) + colourBlock(kBlue, kRed, 0x0E0E0E0E) +
                               colourBlock(kGreen, kGreen, 0) + colourBlock(kGreen, kGreen, 0);
    const Image image = decode(ddsFile(6, 5, compressed("DXT1"), blocks));
    ASSERT_EQ(image.width, 6u);
    ASSERT_EQ(image.height, 5u);
    ASSERT_EQ(image.pixels.size(), 6u * 5u * 4u);
    for (uint32_t y = 0; y < 4; ++y)
    {
        // Red above blue: four colours, the two between them at thirds.
        EXPECT_EQ(at(image, 0, y), 0xFFFF0000u);
        EXPECT_EQ(at(image, 1, y), 0xFF0000FFu);
        EXPECT_EQ(at(image, 2, y), 0xFFAA0055u);
        EXPECT_EQ(at(image, 3, y), 0xFF5500AAu);
        // Blue not above red: the half-way colour and transparent black.
        EXPECT_EQ(at(image, 4, y), 0xFF7F007Fu);
        EXPECT_EQ(at(image, 5, y), 0x00000000u);
    }
    for (uint32_t x = 0; x < 6; ++x)
        EXPECT_EQ(at(image, x, 4), 0xFF00FF00u) << x;
    // Cut off inside the last block.
    EXPECT_EQ(errorOf(ddsFile(6, 5, compressed("DXT1"), blocks.substr(0, 31))),
              "DDS: the pixel data is cut off");
}

TEST(DdsDecoder, Dxt3HasFourBitAlphasAndAlwaysFourColours)
{
    // Pixel i has alpha i, two to a byte, the low nibble first.
    std::string alphas;
    for (int i = 0; i < 8; ++i)
        alphas.push_back(static_cast<char>((2 * i) | (2 * i + 1) << 4));
    // Blue not above red, which in DXT1 would make index 3 transparent.
    const Image image =
        decode(ddsFile(4, 4, compressed("DXT3"), alphas + colourBlock(kBlue, kRed, 0xFFFFFFFF)));
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(at(image, i % 4, i / 4), (i * 17) << 24 | 0xAA0055u) << i;
}

TEST(DdsDecoder, Dxt5InterpolatesEightAlphasOrSixWithTransparentAndOpaque)
{
    // Two blocks side by side, each pixel i using alpha index i mod 8.
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= static_cast<uint64_t>(i % 8) << (3 * i);
    std::string indices;
    for (int i = 0; i < 6; ++i)
        indices.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    const std::string white = colourBlock(0xFFFF, 0xFFFF, 0);
    const std::string blocks =
        std::string("\xFF\x00", 2) + indices + white + std::string("\x00\xFF", 2) + indices + white;
    const Image image = decode(ddsFile(8, 4, compressed("DXT5"), blocks));
    const uint32_t eight[8] = {255, 0, 218, 182, 145, 109, 72, 36};
    const uint32_t six[8] = {0, 255, 51, 102, 153, 204, 0, 255};
    for (uint32_t i = 0; i < 16; ++i)
    {
        EXPECT_EQ(at(image, i % 4, i / 4), eight[i % 8] << 24 | 0xFFFFFFu) << i;
        EXPECT_EQ(at(image, 4 + i % 4, i / 4), six[i % 8] << 24 | 0xFFFFFFu) << i;
    }
}

TEST(DdsDecoder, UncompressedPixelsFollowTheirChannelMasks)
{
    const Format argb = masked(kRgb | kAlphaPixels, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    Image image = decode(ddsFile(2, 1, argb, le32(0x80102030) + le32(0x00FFEEDD)));
    EXPECT_EQ(at(image, 0, 0), 0x80102030u);
    EXPECT_EQ(at(image, 1, 0), 0x00FFEEDDu);

    // Without the alpha flag the fourth byte is padding: opaque.
    const Format xrgb = masked(kRgb, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    EXPECT_EQ(at(decode(ddsFile(1, 1, xrgb, le32(0x00102030))), 0, 0), 0xFF102030u);

    // 24 bits, bytes blue, green, red.
    const Format rgb = masked(kRgb, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    EXPECT_EQ(at(decode(ddsFile(1, 1, rgb, "\x30\x20\x10")), 0, 0), 0xFF102030u);

    // 5-6-5 in rows padded to 8 bytes; channels scale to 0..255.
    const Format r5g6b5 = masked(kRgb, 16, 0xF800, 0x07E0, 0x001F, 0);
    const std::string rows =
        le16(kRed) + le16(kGreen) + le16(kBlue) + "--" + le16(0x8410) + le16(0) + le16(0xFFFF);
    image = decode(ddsFile(3, 2, r5g6b5, rows, 8));
    EXPECT_EQ(at(image, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(at(image, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(at(image, 2, 0), 0xFF0000FFu);
    EXPECT_EQ(at(image, 0, 1), 0xFF848284u);
    EXPECT_EQ(at(image, 2, 1), 0xFFFFFFFFu);

    // Luminance and alpha alone.
    EXPECT_EQ(at(decode(ddsFile(1, 1, masked(kLuminance, 8, 0xFF, 0, 0, 0), "\x40")), 0, 0), 0xFF404040u);
    EXPECT_EQ(at(decode(ddsFile(1, 1, masked(kAlphaOnly, 8, 0, 0, 0, 0xFF), "\x80")), 0, 0), 0x80000000u);
}

TEST(DdsDecoder, FormatsItCannotDecodeAreNamed)
{
    EXPECT_EQ(errorOf(ddsFile(4, 4, compressed("DXT2"), std::string(16, '\0'))),
              "DDS: the pixel format \"DXT2\" is not supported (DXT1, DXT3, DXT5 or uncompressed pixels)");
    EXPECT_EQ(errorOf(ddsFile(1, 1, masked(kRgb, 12, 0xF00, 0xF0, 0xF, 0), "\0\0")),
              "DDS: uncompressed pixels of 12 bits are not supported");
    EXPECT_EQ(errorOf(ddsFile(1, 1, masked(kRgb, 32, 0xFF, 0, 0, 0), "\0\0\0")),
              "DDS: the pixel data is cut off");
    std::string damaged = ddsFile(1, 1, compressed("DXT1"), std::string(8, '\0'));
    damaged[4] = 100;
    EXPECT_EQ(errorOf(damaged), "DDS: the header is damaged");
    EXPECT_THROW(decode(ddsFile(0, 4, compressed("DXT1"), "")), ImageError);
}

// A ".dds" texture loads through the resource manager like any other picture.
TEST(DdsDecoder, ADdsTextureLoadsThroughTheResourceManager)
{
    ::Test::RecordingFactory factory;
    ::Test::EngineFixture engine("Dds Test");
    engine.data("ui/gem.dds", ddsFile(4, 4, compressed("DXT1"), colourBlock(kRed, kBlue, 0x00000055)));
    Engine::cResourceManager& manager = engine.startResources();
    const auto texture = manager.getTexture("UI/Gem.dds");
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->getImageWidth(), 4);
    const auto device = texture->getDeviceTexture();
    ASSERT_TRUE(device);
    // Row 0 blue, the rest red.
    EXPECT_EQ(device->pixels()[3], 0xFF0000FFu);
    EXPECT_EQ(device->pixels()[4], 0xFFFF0000u);
}
