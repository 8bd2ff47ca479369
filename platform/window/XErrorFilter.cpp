#include "platform/window/XErrorFilter.h"

#include <dlfcn.h>

// Xlib's macros clash with other names: only this file includes it.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace Platform
{

namespace
{

using ErrorHandler = int (*)(Display*, XErrorEvent*);

ErrorHandler previousHandler = nullptr;

int dropGoneWindows(Display* display, XErrorEvent* error)
{
    // The window a send was meant for has gone: the event would have been read by no one. The
    // frame a translation was asked of has gone: the window it held has left it, and the next
    // move it is told of places it anew.
    if (error->error_code == BadWindow &&
        (error->request_code == X_SendEvent || error->request_code == X_TranslateCoords))
        return 0;
    return previousHandler ? previousHandler(display, error) : 0;
}

} // namespace

void installXErrorFilter()
{
    // The library SDL loads for its X11 driver; the program does not link it. It stays loaded,
    // as the handler set in it stays.
    static void* const xlib = dlopen("libX11.so.6", RTLD_NOW);
    if (!xlib)
        return;
    using SetHandler = ErrorHandler (*)(ErrorHandler);
    if (auto setHandler = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetErrorHandler")))
    {
        const ErrorHandler previous = setHandler(dropGoneWindows);
        if (previous != dropGoneWindows)
            previousHandler = previous;
    }
}

} // namespace Platform
