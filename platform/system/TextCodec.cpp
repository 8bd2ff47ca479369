#include "platform/system/TextCodec.h"

#include <cstdint>

namespace Platform
{
namespace
{

constexpr uint32_t kReplacement = 0xFFFDu;

bool isSurrogate(uint32_t c)
{
    return c >= 0xD800u && c <= 0xDFFFu;
}

// A code point that UTF-8 and UTF-16 can carry; anything else is written as U+FFFD.
uint32_t sanitize(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    return (isSurrogate(c) || c > 0x10FFFFu) ? kReplacement : c;
}

void appendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80u)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800u)
    {
        out += static_cast<char>(0xC0u | (c >> 6));
        out += static_cast<char>(0x80u | (c & 0x3Fu));
    }
    else if (c < 0x10000u)
    {
        out += static_cast<char>(0xE0u | (c >> 12));
        out += static_cast<char>(0x80u | ((c >> 6) & 0x3Fu));
        out += static_cast<char>(0x80u | (c & 0x3Fu));
    }
    else
    {
        out += static_cast<char>(0xF0u | (c >> 18));
        out += static_cast<char>(0x80u | ((c >> 12) & 0x3Fu));
        out += static_cast<char>(0x80u | ((c >> 6) & 0x3Fu));
        out += static_cast<char>(0x80u | (c & 0x3Fu));
    }
}

// Decodes one UTF-8 sequence starting at text[i] and moves i past it. A malformed sequence
// (stray continuation byte, overlong form, surrogate, value past U+10FFFF, cut-off end)
// yields U+FFFD and consumes only its longest valid-looking prefix, so the decoder resumes at
// the next byte that may start a character.
uint32_t decodeUtf8(const std::string& text, size_t& i)
{
    const size_t size = text.size();
    const uint8_t lead = static_cast<uint8_t>(text[i++]);
    if (lead < 0x80u)
        return lead;
    int extra = 0;
    uint32_t c = 0;
    uint8_t low = 0x80u;
    uint8_t high = 0xBFu;
    if (lead >= 0xC2u && lead <= 0xDFu)
    {
        extra = 1;
        c = lead & 0x1Fu;
    }
    else if (lead >= 0xE0u && lead <= 0xEFu)
    {
        extra = 2;
        c = lead & 0x0Fu;
        if (lead == 0xE0u)
            low = 0xA0u; // no overlong forms
        else if (lead == 0xEDu)
            high = 0x9Fu; // no surrogates
    }
    else if (lead >= 0xF0u && lead <= 0xF4u)
    {
        extra = 3;
        c = lead & 0x07u;
        if (lead == 0xF0u)
            low = 0x90u; // no overlong forms
        else if (lead == 0xF4u)
            high = 0x8Fu; // nothing past U+10FFFF
    }
    else
    {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k)
    {
        if (i >= size)
            return kReplacement;
        const uint8_t next = static_cast<uint8_t>(text[i]);
        if (next < low || next > high)
            return kReplacement;
        low = 0x80u;
        high = 0xBFu;
        c = (c << 6) | (next & 0x3Fu);
        ++i;
    }
    return c;
}

} // namespace

void utf8FromWide(const std::wstring& text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (const wchar_t ch : text)
        appendUtf8(out, sanitize(ch));
}

std::string utf8FromWide(const std::wstring& text)
{
    std::string out;
    utf8FromWide(text, out);
    return out;
}

void wideFromUtf8(const std::string& text, std::wstring& out)
{
    out.clear();
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size())
        out += static_cast<wchar_t>(decodeUtf8(text, i));
}

std::wstring wideFromUtf8(const std::string& text)
{
    std::wstring out;
    wideFromUtf8(text, out);
    return out;
}

std::u16string utf16FromWide(const std::wstring& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (const wchar_t ch : text)
    {
        const uint32_t c = sanitize(ch);
        if (c < 0x10000u)
        {
            out += static_cast<char16_t>(c);
        }
        else
        {
            const uint32_t v = c - 0x10000u;
            out += static_cast<char16_t>(0xD800u | (v >> 10));
            out += static_cast<char16_t>(0xDC00u | (v & 0x3FFu));
        }
    }
    return out;
}

std::wstring wideFromUtf16(const char16_t* data, size_t units)
{
    std::wstring out;
    if (!data)
        return out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i)
    {
        const uint32_t c = data[i];
        if (!isSurrogate(c))
        {
            out += static_cast<wchar_t>(c);
        }
        else if (c <= 0xDBFFu && i + 1 < units && data[i + 1] >= 0xDC00u && data[i + 1] <= 0xDFFFu)
        {
            const uint32_t low = data[++i];
            out += static_cast<wchar_t>(0x10000u + ((c - 0xD800u) << 10) + (low - 0xDC00u));
        }
        else
        {
            out += static_cast<wchar_t>(kReplacement);
        }
    }
    return out;
}

std::u16string utf16FromUtf8(const std::string& text)
{
    return utf16FromWide(wideFromUtf8(text));
}

} // namespace Platform
