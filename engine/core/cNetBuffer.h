#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Engine
{

// A growable byte buffer with a read position. Writing appends at the end (the highest
// position written); reading goes on from the position and never past the end: a read that
// runs short sets the bad bit and yields zeros, so a packet from outside is read without
// bounds checks at every call site (check `isBad` once at the end).
class cNetBuffer
{
public:
    static constexpr unsigned kBadBit = 4;
    // The largest body a packet can carry: its length travels in two bytes.
    static constexpr std::size_t kMaxPacketBody = 0xFFFF;

    cNetBuffer() = default;
    // A buffer holding a copy of `size` bytes, positioned at the start.
    cNetBuffer(const void* data, std::size_t size);

    void write(const void* data, std::size_t size);
    void writeU8(std::uint8_t value);
    // Multi-byte numbers are little-endian, as the packet length is.
    void writeU16(std::uint16_t value);
    void writeU32(std::uint32_t value);
    // A whole packet: the body's length in two bytes, then the body. Throws
    // std::length_error when the body is longer than `kMaxPacketBody`.
    void writePacket(const void* body, std::size_t size);

    // False (and the bad bit) when fewer than `size` bytes remain; `out` is then zeroed and
    // the position is left unchanged.
    bool read(void* out, std::size_t size);
    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();

    // Moves the read position; a position past the end sets the bad bit and stays put.
    void seek(std::size_t position);
    // Drops every byte and clears the state.
    void clear();

    const std::uint8_t* data() const { return m_bytes.data(); }
    std::size_t position() const { return m_position; }
    std::size_t end() const { return m_bytes.size(); }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    unsigned state() const { return m_state; }
    bool isBad() const { return (m_state & kBadBit) != 0; }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
    unsigned m_state = 0;
};

} // namespace Engine
