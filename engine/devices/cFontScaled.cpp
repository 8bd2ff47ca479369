#include "engine/devices/cFontScaled.h"

#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/cTexture.h"
#include "engine/devices/cTextureLoader.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/image/ImageDecoder.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace Engine
{

namespace
{

// Transparent texels around every reduced cell, so that a quad's edge never picks up a
// neighbour's ink.
constexpr uint32_t Padding = 1;

uint32_t powerOfTwo(uint32_t value)
{
    uint32_t side = 64;
    while (side < value)
        side *= 2;
    return side;
}

// How much each source texel of [from, from + length) adds to each of `count` reduced texels
// that share the span evenly: the overlap of the texel with the reduced texel's span.
struct tShare
{
    uint32_t texel;
    float weight;
};

std::vector<std::vector<tShare>> shares(float from, float length, uint32_t count)
{
    std::vector<std::vector<tShare>> all(count);
    const float step = length / static_cast<float>(count);
    for (uint32_t i = 0; i < count; ++i)
    {
        const float begin = from + step * static_cast<float>(i);
        const float end = begin + step;
        for (float texel = std::floor(begin); texel < end; texel += 1.0f)
        {
            const float weight = std::min(end, texel + 1.0f) - std::max(begin, texel);
            if (weight > 0.0f && texel >= 0.0f)
                all[i].push_back({static_cast<uint32_t>(texel), weight});
        }
    }
    return all;
}

// A texture of a picture made in memory, in the managed pool.
class cPictureTexture final : public cTexture
{
public:
    explicit cPictureTexture(const Platform::Image& image)
    {
        const int width = static_cast<int>(image.width);
        const int height = static_cast<int>(image.height);
        m_texture = createTextureFromImage(factoryDevice("reduced font picture"), image);
        m_uScale = static_cast<float>(width) / static_cast<float>(m_texture->width());
        m_vScale = static_cast<float>(height) / static_cast<float>(m_texture->height());
        m_textureWidth = m_imageWidth = width;
        m_textureHeight = m_imageHeight = height;
        m_halfTexelU = 0.5f / static_cast<float>(width);
        m_halfTexelV = 0.5f / static_cast<float>(height);
    }
    eResourceType getType() const override { return eResourceType::Texture; }
};

} // namespace

Platform::Image cFontScaled::reduce(const cFont& font, const Platform::Image& picture, float scale,
                                    std::vector<sGlyph>& glyphs)
{
    const float width = static_cast<float>(picture.width);
    const float height = static_cast<float>(picture.height);
    struct tCell
    {
        float left, top, width, height;
        uint32_t newWidth, newHeight, x, y;
    };
    // The cells in the font's picture, their reduced sizes, and their places in rows of the new
    // picture, which is as wide as the font's picture reduced.
    std::vector<tCell> cells;
    const uint32_t side = powerOfTwo(static_cast<uint32_t>(std::ceil(width * scale)));
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t rowHeight = 0;
    for (const sGlyph& glyph : font.getGlyphs())
    {
        tCell cell{};
        cell.left = std::round(glyph.left * width);
        cell.top = std::round((1.0f - glyph.top) * height);
        cell.width = std::round(glyph.right * width) - cell.left;
        cell.height = std::round((1.0f - glyph.bottom) * height) - cell.top;
        // Never larger than the quad of the glyph at that scale.
        const float slack = 1e-3f;
        cell.newWidth = cell.width > 0.0f
                            ? static_cast<uint32_t>(std::max(1.0f, std::floor(cell.width * scale + slack)))
                            : 0;
        cell.newHeight = cell.height > 0.0f
                             ? static_cast<uint32_t>(std::max(1.0f, std::floor(cell.height * scale + slack)))
                             : 0;
        if (x + cell.newWidth + 2 * Padding > side)
        {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        cell.x = x + Padding;
        cell.y = y + Padding;
        x += cell.newWidth + 2 * Padding;
        rowHeight = std::max(rowHeight, cell.newHeight + 2 * Padding);
        cells.push_back(cell);
    }

    Platform::Image reduced;
    reduced.width = side;
    reduced.height = powerOfTwo(y + rowHeight);
    reduced.pixels.assign(static_cast<size_t>(reduced.width) * reduced.height * 4, 0);
    glyphs = font.getGlyphs();
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const tCell& cell = cells[i];
        sGlyph& glyph = glyphs[i];
        glyph.left = static_cast<float>(cell.x) / static_cast<float>(reduced.width);
        glyph.right = static_cast<float>(cell.x + cell.newWidth) / static_cast<float>(reduced.width);
        glyph.top = 1.0f - static_cast<float>(cell.y) / static_cast<float>(reduced.height);
        glyph.bottom =
            1.0f - static_cast<float>(cell.y + cell.newHeight) / static_cast<float>(reduced.height);
        if (cell.newWidth == 0 || cell.newHeight == 0)
            continue;
        const auto columns = shares(cell.left, cell.width, cell.newWidth);
        const auto rows = shares(cell.top, cell.height, cell.newHeight);
        for (uint32_t ny = 0; ny < cell.newHeight; ++ny)
        {
            uint8_t* out = reduced.row(cell.y + ny) + static_cast<size_t>(cell.x) * 4;
            for (uint32_t nx = 0; nx < cell.newWidth; ++nx, out += 4)
            {
                // Colours weighted by their coverage, so that the transparent texels around a
                // glyph do not darken its edge.
                float sum[4] = {0.0f, 0.0f, 0.0f, 0.0f};
                float area = 0.0f;
                for (const tShare& row : rows[ny])
                {
                    if (row.texel >= picture.height)
                        continue;
                    const uint8_t* in = picture.row(row.texel);
                    for (const tShare& column : columns[nx])
                    {
                        if (column.texel >= picture.width)
                            continue;
                        const uint8_t* texel = in + static_cast<size_t>(column.texel) * 4;
                        const float weight = row.weight * column.weight;
                        const float alpha = texel[3] * weight;
                        for (int c = 0; c < 3; ++c)
                            sum[c] += texel[c] * alpha;
                        sum[3] += alpha;
                        area += weight;
                    }
                }
                if (sum[3] <= 0.0f || area <= 0.0f)
                    continue;
                for (int c = 0; c < 3; ++c)
                    out[c] = static_cast<uint8_t>(std::lround(std::min(255.0f, sum[c] / sum[3])));
                out[3] = static_cast<uint8_t>(std::lround(std::min(255.0f, sum[3] / area)));
            }
        }
    }
    return reduced;
}

cFontScaled::cFontScaled(const boost::shared_ptr<cFont>& font, const std::string& picture, float scale)
    : m_font(font), m_scale(scale)
{
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        throw cStringA("No file system to read the font picture (" + picture + ").");
    std::vector<char> bytes;
    const unsigned size = files->readFile(picture, bytes);
    const Platform::Image source =
        Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), size);
    m_texture = boost::make_shared<cPictureTexture>(reduce(*font, source, scale, m_glyphs));
}

bool cFontScaled::getGlyph(wchar_t code, sGlyph& glyph) const
{
    size_t index = 0;
    if (!m_font->findGlyph(code, index) || index >= m_glyphs.size())
        return false;
    glyph = m_glyphs[index];
    return true;
}

namespace
{

// Kept for the whole run once made: a text that comes again (a tip at each appearance) draws
// at once. Each holds its font, so a key's font is never another one at the same address.
using tKey = std::tuple<const cFont*, std::string, int>;
std::map<tKey, boost::shared_ptr<cFontScaled>>& madeGlyphs()
{
    static std::map<tKey, boost::shared_ptr<cFontScaled>> made;
    return made;
}

} // namespace

size_t cFontScaled::madeCount()
{
    return madeGlyphs().size();
}

boost::shared_ptr<cFontScaled> cFontScaled::find(const boost::shared_ptr<cFont>& font,
                                                 const std::string& picture, float multiplier)
{
    if (!font || picture.empty() || !(multiplier > 0.0f && multiplier < 1.0f))
        return {};
    const int step = std::max(1, static_cast<int>(std::floor(multiplier * Steps)));
    auto& made = madeGlyphs();
    const tKey key(font.get(), picture, step);
    if (const auto found = made.find(key); found != made.end())
        return found->second;
    try
    {
        return made[key] = boost::make_shared<cFontScaled>(
                   font, picture, static_cast<float>(step) / static_cast<float>(Steps));
    }
    catch (...)
    {
        // A picture that cannot be read again (a render device without textures, a file gone
        // since the font was loaded) leaves the text drawn from the font's own picture.
        return {};
    }
}

} // namespace Engine
