// The X error filter of the window layer under the X server of the test run: the answer to a
// send meant for a window that has gone, or to a translation of coordinates from it (a window
// manager's frame destroyed as the window is hidden), ends nothing, while the program keeps its
// window open and after it closed it; every other error still reaches the handler that was in
// place.
#include "platform/window/Window.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace
{

// The calls of Xlib the test makes, loaded when it runs: the test program does not link them.
struct Xlib
{
    using ErrorHandler = int (*)(Display*, XErrorEvent*);
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    ::Window (*rootWindow)(Display*) = nullptr;
    ::Window (*createWindow)(Display*, ::Window, int, int, unsigned, unsigned, unsigned, unsigned long,
                             unsigned long) = nullptr;
    int (*destroyWindow)(Display*, ::Window) = nullptr;
    int (*mapWindow)(Display*, ::Window) = nullptr;
    Status (*sendEvent)(Display*, ::Window, Bool, long, XEvent*) = nullptr;
    Bool (*translateCoordinates)(Display*, ::Window, ::Window, int, int, int*, int*, ::Window*) = nullptr;
    int (*sync)(Display*, Bool) = nullptr;
    ErrorHandler (*setErrorHandler)(ErrorHandler) = nullptr;

    Xlib()
    {
        void* library = dlopen("libX11.so.6", RTLD_NOW);
        if (!library)
            return;
        load(library, openDisplay, "XOpenDisplay");
        load(library, closeDisplay, "XCloseDisplay");
        load(library, rootWindow, "XDefaultRootWindow");
        load(library, createWindow, "XCreateSimpleWindow");
        load(library, destroyWindow, "XDestroyWindow");
        load(library, mapWindow, "XMapWindow");
        load(library, sendEvent, "XSendEvent");
        load(library, translateCoordinates, "XTranslateCoordinates");
        load(library, sync, "XSync");
        load(library, setErrorHandler, "XSetErrorHandler");
    }
    template <class F> void load(void* library, F& call, const char* name)
    {
        call = reinterpret_cast<F>(dlsym(library, name));
        ok = ok && call;
    }
    bool ok = true;
};

// The requests whose errors reached the handler the test put in place.
std::vector<int> reached;

int record(Display*, XErrorEvent* error)
{
    reached.push_back(error->request_code);
    return 0;
}

// A window of a connection of the test's own, made and destroyed again: its id names none.
::Window goneWindow(const Xlib& x, Display* display)
{
    const ::Window window = x.createWindow(display, x.rootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    x.destroyWindow(display, window);
    x.sync(display, False);
    return window;
}

void sendTo(const Xlib& x, Display* display, ::Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.format = 8;
    x.sendEvent(display, window, False, NoEventMask, &event);
    x.sync(display, False);
}

void translateFrom(const Xlib& x, Display* display, ::Window window)
{
    int left = 0;
    int top = 0;
    ::Window child = 0;
    x.translateCoordinates(display, window, x.rootWindow(display), 0, 0, &left, &top, &child);
    x.sync(display, False);
}

// The requests about a window that went whose errors are dropped.
void askOfTheGone(const Xlib& x, Display* display, ::Window gone)
{
    sendTo(x, display, gone);
    translateFrom(x, display, gone);
}

TEST(XErrorFilter, RequestsAboutAWindowThatWentAreDroppedAndOtherErrorsReachTheHandlerInPlace)
{
    const Xlib x;
    ASSERT_TRUE(x.ok) << "libX11.so.6 (Debian: libx11-6) is needed";
    const Xlib::ErrorHandler before = x.setErrorHandler(record);
    reached.clear();
    Display* display = x.openDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display";
    const ::Window gone = goneWindow(x, display);
    {
        Platform::Window window(L"x errors");
        window.show();
        askOfTheGone(x, display, gone);
        EXPECT_TRUE(reached.empty())
            << "a send to a window that went, or a translation from it, ends nothing";
        x.mapWindow(display, gone);
        x.sync(display, False);
        EXPECT_EQ(reached, std::vector<int>{X_MapWindow}) << "another error reaches the handler in place";
    }
    // SDL has stopped: the late answer to a send it made while the window was open comes now.
    reached.clear();
    askOfTheGone(x, display, gone);
    EXPECT_TRUE(reached.empty()) << "after the window closed too";
    x.mapWindow(display, gone);
    x.sync(display, False);
    EXPECT_EQ(reached, std::vector<int>{X_MapWindow});
    x.closeDisplay(display);
    x.setErrorHandler(before);
}

} // namespace
