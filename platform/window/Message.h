#pragma once

#include <cstdint>

// The messages of the main window, in the shape of the classic window-procedure messages the
// engine's window procedure is written against. `Platform::Window` turns SDL's events into
// these; the engine dispatches each one to its window procedure.
namespace Platform
{

enum class MessageKind : uint32_t
{
    // Ends the message loop (WM_QUIT). Posted by `Window::postQuitMessage`; `code` is the exit code.
    Quit,
    // The user asked to close the window (WM_CLOSE): the close box, the window manager or SIGINT.
    // The default handling destroys the window.
    Close,
    // The window was destroyed (WM_DESTROY), sent synchronously by `Window::destroyWindow`. The
    // engine's handler posts the quit message.
    Destroy,
    // The window gained (wparam 1) or lost (wparam 0) the keyboard focus. Stands in for both
    // WM_ACTIVATE and WM_ACTIVATEAPP.
    Activate,
    // The window was minimised (WM_SYSCOMMAND SC_MINIMIZE).
    Minimize,
    // The window was restored (WM_SYSCOMMAND SC_RESTORE), or another copy of the program asked
    // for it while the window was minimised. The default handling restores a minimised window.
    Restore,
    // The window manager maximised the window (WM_SYSCOMMAND SC_MAXIMIZE).
    Maximize,
    // A key went down or repeats with no Alt key held (WM_KEYDOWN); wparam is the virtual-key code
    // (`VirtualKey`). `translateMessage` of one of Backspace, Tab, Enter or Escape posts the
    // matching `Char` message (8, 9, 13, 27), since text input never carries control characters.
    KeyDown,
    // A key went down while an Alt key is held, or an Alt key itself (WM_SYSKEYDOWN); wparam is
    // the virtual-key code. `VirtualKey::Return` here is Alt+Enter.
    SysKeyDown,
    // One typed character (WM_CHAR): wparam is one UTF-16 code unit. A character past the Basic
    // Plane comes as two messages, the high surrogate first.
    Char,
    // Any event the window procedure has no row for (mouse motion, exposure, ...). It still
    // counts as a message taken in that turn of the loop.
    Other,
};

struct Message
{
    MessageKind kind = MessageKind::Other;
    // The message's first parameter: a virtual-key code, a UTF-16 code unit, 0/1 for Activate,
    // the exit code for Quit; 0 otherwise.
    uint32_t wparam = 0;
    // For `KeyDown` and `SysKeyDown`: the key was down already and this is its auto-repeat
    // (WM_KEYDOWN's previous-state bit).
    bool repeat = false;
};

inline bool operator==(const Message& a, const Message& b)
{
    return a.kind == b.kind && a.wparam == b.wparam && a.repeat == b.repeat;
}
inline bool operator!=(const Message& a, const Message& b)
{
    return !(a == b);
}

// The virtual-key codes that `KeyDown`/`SysKeyDown` carry. Letters are their upper-case
// character ('A' to 'Z'), digits their character ('0' to '9').
namespace VirtualKey
{
constexpr uint32_t Back = 0x08;
constexpr uint32_t Tab = 0x09;
constexpr uint32_t Return = 0x0D;
constexpr uint32_t Shift = 0x10;
constexpr uint32_t Control = 0x11;
constexpr uint32_t Menu = 0x12; // either Alt key
constexpr uint32_t Pause = 0x13;
constexpr uint32_t Capital = 0x14;
constexpr uint32_t Escape = 0x1B;
constexpr uint32_t Space = 0x20;
constexpr uint32_t Prior = 0x21;
constexpr uint32_t Next = 0x22;
constexpr uint32_t End = 0x23;
constexpr uint32_t Home = 0x24;
constexpr uint32_t Left = 0x25;
constexpr uint32_t Up = 0x26;
constexpr uint32_t Right = 0x27;
constexpr uint32_t Down = 0x28;
constexpr uint32_t Snapshot = 0x2C;
constexpr uint32_t Insert = 0x2D;
constexpr uint32_t Delete = 0x2E;
constexpr uint32_t Numpad0 = 0x60; // to Numpad9 = 0x69
constexpr uint32_t Multiply = 0x6A;
constexpr uint32_t Add = 0x6B;
constexpr uint32_t Subtract = 0x6D;
constexpr uint32_t Decimal = 0x6E;
constexpr uint32_t Divide = 0x6F;
constexpr uint32_t F1 = 0x70; // to F12 = 0x7B
constexpr uint32_t NumLock = 0x90;
constexpr uint32_t Scroll = 0x91;
} // namespace VirtualKey

} // namespace Platform
