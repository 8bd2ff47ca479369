#include "engine/devices/cFontScaled.h"

#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/cTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/image/ImageDecoder.h"
#include "platform/image/PngCodec.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <tuple>
#include <utility>

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

// A texture in the managed pool whose pixels `fill` makes when it is first drawn or read: one
// that is never drawn (a text laid out on a device that shows nothing) costs no pixels at all.
class cPictureTexture final : public cTexture
{
public:
    cPictureTexture(int width, int height, Platform::GfxTexture::PictureFill fill)
    {
        const Platform::GfxResult result = factoryDevice("reduced font picture")
                                               .createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8,
                                                              Platform::Pool::Managed, m_texture);
        if (Platform::gfxFailed(result) || !m_texture)
            throwD3DError(Platform::gfxFailed(result) ? result : Platform::GfxError::Fail,
                          "CreateTexture(...)");
        m_texture->setPendingPicture(std::move(fill));
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

// The font's picture file, decoded down to the rows the glyphs asked for so far need. Shared by
// the sizes of a font: none decodes what another already has.
struct cFontScaled::sSource
{
    std::string path;
    std::vector<char> bytes;
    uint32_t width = 0;
    uint32_t height = 0;
    bool png = false;
    // The top rows of the picture, all of its width.
    Platform::Image top;
    // The picture could not be decoded as deep as a glyph needed: no size reduces it again.
    bool unreadable = false;

    explicit sSource(const std::string& picture) : path(picture)
    {
        cFileSystem* files = cFileSystem::instance();
        if (!files)
            throw cStringA("No file system to read the font picture (" + picture + ").");
        bytes.resize(files->readFile(picture, bytes));
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        Platform::readImageSize(data, bytes.size(), width, height);
        png = Platform::detectImageFormat(data, bytes.size()) == Platform::ImageFormat::Png;
    }

    // Decodes the picture down to row `rows` at least, or marks it unreadable when its bytes
    // cannot be decoded that far. Each time decodes from the top again, so it goes at least
    // twice as deep as before: all the decoding together stays within four times the deepest
    // row asked for.
    void decodeTo(uint32_t rows)
    {
        if (rows <= top.height)
            return;
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        try
        {
            top = png ? Platform::decodePngTop(data, bytes.size(), std::max(rows, 2 * top.height))
                      : Platform::decodeImage(data, bytes.size());
        }
        catch (const Platform::ImageError&)
        {
            // Not told here: the same bytes are the font's own picture, which tells it.
            unreadable = true;
            top = Platform::Image();
        }
    }
};

// The reduced picture of a font at one size as far as it is made: B, G, R, A texels in rows of
// `width`. Its memory comes zeroed from the system and is touched only where cells are written:
// most cells of a font are never asked for, and a page touched first costs more than the texels
// written into it.
struct cFontScaled::sPicture
{
    struct tFree
    {
        void operator()(uint8_t* memory) const { std::free(memory); }
    };

    uint32_t width;
    // The rows below hold nothing yet.
    uint32_t madeRows = 0;
    std::unique_ptr<uint8_t[], tFree> texels;

    sPicture(uint32_t pictureWidth, uint32_t pictureHeight)
        : width(pictureWidth),
          texels(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(pictureWidth) * pictureHeight, 4)))
    {
        if (!texels)
            throw std::bad_alloc();
    }

    // Every pixel of a texture of `textureWidth` x `textureHeight`: the picture in its top-left
    // corner, transparent black elsewhere.
    void copyTo(uint32_t* pixels, int textureWidth, int textureHeight) const
    {
        const size_t pitch = static_cast<size_t>(textureWidth);
        const size_t shown = std::min<size_t>(width, pitch);
        for (uint32_t y = 0; y < static_cast<uint32_t>(textureHeight); ++y, pixels += pitch)
        {
            size_t copied = 0;
            if (y < madeRows)
            {
                std::memcpy(pixels, texels.get() + static_cast<size_t>(y) * width * 4, shown * 4);
                copied = shown;
            }
            std::fill(pixels + copied, pixels + pitch, 0u);
        }
    }
};

std::vector<cFontScaled::sCell> cFontScaled::layOut(const cFont& font, uint32_t pictureWidth,
                                                    uint32_t pictureHeight, float scale,
                                                    uint32_t& reducedWidth, uint32_t& reducedHeight,
                                                    std::vector<sGlyph>& glyphs)
{
    const float width = static_cast<float>(pictureWidth);
    const float height = static_cast<float>(pictureHeight);
    std::vector<sCell> cells;
    cells.reserve(font.getGlyphs().size());
    const uint32_t side = powerOfTwo(static_cast<uint32_t>(std::ceil(width * scale)));
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t rowHeight = 0;
    for (const sGlyph& glyph : font.getGlyphs())
    {
        sCell cell;
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

    reducedWidth = side;
    reducedHeight = powerOfTwo(y + rowHeight);
    glyphs = font.getGlyphs();
    for (size_t i = 0; i < cells.size(); ++i)
    {
        const sCell& cell = cells[i];
        sGlyph& glyph = glyphs[i];
        glyph.left = static_cast<float>(cell.x) / static_cast<float>(reducedWidth);
        glyph.right = static_cast<float>(cell.x + cell.newWidth) / static_cast<float>(reducedWidth);
        glyph.top = 1.0f - static_cast<float>(cell.y) / static_cast<float>(reducedHeight);
        glyph.bottom = 1.0f - static_cast<float>(cell.y + cell.newHeight) / static_cast<float>(reducedHeight);
    }
    return cells;
}

void cFontScaled::reduceCell(const Platform::Image& picture, const sCell& cell, uint8_t* texels,
                             uint32_t width)
{
    if (cell.newWidth == 0 || cell.newHeight == 0)
        return;
    const auto columns = shares(cell.left, cell.width, cell.newWidth);
    const auto rows = shares(cell.top, cell.height, cell.newHeight);
    for (uint32_t ny = 0; ny < cell.newHeight; ++ny)
    {
        uint8_t* out = texels + (static_cast<size_t>(cell.y + ny) * width + cell.x) * 4;
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
                    area += weight;
                    // Most of a cell is clear: a clear texel only widens the area.
                    if (texel[3] == 0)
                        continue;
                    const float alpha = texel[3] * weight;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += texel[c] * alpha;
                    sum[3] += alpha;
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

Platform::Image cFontScaled::reduce(const cFont& font, const Platform::Image& picture, float scale,
                                    std::vector<sGlyph>& glyphs)
{
    Platform::Image reduced;
    const std::vector<sCell> cells =
        layOut(font, picture.width, picture.height, scale, reduced.width, reduced.height, glyphs);
    reduced.pixels.assign(static_cast<size_t>(reduced.width) * reduced.height * 4, 0);
    for (const sCell& cell : cells)
        reduceCell(picture, cell, reduced.pixels.data(), reduced.width);
    return reduced;
}

cFontScaled::cFontScaled(const boost::shared_ptr<cFont>& font, const std::string& picture, float scale)
    : cFontScaled(font, boost::make_shared<sSource>(picture), scale)
{
}

cFontScaled::cFontScaled(const boost::shared_ptr<cFont>& font, boost::shared_ptr<sSource> source, float scale)
    : m_font(font), m_source(std::move(source)), m_scale(scale)
{
    uint32_t width = 0;
    uint32_t height = 0;
    m_cells = layOut(*m_font, m_source->width, m_source->height, scale, width, height, m_glyphs);
    m_picture = std::make_shared<sPicture>(width, height);
    m_asked.assign(m_cells.size(), false);
    // The texture takes the picture as it is when first drawn, and the cells made later as they
    // are made.
    m_texture =
        boost::make_shared<cPictureTexture>(static_cast<int>(width), static_cast<int>(height),
                                            [picture = std::shared_ptr<const sPicture>(m_picture)](
                                                uint32_t* pixels, int textureWidth, int textureHeight)
                                            { picture->copyTo(pixels, textureWidth, textureHeight); });
}

bool cFontScaled::getGlyph(wchar_t code, sGlyph& glyph) const
{
    size_t index = 0;
    if (!m_font->findGlyph(code, index) || index >= m_glyphs.size())
        return false;
    if (!m_asked[index])
    {
        m_asked[index] = true;
        if (m_cells[index].newWidth > 0 && m_cells[index].newHeight > 0)
            m_waiting.push_back(index);
    }
    glyph = m_glyphs[index];
    return true;
}

const boost::shared_ptr<cTexture>& cFontScaled::getTexture() const
{
    static const boost::shared_ptr<cTexture> none;
    if (m_source->unreadable)
        return none;
    if (m_waiting.empty())
        return m_texture;
    const std::shared_ptr<Platform::GfxTexture> device = m_texture->getDeviceTexture();
    if (!device)
        return m_texture;
    // The cells go to the texture together, in the one rectangle around them: what lies
    // between them there is either reduced already or still transparent.
    Platform::PixelRect changed{INT_MAX, INT_MAX, 0, 0};
    float bottom = 0.0f;
    for (const size_t index : m_waiting)
    {
        const sCell& cell = m_cells[index];
        changed.left = std::min(changed.left, static_cast<int>(cell.x));
        changed.top = std::min(changed.top, static_cast<int>(cell.y));
        changed.right = std::max(changed.right, static_cast<int>(cell.x + cell.newWidth));
        changed.bottom = std::max(changed.bottom, static_cast<int>(cell.y + cell.newHeight));
        bottom = std::max(bottom, cell.top + cell.height);
    }
    m_source->decodeTo(static_cast<uint32_t>(std::ceil(bottom)));
    if (m_source->unreadable)
        return none;
    // A texture not drawn yet takes them with the rest of the picture when it first is.
    const bool drawn = !device->isPending();
    Platform::LockedRect locked;
    if (drawn)
    {
        const Platform::GfxResult result = device->lockRect(0, locked, &changed, 0);
        if (Platform::gfxFailed(result))
            throwD3DError(result, "LockRect(...)");
    }
    sPicture& picture = *m_picture;
    for (const size_t index : m_waiting)
        reduceCell(m_source->top, m_cells[index], picture.texels.get(), picture.width);
    picture.madeRows = std::max(picture.madeRows, static_cast<uint32_t>(changed.bottom));
    m_reducedCount += m_waiting.size();
    m_waiting.clear();
    if (!drawn)
        return m_texture;
    const size_t bytes = static_cast<size_t>(changed.right - changed.left) * 4;
    auto* out = static_cast<uint8_t*>(locked.bits);
    for (int y = changed.top; y < changed.bottom; ++y, out += locked.pitch)
        std::memcpy(out, picture.texels.get() + (static_cast<size_t>(y) * picture.width + changed.left) * 4,
                    bytes);
    device->unlockRect(0);
    return m_texture;
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
    const float scale = static_cast<float>(step) / static_cast<float>(Steps);
    try
    {
        // Another size of the font reads the picture as far as that one has decoded it.
        const auto other = made.lower_bound(tKey(font.get(), picture, INT_MIN));
        if (other != made.end() && std::get<0>(other->first) == font.get() &&
            std::get<1>(other->first) == picture)
            return made[key] =
                       boost::shared_ptr<cFontScaled>(new cFontScaled(font, other->second->m_source, scale));
        return made[key] = boost::make_shared<cFontScaled>(font, picture, scale);
    }
    catch (...)
    {
        // A picture that cannot be read again (a render device without textures, a file gone
        // since the font was loaded) leaves the text drawn from the font's own picture.
        return {};
    }
}

} // namespace Engine
