#include "engine/devices/BinaryReader.h"

#include <cstring>

namespace Engine
{

void BinaryReader::require(uint64_t count, uint64_t itemSize) const
{
    const uint64_t left = remaining();
    if (itemSize != 0 && count > left / itemSize)
        throw "Unexpected end of source";
}

const unsigned char* BinaryReader::take(size_t count)
{
    require(count, 1);
    const unsigned char* at = m_data + m_position;
    m_position += count;
    return at;
}

uint32_t BinaryReader::readU32()
{
    const unsigned char* p = take(4);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float BinaryReader::readFloat()
{
    const uint32_t bits = readU32();
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void BinaryReader::expectTag()
{
    if (readU32() != ResourceTag)
        throw "Invalid resource format";
}

} // namespace Engine
