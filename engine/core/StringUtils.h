#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace Engine
{

// Decimal text of an integer ("-12"); other arithmetic types in the classic "C" format with
// six significant digits ("2.5", "1e+06").
std::wstring toStringFloating(double value);

template <class T> std::wstring toString(T value)
{
    static_assert(std::is_arithmetic_v<T>, "toString takes a number");
    if constexpr (std::is_integral_v<T>)
        return std::to_wstring(value);
    else
        return toStringFloating(static_cast<double>(value));
}

// UTF-8 of a wide text and back, the whole text. Code points that are no character (lone
// surrogates, values past U+10FFFF) and malformed UTF-8 sequences become U+FFFD.
std::string toUtf8(const std::wstring& text);
std::wstring fromUtf8(const std::string& text);
// The same, replacing `out`.
void toUtf8(const std::wstring& text, std::string& out);
void fromUtf8(const std::string& text, std::wstring& out);

// UTF-16 at the boundaries where text leaves or enters the program in a wide encoding (files,
// the XML parser). Characters past the Basic Plane become surrogate pairs and pairs are joined
// again; an unpaired surrogate becomes U+FFFD.
std::u16string toUtf16(const std::wstring& text);
std::wstring fromUtf16(const char16_t* data, size_t units);
inline std::wstring fromUtf16(const std::u16string& text)
{
    return fromUtf16(text.data(), text.size());
}

// The name hash that keys registries and the hash-keyed property tree. From seed 0, each
// character c updates seed ^= c + 0x9E3779B9 + (seed << 6) + (seed >> 2). Wide characters enter
// as their unsigned value; narrow bytes enter sign-extended (0xE9 adds 0xFFFFFFE9), so an ASCII
// text hashes alike in both forms. The empty text hashes to 0. A null pointer hashes to 0.
uint32_t hashWStr(const wchar_t* text);
uint32_t hashWString(const std::wstring& text);
uint32_t hashStr(const char* text);
uint32_t hashString(const std::string& text);
// The narrow hash over the text with A to Z lower-cased.
uint32_t hashStrNoCase(const char* text);
uint32_t hashStrNoCase(const std::string& text);

// A copy with & ' > < " replaced, in that order, by &amp; &apos; &gt; &lt; &quot;.
std::wstring escapeXml(const std::wstring& text);

// The text with every character that an XML file cannot hold (control characters other than
// tab, line feed and carriage return, U+FFFE, U+FFFF, surrogates, values past U+10FFFF)
// replaced by U+FFFD. A file written from such text would not load again.
std::wstring replaceNonXmlCharacters(const std::wstring& text);
// An attribute value as the engine writes it: non-XML characters replaced, then
// `escapeXml`, then tab, line feed and carriage return as character references (the parser
// would turn them into blanks otherwise). Plain text comes out as `escapeXml` gives it.
std::wstring xmlAttributeText(const std::wstring& text);
// Element text as the engine writes it: non-XML characters replaced, then `escapeXml`.
std::wstring xmlContentText(const std::wstring& text);
// True when the text can stand as an element or attribute name of a written file: a letter,
// "_" or ":" first, then letters, digits, ".", "-", "_", ":"; characters past ASCII count as
// letters when XML allows them at all.
bool isXmlName(const std::wstring& text);

// Orders wide texts as their UTF-16 code units compare, so that tables sort the way the files
// the program writes (UTF-16) sort: a character past the Basic Plane, written as a surrogate
// pair, comes before U+E000..U+FFFF. Every other text compares as its characters do, so
// upper-case letters come before lower-case ones.
struct cUtf16Less
{
    bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// Replaces every occurrence of `find` in `text`; the search goes on after each inserted
// replacement, so inserted text is never searched again. An empty `find` changes nothing.
void replaceAll(std::wstring& text, const std::wstring& find, const std::wstring& replacement);
void replaceAll(std::string& text, const std::string& find, const std::string& replacement);

// The whole seconds a clock shows of `seconds`: the fraction dropped, clamped to 0..5999, 0 for
// NaN.
int shownSeconds(float seconds);
// "mm:ss" of `shownSeconds(seconds)` ("99:59" at most). The result is one static buffer,
// overwritten by the next call; copy it before calling again.
const wchar_t* timeToString(float seconds);

// A copy with A to Z lower-cased and every other character unchanged (paths and keys).
std::string toLower(std::string text);
std::wstring toLower(std::wstring text);

} // namespace Engine

// The narrow (UTF-8) text of a wide text, the whole text. A null pointer gives an empty text.
std::string toNarrowString(const std::wstring& text);
std::string toNarrowString(const wchar_t* text);
