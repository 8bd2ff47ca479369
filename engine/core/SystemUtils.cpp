#include "engine/core/SystemUtils.h"

#include "engine/core/StringUtils.h"
#include "platform/system/Clock.h"
#include "platform/system/SystemInfo.h"

#include <cstring>

namespace Engine
{

std::string lastErrorText()
{
    // Read the code first: building strings may change it.
    const int code = Platform::lastErrorCode();
    try
    {
        return Platform::errorText(code);
    }
    catch (...)
    {
        return {};
    }
}

std::wstring getCommonAppDataFolder()
{
    try
    {
        return fromUtf8(Platform::dataHomeFolder());
    }
    catch (...)
    {
        return {};
    }
}

cPoint getCursorPos()
{
    cPoint pos;
    Platform::globalCursorPos(pos.x, pos.y);
    return pos;
}

void sleep(uint32_t milliseconds)
{
    Platform::sleepMs(milliseconds);
}

int wideToNarrow(char* buffer, size_t bufferSize, const wchar_t* text)
{
    if (!buffer || bufferSize == 0)
        return 0;
    const std::string narrow = toNarrowString(text);
    size_t length = narrow.size();
    if (length > bufferSize - 1)
    {
        length = bufferSize - 1;
        // Never leave half a character: back up over continuation bytes to a lead byte.
        while (length > 0 && (static_cast<unsigned char>(narrow[length]) & 0xC0u) == 0x80u)
            --length;
    }
    std::memcpy(buffer, narrow.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

} // namespace Engine
