// Bakes a TrueType font into the engine's bitmap font: a glyph picture (PNG, white glyphs whose
// alpha is their coverage) and the font file (.fnt) that maps character codes to rectangles of
// that picture. Text views name both: "Font" the .fnt file, "Texture" the picture.
//
// Usage: fontbake <font.ttf> <pixel height> <output base> [first-last|code ...]
//   writes <output base>.png and <output base>.fnt. Without code ranges the Latin, Latin-1,
//   Latin Extended-A, basic Cyrillic and common punctuation characters are baked. Characters the
//   face lacks are left out; the font then answers no glyph for them.

#include "engine/devices/cFont.h"
#include "platform/image/PngCodec.h"
#include "platform/text/FontAtlas.h"
#include "platform/text/FontRaster.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace
{

const char* const DefaultRanges[] = {"32-126",    "160-383",   "1024-1119", "8211-8212", "8216-8222",
                                     "8226-8226", "8230-8230", "8364-8364", "8482-8482"};

bool parseCode(const std::string& text, unsigned long& code)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    code = std::strtoul(text.c_str(), &end, 0);
    return end && *end == '\0' && code <= 0xFFFF;
}

// "first-last" or a single code, decimal or 0x-hex.
bool appendRange(const std::string& text, std::vector<char32_t>& codes)
{
    const size_t dash = text.find('-', 1);
    unsigned long first = 0;
    unsigned long last = 0;
    if (dash == std::string::npos)
    {
        if (!parseCode(text, first))
            return false;
        last = first;
    }
    else if (!parseCode(text.substr(0, dash), first) || !parseCode(text.substr(dash + 1), last) ||
             first > last)
        return false;
    for (unsigned long code = first; code <= last; ++code)
        codes.push_back(static_cast<char32_t>(code));
    return true;
}

bool writeFile(const std::string& path, const char* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

int usage()
{
    std::fprintf(stderr, "usage: fontbake <font.ttf> <pixel height> <output base> [first-last|code ...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return usage();
    const std::string fontPath = argv[1];
    const int pixelHeight = std::atoi(argv[2]);
    const std::string base = argv[3];
    if (pixelHeight <= 0 || pixelHeight > 512)
        return usage();

    std::vector<char32_t> codes;
    if (argc > 4)
    {
        for (int i = 4; i < argc; ++i)
        {
            if (!appendRange(argv[i], codes))
            {
                std::fprintf(stderr, "fontbake: bad code range \"%s\"\n", argv[i]);
                return 2;
            }
        }
    }
    else
    {
        for (const char* range : DefaultRanges)
            appendRange(range, codes);
    }

    try
    {
        const Platform::FontRaster raster(fontPath, static_cast<unsigned>(pixelHeight));
        const Platform::FontAtlas atlas = Platform::bakeFontAtlas(raster, codes);
        const std::vector<uint8_t> png = Platform::encodePng(atlas.image);
        const std::vector<char> font = Engine::cFont::encodeAtlas(atlas);
        if (!writeFile(base + ".png", reinterpret_cast<const char*>(png.data()), png.size()) ||
            !writeFile(base + ".fnt", font.data(), font.size()))
        {
            std::fprintf(stderr, "fontbake: can't write \"%s.png\" or \"%s.fnt\"\n", base.c_str(),
                         base.c_str());
            return 1;
        }
        std::printf("fontbake: %zu glyphs, picture %u x %u, cells %u pixels high\n", atlas.glyphs.size(),
                    atlas.image.width, atlas.image.height, atlas.cellHeight);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "fontbake: %s\n", error.what());
        return 1;
    }
    return 0;
}
