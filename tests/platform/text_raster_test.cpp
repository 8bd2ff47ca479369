#include "platform/text/FontAtlas.h"
#include "platform/text/FontRaster.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

using Platform::FontRaster;

TEST(TextRaster, MeasuresAdvancesAndLineHeight)
{
    const FontRaster raster(FontRaster::defaultFontPath(), 13);
    EXPECT_GT(raster.ascender(), 0);
    EXPECT_GT(raster.descender(), 0);
    uint32_t w = 0;
    uint32_t h = 0;
    raster.measure(L"Hello", w, h);
    EXPECT_EQ(h, static_cast<uint32_t>(raster.lineHeight()));
    uint32_t sum = 0;
    for (const wchar_t c : std::wstring(L"Hello"))
        sum += static_cast<uint32_t>(raster.renderGlyph(static_cast<char32_t>(c)).advance);
    EXPECT_EQ(w, sum);
    // Control characters take no room; "&" is an ordinary character.
    uint32_t w2 = 0;
    raster.measure(L"He\tl\nlo\x7F", w2, h);
    EXPECT_EQ(w2, w);
    uint32_t amp = 0;
    raster.measure(L"&", amp, h);
    EXPECT_GT(amp, 0u);
    uint32_t empty = 1;
    raster.measure(L"", empty, h);
    EXPECT_EQ(empty, 0u);
}

TEST(TextRaster, DrawsCoverageInsideTheBuffer)
{
    const FontRaster raster(FontRaster::defaultFontPath(), 13);
    uint32_t w = 0;
    uint32_t h = 0;
    raster.measure(L"I", w, h);
    const std::vector<uint8_t> coverage = raster.draw(L"I", w, h);
    ASSERT_EQ(coverage.size(), static_cast<size_t>(w) * h);
    // The stem of a bold I is solid somewhere in the middle column band.
    EXPECT_EQ(*std::max_element(coverage.begin(), coverage.end()), 255);
    // Nothing is drawn below the descender line's last row except for descenders; "I" has none.
    for (uint32_t x = 0; x < w; ++x)
        EXPECT_EQ(coverage[static_cast<size_t>(h - 1) * w + x], 0) << x;
    // A buffer smaller than the text clips instead of overrunning.
    const std::vector<uint8_t> clipped = raster.draw(L"WWWW", 3, 2);
    EXPECT_EQ(clipped.size(), 6u);
}

TEST(TextRaster, MissingFontNamesTheFile)
{
    try
    {
        FontRaster raster("/nowhere/font.ttf", 12);
        FAIL();
    }
    catch (const Platform::FontError& e)
    {
        EXPECT_EQ(std::string(e.what()), "Can't open the font \"/nowhere/font.ttf\".");
    }
}

TEST(TextAtlas, CellsShareHeightAndHoldTheirInk)
{
    const FontRaster raster(FontRaster::defaultFontPath(), 16);
    std::vector<char32_t> codes;
    for (char32_t c = 32; c < 127; ++c)
        codes.push_back(c);
    codes.push_back(0x10FFFD); // no glyph in the face: left out
    const Platform::FontAtlas atlas = Platform::bakeFontAtlas(raster, codes);
    ASSERT_EQ(atlas.glyphs.size(), 95u);
    const uint32_t w = atlas.image.width;
    const uint32_t h = atlas.image.height;
    EXPECT_EQ(w & (w - 1), 0u);
    // As high as its rows, rounded up to four pixels: no empty band below the glyphs.
    EXPECT_EQ(h % 4, 0u);
    uint32_t lowest = 0;
    for (const Platform::AtlasGlyph& cell : atlas.glyphs)
        lowest = std::max(lowest, cell.y + cell.height);
    // The last row's padding, then at most three pixels to the next multiple of four.
    EXPECT_LE(lowest, h);
    EXPECT_LE(h, lowest + 4);
    uint64_t insideCells = 0;
    for (const Platform::AtlasGlyph& cell : atlas.glyphs)
    {
        EXPECT_EQ(cell.height, atlas.cellHeight);
        EXPECT_LE(cell.x + cell.width, w);
        EXPECT_LE(cell.y + cell.height, h);
        EXPECT_GE(cell.width, static_cast<uint32_t>(cell.advance));
        for (uint32_t y = cell.y; y < cell.y + cell.height; ++y)
            for (uint32_t x = cell.x; x < cell.x + cell.width; ++x)
                insideCells += atlas.image.row(y)[x * 4 + 3];
    }
    // All ink lies inside the cells.
    uint64_t total = 0;
    for (size_t i = 3; i < atlas.image.pixels.size(); i += 4)
        total += atlas.image.pixels[i];
    EXPECT_EQ(total, insideCells);
    EXPECT_GT(total, 0u);
    // Cells never overlap: the padding keeps a transparent pixel between neighbours.
    for (size_t i = 1; i < atlas.glyphs.size(); ++i)
    {
        const auto& a = atlas.glyphs[i - 1];
        const auto& b = atlas.glyphs[i];
        if (a.y == b.y)
        {
            EXPECT_GT(b.x, a.x + a.width);
        }
    }
}

} // namespace
