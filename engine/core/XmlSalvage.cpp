#include "engine/core/XmlSalvage.h"

#include "engine/core/StringUtils.h"

#include <cstdint>
#include <cwchar>

namespace Engine
{
namespace
{

bool isBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// Replaces the five entities and character references the writer produces; anything else
// stays as it is.
std::wstring unescape(const std::wstring& text)
{
    static const struct
    {
        const wchar_t* entity;
        wchar_t ch;
    } entities[] = {
        {L"&amp;", L'&'}, {L"&apos;", L'\''}, {L"&gt;", L'>'}, {L"&lt;", L'<'}, {L"&quot;", L'"'}};
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        if (text[i] != L'&')
        {
            out += text[i++];
            continue;
        }
        bool done = false;
        for (const auto& e : entities)
        {
            if (text.compare(i, std::wcslen(e.entity), e.entity) == 0)
            {
                out += e.ch;
                i += std::wcslen(e.entity);
                done = true;
                break;
            }
        }
        if (!done && i + 2 < text.size() && text[i + 1] == L'#')
        {
            const bool hex = text[i + 2] == L'x';
            size_t j = i + (hex ? 3 : 2);
            uint32_t value = 0;
            const size_t first = j;
            while (j < text.size() && j - first < 8)
            {
                const wchar_t c = text[j];
                int digit = -1;
                if (c >= L'0' && c <= L'9')
                    digit = c - L'0';
                else if (hex && c >= L'a' && c <= L'f')
                    digit = c - L'a' + 10;
                else if (hex && c >= L'A' && c <= L'F')
                    digit = c - L'A' + 10;
                if (digit < 0)
                    break;
                value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
                ++j;
            }
            if (j > first && j < text.size() && text[j] == L';' && value > 0 && value <= 0x10FFFF)
            {
                out += static_cast<wchar_t>(value);
                i = j + 1;
                done = true;
            }
        }
        if (!done)
            out += text[i++];
    }
    return replaceNonXmlCharacters(out);
}

// Reads the tag that starts after the "<" at `p`; `p` ends past the tag (or at the next "<"
// when the tag is cut short, so no later tag is lost).
sSalvagedTag readTag(const std::wstring& text, size_t& p)
{
    sSalvagedTag tag;
    while (p < text.size() && !isBlank(text[p]) && text[p] != L'/' && text[p] != L'>' && text[p] != L'<')
        tag.name += text[p++];
    for (;;)
    {
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (p >= text.size() || text[p] == L'<')
            return tag;
        if (text[p] == L'>' || text[p] == L'/')
        {
            ++p;
            tag.complete = text[p - 1] == L'>';
            if (p < text.size() && text[p - 1] == L'/' && text[p] == L'>')
            {
                ++p;
                tag.complete = true;
            }
            return tag;
        }
        std::wstring name;
        while (p < text.size() && !isBlank(text[p]) && text[p] != L'=' && text[p] != L'>' &&
               text[p] != L'<' && text[p] != L'/')
            name += text[p++];
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (name.empty())
        {
            ++p; // a stray "=" or quote: step over it
            continue;
        }
        if (p >= text.size() || text[p] != L'=')
            continue;
        ++p;
        while (p < text.size() && isBlank(text[p]))
            ++p;
        if (p >= text.size() || (text[p] != L'"' && text[p] != L'\''))
            continue;
        const wchar_t quote = text[p++];
        const size_t close = text.find(quote, p);
        const size_t nextTag = text.find(L'<', p);
        // A value may not hold "<": an open quote that runs into the next tag was cut short.
        if (close == std::wstring::npos || (nextTag != std::wstring::npos && nextTag < close))
        {
            p = nextTag == std::wstring::npos ? text.size() : nextTag;
            return tag;
        }
        tag.attributes[name] = unescape(text.substr(p, close - p));
        p = close + 1;
    }
}

} // namespace

std::vector<sSalvagedTag> salvageTags(const std::wstring& text)
{
    std::vector<sSalvagedTag> tags;
    size_t p = 0;
    while ((p = text.find(L'<', p)) != std::wstring::npos)
    {
        ++p;
        if (p < text.size() && (text[p] == L'?' || text[p] == L'!' || text[p] == L'/'))
            continue;
        tags.push_back(readTag(text, p));
    }
    return tags;
}

std::wstring decodeTextFile(const std::string& bytes)
{
    const auto byte = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t start = 0;
    bool utf16 = false;
    bool bigEndian = false;
    if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
        start = 2, utf16 = true;
    else if (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
        start = 2, utf16 = true, bigEndian = true;
    else if (bytes.size() >= 2 && byte(1) == 0)
        utf16 = true;
    if (!utf16)
    {
        if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
            start = 3;
        return fromUtf8(bytes.substr(start));
    }
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
    {
        const unsigned lo = bigEndian ? byte(i + 1) : byte(i);
        const unsigned hi = bigEndian ? byte(i) : byte(i + 1);
        units += static_cast<char16_t>(lo | hi << 8);
    }
    return fromUtf16(units);
}

} // namespace Engine
