#include "platform/window/Window.h"

#include "platform/system/GraphicsDrivers.h"
#include "platform/system/SdlLibrary.h"
#include "platform/system/TextCodec.h"
#include "platform/window/InstanceLock.h"
#include "platform/window/VirtualKeys.h"
#include "platform/window/XErrorFilter.h"
#include "platform/window/XPointer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

namespace Platform
{
namespace
{

// How long a display that is named but does not answer is asked for again.
constexpr std::chrono::seconds kDisplayPatience{5};

[[noreturn]] void throwSdlError(const char* call)
{
    throw std::runtime_error(std::string(call) + " failed: " + sdl().SDL_GetError());
}

// SDL's drivers that draw where no one sees it: SDL falls back on "offscreen" when no display
// answers.
bool showsNothing(const char* driver)
{
    for (const char* hidden : {"offscreen", "dummy", "evdev"})
        if (driver && std::strcmp(driver, hidden) == 0)
            return true;
    return false;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The video drivers of the displays that DISPLAY and WAYLAND_DISPLAY name, in SDL's own order.
std::string namedDrivers(const std::string& x, const std::string& wayland)
{
    std::string drivers = x.empty() ? "" : "x11";
    if (!wayland.empty())
        drivers += drivers.empty() ? "wayland" : ",wayland";
    return drivers;
}

// Why Wayland's client library cannot find the socket that `wayland` (WAYLAND_DISPLAY) names;
// empty when it can look for it. A name that is no path lies in XDG_RUNTIME_DIR, and without
// that folder (a root, sudo or ssh shell that kept WAYLAND_DISPLAY) the library gives up at once,
// saying so on stderr on each try.
std::string waylandUnfound(const std::string& wayland)
{
    const std::string folder = environment("XDG_RUNTIME_DIR");
    if (wayland.empty() || wayland.front() == '/' || (!folder.empty() && folder.front() == '/'))
        return std::string();
    return "the display " + wayland + " cannot be found: XDG_RUNTIME_DIR, the folder of its socket, " +
           (folder.empty() ? "is not set" : "is not an absolute path (" + folder + ")");
}

// What the window says when no display answers; `unfound` is `waylandUnfound`'s.
std::string noDisplayReason(const std::string& x, const std::string& wayland, const std::string& unfound)
{
    if (x.empty() && wayland.empty())
        return "neither DISPLAY nor WAYLAND_DISPLAY names one";
    if (x.empty() && !unfound.empty())
        return unfound;
    return "the display " + (x.empty() ? wayland : x) + " did not answer in " +
           std::to_string(kDisplayPatience.count()) + " s";
}

// Starts SDL's video subsystem on a display the player sees. SDL tries its drivers in turn and,
// when none reaches a display, settles on one that draws offscreen: the game would play on in a
// window that is nowhere. A driver that shows nothing is taken only when it was asked for
// (SDL_VIDEODRIVER, as tests ask for "dummy"). An X server whose last client has just gone starts
// afresh (Xvfb, and any server run without -noreset) and refuses connections for that moment:
// the display that DISPLAY or WAYLAND_DISPLAY names is asked for again for a few seconds before
// the window gives up. The tries after the first ask for that display's driver alone: each of
// SDL's other drivers would fail again on every try, and some say so on stderr each time
// (Wayland's client library without XDG_RUNTIME_DIR), a hundred lines that bury the reason the
// game then gives. For the same reason a Wayland display whose socket cannot be looked for is
// not asked for again: it cannot come up while the game waits.
void startVideo()
{
    const char* asked = sdl().SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool anyDriver = asked && *asked;
    const std::string x = environment("DISPLAY");
    const std::string wayland = environment("WAYLAND_DISPLAY");
    const std::string unfound = waylandUnfound(wayland);
    const std::string retried = namedDrivers(x, unfound.empty() ? wayland : std::string());
    const auto giveUp = std::chrono::steady_clock::now() + kDisplayPatience;
    // Whether the driver hint is this function's own, taken back however it ends.
    struct DriverHint
    {
        bool set = false;
        ~DriverHint()
        {
            if (set)
                sdl().SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
        }
    } hint;
    for (;;)
    {
        const bool started = sdl().SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (started && (anyDriver || !showsNothing(sdl().SDL_GetCurrentVideoDriver())))
            return;
        if (!started && anyDriver)
            throwSdlError("SDL_InitSubSystem(SDL_INIT_VIDEO)");
        // A driver named by this function that fails says only that it is not available.
        const std::string error = started || hint.set ? std::string() : sdl().SDL_GetError();
        if (started)
            sdl().SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (retried.empty() || std::chrono::steady_clock::now() >= giveUp)
            throw NoDisplayError("No display to show the window on: " + noDisplayReason(x, wayland, unfound) +
                                 (error.empty() ? "." : " (" + error + ")."));
        if (!hint.set)
            hint.set = sdl().SDL_SetHint(SDL_HINT_VIDEODRIVER, retried.c_str()) == SDL_TRUE;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void setGLAttributes()
{
    sdl().SDL_GL_ResetAttributes();
    // 2.1 with no profile mask: a compatibility context with the fixed-function pipeline.
    sdl().SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    sdl().SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    sdl().SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    sdl().SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    sdl().SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    sdl().SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    sdl().SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    sdl().SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    sdl().SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

bool isControlCharacterKey(uint32_t vk)
{
    return vk == VirtualKey::Back || vk == VirtualKey::Tab || vk == VirtualKey::Return ||
           vk == VirtualKey::Escape;
}

} // namespace

Window::Window(const std::wstring& title, int width, int height, bool openGL)
{
    installXErrorFilter();
    // The click that brings the window to the front (a window manager focuses a window on it and
    // hands it on) is the player's: SDL would drop a click that comes within moments of a focus.
    sdl().SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    startVideo();
    if (openGL)
        setGLAttributes();
    m_window =
        sdl().SDL_CreateWindow(utf8FromWide(title).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                               width, height, SDL_WINDOW_HIDDEN | (openGL ? SDL_WINDOW_OPENGL : 0));
    if (!m_window)
    {
        const std::string error = sdl().SDL_GetError();
        sdl().SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw std::runtime_error("SDL_CreateWindow failed: " + error);
    }
    if (openGL)
        keepGraphicsDriversLoaded();
    m_postedEvent = sdl().SDL_RegisterEvents(1);
    if (m_postedEvent == static_cast<uint32_t>(-1))
    {
        sdl().SDL_DestroyWindow(m_window);
        sdl().SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw std::runtime_error("SDL_RegisterEvents failed: no event type left");
    }
    m_windowedWidth = width;
    m_windowedHeight = height;
    // Typed text arrives as SDL_TEXTINPUT only while text input runs.
    sdl().SDL_StartTextInput();
}

Window::~Window()
{
    sdl().SDL_StopTextInput();
    sdl().SDL_DestroyWindow(m_window);
    sdl().SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// --- OpenGL context ---------------------------------------------------------------------------

void* Window::createGLContext()
{
    return sdl().SDL_GL_CreateContext(m_window);
}

void Window::deleteGLContext(void* context)
{
    if (context)
        sdl().SDL_GL_DeleteContext(context);
}

bool Window::makeCurrent(void* context)
{
    return sdl().SDL_GL_MakeCurrent(m_window, context) == 0;
}

void Window::swapBuffers()
{
    sdl().SDL_GL_SwapWindow(m_window);
}

bool Window::setSwapInterval(int interval)
{
    return sdl().SDL_GL_SetSwapInterval(interval) == 0;
}

void Window::drawableSize(int& width, int& height) const
{
    sdl().SDL_GL_GetDrawableSize(m_window, &width, &height);
}

std::string Window::lastError()
{
    return sdl().SDL_GetError();
}

// --- Messages ---------------------------------------------------------------------------------

bool Window::peekMessage(Message& out)
{
    if (!m_pending.empty())
    {
        out = m_pending.front();
        m_pending.pop_front();
        return true;
    }
    // Pump and peek rather than SDL_PollEvent: a poll cycle ends at a sentinel event, so an event
    // pushed during the cycle (a posted quit) would wait behind a turn that looks empty.
    sdl().SDL_PumpEvents();
    SDL_Event event;
    while (sdl().SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
    {
        if (event.type == SDL_POLLSENTINEL)
            continue;
        if (!translateEvent(&event))
            out = Message{};
        else
        {
            out = m_pending.front();
            m_pending.pop_front();
        }
        return true;
    }
    if (m_lock && m_lock->takeRaiseRequest())
    {
        answerRaiseRequest(out);
        return true;
    }
    return false;
}

bool Window::waitMessage(int timeoutMs)
{
    if (!m_pending.empty())
        return true;
    SDL_Event event;
    while (sdl().SDL_WaitEventTimeout(&event, timeoutMs) != 0)
    {
        if (event.type == SDL_POLLSENTINEL)
            continue;
        // A translated event waits in the queue of messages; one that stands for none still
        // counts as a turn of the loop, which then comes back here.
        if (!translateEvent(&event))
            m_pending.push_back(Message{});
        return true;
    }
    return false;
}

void Window::answerRaiseRequest(Message& out)
{
    out = Message{};
    if (m_destroyed)
        return;
    if (isMinimized())
    {
        // What the other copy would have sent a minimised window.
        out.kind = MessageKind::Restore;
        return;
    }
    raise();
}

bool Window::translateEvent(const void* sdlEvent)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(sdlEvent);
    if (event.type == m_postedEvent)
    {
        Message message;
        message.kind = static_cast<MessageKind>(event.user.code);
        message.wparam = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(event.user.data1));
        m_pending.push_back(message);
        return true;
    }
    switch (event.type)
    {
    case SDL_QUIT:
        if (m_destroyed)
            return false;
        m_pending.push_back({MessageKind::Close, 0});
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != sdl().SDL_GetWindowID(m_window))
            return false;
        switch (event.window.event)
        {
        case SDL_WINDOWEVENT_CLOSE:
            if (m_destroyed)
                return false;
            m_pending.push_back({MessageKind::Close, 0});
            return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            m_pending.push_back({MessageKind::Activate, 1});
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            m_pending.push_back({MessageKind::Activate, 0});
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            m_pending.push_back({MessageKind::Minimize, 0});
            return true;
        case SDL_WINDOWEVENT_RESTORED:
            m_pending.push_back({MessageKind::Restore, 0});
            return true;
        case SDL_WINDOWEVENT_MAXIMIZED:
            m_pending.push_back({MessageKind::Maximize, 0});
            return true;
        default:
            return false;
        }
    case SDL_KEYDOWN:
    {
        const uint32_t vk = virtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym);
        if (vk == 0)
            return false;
        const bool system = isSystemKey(vk, event.key.keysym.mod);
        m_pending.push_back(
            {system ? MessageKind::SysKeyDown : MessageKind::KeyDown, vk, event.key.repeat != 0});
        return true;
    }
    case SDL_TEXTINPUT:
        queueUtf8Text(event.text.text);
        return !m_pending.empty();
    default:
        return false;
    }
}

void Window::queueUtf8Text(const char* text)
{
    for (char16_t unit : utf16FromUtf8(text))
        m_pending.push_back({MessageKind::Char, unit});
}

void Window::translateMessage(const Message& message)
{
    if (message.kind == MessageKind::KeyDown && isControlCharacterKey(message.wparam))
        m_pending.push_back({MessageKind::Char, message.wparam});
}

intptr_t Window::dispatchMessage(const Message& message)
{
    if (m_proc)
        return m_proc(message);
    return defWindowProc(message);
}

intptr_t Window::defWindowProc(const Message& message)
{
    switch (message.kind)
    {
    case MessageKind::Close:
        destroyWindow();
        break;
    case MessageKind::Restore:
        if (!m_destroyed && isMinimized())
            sdl().SDL_RestoreWindow(m_window);
        break;
    default:
        break;
    }
    return 0;
}

void Window::postMessage(const Message& message)
{
    SDL_Event event{};
    event.type = m_postedEvent;
    event.user.code = static_cast<Sint32>(message.kind);
    event.user.data1 = reinterpret_cast<void*>(static_cast<uintptr_t>(message.wparam));
    // SDL refuses only when its queue (65535 events) is full; the message then still has to
    // arrive, so it goes behind the messages of the current event.
    if (sdl().SDL_PushEvent(&event) != 1)
        m_pending.push_back(message);
}

void Window::postQuitMessage(int exitCode)
{
    postMessage({MessageKind::Quit, static_cast<uint32_t>(exitCode)});
}

void Window::destroyWindow()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    sdl().SDL_HideWindow(m_window);
    sendMessage({MessageKind::Destroy, 0});
}

// --- Showing and placing ----------------------------------------------------------------------

void Window::show()
{
    sdl().SDL_ShowWindow(m_window);
    raise();
}

void Window::hide()
{
    sdl().SDL_HideWindow(m_window);
}

bool Window::isVisible() const
{
    return (sdl().SDL_GetWindowFlags(m_window) & SDL_WINDOW_SHOWN) != 0;
}

bool Window::isMinimized() const
{
    return (sdl().SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Window::hasFocus() const
{
    return (sdl().SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void Window::restore()
{
    sdl().SDL_RestoreWindow(m_window);
}

void Window::raise()
{
    sdl().SDL_RaiseWindow(m_window);
    // Without a window manager nobody hands out the focus; asking for it is harmless with one.
    if (isVisible())
        sdl().SDL_SetWindowInputFocus(m_window);
}

void Window::setTitle(const std::wstring& title)
{
    sdl().SDL_SetWindowTitle(m_window, utf8FromWide(title).c_str());
}

void Window::setIcon(const uint32_t* argb, int width, int height)
{
    if (!argb || width <= 0 || height <= 0)
        throw std::runtime_error("Window::setIcon(): the picture is empty");
    // The surface only borrows the pixels; SDL copies them into the icon.
    SDL_Surface* surface = sdl().SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        throwSdlError("SDL_CreateRGBSurfaceWithFormatFrom");
    sdl().SDL_SetWindowIcon(m_window, surface);
    sdl().SDL_FreeSurface(surface);
}

std::string Window::title() const
{
    return sdl().SDL_GetWindowTitle(m_window);
}

void Window::clientSize(int& width, int& height) const
{
    sdl().SDL_GetWindowSize(m_window, &width, &height);
}

void Window::setClientSize(int width, int height)
{
    sdl().SDL_SetWindowSize(m_window, width, height);
    if (!isFullscreen())
    {
        m_windowedWidth = width;
        m_windowedHeight = height;
    }
}

void Window::position(int& x, int& y) const
{
    sdl().SDL_GetWindowPosition(m_window, &x, &y);
}

void Window::setPosition(int x, int y)
{
    sdl().SDL_SetWindowPosition(m_window, x, y);
}

WindowRect Window::clientRect() const
{
    WindowRect rect;
    int width = 0;
    int height = 0;
    position(rect.left, rect.top);
    clientSize(width, height);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

void Window::pointerInClient(int& x, int& y) const
{
    if (queryXPointer(m_window, x, y))
        return;
    // Another window system: SDL's own idea of the pointer on the desktop.
    sdl().SDL_GetGlobalMouseState(&x, &y);
    const WindowRect client = clientRect();
    x -= client.left;
    y -= client.top;
}

WindowRect Window::frameRect() const
{
    WindowRect rect = clientRect();
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bordersSize(top, left, bottom, right);
    rect.left -= left;
    rect.top -= top;
    rect.right += right;
    rect.bottom += bottom;
    return rect;
}

void Window::bordersSize(int& top, int& left, int& bottom, int& right) const
{
    if (sdl().SDL_GetWindowBordersSize(m_window, &top, &left, &bottom, &right) != 0)
        top = left = bottom = right = 0;
}

void Window::setBordered(bool bordered)
{
    sdl().SDL_SetWindowBordered(m_window, bordered ? SDL_TRUE : SDL_FALSE);
}

void Window::setFullscreen(bool fullscreen)
{
    if (fullscreen == isFullscreen())
        return;
    if (fullscreen)
    {
        clientSize(m_windowedWidth, m_windowedHeight);
        sdl().SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    sdl().SDL_SetWindowFullscreen(m_window, 0);
    // Without a window manager the window keeps the desktop's size until it is set again.
    sdl().SDL_SetWindowSize(m_window, m_windowedWidth, m_windowedHeight);
}

bool Window::isFullscreen() const
{
    return (sdl().SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void Window::desktopSize(int& width, int& height) const
{
    int display = sdl().SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    SDL_DisplayMode mode{};
    if (sdl().SDL_GetDesktopDisplayMode(display, &mode) != 0)
        throwSdlError("SDL_GetDesktopDisplayMode");
    width = mode.w;
    height = mode.h;
}

WindowRect Window::workArea() const
{
    int display = sdl().SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    SDL_Rect bounds{};
    if (sdl().SDL_GetDisplayUsableBounds(display, &bounds) != 0)
        throwSdlError("SDL_GetDisplayUsableBounds");
    return {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

} // namespace Platform
