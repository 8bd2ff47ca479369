#include "engine/core/cPackStream.h"

#include "engine/core/ErrorText.h"
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <sys/stat.h>

namespace Engine
{

namespace
{

// Deflate turns one byte into at most 1032 bytes; a member that claims more than that (plus a
// little for the smallest streams) lies about its size.
constexpr uint64_t MaxDeflateRatio = 1032;

// True when the sizes the pack states for its current member can be true: a stored member is
// as long as its data, a deflated one cannot grow past deflate's limit, the data fits in the
// pack and the member in 32 bits.
bool plausibleSizes(const unz_file_info64& info, uint64_t packSize)
{
    if (info.uncompressed_size > UINT32_MAX || info.compressed_size > packSize)
        return false;
    if (info.compression_method == 0)
        return info.uncompressed_size == info.compressed_size;
    return info.uncompressed_size <= (info.compressed_size + 1) * MaxDeflateRatio;
}

uint64_t fileSize(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return 0;
    return static_cast<uint64_t>(status.st_size);
}

} // namespace

cPackStream::cPackStream(const std::wstring& packPath, const std::string& member)
{
    const std::string packName = toUtf8(packPath);
    m_pack = openPackHandle(packPath);
    if (!m_pack)
        fail("Cant't open pack file '" + packName + "'");
    // The exact name first, so that of two members differing only in case the one asked for
    // is found; then any case, as data made on Windows expects.
    if (unzLocateFile(m_pack, member.c_str(), 1) != UNZ_OK &&
        unzLocateFile(m_pack, member.c_str(), 2) != UNZ_OK)
        fail("Cant't find file '" + member + "' in the '" + packName + "' pack.");
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(m_pack, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        fail("Cant't open file '" + member + "' in the '" + packName + "' pack.");
    if (!plausibleSizes(info, fileSize(packName)))
        fail("File '" + member + "' in the '" + packName + "' pack is damaged.");
    if (unzOpenCurrentFile(m_pack) != UNZ_OK)
        fail("Cant't open file '" + member + "' in the '" + packName + "' pack.");
    m_size = static_cast<uint32_t>(info.uncompressed_size);
    m_expectedCrc = static_cast<uint32_t>(info.crc);
    m_crc = crc32(0, nullptr, 0);
}

cPackStream::~cPackStream()
{
    close();
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
    if (!m_pack)
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
    if (!m_pack)
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
    if (!m_pack)
        return;
    // The library's own checksum verdict is not needed: reads have checked the data already.
    unzCloseCurrentFile(m_pack);
    unzClose(m_pack);
    m_pack = nullptr;
}

bool cPackStream::reachPosition()
{
    if (m_position < m_readPosition)
    {
        unzCloseCurrentFile(m_pack);
        m_readPosition = 0;
        m_crc = crc32(0, nullptr, 0);
        m_error = 0;
        if (unzOpenCurrentFile(m_pack) != UNZ_OK)
            m_error = UNZ_BADZIPFILE;
    }
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
    const int got = unzReadCurrentFile(m_pack, buffer, count);
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

} // namespace Engine
