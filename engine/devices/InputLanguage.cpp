#include "engine/devices/InputLanguage.h"

#include <cstdlib>
#include <cstring>

namespace Engine
{

uint16_t currentInputLanguage()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
    {
        const char* locale = std::getenv(name);
        if (!locale || !*locale)
            continue;
        const bool hebrew = (std::strncmp(locale, "he", 2) == 0 || std::strncmp(locale, "iw", 2) == 0) &&
                            (locale[2] == '\0' || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
        return hebrew ? LanguageHebrew : LanguageEnglish;
    }
    return LanguageEnglish;
}

} // namespace Engine
