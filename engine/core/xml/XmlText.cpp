#include "engine/core/xml/XmlText.h"

namespace Engine::xml
{

namespace
{

constexpr wchar_t kReplacement = 0xFFFD;

bool isHigh(uint32_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLow(uint32_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Decodes the character at text[i] (i < units) and moves i past it.
template <class Next> uint32_t decode(const tUnit* text, size_t& i, Next hasNext)
{
    const uint32_t u = text[i++];
    if (u < 0xD800 || u > 0xDFFF)
        return u;
    if (isHigh(u) && hasNext(i) && isLow(text[i]))
        return 0x10000 + ((u - 0xD800) << 10) + (text[i++] - 0xDC00);
    return kReplacement;
}

} // namespace

size_t unitLength(const tUnit* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

size_t decodeUnits(const tUnit* text, size_t units, wchar_t* out)
{
    size_t written = 0;
    for (size_t i = 0; i < units;)
    {
        const uint32_t u = text[i];
        if (u < 0xD800 || u > 0xDFFF)
        {
            out[written++] = static_cast<wchar_t>(u);
            ++i;
            continue;
        }
        out[written++] = static_cast<wchar_t>(decode(text, i, [units](size_t j) { return j < units; }));
    }
    return written;
}

void appendUnits(std::wstring& out, const tUnit* text, size_t units)
{
    const size_t start = out.size();
    out.resize(start + units);
    out.resize(start + decodeUnits(text, units, &out[start]));
}

std::wstring toWide(const tUnit* text, size_t units)
{
    std::wstring out;
    appendUnits(out, text, units);
    return out;
}

uint32_t hashUnits(const tUnit* text)
{
    uint32_t seed = 0;
    for (size_t i = 0; text[i];)
    {
        const uint32_t c = decode(text, i, [text](size_t j) { return text[j] != 0; });
        seed ^= c + 0x9E3779B9u + (seed << 6) + (seed >> 2);
    }
    return seed;
}

void appendUtf16Bytes(std::string& out, std::wstring_view text)
{
    auto put = [&out](uint32_t unit)
    {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    };
    for (const wchar_t ch : text)
    {
        const uint32_t c = static_cast<uint32_t>(ch);
        if (c >= 0x10000 && c <= 0x10FFFF)
        {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
            put(c > 0x10FFFF ? static_cast<uint32_t>(kReplacement) : c);
    }
}

size_t utf16Length(std::wstring_view text)
{
    size_t n = 0;
    for (const wchar_t ch : text)
        n += (static_cast<uint32_t>(ch) >= 0x10000 && static_cast<uint32_t>(ch) <= 0x10FFFF) ? 2 : 1;
    return n;
}

} // namespace Engine::xml
