#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"
#include "engine/core/cVector3.h"
#include "engine/core/cVector4.h"

#include <string>

namespace Engine
{

template <class T> struct cFromStringUnsupported
{
    static constexpr bool value = false;
};

// Reads a value from the wide text of a data file into `target` and returns `target`.
//
// Numbers are read as a stream in the classic "C" locale reads them, whatever the program's
// locale: leading white space is skipped and reading stops at the first character that cannot
// continue the number ("12abc" gives 12). When the text is empty, does not begin with a
// number or holds a number the type cannot hold, the target keeps its value, so a loader
// presets the default and passes the attribute text.
//
//   float, double            decimal, with fraction and exponent
//   bool                     the number 0 or 1; any other number or word changes nothing
//   int, unsigned, long,     decimal; unsigned types take a minus sign as unsigned arithmetic
//   unsigned short, long long  does ("-1" is the largest value)
//   unsigned long            hexadecimal after a leading "0x" (lower-case x only), else decimal
//   cColor                   hexadecimal; a text of up to 6 characters is RRGGBB and keeps alpha,
//                            a longer one is AARRGGBB. The characters of the text count, not
//                            the digits: "0xFFFFFF" is AARRGGBB with alpha 0.
//   cVector2/3/4, cPoint     the components in order, exactly one character of any kind skipped
//                            between two components ("3;4", "3,4", "3 4"); a component that
//                            cannot be read leaves it and every later one unchanged
//   std::wstring             the whole text (an empty text empties the target)
//   std::string              the first word of the UTF-8 text
template <class T> T& fromString(T& target, const std::wstring& text)
{
    static_assert(cFromStringUnsupported<T>::value, "fromString has no conversion to this type");
    (void)text;
    return target;
}

// The value read from `text` into a value-initialised T (0, false, an empty text).
template <class T> T fromString(const std::wstring& text)
{
    T value{};
    fromString<T>(value, text);
    return value;
}

// Reads a decimal number as `fromString` does, but a number outside the type's range gives the
// nearer end of it rather than wrapping or changing nothing: "-1" gives 0 for an unsigned type,
// "99999999999" the largest value. For the player's files, where a minus sign before a count or
// a volume is a slip, never a way to write the largest value.
int& fromStringClamped(int& target, const std::wstring& text);
unsigned int& fromStringClamped(unsigned int& target, const std::wstring& text);
long& fromStringClamped(long& target, const std::wstring& text);
unsigned long& fromStringClamped(unsigned long& target, const std::wstring& text);
long long& fromStringClamped(long long& target, const std::wstring& text);
// The same with `fromString<unsigned long>`'s hexadecimal after a leading "0x".
unsigned long& fromStringClampedOrHex(unsigned long& target, const std::wstring& text);

// Reads the whole text as one decimal integer of the type, for values a file must hold exactly
// (a time, a size): blanks may stand around it and a "-" before it for a signed type, nothing
// else. False, with the target unchanged, for a text that holds anything more or less
// ("12abc", "1e400", "", "-100" for an unsigned type) or a number the type cannot hold.
bool fromStringExact(int& target, const std::wstring& text);
bool fromStringExact(unsigned int& target, const std::wstring& text);
bool fromStringExact(long long& target, const std::wstring& text);

// The value of a hexadecimal digit (either case), or -1.
int hexDigitValue(wchar_t c);

template <> float& fromString<float>(float& target, const std::wstring& text);
template <> double& fromString<double>(double& target, const std::wstring& text);
template <> bool& fromString<bool>(bool& target, const std::wstring& text);
template <> int& fromString<int>(int& target, const std::wstring& text);
template <> unsigned int& fromString<unsigned int>(unsigned int& target, const std::wstring& text);
template <> long& fromString<long>(long& target, const std::wstring& text);
template <> unsigned short& fromString<unsigned short>(unsigned short& target, const std::wstring& text);
template <> long long& fromString<long long>(long long& target, const std::wstring& text);
template <> unsigned long& fromString<unsigned long>(unsigned long& target, const std::wstring& text);
template <> cColor& fromString<cColor>(cColor& target, const std::wstring& text);
template <> cVector2& fromString<cVector2>(cVector2& target, const std::wstring& text);
template <> cVector3& fromString<cVector3>(cVector3& target, const std::wstring& text);
template <> cVector4& fromString<cVector4>(cVector4& target, const std::wstring& text);
template <> cPoint& fromString<cPoint>(cPoint& target, const std::wstring& text);
template <> std::wstring& fromString<std::wstring>(std::wstring& target, const std::wstring& text);
template <> std::string& fromString<std::string>(std::string& target, const std::wstring& text);

} // namespace Engine
