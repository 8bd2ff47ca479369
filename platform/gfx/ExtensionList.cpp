#include "platform/gfx/ExtensionList.h"

#include <cstring>

namespace Platform
{

bool hasExtension(const char* list, const char* name)
{
    if (!list)
        return false;
    const size_t length = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += length)
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0'))
            return true;
    return false;
}

} // namespace Platform
