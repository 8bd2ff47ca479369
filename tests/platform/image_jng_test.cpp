#include "platform/image/ImageDecoder.h"
#include "platform/image/JngDecoder.h"
#include "platform/image/JpegCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
using Platform::Image;
using Platform::ImageError;

void appendBE32(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void appendChunk(Bytes& out, const char* type, const Bytes& data)
{
    appendBE32(out, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    appendBE32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

struct JngParts
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t colorType = 10;
    uint8_t alphaDepth = 0;
    uint8_t alphaCompression = 0;
    Bytes jpeg;
    Bytes zlibAlpha;
    Bytes jpegAlpha;
};

Bytes header(const JngParts& p)
{
    Bytes h;
    appendBE32(h, p.width);
    appendBE32(h, p.height);
    h.push_back(p.colorType);
    h.push_back(8); // sample depth
    h.push_back(8); // JPEG compression
    h.push_back(0); // sequential
    h.push_back(p.alphaDepth);
    h.push_back(p.alphaCompression);
    h.push_back(0); // filter
    h.push_back(0); // interlace
    return h;
}

// A JNG file; the colour and alpha data are each split over two chunks to check that chunks
// are joined.
Bytes makeJng(const JngParts& p)
{
    Bytes file = {0x8B, 'J', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    appendChunk(file, "JHDR", header(p));
    appendChunk(file, "tEXt", {'a', 0, 'b'});
    auto split = [&](const char* type, const Bytes& data)
    {
        if (data.empty())
            return;
        const size_t half = data.size() / 2;
        appendChunk(file, type, Bytes(data.begin(), data.begin() + static_cast<long>(half)));
        appendChunk(file, type, Bytes(data.begin() + static_cast<long>(half), data.end()));
    };
    split("JDAT", p.jpeg);
    split("IDAT", p.zlibAlpha);
    split("JDAA", p.jpegAlpha);
    appendChunk(file, "IEND", {});
    return file;
}

// Flat colour: JPEG keeps it within a step or two.
Bytes solidRgb(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b)
{
    Bytes rgb;
    for (uint32_t i = 0; i < width * height; ++i)
    {
        rgb.push_back(r);
        rgb.push_back(g);
        rgb.push_back(b);
    }
    return rgb;
}

uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    return static_cast<uint8_t>((pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c));
}

// 8-bit alpha rows, row y filtered with type y % 5, then deflated.
Bytes filteredAlpha(const std::vector<Bytes>& rows)
{
    Bytes raw;
    Bytes prev(rows[0].size(), 0);
    for (size_t y = 0; y < rows.size(); ++y)
    {
        const Bytes& row = rows[y];
        const uint8_t type = static_cast<uint8_t>(y % 5);
        raw.push_back(type);
        for (size_t i = 0; i < row.size(); ++i)
        {
            const int a = i > 0 ? row[i - 1] : 0;
            const int b = prev[i];
            const int c = i > 0 ? prev[i - 1] : 0;
            const int predictor[5] = {0, a, b, (a + b) / 2, paeth(a, b, c)};
            raw.push_back(static_cast<uint8_t>(row[i] - predictor[type]));
        }
        prev = row;
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

Bytes deflate(const Bytes& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

JngParts colourWithZlibAlpha()
{
    JngParts p;
    p.width = 8;
    p.height = 6;
    p.colorType = 14;
    p.alphaDepth = 8;
    p.jpeg = Platform::encodeJpeg(solidRgb(8, 6, 30, 140, 220).data(), 8, 6, 3, 95);
    std::vector<Bytes> rows;
    for (uint32_t y = 0; y < 6; ++y)
    {
        Bytes row;
        for (uint32_t x = 0; x < 8; ++x)
            row.push_back(static_cast<uint8_t>(x * 30 + y * 7));
        rows.push_back(row);
    }
    p.zlibAlpha = filteredAlpha(rows);
    return p;
}

TEST(ImageJng, ColourWithFilteredZlibAlpha)
{
    const Bytes file = makeJng(colourWithZlibAlpha());
    EXPECT_EQ(Platform::detectImageFormat(file.data(), file.size()), Platform::ImageFormat::Jng);
    const Image image = Platform::decodeImage(file.data(), file.size());
    ASSERT_EQ(image.width, 8u);
    ASSERT_EQ(image.height, 6u);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 8; ++x)
        {
            const uint8_t* p = image.row(y) + x * 4;
            EXPECT_EQ(p[3], x * 30 + y * 7) << x << "," << y;
            EXPECT_NEAR(p[2], 30, 3);
            EXPECT_NEAR(p[1], 140, 3);
            EXPECT_NEAR(p[0], 220, 3);
        }
}

TEST(ImageJng, OneBitAlphaAndGreyColour)
{
    JngParts p;
    p.width = 10;
    p.height = 2;
    p.colorType = 12;
    p.alphaDepth = 1;
    const Bytes grey(20, 100);
    p.jpeg = Platform::encodeJpeg(grey.data(), 10, 2, 1, 95);
    // Row 0: 1010101010 (+ padding bits), row 1: 0000000001; filter 0.
    p.zlibAlpha = deflate({0, 0xAA, 0x80, 0, 0x00, 0x40});
    const Bytes file = makeJng(p);
    const Image image = Platform::decodeImage(file.data(), file.size());
    for (uint32_t x = 0; x < 10; ++x)
    {
        EXPECT_EQ(image.row(0)[x * 4 + 3], x % 2 == 0 ? 255 : 0) << x;
        EXPECT_EQ(image.row(1)[x * 4 + 3], x == 9 ? 255 : 0) << x;
    }
    EXPECT_NEAR(image.row(1)[0], 100, 2);
    EXPECT_EQ(image.row(1)[0], image.row(1)[2]);
}

TEST(ImageJng, JpegAlphaAndNoAlpha)
{
    JngParts p;
    p.width = 16;
    p.height = 8;
    p.colorType = 14;
    p.alphaDepth = 8;
    p.alphaCompression = 8;
    p.jpeg = Platform::encodeJpeg(solidRgb(16, 8, 250, 10, 10).data(), 16, 8, 3, 95);
    const Bytes alpha(16 * 8, 180);
    p.jpegAlpha = Platform::encodeJpeg(alpha.data(), 16, 8, 1, 95);
    const Bytes file = makeJng(p);
    const Image image = Platform::decodeImage(file.data(), file.size());
    EXPECT_NEAR(image.row(3)[5 * 4 + 3], 180, 2);
    EXPECT_NEAR(image.row(3)[5 * 4 + 2], 250, 3);

    JngParts opaque = p;
    opaque.colorType = 10;
    opaque.alphaDepth = 0;
    opaque.alphaCompression = 0;
    opaque.jpegAlpha.clear();
    const Bytes plain = makeJng(opaque);
    EXPECT_EQ(Platform::decodeImage(plain.data(), plain.size()).row(7)[15 * 4 + 3], 255);
}

std::string errorOf(const Bytes& file)
{
    try
    {
        Platform::decodeJng(file.data(), file.size());
    }
    catch (const ImageError& e)
    {
        return e.what();
    }
    return "no error";
}

TEST(ImageJng, DamagedFilesGiveClearErrors)
{
    const JngParts good = colourWithZlibAlpha();
    const Bytes file = makeJng(good);

    for (size_t length = 0; length < file.size(); ++length)
    {
        const Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
        EXPECT_THROW(Platform::decodeImage(cut.data(), cut.size()), ImageError) << length;
    }

    Bytes badCrc = file;
    badCrc[8 + 8 + 16] ^= 1; // the JHDR's CRC
    EXPECT_EQ(errorOf(badCrc), "JNG: bad CRC in chunk JHDR");

    JngParts wrongSize = good;
    wrongSize.width = 9;
    EXPECT_EQ(errorOf(makeJng(wrongSize)), "JNG: the JPEG picture is 8 x 6, the header says 9 x 6");

    JngParts noAlpha = good;
    noAlpha.zlibAlpha.clear();
    EXPECT_EQ(errorOf(makeJng(noAlpha)), "JNG: no IDAT chunk for the alpha channel");

    JngParts shortAlpha = good;
    shortAlpha.zlibAlpha = deflate(Bytes(10, 0));
    EXPECT_EQ(errorOf(makeJng(shortAlpha)), "JNG: alpha data is truncated");

    JngParts badFilter = good;
    badFilter.zlibAlpha = deflate(Bytes(9 * 6, 7));
    EXPECT_EQ(errorOf(makeJng(badFilter)), "JNG: bad alpha row filter 7");

    JngParts stray = good;
    stray.colorType = 10;
    stray.alphaDepth = 0;
    EXPECT_EQ(errorOf(makeJng(stray)), "JNG: IDAT chunk in a file without zlib alpha");

    Bytes twelveBit = file;
    twelveBit[8 + 8 + 9] = 12;
    // Keep the CRC right so that the header itself is read.
    const uint32_t crc = static_cast<uint32_t>(crc32(0, twelveBit.data() + 12, 4 + 16));
    for (int i = 0; i < 4; ++i)
        twelveBit[8 + 8 + 16 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    EXPECT_EQ(errorOf(twelveBit), "JNG: 12-bit samples are not supported");

    JngParts noColour = good;
    noColour.jpeg.clear();
    EXPECT_EQ(errorOf(makeJng(noColour)), "JNG: no JDAT chunk");
}

} // namespace
