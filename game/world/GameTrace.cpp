#include "game/world/GameTrace.h"

#include "platform/system/SystemInfo.h"

#include <cstdlib>

namespace
{

GameTrace::Sink& sink()
{
    static GameTrace::Sink installed;
    return installed;
}

GameTrace::Listener& listener()
{
    static GameTrace::Listener installed;
    return installed;
}

} // namespace

void GameTrace::write(const wchar_t* line)
{
    if (const Listener& told = listener())
        told();
    if (const Sink& to = sink())
        to(line);
    else if (std::getenv("QUILLMOOR_TRACE"))
        Platform::debugTrace(line);
}

void GameTrace::setSink(const Sink& installed)
{
    sink() = installed;
}

void GameTrace::setListener(const Listener& installed)
{
    listener() = installed;
}
