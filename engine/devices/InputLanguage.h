#pragma once

#include <cstdint>

namespace Engine
{

// Language identifiers of the keyboard input, as the text box compares them.
constexpr uint16_t LanguageEnglish = 1033;
constexpr uint16_t LanguageHebrew = 1037;

// The language the player types in: Hebrew when the user's locale (the first of LC_ALL,
// LC_CTYPE and LANG that is set) is Hebrew ("he", or the older "iw"), else English.
uint16_t currentInputLanguage();

} // namespace Engine
