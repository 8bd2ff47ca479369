#include "engine/core/cPackStream.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cPackArchive.h"
#include "engine/core/cString.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <climits>

namespace Engine
{

namespace
{

// Deflate turns one byte into at most 1032 bytes; a member that claims more than that (plus a
// little for the smallest streams) lies about its size.
constexpr uint64_t MaxDeflateRatio = 1032;
constexpr size_t InputChunk = 16384;

// True when the sizes the pack states for a member can be true: a stored member is as long as
// its data, a deflated one cannot grow past deflate's limit, the data fits in the pack and the
// member in 32 bits.
bool plausibleSizes(const cPackArchive::Member& member, uint64_t packSize)
{
    if (member.size > UINT32_MAX || member.compressedSize > packSize)
        return false;
    if (member.method == 0)
        return member.size == member.compressedSize;
    return member.size <= (member.compressedSize + 1) * MaxDeflateRatio;
}

} // namespace

cPackStream::cPackStream(const std::wstring& packPath, const std::string& member)
    : m_archive(cPackArchive::open(packPath)), m_name(member)
{
    if (!m_archive)
        fail("Cant't open pack file '" + toUtf8(packPath) + "' (to read its member '" + member + "')");
    const int index = m_archive->find(member);
    if (index < 0)
        fail("Cant't find file '" + member + "' in the '" + toUtf8(packPath) + "' pack.");
    open(static_cast<size_t>(index));
}

cPackStream::cPackStream(std::shared_ptr<cPackArchive> archive, size_t index)
    : m_archive(std::move(archive)), m_name(m_archive->member(index).name)
{
    open(index);
}

cPackStream::~cPackStream()
{
    close();
}

void cPackStream::open(size_t index)
{
    const cPackArchive::Member& member = m_archive->member(index);
    const std::string packName = toUtf8(m_archive->path());
    if (member.method != 0 && member.method != Z_DEFLATED)
        fail("Cant't open file '" + m_name + "' in the '" + packName + "' pack.");
    if (!plausibleSizes(member, m_archive->fileSize()))
        fail("File '" + m_name + "' in the '" + packName + "' pack is damaged.");
    const int64_t offset = m_archive->dataOffset(index);
    if (offset < 0)
        fail("Cant't open file '" + m_name + "' in the '" + packName + "' pack.");
    if (static_cast<uint64_t>(offset) + member.compressedSize > m_archive->fileSize())
        fail("File '" + m_name + "' in the '" + packName + "' pack is damaged.");
    m_dataOffset = static_cast<uint64_t>(offset);
    m_compressedSize = member.compressedSize;
    m_deflated = member.method == Z_DEFLATED;
    m_size = static_cast<uint32_t>(member.size);
    m_expectedCrc = member.crc;
    m_crc = crc32(0, nullptr, 0);
}

void cPackStream::fail(const std::string& text)
{
    close();
    getErrorString() = text;
    throw cString<std::string>(text);
}

unsigned int cPackStream::size()
{
    return m_size;
}

int cPackStream::seek(int offset, int origin)
{
    if (!m_archive)
        return 0;
    int64_t base = 0;
    if (origin == SeekCurrent)
        base = m_position;
    else if (origin == SeekEnd)
        base = m_size;
    m_position = static_cast<uint32_t>(std::clamp<int64_t>(base + offset, 0, m_size));
    return static_cast<int>(m_position);
}

int cPackStream::read(void* buffer, unsigned int count)
{
    if (!m_archive)
        return 0;
    if (!reachPosition())
        return m_error;
    const int result = readOn(buffer, std::min(count, static_cast<unsigned int>(INT_MAX)));
    if (result > 0)
        m_position = m_readPosition;
    return result;
}

int cPackStream::write(const void* /*buffer*/, unsigned int /*count*/)
{
    return 0;
}

void cPackStream::close()
{
    if (m_inflate)
    {
        inflateEnd(m_inflate.get());
        m_inflate.reset();
    }
    m_input.clear();
    m_input.shrink_to_fit();
    m_archive.reset();
}

void cPackStream::restart()
{
    m_readPosition = 0;
    m_compressedRead = 0;
    m_crc = crc32(0, nullptr, 0);
    m_error = 0;
    m_inflateEnded = false;
    if (m_inflate)
    {
        inflateReset(m_inflate.get());
        m_inflate->avail_in = 0;
    }
}

bool cPackStream::reachPosition()
{
    if (m_position < m_readPosition)
        restart();
    char scrap[16384];
    while (m_error == 0 && m_readPosition < m_position)
    {
        const unsigned int step = std::min<uint32_t>(sizeof scrap, m_position - m_readPosition);
        if (readOn(scrap, step) <= 0 && m_error == 0)
            m_error = UNZ_BADZIPFILE;
    }
    return m_error == 0;
}

int cPackStream::readOn(void* buffer, unsigned int count)
{
    if (m_error != 0)
        return m_error;
    if (count == 0)
        return 0;
    const int got = take(static_cast<unsigned char*>(buffer), count);
    if (got < 0)
        return m_error = got;
    // The data ended before the size the pack states, or ran past it.
    if ((got == 0 && m_readPosition < m_size) || static_cast<uint32_t>(got) > m_size - m_readPosition)
        return m_error = UNZ_BADZIPFILE;
    m_crc = crc32(m_crc, static_cast<const Bytef*>(buffer), static_cast<uInt>(got));
    m_readPosition += static_cast<uint32_t>(got);
    if (got > 0 && m_readPosition == m_size && m_crc != m_expectedCrc)
        return m_error = UNZ_CRCERROR;
    return got;
}

int cPackStream::take(unsigned char* buffer, unsigned int count)
{
    if (m_deflated)
        return inflateOn(buffer, count);
    const uint32_t left = m_size - m_readPosition;
    const long got = m_archive->readAt(m_dataOffset + m_readPosition, buffer, std::min(count, left));
    return got < 0 ? UNZ_ERRNO : static_cast<int>(got);
}

int cPackStream::inflateOn(unsigned char* buffer, unsigned int count)
{
    if (!m_inflate)
    {
        m_inflate = std::make_unique<z_stream>();
        // Raw deflate data: a zip member has no zlib header.
        if (inflateInit2(m_inflate.get(), -MAX_WBITS) != Z_OK)
        {
            m_inflate.reset();
            return UNZ_INTERNALERROR;
        }
        m_input.resize(InputChunk);
    }
    z_stream& z = *m_inflate;
    z.next_out = buffer;
    z.avail_out = count;
    while (z.avail_out > 0 && !m_inflateEnded)
    {
        if (z.avail_in == 0 && m_compressedRead < m_compressedSize)
        {
            const uint64_t left = m_compressedSize - m_compressedRead;
            const size_t step = static_cast<size_t>(std::min<uint64_t>(m_input.size(), left));
            const long got = m_archive->readAt(m_dataOffset + m_compressedRead, m_input.data(), step);
            if (got <= 0)
                return UNZ_ERRNO;
            m_compressedRead += static_cast<uint64_t>(got);
            z.next_in = m_input.data();
            z.avail_in = static_cast<uInt>(got);
        }
        // With the input used up, inflate may still hand out what it holds.
        const int result = inflate(&z, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
            m_inflateEnded = true;
        else if (result == Z_BUF_ERROR)
            break; // nothing more comes: the data ends early
        else if (result != Z_OK)
            return Z_DATA_ERROR;
    }
    return static_cast<int>(count - z.avail_out);
}

} // namespace Engine
