#pragma once

#include <cstdint>

namespace Platform
{

// The virtual-key code (see Message.h) of an SDL key, from its SDL_Scancode and SDL_Keycode
// passed as ints; 0 for a key without one. Letters follow the keyboard layout (the key code),
// falling back to the key's position for layouts without Latin letters; every other key
// follows its position.
uint32_t virtualKeyFromSdl(int scancode, int keycode);

} // namespace Platform
