#include "engine/devices/cFont.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "engine/devices/cFontScaled.h"
#include "platform/image/ImageDecoder.h"
#include "platform/text/FontAtlas.h"
#include "platform/text/FontRaster.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/TempDir.h"

#include <boost/make_shared.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using Engine::cFont;
using Engine::sGlyph;
using Bytes = std::vector<char>;

struct Range
{
    uint16_t first;
    uint16_t last;
    uint16_t glyph;
};

void put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<char>(v >> (8 * i)));
}

void put16(Bytes& b, uint16_t v)
{
    b.push_back(static_cast<char>(v));
    b.push_back(static_cast<char>(v >> 8));
}

void putFloat(Bytes& b, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(b, bits);
}

// A font file; glyph i has left = i, top = 2i, right = 3i, bottom = 4i and advance = 5i.
Bytes makeFont(const std::vector<Range>& ranges, uint32_t glyphs)
{
    Bytes b;
    put32(b, 0x666F6E74);
    put32(b, static_cast<uint32_t>(ranges.size()));
    for (const Range& r : ranges)
    {
        put16(b, r.first);
        put16(b, r.last);
        put16(b, r.glyph);
    }
    put32(b, glyphs);
    for (uint32_t i = 0; i < glyphs; ++i)
        for (int k = 1; k <= 5; ++k)
            putFloat(b, static_cast<float>(i * static_cast<uint32_t>(k)));
    return b;
}

std::string loadError(const Bytes& bytes)
{
    try
    {
        cFont font("fonts/test.fnt", bytes);
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(Engine::getErrorString(), text);
        return text;
    }
    return "no error";
}

TEST(Font, GlyphLookupThroughRanges)
{
    const cFont font("fonts/test.fnt", makeFont({{32, 126, 0}, {1040, 1103, 95}}, 159));
    EXPECT_EQ(font.getType(), Engine::eResourceType::Font);
    sGlyph glyph;
    ASSERT_TRUE(font.getGlyph(65, glyph));
    EXPECT_EQ(glyph.left, 33.0f);
    EXPECT_EQ(glyph.advance, 165.0f);
    ASSERT_TRUE(font.getGlyph(1040, glyph));
    EXPECT_EQ(glyph.left, 95.0f);
    ASSERT_TRUE(font.getGlyph(1103, glyph));
    EXPECT_EQ(glyph.left, 158.0f);
    EXPECT_FALSE(font.getGlyph(200, glyph));
    EXPECT_FALSE(font.getGlyph(31, glyph));
    EXPECT_FALSE(font.getGlyph(1104, glyph));
    // Codes beyond the 16-bit units never alias a glyph.
    EXPECT_FALSE(font.getGlyph(static_cast<wchar_t>(0x10041), glyph));
    EXPECT_FALSE(font.getGlyph(static_cast<wchar_t>(-1), glyph));
}

TEST(Font, LaterRangeWithTheSameLastCodeReplacesTheEarlier)
{
    const cFont font("fonts/test.fnt", makeFont({{60, 70, 0}, {65, 70, 20}}, 30));
    EXPECT_EQ(font.getRangeCount(), 1u);
    sGlyph glyph;
    EXPECT_FALSE(font.getGlyph(60, glyph));
    ASSERT_TRUE(font.getGlyph(66, glyph));
    EXPECT_EQ(glyph.left, 21.0f);
}

TEST(Font, BadFilesNameTheFile)
{
    // The tag's bytes are 74 6E 6F 66; "font" in reading order is not a font.
    EXPECT_EQ(loadError({'f', 'o', 'n', 't', 0, 0, 0, 0, 0, 0, 0, 0}),
              "Specified resourse (fonts/test.fnt) is not font.");
    EXPECT_EQ(loadError({}), "Specified resourse (fonts/test.fnt) is not font.");

    const Bytes good = makeFont({{32, 126, 0}}, 95);
    for (size_t length = 4; length < good.size(); length += 7)
        EXPECT_EQ(loadError(Bytes(good.begin(), good.begin() + static_cast<long>(length))),
                  "Font (fonts/test.fnt) is damaged: unexpected end of source.")
            << length;
    // Counts that promise more than the file holds are refused before anything is allocated.
    Bytes huge = makeFont({}, 0);
    huge[8] = huge[9] = huge[10] = huge[11] = static_cast<char>(0xFF);
    EXPECT_EQ(loadError(huge), "Font (fonts/test.fnt) is damaged: unexpected end of source.");

    EXPECT_EQ(loadError(makeFont({{32, 126, 1}}, 95)),
              "Font (fonts/test.fnt) is damaged: range 0 reaches past the 95 glyphs.");
    EXPECT_EQ(loadError(makeFont({{50, 40, 0}}, 95)),
              "Font (fonts/test.fnt) is damaged: range 0 ends before it starts.");
}

TEST(Font, BakedAtlasRoundTrip)
{
    const Platform::FontRaster raster(Platform::FontRaster::defaultFontPath(), 16);
    // "A" to "C", "x" and Cyrillic "А": three runs of consecutive codes, three ranges. Codes beyond
    // 16 bits cannot be stored and are left out.
    const std::vector<char32_t> codes = {'A', 'B', 'C', 'x', 0x410, 0x1F600};
    const Platform::FontAtlas atlas = Platform::bakeFontAtlas(raster, codes);
    const Bytes file = cFont::encodeAtlas(atlas);
    const cFont font("fonts/baked.fnt", file);
    EXPECT_EQ(font.getRangeCount(), 3u);
    EXPECT_EQ(font.getGlyphCount(), 5u);

    const float w = static_cast<float>(atlas.image.width);
    const float h = static_cast<float>(atlas.image.height);
    for (const Platform::AtlasGlyph& cell : atlas.glyphs)
    {
        if (cell.code > 0xFFFF)
            continue;
        sGlyph glyph;
        ASSERT_TRUE(font.getGlyph(static_cast<wchar_t>(cell.code), glyph));
        // The file keeps fractions of the picture's sides: back in pixels they are the cells'
        // edges to far less than a pixel (a side need not be a power of two).
        constexpr float near = 1.0f / 1024.0f;
        EXPECT_NEAR(glyph.left * w, static_cast<float>(cell.x), near);
        EXPECT_NEAR(glyph.right * w, static_cast<float>(cell.x + cell.width), near);
        // Measured from the bottom: top above bottom, the height is top - bottom.
        EXPECT_GT(glyph.top, glyph.bottom);
        EXPECT_NEAR((1.0f - glyph.top) * h, static_cast<float>(cell.y), near);
        EXPECT_NEAR((glyph.top - glyph.bottom) * h, static_cast<float>(atlas.cellHeight), near);
        EXPECT_NEAR(glyph.advance * w, static_cast<float>(cell.advance), near);
    }
    sGlyph none;
    EXPECT_FALSE(font.getGlyph('D', none));
}

TEST(Font, ShippedFontLoads)
{
    const std::string path = std::string(QUILL_SOURCE_DIR) + "/data/fonts/default.fnt";
    const std::string bytes = ::Test::readFile(path);
    ASSERT_FALSE(bytes.empty()) << path;
    const cFont font("fonts/default.fnt", Bytes(bytes.begin(), bytes.end()));
    sGlyph glyph;
    for (wchar_t c = 32; c < 127; ++c)
        EXPECT_TRUE(font.getGlyph(c, glyph)) << static_cast<int>(c);
    EXPECT_TRUE(font.getGlyph(0xE9, glyph));   // é
    EXPECT_TRUE(font.getGlyph(0x416, glyph));  // Ж
    EXPECT_TRUE(font.getGlyph(0x20AC, glyph)); // €
    EXPECT_FALSE(font.getGlyph(0x4E00, glyph));
}

// A font of one range from code 65 ('A') whose glyphs are `glyphs`.
Bytes fontOf(const std::vector<sGlyph>& glyphs)
{
    Bytes b;
    put32(b, 0x666F6E74);
    put32(b, 1);
    put16(b, 65);
    put16(b, static_cast<uint16_t>(65 + glyphs.size() - 1));
    put16(b, 0);
    put32(b, static_cast<uint32_t>(glyphs.size()));
    for (const sGlyph& glyph : glyphs)
        for (const float value : {glyph.left, glyph.top, glyph.right, glyph.bottom, glyph.advance})
            putFloat(b, value);
    return b;
}

TEST(Font, APictureThatDoesNotHoldEveryGlyphMakesTheFontDamaged)
{
    // The game's 24-pixel font and the size of its own picture, read from its header.
    const std::string shipped = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/sans24.fnt");
    const std::string picture = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/sans24.png");
    uint32_t width = 0;
    uint32_t height = 0;
    Platform::readImageSize(reinterpret_cast<const uint8_t*>(picture.data()), picture.size(), width, height);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    // A glyph 8 x 16 texels of a 64 x 64 picture, one of no size (a space), one that reaches
    // past the picture's right edge, one that is no number.
    const sGlyph letter{0.5f, 0.75f, 0.625f, 0.5f, 0.125f};
    const sGlyph space{0.25f, 0.25f, 0.25f, 0.25f, 0.125f};
    const sGlyph past{0.9375f, 0.75f, 1.0625f, 0.5f, 0.125f};
    const sGlyph nan{std::nanf(""), 0.75f, 0.5f, 0.5f, 0.125f};
    const std::string damaged = "Font (fonts/test.fnt) is damaged: its picture fonts/test.png ";
    struct Case
    {
        Bytes font;
        int width;
        int height;
        std::string error;
    };
    const Case cases[] = {
        {Bytes(shipped.begin(), shipped.end()), w, h, ""},
        // Every letter of the font a blank fraction of a texel.
        {Bytes(shipped.begin(), shipped.end()), 1, 1, damaged + "(1 x 1) does not hold glyph "},
        // A picture whose size is not known (a texture made in code) is not judged.
        {Bytes(shipped.begin(), shipped.end()), 0, 0, ""},
        {fontOf({letter, space}), 64, 64, ""},
        // Wide enough, but the letter half a texel high.
        {fontOf({letter, space}), 64, 2, damaged + "(64 x 2) does not hold glyph 0."},
        // A glyph of no size draws nothing: it needs no texel.
        {fontOf({space}), 1, 1, ""},
        {fontOf({letter, past}), 64, 64, damaged + "(64 x 64) does not hold glyph 1."},
        {fontOf({nan}), 64, 64, damaged + "(64 x 64) does not hold glyph 0."},
    };
    for (const Case& each : cases)
    {
        const cFont font("fonts/test.fnt", each.font);
        std::string error;
        try
        {
            font.checkPicture("fonts/test.png", each.width, each.height);
            // Judged once for each size.
            font.checkPicture("fonts/test.png", each.width, each.height);
        }
        catch (const std::string& text)
        {
            EXPECT_EQ(Engine::getErrorString(), text);
            error = text;
        }
        if (each.error.empty())
            EXPECT_EQ(error, "") << each.width << " x " << each.height;
        else
            EXPECT_THAT(error, ::testing::StartsWith(each.error));
    }
}

TEST(FontScaled, ATextReducesOnlyTheLettersNotReducedBeforeAtItsFontAndSize)
{
    ::Test::EngineFixture engine("Font Test");
    for (const char* name : {"sans18.fnt", "sans18.png"})
        engine.data(std::string("fonts/") + name,
                    ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/fonts/" + name));
    engine.startFiles();
    const ::Test::RecordingFactory factory;
    const auto font = boost::make_shared<cFont>("fonts/sans18.fnt");
    const size_t sets = Engine::cFontScaled::madeCount();

    // Texts at sizes, each asked for as a text view asks: its letters, then the picture. How
    // many glyphs its size has reduced after it (a letter that comes twice counts once).
    struct Case
    {
        float multiplier;
        const wchar_t* text;
        size_t reduced;
    };
    const Case cases[] = {
        {0.9f, L"Hello", 4}, {0.9f, L"Hello", 4}, {0.905f, L"Hello", 4},
        {0.9f, L"Help", 5},  {0.7f, L"world", 5}, {0.9f, L"Help", 5},
    };
    for (const Case& each : cases)
    {
        const auto glyphs = Engine::cFontScaled::find(font, "fonts/sans18.png", each.multiplier);
        ASSERT_TRUE(glyphs);
        sGlyph glyph;
        for (const wchar_t* c = each.text; *c; ++c)
            EXPECT_TRUE(glyphs->getGlyph(*c, glyph));
        EXPECT_TRUE(glyphs->getTexture());
        EXPECT_EQ(glyphs->reducedCount(), each.reduced) << each.text << " at " << each.multiplier;
    }
    EXPECT_EQ(Engine::cFontScaled::madeCount(), sets + 2) << "one set for each size";
}

} // namespace
