#include "platform/text/FontRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

namespace Platform
{

namespace
{

int roundPixels(FT_Pos value)
{
    return static_cast<int>((value + 32) >> 6);
}

} // namespace

const char* FontRaster::defaultFontName()
{
    return "DejaVu Sans Bold";
}

std::string FontRaster::findFontFile(const std::string& family, const std::string& style)
{
    // Asked through fontconfig's own program: linked in here, the fontconfig library would read
    // its configuration with the UTF-16 build of Expat that the engine's XML loader links, and
    // fail. The pattern is quoted for the shell, a quote in it closed and escaped.
    const std::string pattern = family + ":style=" + style;
    std::string quoted = "'";
    for (const char c : pattern)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    const std::string command =
        "fc-match --format='%{family[0]}\\n%{style[0]}\\n%{file}' " + quoted + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::string();
    std::string answer;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        answer.append(buffer, n);
    if (pclose(pipe) != 0)
        return std::string();
    // fontconfig always answers with its nearest face: only the asked family and style will do.
    const std::string::size_type first = answer.find('\n');
    const std::string::size_type second = first == std::string::npos ? first : answer.find('\n', first + 1);
    if (second == std::string::npos || answer.compare(0, first, family) != 0 ||
        answer.compare(first + 1, second - first - 1, style) != 0)
        return std::string();
    return answer.substr(second + 1);
}

std::string FontRaster::findDefaultFontFile()
{
    const std::string path = findFontFile("DejaVu Sans", "Bold");
    if (path.empty())
        throw FontError(std::string("The font \"") + defaultFontName() +
                        "\" is not installed: fontconfig (fc-match) knows no such face (Debian "
                        "packages fontconfig and fonts-dejavu-core).");
    return path;
}

const std::string& FontRaster::defaultFontPath()
{
    // A failed lookup leaves the static unset, so the next call looks again.
    static const std::string path = findDefaultFontFile();
    return path;
}

FontRaster::FontRaster(const std::string& path, unsigned pixelHeight) : m_path(path)
{
    if (FT_Init_FreeType(&m_library) != 0)
    {
        m_library = nullptr;
        throw FontError("Can't start FreeType to open the font \"" + path + "\".");
    }
    if (FT_New_Face(m_library, path.c_str(), 0, &m_face) != 0)
    {
        m_face = nullptr;
        FT_Done_FreeType(m_library);
        throw FontError("Can't open the font \"" + path + "\".");
    }
    if (pixelHeight == 0 || FT_Set_Pixel_Sizes(m_face, 0, pixelHeight) != 0)
    {
        FT_Done_Face(m_face);
        FT_Done_FreeType(m_library);
        throw FontError("The font \"" + path + "\" has no size of " + std::to_string(pixelHeight) +
                        " pixels.");
    }
    // Size metrics of a scalable face are already whole pixels (26.6 values).
    m_ascender = roundPixels(m_face->size->metrics.ascender);
    m_descender = -roundPixels(m_face->size->metrics.descender);
}

FontRaster::~FontRaster()
{
    FT_Done_Face(m_face);
    FT_Done_FreeType(m_library);
}

bool FontRaster::isDrawn(wchar_t c)
{
    const uint32_t code = static_cast<uint32_t>(c);
    if (code < 0x20 || (code >= 0x7F && code < 0xA0))
        return false;
    return code < 0xD800 || (code > 0xDFFF && code <= 0x10FFFF);
}

bool FontRaster::hasGlyph(char32_t code) const
{
    return FT_Get_Char_Index(m_face, code) != 0;
}

GlyphBitmap FontRaster::renderGlyph(char32_t code) const
{
    if (FT_Load_Char(m_face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0)
        throw FontError("The font \"" + m_path + "\" can't draw the character " + std::to_string(code) + ".");
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    GlyphBitmap glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = bitmap.width;
    glyph.height = bitmap.rows;
    glyph.advance = roundPixels(slot->advance.x);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.height);
    for (uint32_t y = 0; y < glyph.height; ++y)
    {
        // The pitch is negative for bitmaps stored bottom-up.
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint8_t* out = glyph.coverage.data() + static_cast<size_t>(y) * glyph.width;
        for (uint32_t x = 0; x < glyph.width; ++x)
        {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
            else
                out[x] = row[x];
        }
    }
    return glyph;
}

void FontRaster::measure(const std::wstring& text, uint32_t& width, uint32_t& height) const
{
    int total = 0;
    for (const wchar_t c : text)
    {
        if (!isDrawn(c))
            continue;
        if (FT_Load_Char(m_face, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) != 0)
            continue;
        total += roundPixels(m_face->glyph->advance.x);
    }
    width = static_cast<uint32_t>(std::max(total, 0));
    height = static_cast<uint32_t>(std::max(lineHeight(), 0));
}

std::vector<uint8_t> FontRaster::draw(const std::wstring& text, uint32_t width, uint32_t height) const
{
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * height, 0);
    int pen = 0;
    for (const wchar_t c : text)
    {
        if (!isDrawn(c))
            continue;
        const GlyphBitmap glyph = renderGlyph(static_cast<char32_t>(c));
        const int left = pen + glyph.left;
        const int top = m_ascender - glyph.top;
        for (uint32_t gy = 0; gy < glyph.height; ++gy)
        {
            const int y = top + static_cast<int>(gy);
            if (y < 0 || y >= static_cast<int>(height))
                continue;
            for (uint32_t gx = 0; gx < glyph.width; ++gx)
            {
                const int x = left + static_cast<int>(gx);
                if (x < 0 || x >= static_cast<int>(width))
                    continue;
                uint8_t& out = coverage[static_cast<size_t>(y) * width + static_cast<size_t>(x)];
                out = std::max(out, glyph.coverage[static_cast<size_t>(gy) * glyph.width + gx]);
            }
        }
        pen += glyph.advance;
    }
    return coverage;
}

} // namespace Platform
