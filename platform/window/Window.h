#pragma once

#include "platform/window/Message.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>

struct SDL_Window;

namespace Platform
{

class InstanceLock;

// A rectangle in screen pixels; right and bottom are one past the last pixel.
struct WindowRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }

    bool operator==(const WindowRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const WindowRect& other) const { return !(*this == other); }
};

// The window's failure when no display the player sees answers. Its text says why, in words for
// the player: the game cannot show itself, and nothing the player did is at fault.
class NoDisplayError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The program's main window on SDL2, with the message queue of the thread that runs it.
//
// The engine drives it like a classic window and message loop:
//
//     window.setWindowProc([&](const Platform::Message& m) { return myWindowProc(m); });
//     for (;;) {
//         Platform::Message m;
//         if (window.peekMessage(m)) {              // at most one message per turn
//             if (m.kind == Platform::MessageKind::Quit) break;
//             window.translateMessage(m);           // Backspace/Tab/Enter/Escape -> Char
//             window.dispatchMessage(m);            // calls the window procedure
//         } else {
//             runOneFrame();                        // only a turn with an empty queue
//         }
//     }
//
// A window procedure handles what it wants and passes everything else to `defWindowProc`.
// Closing: the procedure passes `Close` on to `defWindowProc`, which calls `destroyWindow`; that
// hides the window and sends `Destroy` at once, on whose handling the procedure calls
// `postQuitMessage`. The SDL window itself lives until this object is deleted, so a GL context
// made for it may be deleted first (delete the render device before the window).
//
// Keyboard, mouse and joystick *device* input (the buffered control codes) does not go through
// these messages: platform/input reads the same SDL events on its own. Everything here runs on
// the one thread that created the window.
class Window
{
public:
    using WindowProc = std::function<intptr_t(const Message&)>;

    // Creates the main window hidden, not resizable, with a client area of width x height at a
    // position the system chooses, titled with the UTF-8 of `title`. A click that focuses the
    // window is handed on as every other click. The window asks for an
    // OpenGL 2.1 compatibility context (double buffered, 8-bit RGB, 24-bit depth, 8-bit stencil);
    // `createGLContext` makes it. Starts SDL's video subsystem and text input, on a display the
    // player sees: a display that DISPLAY (or WAYLAND_DISPLAY) names but that does not answer (an
    // X server starting afresh) is asked for again for up to 5 s, with its own driver alone after
    // the first try, but a Wayland display whose socket cannot be looked for (no XDG_RUNTIME_DIR)
    // is not, and SDL's drivers that show nothing are refused unless SDL_VIDEODRIVER asks for one.
    // With `openGL` false the window has no GL drawable: SDL's "dummy" video driver (hint
    // SDL_VIDEODRIVER) can then stand in for a display, so the message loop runs in tests
    // without one.
    // Throws std::runtime_error naming the failing SDL call and SDL's error text, or SDL's
    // library and the loader's error when SDL cannot be loaded (platform/system/SdlLibrary), or
    // NoDisplayError, "No display to show the window on" with the reason.
    explicit Window(const std::wstring& title, int width = 800, int height = 600, bool openGL = true);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The SDL window, for the graphics layer in platform/.
    SDL_Window* sdlWindow() const { return m_window; }

    // --- OpenGL context (an SDL_GLContext, opaque to the engine) ----------------------------
    // Creates the context for this window and makes it current; null on failure (`lastError`).
    void* createGLContext();
    void deleteGLContext(void* context);
    bool makeCurrent(void* context);
    void swapBuffers();
    // 0 presents at once, 1 waits for the vertical retrace where the driver honours it.
    bool setSwapInterval(int interval);
    // The size of the drawable in pixels (the whole desktop in full screen).
    void drawableSize(int& width, int& height) const;
    // SDL's last error text.
    static std::string lastError();

    // --- Messages --------------------------------------------------------------------------
    // The procedure `dispatchMessage` and `sendMessage` call; without one they call
    // `defWindowProc`.
    void setWindowProc(WindowProc proc) { m_proc = std::move(proc); }

    // Takes the next message, if any, and answers true; answers false when the queue is empty.
    // Takes at most one SDL event per call: an event that stands for several messages (typed
    // text of several characters) hands them out one per call before the next event is taken.
    // Messages posted by `translateMessage` come before any later event. When the queue is
    // empty and another copy of the program has asked (see `watchInstanceLock`), a minimised
    // window yields `Restore`, any other is raised and focused and `Other` is returned.
    bool peekMessage(Message& out);
    // Sleeps until an event arrives or `timeoutMs` milliseconds pass, whichever comes first;
    // the event then waits for `peekMessage`. True when a message is waiting. Nothing is drawn
    // meanwhile, so a minimised game costs no processor time.
    bool waitMessage(int timeoutMs);
    // For `KeyDown` of Backspace, Tab, Enter or Escape, posts `Char` 8, 9, 13 or 27 so that it
    // is the next message taken. Other messages: nothing.
    void translateMessage(const Message& message);
    // Calls the window procedure (or `defWindowProc`) and returns its result.
    intptr_t dispatchMessage(const Message& message);
    // The same, for a message the program sends itself synchronously.
    intptr_t sendMessage(const Message& message) { return dispatchMessage(message); }
    // The default handling: `Close` destroys the window; `Restore` restores a minimised window;
    // everything else is left alone. Returns 0.
    intptr_t defWindowProc(const Message& message);
    // Appends a message behind every event already queued.
    void postMessage(const Message& message);
    // Appends the quit message behind every event already queued, so the loop takes everything
    // queued before it and then ends; no turn finds the queue empty in between.
    void postQuitMessage(int exitCode);

    // Hides the window, marks it destroyed and sends `Destroy` to the procedure. A second call
    // does nothing.
    void destroyWindow();
    bool isDestroyed() const { return m_destroyed; }

    // Answers raise requests from other copies of the program in `peekMessage` (borrowed; null
    // stops watching).
    void watchInstanceLock(InstanceLock* lock) { m_lock = lock; }

    // --- Showing and placing ---------------------------------------------------------------
    // Shows the window, raises it and gives it the keyboard focus.
    void show();
    void hide();
    bool isVisible() const;
    bool isMinimized() const;
    bool hasFocus() const;
    void restore();
    void raise();
    void setTitle(const std::wstring& title);
    // The picture the window system shows for the window (title bar, task bar, switcher):
    // width x height pixels 0xAARRGGBB, rows top-down. The pixels are copied. Throws
    // std::runtime_error for an empty picture or when SDL refuses it.
    void setIcon(const uint32_t* argb, int width, int height);
    // The title as UTF-8.
    std::string title() const;

    // The client area's size and its top-left corner on the screen.
    void clientSize(int& width, int& height) const;
    void setClientSize(int width, int height);
    void position(int& x, int& y) const;
    void setPosition(int x, int y);
    // The client area in screen coordinates.
    WindowRect clientRect() const;
    // Where the desktop's pointer stands now relative to the client area's top-left corner,
    // asked of the window system (see XPointer.h): no event of the pointer need have told it.
    void pointerInClient(int& x, int& y) const;
    // The whole window with its frame, in screen coordinates (the client area when no window
    // manager draws a frame).
    WindowRect frameRect() const;
    // The frame's thickness on each side; all 0 without a window manager.
    void bordersSize(int& top, int& left, int& bottom, int& right) const;
    void setBordered(bool bordered);

    // Full screen covers the desktop of the window's display at the desktop's own size; the video
    // mode never changes. Leaving it sets the client size back to what it was on entering.
    void setFullscreen(bool fullscreen);
    bool isFullscreen() const;
    // The desktop size of the window's display.
    void desktopSize(int& width, int& height) const;
    // The usable area of the window's display (without panels and docks).
    WindowRect workArea() const;

private:
    bool translateEvent(const void* sdlEvent);
    void queueUtf8Text(const char* text);
    void answerRaiseRequest(Message& out);

    SDL_Window* m_window = nullptr;
    WindowProc m_proc;
    // Messages already translated from an event or posted by `translateMessage`, handed out
    // before the next SDL event is taken.
    std::deque<Message> m_pending;
    uint32_t m_postedEvent = 0; // the registered SDL event type of posted messages
    bool m_destroyed = false;
    InstanceLock* m_lock = nullptr;
    int m_windowedWidth = 0;
    int m_windowedHeight = 0;
};

} // namespace Platform
