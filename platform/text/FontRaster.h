#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// FreeType's handles, declared here so that the header does not pull in FreeType.
struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Platform
{

// Why a font could not be opened or drawn; the text names the font file.
class FontError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One rendered glyph: 8-bit coverage rows (width bytes each, top row first), placed with its
// left edge `left` pixels right of the pen and its top row `top` pixels above the baseline.
struct GlyphBitmap
{
    int left = 0;
    int top = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> coverage;
    // Horizontal advance in whole pixels.
    int advance = 0;
};

// A TrueType face at one pixel size, drawn with FreeType's anti-aliasing: the text raster that
// text textures, the font baker and the device's debug text use. Texts are code points
// (wchar_t holds one); control characters have no width and draw nothing.
class FontRaster
{
public:
    // The family and style of the engine's default face, for messages: "DejaVu Sans Bold".
    static const char* defaultFontName();
    // The file of the engine's default face (Debian's fonts-dejavu-core) as fontconfig finds it.
    // Throws FontError naming the face and the package that brings it when fontconfig knows no
    // such face (it would offer another one in its place).
    static std::string findDefaultFontFile();
    // `findDefaultFontFile`, looked up once and remembered.
    static const std::string& defaultFontPath();
    // The file fontconfig gives for `family` in `style`, or an empty text when it has no face of
    // that family and style (its nearest other face does not count) or cannot be asked.
    static std::string findFontFile(const std::string& family, const std::string& style);

    // Opens a font file at an em height of `pixelHeight` pixels; throws FontError.
    FontRaster(const std::string& path, unsigned pixelHeight);
    ~FontRaster();
    FontRaster(const FontRaster&) = delete;
    FontRaster& operator=(const FontRaster&) = delete;

    const std::string& path() const { return m_path; }
    // Pixels from the top of a line to its baseline, and from the baseline to the line's bottom
    // (positive); their sum is the line height.
    int ascender() const { return m_ascender; }
    int descender() const { return m_descender; }
    int lineHeight() const { return m_ascender + m_descender; }

    // Whether the face has a glyph of its own for the code point.
    bool hasGlyph(char32_t code) const;
    // Renders one glyph; a code point the face lacks gives the face's missing-glyph box.
    GlyphBitmap renderGlyph(char32_t code) const;

    // The size of a line of text: the sum of the advances by the line height (no kerning).
    void measure(const std::wstring& text, uint32_t& width, uint32_t& height) const;
    // Draws the text on its baseline into a width × height coverage buffer, clipping what
    // falls outside; where glyphs overlap the larger coverage wins.
    std::vector<uint8_t> draw(const std::wstring& text, uint32_t width, uint32_t height) const;

private:
    static bool isDrawn(wchar_t c);

    std::string m_path;
    FT_LibraryRec_* m_library = nullptr;
    FT_FaceRec_* m_face = nullptr;
    int m_ascender = 0;
    int m_descender = 0;
};

} // namespace Platform
