#pragma once

#include <cstdint>

namespace Engine
{

// Input control codes: the index of `cInput`'s per-code signal, and the first argument of its
// mouse-axis and joystick-axis signals.
//
//   0 to 255      the key with that key code (platform/input/KeyCodes.h) released
//   256 to 511    the key 256 less pressed
//   512 to 519    mouse button 0 to 7 released; 520 to 527 pressed
//   528, 529, 530 mouse x, y and wheel movement (axis signal only, with the delta)
//   1024 to 1055  joystick button 0 to 31 released; 1056 to 1087 pressed
//   1088 to 1095  joystick x, y, z, x rotation, y rotation, z rotation, slider 0, slider 1
//                 (axis signal only, with the position)
//   1096 to 1099  joystick hat 0 to 3 (axis signal only, with the direction)
//   1100          any control: raised after key and button codes
// 531 to 1023 are never raised.
enum eControl : int32_t
{
    CONTROL_KEY_RELEASED = 0,
    CONTROL_KEY_PRESSED = 256,
    CONTROL_MOUSE_RELEASED = 512,
    CONTROL_MOUSE_PRESSED = 520,
    CONTROL_MOUSE_X = 528,
    CONTROL_MOUSE_Y = 529,
    CONTROL_MOUSE_WHEEL = 530,
    CONTROL_JOY_RELEASED = 1024,
    CONTROL_JOY_PRESSED = 1056,
    CONTROL_JOY_X = 1088,
    CONTROL_JOY_Y = 1089,
    CONTROL_JOY_Z = 1090,
    CONTROL_JOY_RX = 1091,
    CONTROL_JOY_RY = 1092,
    CONTROL_JOY_RZ = 1093,
    CONTROL_JOY_SLIDER0 = 1094,
    CONTROL_JOY_SLIDER1 = 1095,
    CONTROL_JOY_POV0 = 1096,
    CONTROL_ANY = 1100,
    // The number of per-code signals.
    CONTROL_COUNT = 1101,
};

constexpr eControl keyReleased(uint32_t key)
{
    return static_cast<eControl>(CONTROL_KEY_RELEASED + static_cast<int32_t>(key & 0xFF));
}
constexpr eControl keyPressed(uint32_t key)
{
    return static_cast<eControl>(CONTROL_KEY_PRESSED + static_cast<int32_t>(key & 0xFF));
}
constexpr eControl mouseReleased(uint32_t button)
{
    return static_cast<eControl>(CONTROL_MOUSE_RELEASED + static_cast<int32_t>(button & 7));
}
constexpr eControl mousePressed(uint32_t button)
{
    return static_cast<eControl>(CONTROL_MOUSE_PRESSED + static_cast<int32_t>(button & 7));
}
constexpr eControl joyReleased(uint32_t button)
{
    return static_cast<eControl>(CONTROL_JOY_RELEASED + static_cast<int32_t>(button & 31));
}
constexpr eControl joyPressed(uint32_t button)
{
    return static_cast<eControl>(CONTROL_JOY_PRESSED + static_cast<int32_t>(button & 31));
}

} // namespace Engine
