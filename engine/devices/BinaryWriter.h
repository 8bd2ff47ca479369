#pragma once

#include "engine/devices/BinaryReader.h"

#include <cstdint>
#include <string>

namespace Engine
{

// Builds the little-endian fields of a file in memory, front to back: what `BinaryReader` reads.
class BinaryWriter
{
public:
    void writeU8(uint8_t value) { m_bytes.push_back(static_cast<char>(value)); }
    void writeU16(uint16_t value);
    void writeU32(uint32_t value);
    void writeFloat(float value);
    void writeTag() { writeU32(ResourceTag); }
    void writeBytes(const std::string& bytes) { m_bytes += bytes; }

    const std::string& bytes() const { return m_bytes; }
    size_t size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};

} // namespace Engine
