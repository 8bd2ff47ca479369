#include "platform/window/TextCodec.h"

#include <cstdint>

namespace Platform
{
namespace
{

constexpr char32_t kReplacement = 0xFFFD;

bool isCharacter(char32_t c)
{
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

void appendUtf8(char32_t c, std::string& out)
{
    if (!isCharacter(c))
        c = kReplacement;
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one character starting at text[i] and moves i past it. A malformed sequence counts
// as one byte and gives U+FFFD.
char32_t decodeUtf8(const std::string& text, size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0)
    {
        extra = 1;
        c = lead & 0x1F;
        minimum = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        extra = 2;
        c = lead & 0x0F;
        minimum = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        extra = 3;
        c = lead & 0x07;
        minimum = 0x10000;
    }
    else
    {
        return kReplacement;
    }
    size_t j = i;
    for (int k = 0; k < extra; ++k, ++j)
    {
        if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80)
            return kReplacement;
        c = (c << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
    }
    i = j;
    if (c < minimum || !isCharacter(c))
        return kReplacement;
    return c;
}

} // namespace

std::string utf8FromWide(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t w : text)
        appendUtf8(static_cast<char32_t>(static_cast<uint32_t>(w)), out);
    return out;
}

std::u16string utf16FromUtf8(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
    {
        const char32_t c = decodeUtf8(text, i);
        if (c < 0x10000)
        {
            out += static_cast<char16_t>(c);
        }
        else
        {
            const char32_t v = c - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        }
    }
    return out;
}

} // namespace Platform
