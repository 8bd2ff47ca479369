#pragma once

#include "engine/core/cResource.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Platform
{
struct FontAtlas;
}

namespace Engine
{

// One glyph of a bitmap font: its rectangle in the font texture (fractions of the texture's
// size) and its advance (a fraction of the texture's width). The rectangle's vertical edges are
// measured from the bottom of the texture, so `top` is above `bottom` (top > bottom): the text
// views draw the texture rectangle (left, 1 - top, right, 1 - bottom) and a glyph
// (top - bottom) × texture height tall.
struct sGlyph
{
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
    float advance = 0.0f;
};

// A bitmap font (resource kind 3): a table from character codes to glyph rectangles in a
// texture that the text views name separately. The file, all numbers little-endian:
//   0       4      tag, the 32-bit value 0x666F6E74 (bytes 74 6E 6F 66)
//   4       4      R, the number of code ranges
//   8       6 R    ranges: first code, last code, glyph index of the first code (three u16)
//   8+6R    4      G, the number of glyphs
//   12+6R   20 G   glyphs: left, top, right, bottom, advance (five f32)
// Codes are UTF-16 code units. A later range with the same last code replaces the earlier one.
class cFont : public cResource
{
public:
    static constexpr uint32_t Tag = 0x666F6E74u;
    static constexpr size_t RangeSize = 6;
    static constexpr size_t GlyphSize = 20;

    // Reads the font file through the file system. Throws the file system's error for a missing
    // file and a narrow string naming the file for a file that is no font or is damaged.
    explicit cFont(const std::string& path);
    // Reads a font from bytes already in memory; `path` names it in errors.
    cFont(const std::string& path, const std::vector<char>& bytes);

    eResourceType getType() const override;

    // The glyph of a character code; false when no range holds the code (codes beyond the
    // 16-bit range included).
    bool getGlyph(wchar_t code, sGlyph& glyph) const;
    // The place of a character code's glyph in `getGlyphs`; false as `getGlyph`.
    bool findGlyph(wchar_t code, size_t& index) const;
    const std::vector<sGlyph>& getGlyphs() const { return m_glyphs; }

    // The bytes of a font file for the glyphs of a baked atlas (codes beyond 16 bits left out):
    // one range per run of consecutive codes, rectangles and advances as fractions of the
    // atlas picture's size, measured as `sGlyph` says.
    static std::vector<char> encodeAtlas(const Platform::FontAtlas& atlas);

    size_t getGlyphCount() const { return m_glyphs.size(); }
    size_t getRangeCount() const { return m_ranges.size(); }

    // Whether a picture of `width` x `height` texels (the image file `picture`) holds every
    // glyph: each glyph's cell lies inside it, and a glyph of any size covers at least a texel
    // of it each way (the cells are cut in whole texels). Throws the damaged font's error,
    // naming the font and the picture, when it does not: every letter drawn from that picture
    // would be blank or cut from outside it. A size of 0 (not known) is not judged; a size
    // judged once is not judged again.
    void checkPicture(const std::string& picture, int width, int height) const;

private:
    struct sRange
    {
        uint16_t first = 0;
        uint16_t last = 0;
        uint16_t glyph = 0;
    };

    void load(const std::string& path, const char* data, size_t size);

    // Keyed by the range's last code: the first range whose last code is not below a code is
    // the only one that can hold it.
    std::map<uint16_t, sRange> m_ranges;
    std::vector<sGlyph> m_glyphs;
    // The file the font was read from, for its errors.
    std::string m_path;
    // The picture sizes found to hold the glyphs: every text line of the font asks again.
    mutable std::vector<std::pair<int, int>> m_heldBy;
};

} // namespace Engine
