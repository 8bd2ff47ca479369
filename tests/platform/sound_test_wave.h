#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
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

// The bytes of an MS ADPCM WAVE file (silence, in blocks of 256 bytes) whose block at
// `damagedAt` bytes into the file or later names a predictor that does not exist: its head is
// sound, the data behind it cannot be decoded.
inline std::string makeDamagedAdpcmWave(size_t damagedAt = 6000)
{
    constexpr uint16_t block = 256;
    constexpr uint16_t samplesPerBlock = (block - 7) * 2 + 2;
    constexpr uint32_t blocks = 40;
    const int16_t coefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                        {240, 0}, {460, -208}, {392, -232}};
    std::string format;
    putU16(format, 2); // MS ADPCM
    putU16(format, 1);
    putU32(format, 22050);
    putU32(format, 22050 * block / samplesPerBlock);
    putU16(format, block);
    putU16(format, 4);
    putU16(format, 32);
    putU16(format, samplesPerBlock);
    putU16(format, 7);
    for (const auto& pair : coefficients)
    {
        putU16(format, static_cast<uint16_t>(pair[0]));
        putU16(format, static_cast<uint16_t>(pair[1]));
    }
    std::string head = "WAVEfmt ";
    putU32(head, static_cast<uint32_t>(format.size()));
    head += format;
    head += "fact";
    putU32(head, 4);
    putU32(head, samplesPerBlock * blocks);
    head += "data";
    putU32(head, block * blocks);
    std::string data;
    for (uint32_t i = 0; i < blocks; ++i)
    {
        // Predictor 0, delta 16, both first samples 0, then silence.
        std::string header(1, '\0');
        putU16(header, 16);
        putU16(header, 0);
        putU16(header, 0);
        data += header + std::string(block - header.size(), '\0');
    }
    const size_t dataStart = 8 + head.size();
    const size_t damaged = damagedAt <= dataStart ? 0 : (damagedAt - dataStart + block - 1) / block;
    data[std::min<size_t>(damaged, blocks - 1) * block] = 9;
    std::string out = "RIFF";
    putU32(out, static_cast<uint32_t>(head.size() + data.size()));
    return out + head + data;
}

} // namespace SoundTest
