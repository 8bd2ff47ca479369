#pragma once

#include <cstddef>
#include <cstdint>

namespace Engine
{

// The tag that opens the engine's mesh and animation files and closes each of their sections:
// the bytes "kelv", read as a little-endian 32-bit value.
constexpr uint32_t ResourceTag = 0x766C656Bu;

// Reads the little-endian fields of a file held in memory, front to back, and never past its
// end: a field that the bytes do not hold throws the C string "Unexpected end of source", and a
// tag that differs throws "Invalid resource format".
class BinaryReader
{
public:
    BinaryReader(const void* data, size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size)
    {
    }

    uint32_t readU32();
    float readFloat();
    // Reads a tag and checks it.
    void expectTag();
    // The address of the next `count` bytes, which the reader then steps over.
    const unsigned char* take(size_t count);
    // Throws "Unexpected end of source" unless `count` items of `itemSize` bytes remain; the
    // way to check a count read from the file before anything is sized by it.
    void require(uint64_t count, uint64_t itemSize) const;

    size_t position() const { return m_position; }
    size_t remaining() const { return m_size - m_position; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_position = 0;
};

} // namespace Engine
