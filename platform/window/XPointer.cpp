#include "platform/window/XPointer.h"

#include "platform/system/SdlLibrary.h"

#include <dlfcn.h>
#include <exception>

// Last: Xlib's macros (which SDL's window-system header brings) clash with other names.
#include <SDL_syswm.h>

namespace Platform
{

bool queryXPointer(SDL_Window* window, int& x, int& y)
{
    try
    {
        // Found by name rather than through the table of SDL's functions: it is declared with
        // the window systems' types, which would bring Xlib's macros to every file of the table.
        static void* const library = SdlLibrary::open(SdlLibrary::kSdlName);
        static const auto windowInfo = reinterpret_cast<decltype(&SDL_GetWindowWMInfo)>(
            SdlLibrary::find(library, SdlLibrary::kSdlName, "SDL_GetWindowWMInfo"));
        // The library SDL loads for its X11 driver; the program does not link it.
        static void* const xlib = dlopen("libX11.so.6", RTLD_NOW);
        static const auto queryPointer =
            xlib ? reinterpret_cast<decltype(&XQueryPointer)>(dlsym(xlib, "XQueryPointer")) : nullptr;
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!window || !queryPointer || windowInfo(window, &info) != SDL_TRUE ||
            info.subsystem != SDL_SYSWM_X11)
            return false;
        ::Window root = 0;
        ::Window child = 0;
        int rootX = 0;
        int rootY = 0;
        unsigned mask = 0;
        return queryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY, &x,
                            &y, &mask) == True;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

} // namespace Platform
