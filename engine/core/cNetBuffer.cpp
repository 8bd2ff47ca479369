#include "engine/core/cNetBuffer.h"

#include <cstring>
#include <stdexcept>

namespace Engine
{

cNetBuffer::cNetBuffer(const void* data, std::size_t size)
{
    write(data, size);
}

void cNetBuffer::write(const void* data, std::size_t size)
{
    if (size == 0)
        return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + size);
}

void cNetBuffer::writeU8(std::uint8_t value)
{
    m_bytes.push_back(value);
}

void cNetBuffer::writeU16(std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    write(bytes, sizeof bytes);
}

void cNetBuffer::writeU32(std::uint32_t value)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    write(bytes, sizeof bytes);
}

void cNetBuffer::writePacket(const void* body, std::size_t size)
{
    if (size > kMaxPacketBody)
        throw std::length_error("cNetBuffer::writePacket(): body longer than 65535 bytes");
    writeU16(static_cast<std::uint16_t>(size));
    write(body, size);
}

bool cNetBuffer::read(void* out, std::size_t size)
{
    if (size > remaining())
    {
        m_state |= kBadBit;
        if (size != 0)
            std::memset(out, 0, size);
        return false;
    }
    if (size != 0)
        std::memcpy(out, m_bytes.data() + m_position, size);
    m_position += size;
    return true;
}

std::uint8_t cNetBuffer::readU8()
{
    std::uint8_t value = 0;
    read(&value, 1);
    return value;
}

std::uint16_t cNetBuffer::readU16()
{
    std::uint8_t bytes[2];
    read(bytes, sizeof bytes);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t cNetBuffer::readU32()
{
    std::uint8_t bytes[4];
    read(bytes, sizeof bytes);
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

void cNetBuffer::seek(std::size_t position)
{
    if (position > m_bytes.size())
    {
        m_state |= kBadBit;
        return;
    }
    m_position = position;
}

void cNetBuffer::clear()
{
    m_bytes.clear();
    m_position = 0;
    m_state = 0;
}

} // namespace Engine
