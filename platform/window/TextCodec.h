#pragma once

#include <string>

// The text conversions the window layer needs at SDL's boundary, where text is UTF-8.
namespace Platform
{

// UTF-8 of wide text holding code points; a value that is no character (a surrogate, a value
// past U+10FFFF) becomes U+FFFD.
std::string utf8FromWide(const std::wstring& text);

// The UTF-16 code units of UTF-8 text; a malformed sequence becomes U+FFFD. Characters past the
// Basic Plane become surrogate pairs.
std::u16string utf16FromUtf8(const std::string& text);

} // namespace Platform
