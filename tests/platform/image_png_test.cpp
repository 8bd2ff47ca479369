#include "platform/image/PngCodec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;
using Platform::Image;
using Platform::ImageError;

// A picture of noise laid out as libpng writes it: any colour type, depth and interlacing.
struct PngLayout
{
    const char* name;
    uint32_t width;
    uint32_t height;
    int colourType;
    int depth;
    int interlace;
};

void appendBytes(png_structp png, png_bytep data, png_size_t count)
{
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void flushNothing(png_structp) {}

// libpng leaves by longjmp on a failure: no object with a destructor lives here.
bool writeWithLibpng(png_structp png, png_infop info, const PngLayout& layout, png_const_colorp palette,
                     png_const_bytep alphas, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, layout.width, layout.height, layout.depth, layout.colourType, layout.interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (layout.colourType == PNG_COLOR_TYPE_PALETTE)
    {
        png_set_PLTE(png, info, palette, 1 << layout.depth);
        png_set_tRNS(png, info, alphas, 3, nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

Bytes writePng(const PngLayout& layout)
{
    const int channels = layout.colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : layout.colourType == PNG_COLOR_TYPE_RGB     ? 3
                         : layout.colourType == PNG_COLOR_TYPE_GA      ? 2
                                                                       : 1;
    const size_t rowBytes = (static_cast<size_t>(layout.width) * channels * layout.depth + 7) / 8;
    Bytes samples(rowBytes * layout.height);
    uint32_t state = layout.width * 7919u + layout.height;
    for (uint8_t& sample : samples)
    {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<uint8_t>(state >> 24);
    }
    std::vector<png_color> palette(256);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i),
                      static_cast<png_byte>(i * 11)};
    const png_byte alphas[3] = {0, 128, 200};
    std::vector<png_bytep> rows(layout.height);
    for (uint32_t y = 0; y < layout.height; ++y)
        rows[y] = samples.data() + y * rowBytes;

    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, appendBytes, flushNothing);
    EXPECT_TRUE(writeWithLibpng(png, info, layout, palette.data(), alphas, rows.data())) << layout.name;
    png_destroy_write_struct(&png, &info);
    return file;
}

// The top rows are those of the whole decode, for every colour type and depth; an interlaced
// picture's top rows are whole only after its last pass, so it is decoded whole.
TEST(ImagePng, TheTopRowsAreThoseOfTheWholePicture)
{
    const PngLayout layouts[] = {
        {"RGBA", 7, 9, PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE},
        {"RGB 16-bit", 5, 6, PNG_COLOR_TYPE_RGB, 16, PNG_INTERLACE_NONE},
        {"palette 4-bit", 6, 7, PNG_COLOR_TYPE_PALETTE, 4, PNG_INTERLACE_NONE},
        {"grey 2-bit", 9, 5, PNG_COLOR_TYPE_GRAY, 2, PNG_INTERLACE_NONE},
        {"grey and alpha", 3, 4, PNG_COLOR_TYPE_GA, 8, PNG_INTERLACE_NONE},
        {"interlaced RGBA", 8, 10, PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_ADAM7},
    };
    for (const PngLayout& layout : layouts)
    {
        const Bytes file = writePng(layout);
        const Image whole = Platform::decodePng(file.data(), file.size());
        ASSERT_EQ(whole.height, layout.height) << layout.name;
        for (const uint32_t rows :
             {0u, 1u, 3u, layout.height - 1, layout.height, layout.height + 5, UINT32_MAX})
        {
            const Image top = Platform::decodePngTop(file.data(), file.size(), rows);
            const uint32_t expected = layout.interlace ? layout.height : std::min(rows, layout.height);
            EXPECT_EQ(top.width, whole.width) << layout.name << ", " << rows << " rows";
            ASSERT_EQ(top.height, expected) << layout.name << ", " << rows << " rows";
            EXPECT_TRUE(std::equal(top.pixels.begin(), top.pixels.end(), whole.pixels.begin()))
                << layout.name << ", " << rows << " rows";
            EXPECT_EQ(top.pixels.size(), static_cast<size_t>(whole.width) * expected * 4) << layout.name;
        }
    }

    // The top rows of a file cut in its pixels decode; the whole picture is refused.
    const Bytes tall = writePng({"tall RGBA", 128, 128, PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE});
    const Bytes cut(tall.begin(), tall.begin() + static_cast<long>(tall.size() / 2));
    EXPECT_THROW(Platform::decodePng(cut.data(), cut.size()), ImageError);
    const Image top = Platform::decodePngTop(cut.data(), cut.size(), 4);
    ASSERT_EQ(top.height, 4u);
    const Image whole = Platform::decodePng(tall.data(), tall.size());
    EXPECT_TRUE(std::equal(top.pixels.begin(), top.pixels.end(), whole.pixels.begin()));
}

Bytes chunk(const char* type, const Bytes& data, uint32_t length)
{
    Bytes out;
    const auto put32 = [&out](uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<uint8_t>(value >> shift));
    };
    put32(length);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(type[i]));
    out.insert(out.end(), data.begin(), data.end());
    put32(static_cast<uint32_t>(crc32(0, out.data() + 4, static_cast<uInt>(data.size() + 4))));
    return out;
}

// The highest resident memory of the process so far, in KiB.
long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of a few hundred bytes whose text chunk claims about 2 GB is refused for the bytes it
// lacks, without memory for the claim: a claim is never taken at its word, whether before the
// pixels or after them.
TEST(ImagePng, AChunkClaimingGigabytesIsRefusedWithoutMemoryForTheClaim)
{
    const Bytes header = writePng({"RGBA", 4, 4, PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE});
    const Bytes beforePixels(header.begin(), header.begin() + 8 + 25);
    const Bytes afterPixels(header.begin(), header.end() - 12);
    for (const char* type : {"tEXt", "zTXt", "iTXt"})
        for (const uint32_t claim : {1845493797u, 2147483647u})
            for (const Bytes* start : {&beforePixels, &afterPixels})
            {
                const std::string row = std::string(type) + " claiming " + std::to_string(claim) +
                                        (start == &beforePixels ? " before" : " after") + " the pixels";
                Bytes file = *start;
                Bytes words(1000, 'x');
                std::copy_n("Comment", 8, words.begin());
                const Bytes text = chunk(type, words, claim);
                file.insert(file.end(), text.begin(), text.end());
                file.resize(522);

                // The process's peak resident memory may rise by what a small picture needs.
                constexpr long AllowedKiB = 64 * 1024;
                long peak = peakKiB();
                if (start == &beforePixels)
                    EXPECT_THROW(Platform::decodePngTop(file.data(), file.size(), 2), ImageError) << row;
                else
                    EXPECT_EQ(Platform::decodePngTop(file.data(), file.size(), 2).height, 2u) << row;
                EXPECT_LT(peakKiB() - peak, AllowedKiB) << row << ": KiB for the top rows";
                peak = peakKiB();
                try
                {
                    Platform::decodePng(file.data(), file.size());
                    ADD_FAILURE() << row << " was decoded";
                }
                catch (const ImageError& e)
                {
                    EXPECT_STREQ(e.what(), "PNG: unexpected end of data") << row;
                }
                EXPECT_LT(peakKiB() - peak, AllowedKiB) << row << ": KiB for the whole picture";
            }
}

} // namespace
