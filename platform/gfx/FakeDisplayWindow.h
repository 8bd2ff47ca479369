#pragma once

#include "platform/gfx/DisplayWindow.h"

#include <utility>

namespace Platform
{

// A window that only remembers what the render device did with it: tests set the work area and
// the frame, and read the placement back.
class FakeDisplayWindow final : public DisplayWindow
{
public:
    WindowRect work{0, 0, 1920, 1080};
    int frameLeft = 0;
    int frameTop = 0;
    int frameRight = 0;
    int frameBottom = 0;

    bool fullscreen = false;
    // The client area (the whole desktop in full screen).
    WindowRect client;
    bool shown = false;
    int showCount = 0;
    int restoreCount = 0;
    int placeCount = 0;
    bool rectAvailable = true;
    // Set by a test as an exposure would; taken by the render device.
    bool damaged = false;

    WindowRect workArea() override { return work; }
    void frameSize(int& left, int& top, int& right, int& bottom) override;
    void enterFullscreen(int desktopWidth, int desktopHeight) override;
    void placeWindow(int clientLeft, int clientTop, int width, int height) override;
    void show() override;
    void restoreAndActivate() override { ++restoreCount; }
    bool getRect(bool fullscreen, WindowRect& rect) override;
    bool takeDamage() override { return std::exchange(damaged, false); }
};

} // namespace Platform
