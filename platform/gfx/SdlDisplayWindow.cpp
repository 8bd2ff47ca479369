#include "platform/gfx/SdlDisplayWindow.h"

#include "platform/system/SdlLibrary.h"
#include "platform/window/Window.h"

namespace Platform
{

SdlDisplayWindow::SdlDisplayWindow(Window& window) : m_window(window)
{
    sdl().SDL_AddEventWatch(&SdlDisplayWindow::watchEvents, this);
}

SdlDisplayWindow::~SdlDisplayWindow()
{
    sdl().SDL_DelEventWatch(&SdlDisplayWindow::watchEvents, this);
}

int SdlDisplayWindow::watchEvents(void* self, SDL_Event* event)
{
    auto& display = *static_cast<SdlDisplayWindow*>(self);
    if (event->type != SDL_WINDOWEVENT || display.m_window.isDestroyed() ||
        event->window.windowID != sdl().SDL_GetWindowID(display.m_window.sdlWindow()))
        return 1;
    switch (event->window.event)
    {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        display.m_damaged = true;
        break;
    default:
        break;
    }
    // A watch only looks: the event stays queued.
    return 1;
}

WindowRect SdlDisplayWindow::workArea()
{
    return m_window.workArea();
}

void SdlDisplayWindow::frameSize(int& left, int& top, int& right, int& bottom)
{
    if (m_framed)
    {
        int t = 0;
        int l = 0;
        int b = 0;
        int r = 0;
        m_window.bordersSize(t, l, b, r);
        if (t != 0 || l != 0 || b != 0 || r != 0)
            m_frame = WindowRect{l, t, r, b};
    }
    left = m_frame.left;
    top = m_frame.top;
    right = m_frame.right;
    bottom = m_frame.bottom;
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
    frameSize(m_frame.left, m_frame.top, m_frame.right, m_frame.bottom);
    m_framed = false;
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
    // Only what changes: every request is a round trip to the window system and comes back as
    // window events.
    int currentWidth = 0;
    int currentHeight = 0;
    m_window.clientSize(currentWidth, currentHeight);
    if (currentWidth != width || currentHeight != height)
        m_window.setClientSize(width, height);
    if (!m_framed)
    {
        // Back from full screen: placed by its frame's corner while it has no frame, then given
        // its frame where it stands. Placed after its frame came back, it would be placed by the
        // frame SDL last heard of, which the window manager tells it only later, and would come
        // back away from where it started by as much as its frame.
        m_window.setPosition(clientLeft - m_frame.left, clientTop - m_frame.top);
        m_window.setBordered(true);
        m_framed = true;
        return;
    }
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
