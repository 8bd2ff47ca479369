#pragma once

#include <filesystem>
#include <string>
#include <unistd.h>

namespace Test
{

// A display number (":N") that no X server holds, nor its lock file: a display that never
// answers. Empty when none is free.
inline std::string freeDisplay()
{
    for (int n = 300 + ::getpid() % 300; n < 1000; ++n)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) &&
            !std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            return ":" + std::to_string(n);
    return "";
}

} // namespace Test
