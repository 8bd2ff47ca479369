#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace SoundTest
{

inline void putU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

inline void putU16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

// The bytes of a 16-bit mono PCM WAVE file holding a quiet 440 Hz tone.
inline std::string makeWave(double seconds, uint32_t rate = 8000)
{
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    std::string out = "RIFF";
    putU32(out, 36 + frames * 2);
    out += "WAVEfmt ";
    putU32(out, 16);
    putU16(out, 1);
    putU16(out, 1);
    putU32(out, rate);
    putU32(out, rate * 2);
    putU16(out, 2);
    putU16(out, 16);
    out += "data";
    putU32(out, frames * 2);
    for (uint32_t i = 0; i < frames; ++i)
        putU16(out,
               static_cast<uint16_t>(static_cast<int16_t>(3000.0 * std::sin(i * 2 * M_PI * 440.0 / rate))));
    return out;
}

} // namespace SoundTest
