#include "platform/system/SystemInfo.h"

#include "platform/system/SdlLibrary.h"
#include "platform/system/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace Platform
{
namespace
{

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof(buffer), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

} // namespace

std::string executablePath()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string executableFileName()
{
    const std::string path = executablePath();
    return std::filesystem::path(path).filename().string();
}

std::string dataHomeFolder()
{
    std::string folder;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        folder = xdg;
    else if (std::string home = homeFolder(); !home.empty())
        folder = home + "/.local/share";
    else
    {
        std::error_code error;
        folder = std::filesystem::current_path(error).string();
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    // Failure to create is not reported here: the first write into the folder reports it with
    // the file's name.
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

void returnFreeMemory()
{
    malloc_trim(0);
}

int lastErrorCode()
{
    return errno;
}

std::string errorText(int code)
{
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not live in the buffer.
    const char* text = strerror_r(code, buffer, sizeof(buffer));
    if (!text || !text[0])
        return "Unknown error " + std::to_string(code);
    return text;
}

void debugTrace(const std::string& utf8)
{
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

void debugTrace(const wchar_t* text)
{
    if (!text)
        return;
    debugTrace(utf8FromWide(text));
}

void globalCursorPos(int& x, int& y)
{
    x = 0;
    y = 0;
    // Without SDL in the process no video subsystem runs and SDL would answer (0, 0); loading
    // it only to hear that costs a tool its start.
    if (const SdlLibrary::Sdl* functions = SdlLibrary::sdlIfLoaded())
        functions->SDL_GetGlobalMouseState(&x, &y);
}

} // namespace Platform
