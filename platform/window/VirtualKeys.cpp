#include "platform/window/VirtualKeys.h"

#include "platform/window/Message.h"

#include <SDL.h>

namespace Platform
{

uint32_t virtualKeyFromSdl(int scancode, int keycode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z)
        return static_cast<uint32_t>('A' + (keycode - SDLK_a));
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return static_cast<uint32_t>('A' + (scancode - SDL_SCANCODE_A));
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return static_cast<uint32_t>('1' + (scancode - SDL_SCANCODE_1));
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return VirtualKey::Numpad0 + 1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_KP_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VirtualKey::F1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return VirtualKey::F1 + 12 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F13);

    switch (scancode)
    {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_KP_0:
        return VirtualKey::Numpad0;
    case SDL_SCANCODE_BACKSPACE:
        return VirtualKey::Back;
    case SDL_SCANCODE_TAB:
        return VirtualKey::Tab;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER:
        return VirtualKey::Return;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return VirtualKey::Shift;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return VirtualKey::Control;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return VirtualKey::Menu;
    case SDL_SCANCODE_PAUSE:
        return VirtualKey::Pause;
    case SDL_SCANCODE_CAPSLOCK:
        return VirtualKey::Capital;
    case SDL_SCANCODE_ESCAPE:
        return VirtualKey::Escape;
    case SDL_SCANCODE_SPACE:
        return VirtualKey::Space;
    case SDL_SCANCODE_PAGEUP:
        return VirtualKey::Prior;
    case SDL_SCANCODE_PAGEDOWN:
        return VirtualKey::Next;
    case SDL_SCANCODE_END:
        return VirtualKey::End;
    case SDL_SCANCODE_HOME:
        return VirtualKey::Home;
    case SDL_SCANCODE_LEFT:
        return VirtualKey::Left;
    case SDL_SCANCODE_UP:
        return VirtualKey::Up;
    case SDL_SCANCODE_RIGHT:
        return VirtualKey::Right;
    case SDL_SCANCODE_DOWN:
        return VirtualKey::Down;
    case SDL_SCANCODE_PRINTSCREEN:
        return VirtualKey::Snapshot;
    case SDL_SCANCODE_INSERT:
        return VirtualKey::Insert;
    case SDL_SCANCODE_DELETE:
        return VirtualKey::Delete;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VirtualKey::Multiply;
    case SDL_SCANCODE_KP_PLUS:
        return VirtualKey::Add;
    case SDL_SCANCODE_KP_MINUS:
        return VirtualKey::Subtract;
    case SDL_SCANCODE_KP_PERIOD:
        return VirtualKey::Decimal;
    case SDL_SCANCODE_KP_DIVIDE:
        return VirtualKey::Divide;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return VirtualKey::NumLock;
    case SDL_SCANCODE_SCROLLLOCK:
        return VirtualKey::Scroll;
    // The remaining codes of the classic table: Windows keys, menu key and punctuation of a US
    // keyboard by position.
    case SDL_SCANCODE_LGUI:
        return 0x5B;
    case SDL_SCANCODE_RGUI:
        return 0x5C;
    case SDL_SCANCODE_APPLICATION:
        return 0x5D;
    case SDL_SCANCODE_SEMICOLON:
        return 0xBA;
    case SDL_SCANCODE_EQUALS:
        return 0xBB;
    case SDL_SCANCODE_COMMA:
        return 0xBC;
    case SDL_SCANCODE_MINUS:
        return 0xBD;
    case SDL_SCANCODE_PERIOD:
        return 0xBE;
    case SDL_SCANCODE_SLASH:
        return 0xBF;
    case SDL_SCANCODE_GRAVE:
        return 0xC0;
    case SDL_SCANCODE_LEFTBRACKET:
        return 0xDB;
    case SDL_SCANCODE_BACKSLASH:
        return 0xDC;
    case SDL_SCANCODE_RIGHTBRACKET:
        return 0xDD;
    case SDL_SCANCODE_APOSTROPHE:
        return 0xDE;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return 0xE2;
    default:
        return 0;
    }
}

bool isSystemKey(uint32_t virtualKey, int sdlModifiers)
{
    return (sdlModifiers & KMOD_ALT) != 0 || virtualKey == VirtualKey::Menu;
}

} // namespace Platform
