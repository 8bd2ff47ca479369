#include "engine/core/FromString.h"

#include "engine/core/StringUtils.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace Engine
{
namespace
{

bool isSpace(wchar_t c)
{
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

bool isDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Reads values one after the other from a wide text the way an input stream in the "C" locale
// extracts them. The first failed read puts the reader into a failed state in which every
// later read fails too, so the values after a bad one stay unchanged.
class cTextReader
{
public:
    explicit cTextReader(const std::wstring& text, size_t start = 0)
        : m_pos(text.data() + start), m_end(text.data() + text.size())
    {
    }

    // Consumes exactly one character, whatever it is.
    bool skipOne()
    {
        if (m_failed || m_pos == m_end)
            return fail();
        ++m_pos;
        return true;
    }

    template <class T> bool readFloat(T& out)
    {
        static_assert(std::is_floating_point_v<T>);
        if (m_failed)
            return false;
        skipSpace();
        const wchar_t* p = m_pos;
        bool negative = false;
        if (p != m_end && (*p == L'+' || *p == L'-'))
            negative = *p++ == L'-';
        const wchar_t* mantissa = p;
        size_t digits = 0;
        while (p != m_end && isDigit(*p))
            ++p, ++digits;
        if (p != m_end && *p == L'.')
        {
            ++p;
            while (p != m_end && isDigit(*p))
                ++p, ++digits;
        }
        if (digits == 0)
            return fail();
        // An exponent counts only when at least one digit follows the e and its sign.
        if (p != m_end && (*p == L'e' || *p == L'E'))
        {
            const wchar_t* q = p + 1;
            if (q != m_end && (*q == L'+' || *q == L'-'))
                ++q;
            if (q != m_end && isDigit(*q))
            {
                while (q != m_end && isDigit(*q))
                    ++q;
                p = q;
            }
        }
        m_pos = p;

        // The characters are all ASCII here; from_chars reads them without any locale.
        char local[64];
        std::string heap;
        char* narrow = local;
        const size_t length = static_cast<size_t>(p - mantissa) + 1;
        if (length > sizeof(local))
        {
            heap.resize(length);
            narrow = heap.data();
        }
        size_t n = 0;
        if (negative)
            narrow[n++] = '-';
        for (const wchar_t* c = mantissa; c != p; ++c)
            narrow[n++] = static_cast<char>(*c);
        T value{};
        const auto result = std::from_chars(narrow, narrow + n, value, std::chars_format::general);
        if (result.ec != std::errc())
            return fail();
        out = value;
        return true;
    }

    // Signed or unsigned integer in base 10 or 16 (base 16 accepts a leading "0x" or "0X").
    // A minus sign on an unsigned type wraps as unsigned arithmetic does; a value the type
    // cannot hold fails. When `clamped`, a value outside the type's range, however long, gives
    // the nearer end of it instead, and a minus sign on an unsigned type gives 0.
    template <class T> bool readInt(T& out, int base = 10, bool clamped = false)
    {
        static_assert(std::is_integral_v<T>);
        if (m_failed)
            return false;
        skipSpace();
        const wchar_t* p = m_pos;
        bool negative = false;
        if (p != m_end && (*p == L'+' || *p == L'-'))
            negative = *p++ == L'-';
        if (base == 16 && m_end - p >= 3 && p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') &&
            hexDigitValue(p[2]) >= 0)
            p += 2;
        uint64_t magnitude = 0;
        bool overflow = false;
        const wchar_t* first = p;
        for (; p != m_end; ++p)
        {
            const int d = base == 16 ? hexDigitValue(*p) : (isDigit(*p) ? *p - L'0' : -1);
            if (d < 0)
                break;
            const uint64_t limit = (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(d)) /
                                   static_cast<uint64_t>(base);
            if (magnitude > limit)
                overflow = true;
            else
                magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        }
        if (p == first)
            return fail();
        m_pos = p;

        using U = std::make_unsigned_t<T>;
        const uint64_t max = static_cast<uint64_t>(std::numeric_limits<T>::max());
        if (clamped && negative && (std::is_unsigned_v<T> || overflow || magnitude > max + 1u))
        {
            out = std::numeric_limits<T>::min();
            return true;
        }
        if (clamped && !negative && (overflow || magnitude > max))
        {
            out = std::numeric_limits<T>::max();
            return true;
        }
        if (overflow)
            return fail();
        if constexpr (std::is_signed_v<T>)
        {
            if (negative)
            {
                if (magnitude > max + 1u)
                    return fail();
                out = static_cast<T>(static_cast<U>(0u - magnitude));
            }
            else
            {
                if (magnitude > max)
                    return fail();
                out = static_cast<T>(magnitude);
            }
        }
        else
        {
            if (magnitude > max)
                return fail();
            out = negative ? static_cast<T>(static_cast<U>(0u) - static_cast<U>(magnitude))
                           : static_cast<T>(magnitude);
        }
        return true;
    }

    // True when only blanks are left.
    bool atEnd()
    {
        skipSpace();
        return !m_failed && m_pos == m_end;
    }

private:
    void skipSpace()
    {
        while (m_pos != m_end && isSpace(*m_pos))
            ++m_pos;
    }

    bool fail()
    {
        m_failed = true;
        return false;
    }

    const wchar_t* m_pos;
    const wchar_t* m_end;
    bool m_failed = false;
};

template <class T> T& readFloatInto(T& target, const std::wstring& text)
{
    cTextReader(text).readFloat(target);
    return target;
}

template <class T> T& readIntInto(T& target, const std::wstring& text)
{
    cTextReader(text).readInt(target);
    return target;
}

template <class T> bool readExactInt(T& target, const std::wstring& text)
{
    // A sign an unsigned type would wrap is no number of it.
    if constexpr (std::is_unsigned_v<T>)
        if (text.find(L'-') != std::wstring::npos)
            return false;
    cTextReader reader(text);
    T value{};
    if (!reader.readInt(value) || !reader.atEnd())
        return false;
    target = value;
    return true;
}

template <class T> T& readClampedInto(T& target, const std::wstring& text)
{
    cTextReader(text).readInt(target, 10, true);
    return target;
}

} // namespace

int& fromStringClamped(int& target, const std::wstring& text)
{
    return readClampedInto(target, text);
}

unsigned int& fromStringClamped(unsigned int& target, const std::wstring& text)
{
    return readClampedInto(target, text);
}

long& fromStringClamped(long& target, const std::wstring& text)
{
    return readClampedInto(target, text);
}

unsigned long& fromStringClamped(unsigned long& target, const std::wstring& text)
{
    return readClampedInto(target, text);
}

long long& fromStringClamped(long long& target, const std::wstring& text)
{
    return readClampedInto(target, text);
}

unsigned long& fromStringClampedOrHex(unsigned long& target, const std::wstring& text)
{
    if (text.size() >= 2 && text[0] == L'0' && text[1] == L'x')
        cTextReader(text, 2).readInt(target, 16, true);
    else
        cTextReader(text).readInt(target, 10, true);
    return target;
}

bool fromStringExact(int& target, const std::wstring& text)
{
    return readExactInt(target, text);
}

bool fromStringExact(unsigned int& target, const std::wstring& text)
{
    return readExactInt(target, text);
}

bool fromStringExact(long long& target, const std::wstring& text)
{
    return readExactInt(target, text);
}

int hexDigitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

template <> float& fromString<float>(float& target, const std::wstring& text)
{
    return readFloatInto(target, text);
}

template <> double& fromString<double>(double& target, const std::wstring& text)
{
    return readFloatInto(target, text);
}

template <> bool& fromString<bool>(bool& target, const std::wstring& text)
{
    long value = 0;
    if (cTextReader(text).readInt(value) && (value == 0 || value == 1))
        target = value == 1;
    return target;
}

template <> int& fromString<int>(int& target, const std::wstring& text)
{
    return readIntInto(target, text);
}

template <> unsigned int& fromString<unsigned int>(unsigned int& target, const std::wstring& text)
{
    return readIntInto(target, text);
}

template <> long& fromString<long>(long& target, const std::wstring& text)
{
    return readIntInto(target, text);
}

template <> unsigned short& fromString<unsigned short>(unsigned short& target, const std::wstring& text)
{
    return readIntInto(target, text);
}

template <> long long& fromString<long long>(long long& target, const std::wstring& text)
{
    return readIntInto(target, text);
}

template <> unsigned long& fromString<unsigned long>(unsigned long& target, const std::wstring& text)
{
    // Only a lower-case "0x" at the very start selects hexadecimal; "0X1F" reads as 0.
    if (text.size() >= 2 && text[0] == L'0' && text[1] == L'x')
        cTextReader(text, 2).readInt(target, 16);
    else
        cTextReader(text).readInt(target, 10);
    return target;
}

template <> cColor& fromString<cColor>(cColor& target, const std::wstring& text)
{
    uint32_t v = 0;
    if (!cTextReader(text).readInt(v, 16))
        return target;
    constexpr float k = 1.0f / 255.0f;
    target.r = static_cast<float>((v >> 16) & 255u) * k;
    target.g = static_cast<float>((v >> 8) & 255u) * k;
    target.b = static_cast<float>(v & 255u) * k;
    // The length of the whole text decides, not the number of digits; data files rely on it.
    if (text.size() >= 7)
        target.a = static_cast<float>((v >> 24) & 255u) * k;
    return target;
}

template <> cVector2& fromString<cVector2>(cVector2& target, const std::wstring& text)
{
    cTextReader reader(text);
    reader.readFloat(target.x) && reader.skipOne() && reader.readFloat(target.y);
    return target;
}

template <> cVector3& fromString<cVector3>(cVector3& target, const std::wstring& text)
{
    cTextReader reader(text);
    reader.readFloat(target.x) && reader.skipOne() && reader.readFloat(target.y) && reader.skipOne() &&
        reader.readFloat(target.z);
    return target;
}

template <> cVector4& fromString<cVector4>(cVector4& target, const std::wstring& text)
{
    cTextReader reader(text);
    reader.readFloat(target.x) && reader.skipOne() && reader.readFloat(target.y) && reader.skipOne() &&
        reader.readFloat(target.z) && reader.skipOne() && reader.readFloat(target.w);
    return target;
}

template <> cPoint& fromString<cPoint>(cPoint& target, const std::wstring& text)
{
    cTextReader reader(text);
    reader.readInt(target.x) && reader.skipOne() && reader.readInt(target.y);
    return target;
}

template <> std::wstring& fromString<std::wstring>(std::wstring& target, const std::wstring& text)
{
    target = text;
    return target;
}

template <> std::string& fromString<std::string>(std::string& target, const std::wstring& text)
{
    const std::string narrow = toNarrowString(text);
    const auto isNarrowSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    size_t begin = 0;
    while (begin < narrow.size() && isNarrowSpace(narrow[begin]))
        ++begin;
    if (begin == narrow.size())
        return target;
    size_t end = begin;
    while (end < narrow.size() && !isNarrowSpace(narrow[end]))
        ++end;
    target.assign(narrow, begin, end - begin);
    return target;
}

} // namespace Engine
