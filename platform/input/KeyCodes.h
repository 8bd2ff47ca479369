#pragma once

#include <cstdint>

// Keyboard key codes of the buffered keyboard device: the PC keyboard's set-1 make codes, with
// 0x80 added for the extended (E0-prefixed) keys. They are the records' offsets and the indices
// of the 256-byte key state, and the engine's control codes are built from them.
namespace Platform
{
namespace Key
{
constexpr uint8_t Escape = 0x01;
constexpr uint8_t Digit1 = 0x02; // to Digit9 = 0x0A
constexpr uint8_t Digit0 = 0x0B;
constexpr uint8_t Minus = 0x0C;
constexpr uint8_t Equals = 0x0D;
constexpr uint8_t Back = 0x0E;
constexpr uint8_t Tab = 0x0F;
constexpr uint8_t Q = 0x10;
constexpr uint8_t W = 0x11;
constexpr uint8_t E = 0x12;
constexpr uint8_t R = 0x13;
constexpr uint8_t T = 0x14;
constexpr uint8_t Y = 0x15;
constexpr uint8_t U = 0x16;
constexpr uint8_t I = 0x17;
constexpr uint8_t O = 0x18;
constexpr uint8_t P = 0x19;
constexpr uint8_t LeftBracket = 0x1A;
constexpr uint8_t RightBracket = 0x1B;
constexpr uint8_t Return = 0x1C;
constexpr uint8_t LeftControl = 0x1D;
constexpr uint8_t A = 0x1E;
constexpr uint8_t S = 0x1F;
constexpr uint8_t D = 0x20;
constexpr uint8_t F = 0x21;
constexpr uint8_t G = 0x22;
constexpr uint8_t H = 0x23;
constexpr uint8_t J = 0x24;
constexpr uint8_t K = 0x25;
constexpr uint8_t L = 0x26;
constexpr uint8_t Semicolon = 0x27;
constexpr uint8_t Apostrophe = 0x28;
constexpr uint8_t Grave = 0x29;
constexpr uint8_t LeftShift = 0x2A;
constexpr uint8_t Backslash = 0x2B;
constexpr uint8_t Z = 0x2C;
constexpr uint8_t X = 0x2D;
constexpr uint8_t C = 0x2E;
constexpr uint8_t V = 0x2F;
constexpr uint8_t B = 0x30;
constexpr uint8_t N = 0x31;
constexpr uint8_t M = 0x32;
constexpr uint8_t Comma = 0x33;
constexpr uint8_t Period = 0x34;
constexpr uint8_t Slash = 0x35;
constexpr uint8_t RightShift = 0x36;
constexpr uint8_t Multiply = 0x37;
constexpr uint8_t LeftAlt = 0x38;
constexpr uint8_t Space = 0x39;
constexpr uint8_t CapsLock = 0x3A;
constexpr uint8_t F1 = 0x3B; // to F10 = 0x44
constexpr uint8_t NumLock = 0x45;
constexpr uint8_t ScrollLock = 0x46;
constexpr uint8_t Numpad7 = 0x47;
constexpr uint8_t Numpad8 = 0x48;
constexpr uint8_t Numpad9 = 0x49;
constexpr uint8_t Subtract = 0x4A;
constexpr uint8_t Numpad4 = 0x4B;
constexpr uint8_t Numpad5 = 0x4C;
constexpr uint8_t Numpad6 = 0x4D;
constexpr uint8_t Add = 0x4E;
constexpr uint8_t Numpad1 = 0x4F;
constexpr uint8_t Numpad2 = 0x50;
constexpr uint8_t Numpad3 = 0x51;
constexpr uint8_t Numpad0 = 0x52;
constexpr uint8_t Decimal = 0x53;
constexpr uint8_t Oem102 = 0x56;
constexpr uint8_t F11 = 0x57;
constexpr uint8_t F12 = 0x58;
constexpr uint8_t F13 = 0x64;
constexpr uint8_t F14 = 0x65;
constexpr uint8_t F15 = 0x66;
constexpr uint8_t NumpadEnter = 0x9C;
constexpr uint8_t RightControl = 0x9D;
constexpr uint8_t Divide = 0xB5;
constexpr uint8_t SysRq = 0xB7; // Print Screen
constexpr uint8_t RightAlt = 0xB8;
constexpr uint8_t Pause = 0xC5;
constexpr uint8_t Home = 0xC7;
constexpr uint8_t Up = 0xC8;
constexpr uint8_t PageUp = 0xC9;
constexpr uint8_t Left = 0xCB;
constexpr uint8_t Right = 0xCD;
constexpr uint8_t End = 0xCF;
constexpr uint8_t Down = 0xD0;
constexpr uint8_t PageDown = 0xD1;
constexpr uint8_t Insert = 0xD2;
constexpr uint8_t Delete = 0xD3;
constexpr uint8_t LeftWindows = 0xDB;
constexpr uint8_t RightWindows = 0xDC;
constexpr uint8_t Apps = 0xDD;
} // namespace Key

// The key code of an SDL_Scancode (passed as an int); 0 for a key without one.
uint8_t keyFromSdlScancode(int scancode);

} // namespace Platform
