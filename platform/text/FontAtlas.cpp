#include "platform/text/FontAtlas.h"

#include "platform/text/FontRaster.h"

#include <algorithm>
#include <string>

namespace Platform
{

namespace
{

struct Placed
{
    GlyphBitmap bitmap;
    AtlasGlyph cell;
    // Pixels between the cell's left edge and the pen position.
    int penOffset = 0;
};

// Places the cells in rows of at most `width` pixels; the height the rows need, or 0 when a
// cell is wider than the row.
uint32_t layoutRows(std::vector<Placed>& glyphs, uint32_t width, uint32_t cellHeight, uint32_t padding)
{
    uint32_t x = padding;
    uint32_t y = padding;
    for (Placed& glyph : glyphs)
    {
        if (glyph.cell.width + 2 * padding > width)
            return 0;
        if (x + glyph.cell.width + padding > width)
        {
            x = padding;
            y += cellHeight + padding;
        }
        glyph.cell.x = x;
        glyph.cell.y = y;
        x += glyph.cell.width + padding;
    }
    return y + cellHeight + padding;
}

} // namespace

FontAtlas bakeFontAtlas(const FontRaster& raster, const std::vector<char32_t>& codes, uint32_t padding,
                        uint32_t maxSide)
{
    std::vector<Placed> glyphs;
    int above = raster.ascender();
    int below = raster.descender();
    for (const char32_t code : codes)
    {
        if (!raster.hasGlyph(code))
            continue;
        Placed placed;
        placed.bitmap = raster.renderGlyph(code);
        const GlyphBitmap& b = placed.bitmap;
        // Symmetric around the advance box's centre, wide enough for ink that overhangs it.
        const int inkLeft = b.width ? b.left : 0;
        const int inkRight = b.width ? b.left + static_cast<int>(b.width) : b.advance;
        const int extra = std::max({0, -inkLeft, inkRight - b.advance});
        placed.penOffset = extra;
        placed.cell.code = code;
        placed.cell.advance = b.advance;
        placed.cell.width = static_cast<uint32_t>(std::max(b.advance + 2 * extra, 0));
        above = std::max(above, b.top);
        below = std::max(below, static_cast<int>(b.height) - b.top);
        glyphs.push_back(std::move(placed));
    }

    FontAtlas atlas;
    atlas.baseline = static_cast<uint32_t>(std::max(above, 0));
    atlas.cellHeight = static_cast<uint32_t>(std::max(above + below, 1));
    for (Placed& glyph : glyphs)
        glyph.cell.height = atlas.cellHeight;

    // The smallest picture that holds every row: a power of two wide, as high as its rows
    // (rounded up to four pixels). A picture no larger than its glyphs decodes and uploads
    // faster than one padded to a power of two.
    uint32_t bestWidth = 0;
    uint32_t bestHeight = 0;
    for (uint32_t width = 16; width <= maxSide; width *= 2)
    {
        const uint32_t rows = layoutRows(glyphs, width, atlas.cellHeight, padding);
        if (rows == 0)
            continue;
        const uint32_t height = (rows + 3u) & ~3u;
        if (height > maxSide)
            continue;
        // The smallest area; of equal areas the squarest.
        const uint64_t area = static_cast<uint64_t>(width) * height;
        const uint64_t bestArea = static_cast<uint64_t>(bestWidth) * bestHeight;
        if (bestWidth == 0 || area < bestArea ||
            (area == bestArea && std::max(width, height) < std::max(bestWidth, bestHeight)))
        {
            bestWidth = width;
            bestHeight = height;
        }
    }
    if (bestWidth == 0)
        throw FontError("The glyphs of \"" + raster.path() + "\" do not fit in a picture of " +
                        std::to_string(maxSide) + " pixels.");
    layoutRows(glyphs, bestWidth, atlas.cellHeight, padding);

    atlas.image.width = bestWidth;
    atlas.image.height = bestHeight;
    atlas.image.pixels.assign(static_cast<size_t>(bestWidth) * bestHeight * 4, 0);
    // White everywhere, so that filtering at a glyph's edge never darkens it.
    for (size_t i = 0; i < atlas.image.pixels.size(); i += 4)
        atlas.image.pixels[i] = atlas.image.pixels[i + 1] = atlas.image.pixels[i + 2] = 255;
    for (const Placed& glyph : glyphs)
    {
        const GlyphBitmap& b = glyph.bitmap;
        const int penX = static_cast<int>(glyph.cell.x) + glyph.penOffset;
        const int baseY = static_cast<int>(glyph.cell.y + atlas.baseline);
        for (uint32_t gy = 0; gy < b.height; ++gy)
        {
            const int y = baseY - b.top + static_cast<int>(gy);
            for (uint32_t gx = 0; gx < b.width; ++gx)
            {
                const int x = penX + b.left + static_cast<int>(gx);
                uint8_t* out = atlas.image.row(static_cast<uint32_t>(y)) + static_cast<size_t>(x) * 4;
                out[3] = b.coverage[static_cast<size_t>(gy) * b.width + gx];
            }
        }
        atlas.glyphs.push_back(glyph.cell);
    }
    return atlas;
}

} // namespace Platform
