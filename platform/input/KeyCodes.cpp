#include "platform/input/KeyCodes.h"

#include <SDL.h>

namespace Platform
{

uint8_t keyFromSdlScancode(int scancode)
{
    // Letters in alphabetical order, by their place on the keyboard.
    static constexpr uint8_t kLetters[26] = {Key::A, Key::B, Key::C, Key::D, Key::E, Key::F, Key::G,
                                             Key::H, Key::I, Key::J, Key::K, Key::L, Key::M, Key::N,
                                             Key::O, Key::P, Key::Q, Key::R, Key::S, Key::T, Key::U,
                                             Key::V, Key::W, Key::X, Key::Y, Key::Z};
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return kLetters[scancode - SDL_SCANCODE_A];
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<uint8_t>(Key::Digit1 + (scancode - SDL_SCANCODE_1));
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F10)
        return static_cast<uint8_t>(Key::F1 + (scancode - SDL_SCANCODE_F1));

    switch (scancode)
    {
    case SDL_SCANCODE_ESCAPE:
        return Key::Escape;
    case SDL_SCANCODE_0:
        return Key::Digit0;
    case SDL_SCANCODE_MINUS:
        return Key::Minus;
    case SDL_SCANCODE_EQUALS:
        return Key::Equals;
    case SDL_SCANCODE_BACKSPACE:
        return Key::Back;
    case SDL_SCANCODE_TAB:
        return Key::Tab;
    case SDL_SCANCODE_LEFTBRACKET:
        return Key::LeftBracket;
    case SDL_SCANCODE_RIGHTBRACKET:
        return Key::RightBracket;
    case SDL_SCANCODE_RETURN:
        return Key::Return;
    case SDL_SCANCODE_LCTRL:
        return Key::LeftControl;
    case SDL_SCANCODE_SEMICOLON:
        return Key::Semicolon;
    case SDL_SCANCODE_APOSTROPHE:
        return Key::Apostrophe;
    case SDL_SCANCODE_GRAVE:
        return Key::Grave;
    case SDL_SCANCODE_LSHIFT:
        return Key::LeftShift;
    case SDL_SCANCODE_BACKSLASH:
        return Key::Backslash;
    case SDL_SCANCODE_COMMA:
        return Key::Comma;
    case SDL_SCANCODE_PERIOD:
        return Key::Period;
    case SDL_SCANCODE_SLASH:
        return Key::Slash;
    case SDL_SCANCODE_RSHIFT:
        return Key::RightShift;
    case SDL_SCANCODE_KP_MULTIPLY:
        return Key::Multiply;
    case SDL_SCANCODE_LALT:
        return Key::LeftAlt;
    case SDL_SCANCODE_SPACE:
        return Key::Space;
    case SDL_SCANCODE_CAPSLOCK:
        return Key::CapsLock;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return Key::NumLock;
    case SDL_SCANCODE_SCROLLLOCK:
        return Key::ScrollLock;
    case SDL_SCANCODE_KP_7:
        return Key::Numpad7;
    case SDL_SCANCODE_KP_8:
        return Key::Numpad8;
    case SDL_SCANCODE_KP_9:
        return Key::Numpad9;
    case SDL_SCANCODE_KP_MINUS:
        return Key::Subtract;
    case SDL_SCANCODE_KP_4:
        return Key::Numpad4;
    case SDL_SCANCODE_KP_5:
        return Key::Numpad5;
    case SDL_SCANCODE_KP_6:
        return Key::Numpad6;
    case SDL_SCANCODE_KP_PLUS:
        return Key::Add;
    case SDL_SCANCODE_KP_1:
        return Key::Numpad1;
    case SDL_SCANCODE_KP_2:
        return Key::Numpad2;
    case SDL_SCANCODE_KP_3:
        return Key::Numpad3;
    case SDL_SCANCODE_KP_0:
        return Key::Numpad0;
    case SDL_SCANCODE_KP_PERIOD:
        return Key::Decimal;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return Key::Oem102;
    case SDL_SCANCODE_F11:
        return Key::F11;
    case SDL_SCANCODE_F12:
        return Key::F12;
    case SDL_SCANCODE_F13:
        return Key::F13;
    case SDL_SCANCODE_F14:
        return Key::F14;
    case SDL_SCANCODE_F15:
        return Key::F15;
    case SDL_SCANCODE_KP_ENTER:
        return Key::NumpadEnter;
    case SDL_SCANCODE_RCTRL:
        return Key::RightControl;
    case SDL_SCANCODE_KP_DIVIDE:
        return Key::Divide;
    case SDL_SCANCODE_PRINTSCREEN:
        return Key::SysRq;
    case SDL_SCANCODE_RALT:
        return Key::RightAlt;
    case SDL_SCANCODE_PAUSE:
        return Key::Pause;
    case SDL_SCANCODE_HOME:
        return Key::Home;
    case SDL_SCANCODE_UP:
        return Key::Up;
    case SDL_SCANCODE_PAGEUP:
        return Key::PageUp;
    case SDL_SCANCODE_LEFT:
        return Key::Left;
    case SDL_SCANCODE_RIGHT:
        return Key::Right;
    case SDL_SCANCODE_END:
        return Key::End;
    case SDL_SCANCODE_DOWN:
        return Key::Down;
    case SDL_SCANCODE_PAGEDOWN:
        return Key::PageDown;
    case SDL_SCANCODE_INSERT:
        return Key::Insert;
    case SDL_SCANCODE_DELETE:
        return Key::Delete;
    case SDL_SCANCODE_LGUI:
        return Key::LeftWindows;
    case SDL_SCANCODE_RGUI:
        return Key::RightWindows;
    case SDL_SCANCODE_APPLICATION:
        return Key::Apps;
    default:
        return 0;
    }
}

} // namespace Platform
