#pragma once

#include "platform/gfx/DisplayWindow.h"

namespace Platform
{

class Window;

// The game's SDL window seen by the render device.
class SdlDisplayWindow final : public DisplayWindow
{
public:
    // Borrows the window; it must outlive this object.
    explicit SdlDisplayWindow(Window& window) : m_window(window) {}

    WindowRect workArea() override;
    void frameSize(int& left, int& top, int& right, int& bottom) override;
    void enterFullscreen(int desktopWidth, int desktopHeight) override;
    void placeWindow(int clientLeft, int clientTop, int width, int height) override;
    void show() override;
    void restoreAndActivate() override;
    bool getRect(bool fullscreen, WindowRect& rect) override;

private:
    Window& m_window;
};

} // namespace Platform
