#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Engine::xml
{

// One UTF-16 code unit, as the parser's wide build delivers text.
using tUnit = unsigned short;

// Units before the terminating 0.
size_t unitLength(const tUnit* text);

// Appends UTF-16 units to a text of code points; pairs are joined, an unpaired surrogate
// becomes U+FFFD.
void appendUnits(std::wstring& out, const tUnit* text, size_t units);
std::wstring toWide(const tUnit* text, size_t units);
// Decodes into `out`, which has room for `units` characters; returns the characters written.
size_t decodeUnits(const tUnit* text, size_t units, wchar_t* out);

// The name hash (`propertyNameHash`) of a zero-terminated UTF-16 name, taken over its code
// points, so it equals the hash of the decoded name.
uint32_t hashUnits(const tUnit* text);

// Appends the UTF-16 little-endian bytes of a text (characters past the Basic Plane as pairs).
void appendUtf16Bytes(std::string& out, std::wstring_view text);
// The number of UTF-16 units the text takes.
size_t utf16Length(std::wstring_view text);

} // namespace Engine::xml
