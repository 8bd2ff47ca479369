#pragma once

#include "platform/window/Window.h"

namespace Platform
{

// What the render device does with the game window when it switches between a window and full
// screen: the desktop's usable area, the frame the window manager adds, the placement, and the
// rectangle that mouse positions are measured from. `SdlDisplayWindow` works on the SDL window,
// `FakeDisplayWindow` records the calls for tests.
class DisplayWindow
{
public:
    virtual ~DisplayWindow() = default;

    // The desktop without panels and docks, in screen pixels.
    virtual WindowRect workArea() = 0;
    // The frame around the client area on each side (0 without a window manager).
    virtual void frameSize(int& left, int& top, int& right, int& bottom) = 0;
    // A borderless window over the whole desktop of the given size, above other windows. The
    // video mode never changes.
    virtual void enterFullscreen(int desktopWidth, int desktopHeight) = 0;
    // A framed window whose client area has the given size and top-left corner.
    virtual void placeWindow(int clientLeft, int clientTop, int width, int height) = 0;
    // Shows the window and makes it the active one.
    virtual void show() = 0;
    // Restores a minimised window and brings it to the front (after a device reset).
    virtual void restoreAndActivate() = 0;
    // In full screen the window's rectangle, in a window the client area's, in screen pixels;
    // false when the window cannot tell.
    virtual bool getRect(bool fullscreen, WindowRect& rect) = 0;
    // Whether the window system lost what the window showed (it was uncovered, resized or
    // shown again) since the last call: the picture must be drawn anew.
    virtual bool takeDamage() { return false; }
};

} // namespace Platform
