#include "engine/devices/BinaryWriter.h"

#include <cstring>

namespace Engine
{

void BinaryWriter::writeU16(uint16_t value)
{
    writeU8(static_cast<uint8_t>(value & 0xFFu));
    writeU8(static_cast<uint8_t>(value >> 8));
}

void BinaryWriter::writeU32(uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        writeU8(static_cast<uint8_t>((value >> (8 * i)) & 0xFFu));
}

void BinaryWriter::writeFloat(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    writeU32(bits);
}

} // namespace Engine
