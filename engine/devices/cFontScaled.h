#pragma once

#include "engine/devices/cFont.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

namespace Platform
{
struct Image;
}

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
class cFontScaled
{
public:
    // Scales are whole steps of this fraction, so that texts fitted to slightly different sizes
    // share their glyphs.
    static constexpr int Steps = 64;

    // The glyphs of `font`, whose picture is the image file `picture`, at `scale` (above 0,
    // below 1). Reads the picture through the file system; throws what reading, decoding and
    // making the texture throw.
    cFontScaled(const boost::shared_ptr<cFont>& font, const std::string& picture, float scale);
    // The reduced picture of a decoded font picture (its glyphs as `font` cuts it) at `scale`,
    // with the glyphs' new rectangles in it, as `sGlyph` measures them (the advances are the
    // font's).
    static Platform::Image reduce(const cFont& font, const Platform::Image& picture, float scale,
                                  std::vector<sGlyph>& glyphs);
    // The glyphs of the font for text drawn at `multiplier` times its size, at the largest
    // step not above it: made on the first request and kept for the run. Null for a multiplier
    // of 1 or more, and when the picture cannot be read (the text is then drawn from the
    // font's own; a later request tries again).
    static boost::shared_ptr<cFontScaled> find(const boost::shared_ptr<cFont>& font,
                                               const std::string& picture, float multiplier);

    // How many reduced glyph sets the run has made so far.
    static size_t madeCount();

    // The glyph of a character code in the reduced picture; false as `cFont::getGlyph`.
    bool getGlyph(wchar_t code, sGlyph& glyph) const;
    const boost::shared_ptr<cTexture>& getTexture() const { return m_texture; }
    float getScale() const { return m_scale; }

private:
    boost::shared_ptr<cFont> m_font;
    std::vector<sGlyph> m_glyphs;
    boost::shared_ptr<cTexture> m_texture;
    float m_scale;
};

} // namespace Engine
