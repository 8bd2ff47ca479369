#pragma once

#include <cstdint>

namespace Platform
{

// The virtual-key code (see Message.h) of an SDL key, from its SDL_Scancode and SDL_Keycode
// passed as ints; 0 for a key without one. Letters follow the keyboard layout (the key code),
// falling back to the key's position for layouts without Latin letters; every other key
// follows its position.
uint32_t virtualKeyFromSdl(int scancode, int keycode);

// Whether a key of that virtual-key code going down with the modifiers `sdlModifiers` (an
// SDL_Keymod) is a system key: an Alt key itself, or any key pressed while Alt is held. The
// window hands such a key on as `SysKeyDown`, never as `KeyDown`.
bool isSystemKey(uint32_t virtualKey, int sdlModifiers);

} // namespace Platform
