#pragma once

#include "engine/core/cStream.h"

#include <minizip/unzip.h>

#include <cstdint>
#include <string>

namespace Engine
{

// One member of a zip pack, read through the zip library (which decompresses forward only).
//
// Seeking only records the new position (clamped to 0..`size`); the next read gets there: going
// forward it reads and drops the bytes in between, going back it opens the member again at its
// start and reads forward. Members are usually read once from the start (XML, meshes, whole
// files), so nothing is kept in memory for the rare backward seek of a streamed sound, and a
// "seek to the end, tell, seek back" size query costs nothing.
//
// The member's data is checked as it is read: a member whose data ends before its stated size,
// or whose checksum does not match once its last byte is read, makes `read` return a negative
// value (the zip library's error code) instead of handing out bad data silently.
class cPackStream final : public cStream
{
public:
    // Opens `packPath` and its member `member` (the exact name first, then ignoring case).
    // Failures are stored as the engine's last error text and thrown as cString<std::string>.
    cPackStream(const std::wstring& packPath, const std::string& member);
    ~cPackStream() override;

    // The member's uncompressed size.
    unsigned int size() override;
    int seek(int offset, int origin) override;
    int read(void* buffer, unsigned int count) override;
    // A pack is read-only: writes nothing and returns 0.
    int write(const void* buffer, unsigned int count) override;
    void close() override;

private:
    [[noreturn]] void fail(const std::string& text);
    // Reads on from where the library stands, checking the data; negative when it is damaged.
    int readOn(void* buffer, unsigned int count);
    // Brings the library to the position the last seek asked for; false when the data is damaged.
    bool reachPosition();

    unzFile m_pack = nullptr;
    uint32_t m_size = 0;
    // Where the next read starts (set by seek), and where the library stands in the member.
    uint32_t m_position = 0;
    uint32_t m_readPosition = 0;
    // The stored checksum, and the running checksum of the bytes before m_readPosition.
    uint32_t m_expectedCrc = 0;
    unsigned long m_crc = 0;
    // Set once the member's data turned out damaged; reads fail until a seek back re-reads it.
    int m_error = 0;
};

} // namespace Engine
