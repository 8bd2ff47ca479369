// Bakes a TrueType font into the engine's bitmap font: a glyph picture (PNG) and the font file
// (.fnt) that maps character codes to rectangles of that picture. Text views name both: "Font"
// the .fnt file, "Texture" the picture. Plain fonts are white glyphs whose alpha is their
// coverage; outlined fonts ring every glyph with a dark edge, so that text stays readable over
// the field whatever lies under it (a text line's colour tints the fill and leaves the edge dark).
//
// Usage:
//   fontbake [--outline <pixels>] <font.ttf> <pixel height> <output base> [first-last|code ...]
//     writes <output base>.png and <output base>.fnt. Without code ranges the Latin, Latin-1,
//     Latin Extended-A, basic Cyrillic and common punctuation characters are baked. Characters
//     the face lacks are left out; the font then answers no glyph for them.
//   fontbake --game <data folder>
//     bakes every font the game ships into <data folder>/fonts with the engine's default face.
//   fontbake --check <data folder>
//     bakes them in memory and fails, naming the files, when the shipped ones differ.

#include "engine/devices/cFont.h"
#include "platform/image/PngCodec.h"
#include "platform/text/FontAtlas.h"
#include "platform/text/FontRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

const char* const DefaultRanges[] = {"32-126",    "160-383",   "1024-1119", "8211-8212", "8216-8222",
                                     "8226-8226", "8230-8230", "8364-8364", "8482-8482"};

// The fonts of the game: the HUD and the menus use these sizes; the outlined ones are for text
// over the field.
struct tGameFont
{
    const char* name;
    unsigned pixelHeight;
    unsigned outline;
};

const tGameFont GameFonts[] = {
    {"default", 20, 0},        {"sans14", 14, 0},         {"sans18", 18, 0},
    {"sans24", 24, 0},         {"sans32", 32, 0},         {"sans14_outline", 14, 1},
    {"sans18_outline", 18, 1}, {"sans24_outline", 24, 2}, {"sans32_outline", 32, 2},
};

// The colour of the outline (B, G, R): a dark brown, no pure black.
const uint8_t OutlineColour[3] = {0x18, 0x20, 0x2C};

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

std::vector<char32_t> defaultCodes()
{
    std::vector<char32_t> codes;
    for (const char* range : DefaultRanges)
        appendRange(range, codes);
    return codes;
}

// Rings every glyph of an atlas baked with at least 2 × `width` + 1 pixels between its cells
// with an edge `width` pixels wide: each cell grows by `width` on every side (still centred on
// its glyph, so the glyphs keep their places) and the edge's coverage is the glyph's own,
// spread over a disc of that radius with a soft rim.
void addOutline(Platform::FontAtlas& atlas, unsigned width)
{
    const Platform::Image source = atlas.image;
    Platform::Image& image = atlas.image;
    for (size_t i = 0; i < image.pixels.size(); i += 4)
    {
        std::copy(OutlineColour, OutlineColour + 3, image.pixels.begin() + static_cast<std::ptrdiff_t>(i));
        image.pixels[i + 3] = 0;
    }
    const int reach = static_cast<int>(width);
    const float radius = static_cast<float>(width);
    const auto coverage = [&source](int x, int y) -> float
    {
        if (x < 0 || y < 0 || x >= static_cast<int>(source.width) || y >= static_cast<int>(source.height))
            return 0.0f;
        return static_cast<float>(source.row(static_cast<uint32_t>(y))[x * 4 + 3]) / 255.0f;
    };
    for (Platform::AtlasGlyph& cell : atlas.glyphs)
    {
        cell.x -= width;
        cell.y -= width;
        cell.width += 2 * width;
        cell.height += 2 * width;
        for (uint32_t y = cell.y; y < cell.y + cell.height; ++y)
        {
            uint8_t* row = image.row(y);
            for (uint32_t x = cell.x; x < cell.x + cell.width; ++x)
            {
                const int px = static_cast<int>(x);
                const int py = static_cast<int>(y);
                float edge = 0.0f;
                for (int dy = -reach; dy <= reach; ++dy)
                    for (int dx = -reach; dx <= reach; ++dx)
                    {
                        const float rim = std::clamp(
                            radius + 0.5f - std::hypot(static_cast<float>(dx), static_cast<float>(dy)), 0.0f,
                            1.0f);
                        edge = std::max(edge, coverage(px + dx, py + dy) * rim);
                    }
                const float fill = coverage(px, py);
                const float alpha = fill + edge * (1.0f - fill);
                uint8_t* out = row + static_cast<size_t>(x) * 4;
                if (alpha <= 0.0f)
                    continue;
                for (int c = 0; c < 3; ++c)
                {
                    const float mixed = (255.0f * fill + OutlineColour[c] * edge * (1.0f - fill)) / alpha;
                    out[c] = static_cast<uint8_t>(std::lround(std::min(mixed, 255.0f)));
                }
                out[3] = static_cast<uint8_t>(std::lround(alpha * 255.0f));
            }
        }
    }
    atlas.cellHeight += 2 * width;
}

struct tBaked
{
    std::vector<uint8_t> png;
    std::vector<char> font;
    size_t glyphs = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t cellHeight = 0;
};

tBaked bake(const std::string& fontPath, unsigned pixelHeight, unsigned outline,
            const std::vector<char32_t>& codes)
{
    const Platform::FontRaster raster(fontPath, pixelHeight);
    Platform::FontAtlas atlas = Platform::bakeFontAtlas(raster, codes, outline ? 2 * outline + 1 : 1);
    if (outline)
        addOutline(atlas, outline);
    tBaked baked;
    baked.png = Platform::encodePng(atlas.image);
    baked.font = Engine::cFont::encodeAtlas(atlas);
    baked.glyphs = atlas.glyphs.size();
    baked.width = atlas.image.width;
    baked.height = atlas.image.height;
    baked.cellHeight = atlas.cellHeight;
    return baked;
}

bool writeFile(const std::string& path, const char* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

bool sameAsFile(const std::string& path, const char* data, size_t size)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes == std::string(data, size);
}

bool writeBaked(const std::string& base, const tBaked& baked)
{
    if (!writeFile(base + ".png", reinterpret_cast<const char*>(baked.png.data()), baked.png.size()) ||
        !writeFile(base + ".fnt", baked.font.data(), baked.font.size()))
    {
        std::fprintf(stderr, "fontbake: can't write \"%s.png\" or \"%s.fnt\"\n", base.c_str(), base.c_str());
        return false;
    }
    std::printf("fontbake: %s: %zu glyphs, picture %u x %u, cells %u pixels high\n", base.c_str(),
                baked.glyphs, baked.width, baked.height, baked.cellHeight);
    return true;
}

// Bakes (or, with `check`, compares) every font of the game in <data folder>/fonts.
int gameFonts(const std::string& dataFolder, bool check)
{
    const std::string face = Platform::FontRaster::defaultFontPath();
    const std::vector<char32_t> codes = defaultCodes();
    int drifted = 0;
    for (const tGameFont& font : GameFonts)
    {
        const std::string base = dataFolder + "/fonts/" + font.name;
        const tBaked baked = bake(face, font.pixelHeight, font.outline, codes);
        if (!check)
        {
            if (!writeBaked(base, baked))
                return 1;
            continue;
        }
        if (!sameAsFile(base + ".png", reinterpret_cast<const char*>(baked.png.data()), baked.png.size()) ||
            !sameAsFile(base + ".fnt", baked.font.data(), baked.font.size()))
        {
            std::fprintf(stderr, "fontbake: \"%s\" differs from what its face bakes; run fontbake --game\n",
                         base.c_str());
            ++drifted;
        }
    }
    return drifted ? 1 : 0;
}

int usage()
{
    std::fprintf(stderr, "usage: fontbake [--outline <pixels>] <font.ttf> <pixel height> <output base> "
                         "[first-last|code ...]\n"
                         "       fontbake --game|--check <data folder>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    try
    {
        if (argc == 3 && (std::string(argv[1]) == "--game" || std::string(argv[1]) == "--check"))
            return gameFonts(argv[2], std::string(argv[1]) == "--check");

        int first = 1;
        unsigned outline = 0;
        if (argc > 2 && std::string(argv[1]) == "--outline")
        {
            const int width = std::atoi(argv[2]);
            if (width <= 0 || width > 16)
                return usage();
            outline = static_cast<unsigned>(width);
            first = 3;
        }
        if (argc < first + 3)
            return usage();
        const std::string fontPath = argv[first];
        const int pixelHeight = std::atoi(argv[first + 1]);
        const std::string base = argv[first + 2];
        if (pixelHeight <= 0 || pixelHeight > 512)
            return usage();

        std::vector<char32_t> codes;
        for (int i = first + 3; i < argc; ++i)
        {
            if (!appendRange(argv[i], codes))
            {
                std::fprintf(stderr, "fontbake: bad code range \"%s\"\n", argv[i]);
                return 2;
            }
        }
        if (codes.empty())
            codes = defaultCodes();
        return writeBaked(base, bake(fontPath, static_cast<unsigned>(pixelHeight), outline, codes)) ? 0 : 1;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "fontbake: %s\n", error.what());
        return 1;
    }
}
