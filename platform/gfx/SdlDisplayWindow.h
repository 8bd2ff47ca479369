#pragma once

#include "platform/gfx/DisplayWindow.h"

#include <atomic>

union SDL_Event;

namespace Platform
{

class Window;

// The game's SDL window seen by the render device.
class SdlDisplayWindow final : public DisplayWindow
{
public:
    // Borrows the window; it must outlive this object.
    explicit SdlDisplayWindow(Window& window);
    ~SdlDisplayWindow() override;
    SdlDisplayWindow(const SdlDisplayWindow&) = delete;
    SdlDisplayWindow& operator=(const SdlDisplayWindow&) = delete;

    WindowRect workArea() override;
    // The frame the window manager puts around the framed window, as it last told it: a
    // borderless or full-screen window has none now, and a window only just framed again has
    // not been told its frame yet, but either is given the frame it gets as a window. 0 before
    // the window manager framed the window once, and without a window manager.
    void frameSize(int& left, int& top, int& right, int& bottom) override;
    void enterFullscreen(int desktopWidth, int desktopHeight) override;
    void placeWindow(int clientLeft, int clientTop, int width, int height) override;
    void show() override;
    void restoreAndActivate() override;
    bool getRect(bool fullscreen, WindowRect& rect) override;
    // Exposures, size changes and the window shown or restored, seen by an SDL event watch as
    // the events are queued (the window's own message loop has no message for them).
    bool takeDamage() override { return m_damaged.exchange(false); }

private:
    static int watchEvents(void* self, SDL_Event* event);

    Window& m_window;
    std::atomic<bool> m_damaged{false};
    // Whether the window is framed (not borderless); the frame last told, by side.
    bool m_framed = true;
    WindowRect m_frame;
};

} // namespace Platform
