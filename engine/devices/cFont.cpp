#include "engine/devices/cFont.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "engine/devices/BinaryWriter.h"
#include "platform/text/FontAtlas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Engine
{

namespace
{

uint32_t readU32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
           static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

uint16_t readU16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

float readF32(const char* p)
{
    const uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

[[noreturn]] void fail(std::string text)
{
    getErrorString() = text;
    throw cString<std::string>(std::move(text));
}

[[noreturn]] void damaged(const std::string& path, const std::string& why)
{
    fail("Font (" + path + ") is damaged: " + why + ".");
}

} // namespace

cFont::cFont(const std::string& path)
{
    // The font loader's buffer lives for the whole run, so loading fonts does not allocate per
    // file (and is not reentrant).
    static std::vector<char> buffer;
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        fail("No file system to read the font (" + path + ").");
    const unsigned int size = files->readFile(path, buffer);
    load(path, buffer.data(), size);
}

cFont::cFont(const std::string& path, const std::vector<char>& bytes)
{
    load(path, bytes.data(), bytes.size());
}

eResourceType cFont::getType() const
{
    return eResourceType::Font;
}

void cFont::load(const std::string& path, const char* data, size_t size)
{
    m_path = path;
    if (size < 4 || readU32(data) != Tag)
        fail("Specified resourse (" + path + ") is not font.");
    if (size < 8)
        damaged(path, "unexpected end of source");
    const uint64_t rangeCount = readU32(data + 4);
    const uint64_t glyphCountAt = 8 + RangeSize * rangeCount;
    if (glyphCountAt + 4 > size)
        damaged(path, "unexpected end of source");
    const uint64_t glyphCount = readU32(data + glyphCountAt);
    const uint64_t glyphsAt = glyphCountAt + 4;
    if (glyphsAt + GlyphSize * glyphCount > size)
        damaged(path, "unexpected end of source");

    m_ranges.clear();
    for (uint64_t i = 0; i < rangeCount; ++i)
    {
        const char* record = data + 8 + RangeSize * i;
        sRange range;
        range.first = readU16(record);
        range.last = readU16(record + 2);
        range.glyph = readU16(record + 4);
        // Every code of a range must find its glyph: a range that reaches past the table would
        // hand out memory that is no glyph.
        if (range.first > range.last)
            damaged(path, "range " + std::to_string(i) + " ends before it starts");
        if (static_cast<uint64_t>(range.glyph) + (range.last - range.first) >= glyphCount)
            damaged(path, "range " + std::to_string(i) + " reaches past the " + std::to_string(glyphCount) +
                              " glyphs");
        m_ranges[range.last] = range;
    }

    m_glyphs.assign(static_cast<size_t>(glyphCount), sGlyph());
    for (uint64_t i = 0; i < glyphCount; ++i)
    {
        const char* record = data + glyphsAt + GlyphSize * i;
        sGlyph& glyph = m_glyphs[static_cast<size_t>(i)];
        glyph.left = readF32(record);
        glyph.top = readF32(record + 4);
        glyph.right = readF32(record + 8);
        glyph.bottom = readF32(record + 12);
        glyph.advance = readF32(record + 16);
    }
}

void cFont::checkPicture(const std::string& picture, int width, int height) const
{
    if (width <= 0 || height <= 0)
        return;
    const std::pair<int, int> size(width, height);
    if (std::find(m_heldBy.begin(), m_heldBy.end(), size) != m_heldBy.end())
        return;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    // The edges are fractions of the picture's sides, written as floats: back in texels they
    // miss the cell's whole texels by far less than this.
    constexpr float slack = 1.0f / 64.0f;
    const auto spans = [](float from, float to, float side)
    {
        return std::isfinite(from) && std::isfinite(to) && std::min(from, to) >= -slack &&
               std::max(from, to) <= side + slack;
    };
    const auto covers = [](float from, float to) { return std::fabs(to - from) >= 1.0f - slack; };
    for (size_t i = 0; i < m_glyphs.size(); ++i)
    {
        const sGlyph& glyph = m_glyphs[i];
        const float left = glyph.left * w;
        const float right = glyph.right * w;
        const float top = (1.0f - glyph.top) * h;
        const float bottom = (1.0f - glyph.bottom) * h;
        // A glyph of no width or no height draws nothing, and may lie anywhere inside.
        const bool drawn = left != right && top != bottom;
        if (!spans(left, right, w) || !spans(top, bottom, h) ||
            (drawn && (!covers(left, right) || !covers(top, bottom))))
            damaged(m_path, "its picture " + picture + " (" + std::to_string(width) + " x " +
                                std::to_string(height) + ") does not hold glyph " + std::to_string(i));
    }
    m_heldBy.push_back(size);
}

std::vector<char> cFont::encodeAtlas(const Platform::FontAtlas& atlas)
{
    const float width = static_cast<float>(atlas.image.width);
    const float height = static_cast<float>(atlas.image.height);
    std::vector<std::pair<uint16_t, sGlyph>> glyphs;
    for (const Platform::AtlasGlyph& cell : atlas.glyphs)
    {
        if (cell.code > 0xFFFF)
            continue;
        sGlyph glyph;
        glyph.left = static_cast<float>(cell.x) / width;
        glyph.right = static_cast<float>(cell.x + cell.width) / width;
        glyph.top = 1.0f - static_cast<float>(cell.y) / height;
        glyph.bottom = 1.0f - static_cast<float>(cell.y + cell.height) / height;
        glyph.advance = static_cast<float>(cell.advance) / width;
        glyphs.emplace_back(static_cast<uint16_t>(cell.code), glyph);
    }
    std::sort(glyphs.begin(), glyphs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 glyphs.end());

    std::vector<sRange> ranges;
    for (size_t i = 0; i < glyphs.size(); ++i)
    {
        if (!ranges.empty() && ranges.back().last + 1 == glyphs[i].first)
            ranges.back().last = glyphs[i].first;
        else
            ranges.push_back(sRange{glyphs[i].first, glyphs[i].first, static_cast<uint16_t>(i)});
    }

    BinaryWriter out;
    out.writeU32(Tag);
    out.writeU32(static_cast<uint32_t>(ranges.size()));
    for (const sRange& range : ranges)
    {
        out.writeU16(range.first);
        out.writeU16(range.last);
        out.writeU16(range.glyph);
    }
    out.writeU32(static_cast<uint32_t>(glyphs.size()));
    for (const auto& entry : glyphs)
    {
        out.writeFloat(entry.second.left);
        out.writeFloat(entry.second.top);
        out.writeFloat(entry.second.right);
        out.writeFloat(entry.second.bottom);
        out.writeFloat(entry.second.advance);
    }
    return std::vector<char>(out.bytes().begin(), out.bytes().end());
}

bool cFont::findGlyph(wchar_t code, size_t& index) const
{
    if (code < 0 || code > 0xFFFF)
        return false;
    const uint16_t unit = static_cast<uint16_t>(code);
    const auto it = m_ranges.lower_bound(unit);
    if (it == m_ranges.end() || unit < it->second.first)
        return false;
    index = static_cast<size_t>(unit - it->second.first) + it->second.glyph;
    return index < m_glyphs.size();
}

bool cFont::getGlyph(wchar_t code, sGlyph& glyph) const
{
    size_t index = 0;
    if (!findGlyph(code, index))
        return false;
    glyph = m_glyphs[index];
    return true;
}

} // namespace Engine
