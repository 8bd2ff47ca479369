#include "platform/image/BmpDecoder.h"
#include "platform/image/ByteOrder.h"
#include "platform/image/ImageDecoder.h"
#include "platform/image/JpegCodec.h"
#include "platform/image/PngCodec.h"
#include "platform/image/TgaDecoder.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
using Platform::Image;
using Platform::ImageError;

void put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(Bytes& b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// The pixel (x, y) as 0xAARRGGBB.
uint32_t pixel(const Image& image, uint32_t x, uint32_t y)
{
    const uint8_t* p = image.row(y) + x * 4;
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[0];
}

Image makeImage(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb)
{
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(argb.size() * 4);
    for (size_t i = 0; i < argb.size(); ++i)
    {
        image.pixels[i * 4] = static_cast<uint8_t>(argb[i]);
        image.pixels[i * 4 + 1] = static_cast<uint8_t>(argb[i] >> 8);
        image.pixels[i * 4 + 2] = static_cast<uint8_t>(argb[i] >> 16);
        image.pixels[i * 4 + 3] = static_cast<uint8_t>(argb[i] >> 24);
    }
    return image;
}

// Every prefix of a valid file fails with a clear error (and never reads past the bytes: the
// copy is exactly as long as the prefix, so the address sanitizer would see any overrun).
void expectEveryTruncationFails(const Bytes& file)
{
    for (size_t length = 0; length < file.size(); ++length)
    {
        const Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
        EXPECT_THROW(Platform::decodeImage(cut.data(), cut.size()), ImageError) << "length " << length;
    }
}

// Flipped bytes either decode or give an ImageError; nothing else may happen.
void expectCorruptionIsHandled(const Bytes& file)
{
    uint32_t state = 12345;
    auto next = [&state]
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 300; ++round)
    {
        Bytes copy = file;
        for (int k = 0; k < 3; ++k)
            copy[next() % copy.size()] ^= static_cast<uint8_t>(1 + next() % 255);
        try
        {
            const Image image = Platform::decodeImage(copy.data(), copy.size());
            EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 4);
        }
        catch (const ImageError&)
        {
        }
    }
}

// libpng's own writer for the colour types our encoder does not produce.
Bytes writePngWithLibpng(uint32_t width, uint32_t height, uint32_t format, const Bytes& samples)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, samples.data(), 0, nullptr));
    out.resize(size);
    return out;
}

// A PNG file's chunks: where each one's data starts, its length and its type.
struct PngChunk
{
    size_t data = 0;
    size_t length = 0;
    std::string type;
};

std::vector<PngChunk> chunksOf(const Bytes& file)
{
    std::vector<PngChunk> chunks;
    for (size_t at = 8; at + 12 <= file.size();)
    {
        PngChunk chunk;
        chunk.length = Platform::readBE32(file.data() + at);
        chunk.type.assign(file.begin() + static_cast<long>(at) + 4, file.begin() + static_cast<long>(at) + 8);
        chunk.data = at + 8;
        chunks.push_back(chunk);
        at += 12 + chunk.length;
    }
    return chunks;
}

// Writes the CRC-32 of a chunk's type and data after its data.
void sealChunk(Bytes& file, const PngChunk& chunk)
{
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, file.data() + chunk.data - 4, static_cast<uInt>(chunk.length + 4)));
    for (size_t i = 0; i < 4; ++i)
        file[chunk.data + chunk.length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
}

TEST(ImagePng, RoundTripKeepsEveryChannel)
{
    const Image source =
        makeImage(3, 2, {0xFF102030, 0x80FFFFFF, 0x00000000, 0x7F0000FF, 0xFF00FF00, 0x01020304});
    const Bytes file = Platform::encodePng(source);
    EXPECT_EQ(Platform::detectImageFormat(file.data(), file.size()), Platform::ImageFormat::Png);
    const Image decoded = Platform::decodeImage(file.data(), file.size());
    ASSERT_EQ(decoded.width, 3u);
    ASSERT_EQ(decoded.height, 2u);
    EXPECT_EQ(decoded.pixels, source.pixels);
}

// The writer leaves every row unfiltered, so that the game's pictures decode without undoing a
// filter: checked on a gradient, where libpng's own choice would filter every row.
TEST(ImagePng, TheWriterLeavesEveryRowUnfiltered)
{
    constexpr uint32_t Width = 40;
    constexpr uint32_t Height = 24;
    std::vector<uint32_t> gradient;
    for (uint32_t y = 0; y < Height; ++y)
        for (uint32_t x = 0; x < Width; ++x)
            gradient.push_back(0xFF000000u | (x * 6) << 16 | (y * 10) << 8 | ((x + y) * 4));
    const Image source = makeImage(Width, Height, gradient);
    const Bytes file = Platform::encodePng(source);
    Bytes compressed;
    for (const PngChunk& chunk : chunksOf(file))
        if (chunk.type == "IDAT")
            compressed.insert(compressed.end(), file.begin() + static_cast<long>(chunk.data),
                              file.begin() + static_cast<long>(chunk.data + chunk.length));
    Bytes rows(Height * (1 + Width * 4));
    uLongf size = static_cast<uLongf>(rows.size());
    ASSERT_EQ(uncompress(rows.data(), &size, compressed.data(), static_cast<uLong>(compressed.size())), Z_OK);
    ASSERT_EQ(size, rows.size());
    for (uint32_t y = 0; y < Height; ++y)
        EXPECT_EQ(rows[y * (1 + Width * 4)], 0) << "row " << y;
    EXPECT_EQ(Platform::decodePng(file.data(), file.size()).pixels, source.pixels);
}

// The compressed pixels are guarded by their chunk's CRC-32, which is always checked. The zlib
// stream's Adler-32 over the same bytes is not read again.
TEST(ImagePng, DamagedPixelsAreFoundByTheirChunkChecksum)
{
    std::vector<uint32_t> gradient;
    for (uint32_t i = 0; i < 16 * 8; ++i)
        gradient.push_back(0xFF000000u | i * 0x010203u);
    const Image source = makeImage(16, 8, gradient);
    const Bytes file = Platform::encodePng(source);
    const std::vector<PngChunk> chunks = chunksOf(file);
    const auto idat =
        std::find_if(chunks.begin(), chunks.end(), [](const PngChunk& c) { return c.type == "IDAT"; });
    ASSERT_NE(idat, chunks.end());

    Bytes damaged = file;
    damaged[idat->data + idat->length / 2] ^= 0x40;
    try
    {
        Platform::decodePng(damaged.data(), damaged.size());
        FAIL() << "damaged pixels were decoded";
    }
    catch (const ImageError& e)
    {
        EXPECT_NE(std::string(e.what()).find("CRC"), std::string::npos) << e.what();
    }

    // Only the stream's own checksum (its last four bytes) differs, under a valid chunk CRC.
    Bytes restamped = file;
    restamped[idat->data + idat->length - 1] ^= 0x5A;
    sealChunk(restamped, *idat);
    EXPECT_EQ(Platform::decodePng(restamped.data(), restamped.size()).pixels, source.pixels);
}

TEST(ImagePng, GreyAndRgbFilesAreOpaque)
{
    const Bytes grey = writePngWithLibpng(2, 1, PNG_FORMAT_GRAY, {0x00, 0x80});
    const Image g = Platform::decodePng(grey.data(), grey.size());
    EXPECT_EQ(pixel(g, 0, 0), 0xFF000000u);
    EXPECT_EQ(pixel(g, 1, 0), 0xFF808080u);

    const Bytes rgb = writePngWithLibpng(1, 2, PNG_FORMAT_RGB, {0x11, 0x22, 0x33, 0xAA, 0xBB, 0xCC});
    const Image c = Platform::decodePng(rgb.data(), rgb.size());
    EXPECT_EQ(pixel(c, 0, 0), 0xFF112233u);
    EXPECT_EQ(pixel(c, 0, 1), 0xFFAABBCCu);

    const Bytes greyAlpha = writePngWithLibpng(1, 1, PNG_FORMAT_GA, {0x40, 0x90});
    EXPECT_EQ(pixel(Platform::decodePng(greyAlpha.data(), greyAlpha.size()), 0, 0), 0x90404040u);
}

TEST(ImagePng, TruncatedOrCorruptFilesFail)
{
    const Image source = makeImage(4, 4, std::vector<uint32_t>(16, 0xFF336699));
    const Bytes file = Platform::encodePng(source);
    expectEveryTruncationFails(file);
    expectCorruptionIsHandled(file);
    try
    {
        const Bytes cut(file.begin(), file.begin() + 40);
        Platform::decodeImage(cut.data(), cut.size());
        FAIL();
    }
    catch (const ImageError& e)
    {
        EXPECT_EQ(std::string(e.what()).rfind("PNG: ", 0), 0u) << e.what();
    }
}

TEST(ImagePng, HeaderBeyondTheLimitsIsRefusedBeforeDecoding)
{
    const Bytes file = Platform::encodePng(makeImage(64, 2, std::vector<uint32_t>(128, 0xFFFFFFFF)));
    Platform::ImageLimits limits;
    limits.maxSide = 32;
    EXPECT_THROW(Platform::decodeImage(file.data(), file.size(), limits), ImageError);
    limits.maxSide = 64;
    limits.maxPixels = 100;
    EXPECT_THROW(Platform::decodeImage(file.data(), file.size(), limits), ImageError);
}

TEST(ImageJpeg, EncodeDecodeKeepsColoursClose)
{
    // Flat 16 x 16 blocks survive JPEG almost exactly.
    Bytes rgb(32 * 16 * 3);
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 32; ++x)
        {
            uint8_t* p = rgb.data() + (y * 32 + x) * 3;
            p[0] = x < 16 ? 200 : 20;
            p[1] = x < 16 ? 40 : 160;
            p[2] = x < 16 ? 30 : 220;
        }
    const Bytes file = Platform::encodeJpeg(rgb.data(), 32, 16, 3, 95);
    EXPECT_EQ(Platform::detectImageFormat(file.data(), file.size()), Platform::ImageFormat::Jpeg);
    const Image image = Platform::decodeImage(file.data(), file.size());
    ASSERT_EQ(image.width, 32u);
    ASSERT_EQ(image.height, 16u);
    const uint8_t* left = image.row(8) + 4 * 4;
    EXPECT_NEAR(left[2], 200, 4);
    EXPECT_NEAR(left[1], 40, 4);
    EXPECT_NEAR(left[0], 30, 4);
    EXPECT_EQ(left[3], 255);
    const uint8_t* right = image.row(8) + 28 * 4;
    EXPECT_NEAR(right[2], 20, 4);
    EXPECT_NEAR(right[1], 160, 4);
    EXPECT_NEAR(right[0], 220, 4);
}

TEST(ImageJpeg, TruncatedOrCorruptStreamsFailInsteadOfTurningGrey)
{
    Bytes rgb(16 * 16 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<uint8_t>(i * 7);
    const Bytes file = Platform::encodeJpeg(rgb.data(), 16, 16, 3, 80);
    expectEveryTruncationFails(file);
    expectCorruptionIsHandled(file);
}

// A texture's buffer may be larger than its picture (a device that wants power-of-two sides)
// or smaller (the picture is cut): the picture lands in the top-left corner, the rest is
// transparent black, for PNG and JPEG alike.
TEST(ImageInto, PicturesLandInTheCornerOfLargerOrSmallerBuffers)
{
    Bytes rgb(24 * 8 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3)
    {
        rgb[i] = 200;
        rgb[i + 1] = 100;
        rgb[i + 2] = 50;
    }
    const Bytes jpeg = Platform::encodeJpeg(rgb.data(), 24, 8, 3, 95);
    const Bytes png = Platform::encodePng(makeImage(24, 8, std::vector<uint32_t>(24 * 8, 0x80C86432u)));
    for (const Bytes* file : {&jpeg, &png})
    {
        const Image whole = Platform::decodeImage(file->data(), file->size());
        for (const uint32_t side : {32u, 16u})
        {
            std::vector<uint32_t> buffer(side * side, 0xDEADBEEFu);
            uint32_t width = 0;
            uint32_t height = 0;
            Platform::decodeImageInto(file->data(), file->size(), buffer.data(), side, side, width, height);
            EXPECT_EQ(width, 24u);
            EXPECT_EQ(height, 8u);
            for (uint32_t y = 0; y < side; ++y)
                for (uint32_t x = 0; x < side; ++x)
                {
                    const uint32_t expected = (x < 24 && y < 8) ? pixel(whole, x, y) : 0u;
                    ASSERT_EQ(buffer[y * side + x], expected) << "side " << side << " at " << x << "," << y;
                }
        }
        Bytes damaged(*file);
        damaged.resize(damaged.size() / 2);
        std::vector<uint32_t> buffer(32 * 32);
        uint32_t width = 0;
        uint32_t height = 0;
        EXPECT_THROW(
            Platform::decodeImageInto(damaged.data(), damaged.size(), buffer.data(), 32, 32, width, height),
            ImageError);
    }
}

TEST(ImageJpeg, WriterReportsBadInputAndUnwritablePaths)
{
    const Bytes rgb(3 * 4, 0x80);
    std::string error;
    EXPECT_FALSE(Platform::writeJpeg("/nonexistent-folder/x.jpg", rgb.data(), 2, 2, 80, error));
    EXPECT_EQ(error, "Cannot open /nonexistent-folder/x.jpg");
    EXPECT_FALSE(Platform::writeJpeg("/tmp/never.jpg", rgb.data(), 2, 2, 101, error));
    EXPECT_EQ(error, "Invalid input data");
}

// A bitmap file: 14-byte file header, 40-byte info header, optional palette, then rows.
Bytes makeBmp(int32_t width, int32_t height, uint16_t bits, const Bytes& palette, const Bytes& rows)
{
    const uint32_t offset = 54 + static_cast<uint32_t>(palette.size());
    Bytes b(offset);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, offset + static_cast<uint32_t>(rows.size()));
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 46, static_cast<uint32_t>(palette.size() / 4));
    std::copy(palette.begin(), palette.end(), b.begin() + 54);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

TEST(ImageBmp, TwentyFourBitBottomUpRowsArePadded)
{
    // 3 x 2: rows of 9 bytes padded to 12, the bottom row first.
    const Bytes rows = {
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0, 0, 0, // bottom row (y = 1)
        0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0, 0, 0, // top row (y = 0)
    };
    const Bytes file = makeBmp(3, 2, 24, {}, rows);
    EXPECT_EQ(Platform::detectImageFormat(file.data(), file.size()), Platform::ImageFormat::Bmp);
    const Image image = Platform::decodeImage(file.data(), file.size());
    ASSERT_EQ(image.width, 3u);
    ASSERT_EQ(image.height, 2u);
    EXPECT_EQ(pixel(image, 0, 0), 0xFF131211u);
    EXPECT_EQ(pixel(image, 2, 0), 0xFF191817u);
    EXPECT_EQ(pixel(image, 0, 1), 0xFF030201u);
    expectEveryTruncationFails(file);
    expectCorruptionIsHandled(file);
}

TEST(ImageBmp, ThirtyTwoBitTopDownKeepsAlphaUnlessAllZero)
{
    const Bytes withAlpha = makeBmp(2, -1, 32, {}, {1, 2, 3, 0x80, 4, 5, 6, 0});
    const Image a = Platform::decodeImage(withAlpha.data(), withAlpha.size());
    EXPECT_EQ(pixel(a, 0, 0), 0x80030201u);
    EXPECT_EQ(pixel(a, 1, 0), 0x00060504u);

    const Bytes padding = makeBmp(1, -2, 32, {}, {1, 2, 3, 0, 4, 5, 6, 0});
    const Image p = Platform::decodeImage(padding.data(), padding.size());
    EXPECT_EQ(pixel(p, 0, 0), 0xFF030201u);
    EXPECT_EQ(pixel(p, 0, 1), 0xFF060504u);
}

TEST(ImageBmp, PaletteIndicesAreChecked)
{
    const Bytes palette = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
    const Bytes good = makeBmp(2, 1, 8, palette, {1, 0, 0, 0});
    const Image image = Platform::decodeImage(good.data(), good.size());
    EXPECT_EQ(pixel(image, 0, 0), 0xFF605040u);
    EXPECT_EQ(pixel(image, 1, 0), 0xFF302010u);

    const Bytes bad = makeBmp(2, 1, 8, palette, {2, 0, 0, 0});
    EXPECT_THROW(Platform::decodeImage(bad.data(), bad.size()), ImageError);
    const Bytes rle = [&]
    {
        Bytes b = makeBmp(2, 1, 8, palette, {1, 0, 0, 0});
        put32(b, 30, 1);
        return b;
    }();
    EXPECT_THROW(Platform::decodeImage(rle.data(), rle.size()), ImageError);
}

Bytes makeTga(uint8_t type, uint16_t width, uint16_t height, uint8_t depth, uint8_t descriptor,
              const Bytes& data)
{
    Bytes b(18 + data.size(), 0);
    b[2] = type;
    put16(b, 12, width);
    put16(b, 14, height);
    b[16] = depth;
    b[17] = descriptor;
    std::copy(data.begin(), data.end(), b.begin() + 18);
    return b;
}

TEST(ImageTga, UncompressedRowsFollowTheOriginBits)
{
    // 2 x 2, 24 bits, bottom-left origin: the first row in the file is the bottom one.
    const Bytes data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const Bytes bottomUp = makeTga(2, 2, 2, 24, 0x00, data);
    EXPECT_EQ(Platform::detectImageFormat(bottomUp.data(), bottomUp.size()), Platform::ImageFormat::Tga);
    const Image a = Platform::decodeImage(bottomUp.data(), bottomUp.size());
    EXPECT_EQ(pixel(a, 0, 1), 0xFF030201u);
    EXPECT_EQ(pixel(a, 1, 0), 0xFF0C0B0Au);

    const Bytes topDown = makeTga(2, 2, 2, 24, 0x20, data);
    const Image b = Platform::decodeImage(topDown.data(), topDown.size());
    EXPECT_EQ(pixel(b, 0, 0), 0xFF030201u);
    EXPECT_EQ(pixel(b, 1, 1), 0xFF0C0B0Au);

    const Bytes mirrored = makeTga(2, 2, 2, 24, 0x30, data);
    const Image c = Platform::decodeImage(mirrored.data(), mirrored.size());
    EXPECT_EQ(pixel(c, 1, 0), 0xFF030201u);
    expectEveryTruncationFails(bottomUp);
}

TEST(ImageTga, RunLengthPacketsMayCrossRowsButNotTheEnd)
{
    // 3 x 2, 32 bits, top-left origin: a run of 4 then 2 raw pixels.
    const Bytes data = {0x83, 1, 2, 3, 0x40, 0x01, 5, 6, 7, 0xFF, 9, 10, 11, 0x00};
    const Bytes file = makeTga(10, 3, 2, 32, 0x28, data);
    const Image image = Platform::decodeImage(file.data(), file.size());
    EXPECT_EQ(pixel(image, 0, 0), 0x40030201u);
    EXPECT_EQ(pixel(image, 0, 1), 0x40030201u);
    EXPECT_EQ(pixel(image, 1, 1), 0xFF070605u);
    EXPECT_EQ(pixel(image, 2, 1), 0x000B0A09u);
    expectEveryTruncationFails(file);
    expectCorruptionIsHandled(file);

    const Bytes overrun = makeTga(10, 3, 2, 32, 0x28, {0x86, 1, 2, 3, 4});
    EXPECT_THROW(Platform::decodeImage(overrun.data(), overrun.size()), ImageError);
}

TEST(ImageFormats, UnknownAndUnsupportedDataIsRefused)
{
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_THROW(Platform::decodeImage(text.data(), text.size()), ImageError);
    EXPECT_THROW(Platform::decodeImage(text.data(), 0), ImageError);
    Bytes dds = {'D', 'D', 'S', ' ', 0, 0, 0, 0};
    EXPECT_THROW(Platform::decodeImage(dds.data(), dds.size()), ImageError);
    // A file of exactly 48 bytes is never taken for PVR; 49 with "PVR!" at 44 is.
    Bytes pvr(48, 0);
    std::copy_n("PVR!", 4, pvr.begin() + 44);
    EXPECT_FALSE(Platform::hasPvrSignature(pvr.data(), pvr.size()));
    pvr.push_back(0);
    EXPECT_TRUE(Platform::hasPvrSignature(pvr.data(), pvr.size()));
    EXPECT_EQ(Platform::detectImageFormat(pvr.data(), pvr.size()), Platform::ImageFormat::Pvr);
    // Fewer than four bytes never match a signature.
    const Bytes three = {0x89, 'P', 'N'};
    EXPECT_FALSE(Platform::hasJngOrPngSignature(three.data(), three.size()));
}

} // namespace
