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

void replaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement)
{
    replaceAllIn(text, find, replacement);
}

void replaceAll(std::string& text, const std::string& find, const std::string& replacement)
{
    replaceAllIn(text, find, replacement);
}

const wchar_t* timeToString(float seconds)
{
    static wchar_t buffer[6] = L"00:00";
    int s = 0;
    if (seconds >= 5999.0f)
        s = 5999;
    else if (seconds > 0.0f) // also false for NaN
        s = static_cast<int>(seconds);
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
