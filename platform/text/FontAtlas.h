#pragma once

#include "platform/image/Image.h"

#include <cstdint>
#include <vector>

namespace Platform
{

class FontRaster;

// One glyph's cell in an atlas, in pixels. Every cell is as tall as the tallest line (all
// baselines at the same height inside their cells) and horizontally centred on the glyph's
// advance box, so a glyph drawn centred at pen + advance / 2 puts its ink where the face puts
// it.
struct AtlasGlyph
{
    char32_t code = 0;
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    int advance = 0;
};

// The glyphs of a face packed into one picture: white pixels whose alpha is the glyph's
// coverage, transparent elsewhere. The picture is a power of two wide and as high as its rows (a multiple of
// four).
struct FontAtlas
{
    Image image;
    std::vector<AtlasGlyph> glyphs;
    // The cells' height and where the baseline lies in them (pixels from the cell's top).
    uint32_t cellHeight = 0;
    uint32_t baseline = 0;
};

// Renders the given code points (those the face lacks are left out) and packs them with
// `padding` transparent pixels around every cell. Throws FontError when nothing fits in a
// picture of `maxSide` pixels a side.
FontAtlas bakeFontAtlas(const FontRaster& raster, const std::vector<char32_t>& codes, uint32_t padding = 1,
                        uint32_t maxSide = 4096);

} // namespace Platform
