#pragma once

#include <cstddef>
#include <string>

// Conversions between the program's wide text (code points in std::wstring), UTF-8 (every
// narrow text the program keeps or hands to the system) and UTF-16 (files and the XML parser).
// A value that is no character (a lone surrogate, a value past U+10FFFF) becomes U+FFFD, and so
// does every malformed input sequence.
namespace Platform
{

void utf8FromWide(const std::wstring& text, std::string& out);
std::string utf8FromWide(const std::wstring& text);
void wideFromUtf8(const std::string& text, std::wstring& out);
std::wstring wideFromUtf8(const std::string& text);
// Characters past the Basic Plane become surrogate pairs.
std::u16string utf16FromWide(const std::wstring& text);
// Surrogate pairs are joined; an unpaired surrogate becomes U+FFFD.
std::wstring wideFromUtf16(const char16_t* data, size_t units);
std::u16string utf16FromUtf8(const std::string& text);

} // namespace Platform
