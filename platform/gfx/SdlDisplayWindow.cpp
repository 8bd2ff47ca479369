#include "platform/gfx/SdlDisplayWindow.h"

#include "platform/system/SdlLibrary.h"
#include "platform/window/Window.h"

namespace Platform
{

WindowRect SdlDisplayWindow::workArea()
{
    return m_window.workArea();
}

void SdlDisplayWindow::frameSize(int& left, int& top, int& right, int& bottom)
{
    m_window.bordersSize(top, left, bottom, right);
}

void SdlDisplayWindow::enterFullscreen(int desktopWidth, int desktopHeight)
{
    // First a borderless window over the whole display, above the others: what a full-screen
    // game window is to every window manager, and it needs none. Then the system's own
    // full-screen state, which a window manager carries out and which without one changes
    // nothing (the window would keep its old size while its buffers are said to have the
    // desktop's).
    SDL_Window* window = m_window.sdlWindow();
    const int display = sdl().SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds{0, 0, desktopWidth, desktopHeight};
    if (display < 0 || sdl().SDL_GetDisplayBounds(display, &bounds) != 0)
        bounds = SDL_Rect{0, 0, desktopWidth, desktopHeight};
    m_window.setBordered(false);
    sdl().SDL_SetWindowAlwaysOnTop(window, SDL_TRUE);
    m_window.setPosition(bounds.x, bounds.y);
    m_window.setClientSize(desktopWidth, desktopHeight);
    m_window.setFullscreen(true);
}

void SdlDisplayWindow::placeWindow(int clientLeft, int clientTop, int width, int height)
{
    m_window.setFullscreen(false);
    sdl().SDL_SetWindowAlwaysOnTop(m_window.sdlWindow(), SDL_FALSE);
    m_window.setBordered(true);
    // Only what changes: every request is a round trip to the window system and comes back as
    // window events.
    int currentWidth = 0;
    int currentHeight = 0;
    m_window.clientSize(currentWidth, currentHeight);
    if (currentWidth != width || currentHeight != height)
        m_window.setClientSize(width, height);
    int x = 0;
    int y = 0;
    m_window.position(x, y);
    if (x != clientLeft || y != clientTop)
        m_window.setPosition(clientLeft, clientTop);
}

void SdlDisplayWindow::show()
{
    m_window.show();
}

void SdlDisplayWindow::restoreAndActivate()
{
    if (m_window.isMinimized())
        m_window.restore();
    m_window.raise();
}

bool SdlDisplayWindow::getRect(bool fullscreen, WindowRect& rect)
{
    if (m_window.isDestroyed())
        return false;
    rect = fullscreen ? m_window.frameRect() : m_window.clientRect();
    return true;
}

} // namespace Platform
