#include "platform/window/MessageBox.h"

#include "platform/system/SdlLibrary.h"
#include "platform/system/TextCodec.h"

#include <cstdio>
#include <exception>
#include <cstdlib>

namespace Platform
{
namespace
{

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

void writeToStderr(const std::string& caption, const std::string& text)
{
    const std::string line = caption + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

bool messageBoxesAreHeadless()
{
    // Under a virtual X server a box blocks for ever, since nobody can dismiss it.
    if (std::getenv("QUILLMOOR_HEADLESS"))
        return true;
    return !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
}

void showMessageBox(const std::string& caption, const std::string& text, MessageBoxIcon icon)
{
    if (messageBoxesAreHeadless())
    {
        writeToStderr(caption, text);
        return;
    }
    Uint32 flags = SDL_MESSAGEBOX_WARNING;
    if (icon == MessageBoxIcon::Error)
        flags = SDL_MESSAGEBOX_ERROR;
    else if (icon == MessageBoxIcon::Information)
        flags = SDL_MESSAGEBOX_INFORMATION;
    // The box often reports a failure of its own: SDL missing is one more reason for stderr,
    // which then carries the loader's words as well.
    const SdlLibrary::Sdl* functions = nullptr;
    try
    {
        functions = &sdl();
    }
    catch (const std::exception& error)
    {
        writeToStderr(caption, text);
        writeToStderr(caption, error.what());
        return;
    }
    if (functions->SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), nullptr) != 0)
        writeToStderr(caption, text);
}

void showMessageBox(const std::wstring& caption, const std::wstring& text, MessageBoxIcon icon)
{
    showMessageBox(utf8FromWide(caption), utf8FromWide(text), icon);
}

} // namespace Platform
