#pragma once

#include "engine/core/cStream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct z_stream_s;

namespace Engine
{

class cPackArchive;

// One member of a zip pack, read from the pack's one open file (see cPackArchive): a stored
// member is copied from its place in the pack, a deflated one decompressed forward only.
//
// Seeking only records the new position (clamped to 0..`size`); the next read gets there: going
// forward it reads and drops the bytes in between, going back it starts the member again and
// reads forward. Members are usually read once from the start (XML, meshes, whole files), so
// nothing is kept in memory for the rare backward seek of a streamed sound, and a "seek to the
// end, tell, seek back" size query costs nothing.
//
// The member's data is checked as it is read: a member whose data ends before its stated size,
// or whose checksum does not match once its last byte is read, makes `read` return a negative
// value (a zip library error code) instead of handing out bad data silently.
//
// A stream is used by one thread at a time; streams of one pack may be read on different threads.
class cPackStream final : public cStream
{
public:
    // Opens `packPath` on its own and its member `member` (the exact name first, then ignoring
    // case). Failures are stored as the engine's last error text and thrown as
    // cString<std::string>.
    cPackStream(const std::wstring& packPath, const std::string& member);
    // The member at `index` of a mounted pack; fails like the other constructor.
    cPackStream(std::shared_ptr<cPackArchive> archive, size_t index);
    ~cPackStream() override;

    // The member's uncompressed size.
    unsigned int size() override;
    int seek(int offset, int origin) override;
    int read(void* buffer, unsigned int count) override;
    // A pack is read-only: writes nothing and returns 0.
    int write(const void* buffer, unsigned int count) override;
    void close() override;

private:
    void open(size_t index);
    [[noreturn]] void fail(const std::string& text);
    // Reads on from where the stream stands, checking the data; negative when it is damaged.
    int readOn(void* buffer, unsigned int count);
    // The member's bytes from where the stream stands, before any check.
    int take(unsigned char* buffer, unsigned int count);
    int inflateOn(unsigned char* buffer, unsigned int count);
    // Starts the member again from its first byte.
    void restart();
    // Brings the stream to the position the last seek asked for; false when the data is damaged.
    bool reachPosition();

    std::shared_ptr<cPackArchive> m_archive;
    std::string m_name;
    uint64_t m_dataOffset = 0;
    uint64_t m_compressedSize = 0;
    bool m_deflated = false;
    uint32_t m_size = 0;
    // Where the next read starts (set by seek), and where the stream stands in the member.
    uint32_t m_position = 0;
    uint32_t m_readPosition = 0;
    // The stored checksum, and the running checksum of the bytes before m_readPosition.
    uint32_t m_expectedCrc = 0;
    unsigned long m_crc = 0;
    // Set once the member's data turned out damaged; reads fail until a seek back re-reads it.
    int m_error = 0;
    // Decompression: the zlib state (made at the first read), the compressed bytes taken so far
    // and those waiting in the input buffer.
    std::unique_ptr<z_stream_s> m_inflate;
    bool m_inflateEnded = false;
    uint64_t m_compressedRead = 0;
    std::vector<unsigned char> m_input;
};

} // namespace Engine
