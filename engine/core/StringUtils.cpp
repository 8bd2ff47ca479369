#include "engine/core/StringUtils.h"

#include "platform/system/TextCodec.h"

#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

namespace Engine
{
namespace
{

template <class Char> uint32_t hashRange(const Char* text, size_t length)
{
    uint32_t seed = 0;
    for (size_t i = 0; i < length; ++i)
    {
        uint32_t c;
        if constexpr (std::is_same_v<Char, char>)
            c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[i])));
        else
            c = static_cast<uint32_t>(text[i]);
        seed ^= c + 0x9E3779B9u + (seed << 6) + (seed >> 2);
    }
    return seed;
}

uint32_t hashNoCase(const char* text, size_t length)
{
    uint32_t seed = 0;
    for (size_t i = 0; i < length; ++i)
    {
        char ch = text[i];
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
        const uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(ch)));
        seed ^= c + 0x9E3779B9u + (seed << 6) + (seed >> 2);
    }
    return seed;
}

template <class S> void replaceAllIn(S& text, const S& find, const S& replacement)
{
    if (find.empty())
        return;
    size_t at = text.find(find);
    while (at != S::npos)
    {
        text.replace(at, find.size(), replacement);
        at = text.find(find, at + replacement.size());
    }
}

template <class S> S lowerAscii(S text)
{
    for (auto& ch : text)
    {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<typename S::value_type>(ch - 'A' + 'a');
    }
    return text;
}

// The position of a character in UTF-16 code-unit order; distinct characters get distinct
// positions.
uint64_t unitOrder(wchar_t ch)
{
    const uint64_t c = static_cast<uint32_t>(ch);
    if (c < 0xD800)
        return c;
    if (c >= 0x10000)
        return 0xD800 + (c - 0x10000); // a lead surrogate D800..DBFF comes first
    if (c < 0xE000)
        return (uint64_t(1) << 33) + c;
    return (uint64_t(1) << 34) + c;
}

bool isXmlCharacter(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x20)
        return c == 0x9 || c == 0xA || c == 0xD;
    if (c < 0xD800)
        return true;
    if (c < 0xE000)
        return false;
    if (c < 0x10000)
        return c != 0xFFFE && c != 0xFFFF;
    return c <= 0x10FFFF;
}

bool isNameStart(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    // Past ASCII: the letters of the Latin-1 block and everything above it that is a character
    // at all (names the program reads were accepted by the parser already).
    return c >= 0xC0 && c != 0xD7 && c != 0xF7 && isXmlCharacter(ch);
}

bool isNameCharacter(wchar_t ch)
{
    const uint32_t c = static_cast<uint32_t>(ch);
    if (c < 0x80)
        return isNameStart(ch) || (c >= '0' && c <= '9') || c == '.' || c == '-';
    return c == 0xB7 || isNameStart(ch);
}

} // namespace

std::wstring toStringFloating(double value)
{
    std::wostringstream stream;
    stream.imbue(std::locale::classic());
    stream << value;
    return stream.str();
}

void toUtf8(const std::wstring& text, std::string& out)
{
    Platform::utf8FromWide(text, out);
}

std::string toUtf8(const std::wstring& text)
{
    return Platform::utf8FromWide(text);
}

void fromUtf8(const std::string& text, std::wstring& out)
{
    Platform::wideFromUtf8(text, out);
}

std::wstring fromUtf8(const std::string& text)
{
    return Platform::wideFromUtf8(text);
}

std::u16string toUtf16(const std::wstring& text)
{
    return Platform::utf16FromWide(text);
}

std::wstring fromUtf16(const char16_t* data, size_t units)
{
    return Platform::wideFromUtf16(data, units);
}

uint32_t hashWStr(const wchar_t* text)
{
    return text ? hashRange(text, std::char_traits<wchar_t>::length(text)) : 0u;
}

uint32_t hashWString(const std::wstring& text)
{
    return hashRange(text.data(), text.size());
}

uint32_t hashStr(const char* text)
{
    return text ? hashRange(text, std::char_traits<char>::length(text)) : 0u;
}

uint32_t hashString(const std::string& text)
{
    return hashRange(text.data(), text.size());
}

uint32_t hashStrNoCase(const char* text)
{
    return text ? hashNoCase(text, std::char_traits<char>::length(text)) : 0u;
}

uint32_t hashStrNoCase(const std::string& text)
{
    return hashNoCase(text.data(), text.size());
}

std::wstring escapeXml(const std::wstring& text)
{
    // Ampersands go first so the entities added later are not escaped again.
    std::wstring out = text;
    replaceAll(out, L"&", L"&amp;");
    replaceAll(out, L"'", L"&apos;");
    replaceAll(out, L">", L"&gt;");
    replaceAll(out, L"<", L"&lt;");
    replaceAll(out, L"\"", L"&quot;");
    return out;
}

std::wstring replaceNonXmlCharacters(const std::wstring& text)
{
    std::wstring out = text;
    for (wchar_t& ch : out)
    {
        if (!isXmlCharacter(ch))
            ch = static_cast<wchar_t>(0xFFFD);
    }
    return out;
}

std::wstring xmlAttributeText(const std::wstring& text)
{
    std::wstring out = escapeXml(replaceNonXmlCharacters(text));
    replaceAll(out, L"\t", L"&#9;");
    replaceAll(out, L"\n", L"&#10;");
    replaceAll(out, L"\r", L"&#13;");
    return out;
}

std::wstring xmlContentText(const std::wstring& text)
{
    return escapeXml(replaceNonXmlCharacters(text));
}

bool isXmlName(const std::wstring& text)
{
    if (text.empty() || !isNameStart(text[0]))
        return false;
    for (const wchar_t ch : text)
    {
        if (!isNameCharacter(ch))
            return false;
    }
    return true;
}

bool cUtf16Less::operator()(const std::wstring& a, const std::wstring& b) const
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i)
    {
        if (a[i] != b[i])
            return unitOrder(a[i]) < unitOrder(b[i]);
    }
    return a.size() < b.size();
}

void replaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement)
{
    replaceAllIn(text, find, replacement);
}

void replaceAll(std::string& text, const std::string& find, const std::string& replacement)
{
    replaceAllIn(text, find, replacement);
}

int shownSeconds(float seconds)
{
    if (seconds >= 5999.0f)
        return 5999;
    if (seconds > 0.0f) // also false for NaN
        return static_cast<int>(seconds);
    return 0;
}

const wchar_t* timeToString(float seconds)
{
    static wchar_t buffer[6] = L"00:00";
    const int s = shownSeconds(seconds);
    buffer[0] = static_cast<wchar_t>(L'0' + s / 600);
    buffer[1] = static_cast<wchar_t>(L'0' + (s / 60) % 10);
    buffer[2] = L':';
    buffer[3] = static_cast<wchar_t>(L'0' + (s % 60) / 10);
    buffer[4] = static_cast<wchar_t>(L'0' + s % 10);
    buffer[5] = L'\0';
    return buffer;
}

std::string toLower(std::string text)
{
    return lowerAscii(std::move(text));
}

std::wstring toLower(std::wstring text)
{
    return lowerAscii(std::move(text));
}

} // namespace Engine

std::string toNarrowString(const std::wstring& text)
{
    return Engine::toUtf8(text);
}

std::string toNarrowString(const wchar_t* text)
{
    return text ? Engine::toUtf8(std::wstring(text)) : std::string();
}
