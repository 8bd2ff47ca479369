#pragma once

#include "engine/devices/cFont.h"
#include "platform/image/Image.h"

#include <boost/shared_ptr.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Engine
{

class cTexture;

// The glyphs of a bitmap font made again at a smaller size, for text drawn smaller than its
// font. Drawn from the font's own picture, a scaled-down quad samples one texel in every so
// many: a stroke or the dot of an i that falls between the samples is lost. Here every glyph's
// cell is reduced by area instead (each new texel is the mean of the texels it covers, weighted
// by coverage), so every stroke keeps its ink, and the reduced cells are packed into a picture
// of their own. A reduced cell is never larger than the quad that shows it: it is drawn texel
// for pixel or magnified, never sampled down again. The glyphs' places and advances stay the
// font's: only where a glyph is taken from changes.
//
// A glyph is reduced when a text first asks for it, not before, and the font's picture is
// decoded only down to the cells asked for: a text costs what its letters cost, and a letter
// reduced once at that size costs nothing more. Every cell has its place in the reduced picture
// from the start, so a glyph reduced late lands where the reduction of the whole picture
// (`reduce`) puts it, with the same texels.
class cFontScaled
{
public:
    // Scales are whole steps of this fraction, so that texts fitted to slightly different sizes
    // share their glyphs.
    static constexpr int Steps = 64;

    // The glyphs of `font`, whose picture is the image file `picture`, at `scale` (above 0,
    // below 1), none reduced yet. Reads the picture's file through the file system and its size
    // from its header; throws what reading it and making the texture throw.
    cFontScaled(const boost::shared_ptr<cFont>& font, const std::string& picture, float scale);
    cFontScaled(const cFontScaled&) = delete;
    cFontScaled& operator=(const cFontScaled&) = delete;

    // The reduced picture of a decoded font picture (its glyphs as `font` cuts it) at `scale`,
    // every glyph reduced, with the glyphs' new rectangles in it, as `sGlyph` measures them (the
    // advances are the font's).
    static Platform::Image reduce(const cFont& font, const Platform::Image& picture, float scale,
                                  std::vector<sGlyph>& glyphs);
    // The glyphs of the font for text drawn at `multiplier` times its size, at the largest
    // step not above it: made on the first request and kept for the run; the sizes of a font
    // share its picture. Null for a multiplier of 1 or more, and when the picture cannot be read
    // (the text is then drawn from the font's own; a later request tries again).
    static boost::shared_ptr<cFontScaled> find(const boost::shared_ptr<cFont>& font,
                                               const std::string& picture, float multiplier);

    // How many reduced glyph sets the run has made so far.
    static size_t madeCount();

    // The glyph of a character code in the reduced picture; false as `cFont::getGlyph`. The
    // texture shows the glyph from the next `getTexture` on.
    bool getGlyph(wchar_t code, sGlyph& glyph) const;
    // The texture of the reduced picture, with every glyph asked for so far: the glyphs asked
    // for since the last call are reduced and passed to the texture first. Null from the time
    // the part of the picture they need cannot be decoded, for every size of the font: the text
    // is then drawn from the font's own picture, and that picture's texture, decoded when it is
    // drawn, tells what is wrong with the file as it does for any text of the font (the
    // engine's failure naming it), on a device that shows pictures and from the draw.
    const boost::shared_ptr<cTexture>& getTexture() const;
    float getScale() const { return m_scale; }
    // How many of the glyphs have been reduced so far (glyphs of no size not counted).
    size_t reducedCount() const { return m_reducedCount; }

private:
    struct sSource;
    struct sPicture;
    // A glyph's cell in the font's picture (texels, the picture's top at 0) and in the reduced
    // picture.
    struct sCell
    {
        float left = 0.0f;
        float top = 0.0f;
        float width = 0.0f;
        float height = 0.0f;
        uint32_t newWidth = 0;
        uint32_t newHeight = 0;
        uint32_t x = 0;
        uint32_t y = 0;
    };

    cFontScaled(const boost::shared_ptr<cFont>& font, boost::shared_ptr<sSource> source, float scale);

    // The cells of every glyph of `font` in a picture of `width` x `height` reduced to `scale`,
    // packed in rows of a picture as wide as the font's picture reduced; sets that picture's
    // size and the glyphs' rectangles in it.
    static std::vector<sCell> layOut(const cFont& font, uint32_t width, uint32_t height, float scale,
                                     uint32_t& reducedWidth, uint32_t& reducedHeight,
                                     std::vector<sGlyph>& glyphs);
    // Reduces one cell of `picture` into its place in the reduced picture `texels` (rows of
    // `width` texels); the rows of the cell below the picture's count as transparent.
    static void reduceCell(const Platform::Image& picture, const sCell& cell, uint8_t* texels,
                           uint32_t width);

    boost::shared_ptr<cFont> m_font;
    boost::shared_ptr<sSource> m_source;
    std::vector<sCell> m_cells;
    std::vector<sGlyph> m_glyphs;
    float m_scale;
    // The reduced picture as far as it is made, and which glyphs have been asked for: those not
    // reduced yet are waiting for the next `getTexture`.
    std::shared_ptr<sPicture> m_picture;
    mutable std::vector<bool> m_asked;
    mutable std::vector<size_t> m_waiting;
    mutable size_t m_reducedCount = 0;
    boost::shared_ptr<cTexture> m_texture;
};

} // namespace Engine
