#include "engine/core/cPackArchive.h"

#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace Engine
{

struct cPackArchive::OpenedFile
{
    // The descriptor the zip library reads the directory through; it serves the positioned
    // reads of the members' data too, and closes with the library's handle.
    int fd = -1;
};

cPackArchive::cPackArchive(std::wstring path, unzFile zip, std::unique_ptr<OpenedFile> file)
    : m_path(std::move(path)), m_zip(zip), m_file(std::move(file))
{
    struct stat status;
    if (m_file->fd >= 0 && ::fstat(m_file->fd, &status) == 0)
        m_fileSize = static_cast<uint64_t>(status.st_size);
}

cPackArchive::~cPackArchive()
{
    // Closing the library's handle closes its stream too.
    if (m_zip)
        unzClose(m_zip);
}

std::shared_ptr<cPackArchive> cPackArchive::mount(const std::wstring& path)
{
    return openWith(path, true);
}

std::shared_ptr<cPackArchive> cPackArchive::open(const std::wstring& path)
{
    try
    {
        return openWith(path, false);
    }
    catch (const char*)
    {
        // A directory that cannot be walked: the pack cannot be opened.
        return nullptr;
    }
}

std::shared_ptr<cPackArchive> cPackArchive::openWith(const std::wstring& path, bool withMessages)
{
    auto file = std::make_unique<OpenedFile>();
    unzFile zip = nullptr;
    if (withMessages)
        zip = openPack(path, &file->fd);
    else
    {
        zip = openPackHandle(path, &file->fd);
        if (!zip)
            return nullptr;
    }
    std::shared_ptr<cPackArchive> archive(new cPackArchive(path, zip, std::move(file)));
    archive->readDirectory();
    return archive;
}

namespace
{

uint16_t le16(const unsigned char* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t le32(const unsigned char* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool hasSignature(const unsigned char* at, uint32_t signature)
{
    return le32(at) == signature;
}

constexpr uint32_t EndSignature = 0x06054b50;
constexpr uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr uint32_t EntrySignature = 0x02014b50;
constexpr uint32_t LocalSignature = 0x04034b50;
constexpr size_t EndSize = 22;
constexpr size_t EntrySize = 46;
constexpr size_t LocalSize = 30;
constexpr size_t LongestName = 255;

} // namespace

bool cPackArchive::readWholeDirectory()
{
    // The end record is the last one in the file's last 64 KiB and 22 bytes, as the zip library
    // finds it; one with a zip64 locator before it is left to the library.
    if (m_fileSize < EndSize)
        return false;
    const uint64_t tailSize = std::min<uint64_t>(m_fileSize, 0xFFFF + EndSize);
    const uint64_t tailStart = m_fileSize - tailSize;
    std::vector<unsigned char> tail(static_cast<size_t>(tailSize));
    if (readAt(tailStart, tail.data(), tail.size()) != static_cast<long>(tail.size()))
        return false;
    size_t end = tail.size() - EndSize + 1;
    while (end-- > 0 && !hasSignature(tail.data() + end, EndSignature))
    {
    }
    if (end == static_cast<size_t>(-1))
        return false;
    if (end >= 20 && hasSignature(tail.data() + end - 20, Zip64LocatorSignature))
        return false;
    const unsigned char* record = tail.data() + end;
    const uint16_t count = le16(record + 10);
    const uint32_t directorySize = le32(record + 12);
    const uint32_t directoryOffset = le32(record + 16);
    // One disk, no zip64 values, and the directory right before the end record (no bytes
    // before the zip, whose offsets the library would shift).
    if (le16(record + 4) != 0 || le16(record + 6) != 0 || le16(record + 8) != count || count == 0xFFFF ||
        directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu ||
        static_cast<uint64_t>(directoryOffset) + directorySize != tailStart + end)
        return false;
    std::vector<unsigned char> directory(directorySize);
    if (readAt(directoryOffset, directory.data(), directory.size()) != static_cast<long>(directory.size()))
        return false;

    std::vector<Member> members;
    members.reserve(count);
    size_t at = 0;
    for (uint16_t i = 0; i < count; ++i)
    {
        if (directory.size() - at < EntrySize || !hasSignature(directory.data() + at, EntrySignature))
            return false;
        const unsigned char* entry = directory.data() + at;
        const uint32_t compressedSize = le32(entry + 20);
        const uint32_t size = le32(entry + 24);
        const uint16_t nameLength = le16(entry + 28);
        const size_t entryLength = EntrySize + nameLength + le16(entry + 30) + le16(entry + 32);
        const uint32_t localHeader = le32(entry + 42);
        if (directory.size() - at < entryLength || nameLength > LongestName ||
            compressedSize == 0xFFFFFFFFu || size == 0xFFFFFFFFu || localHeader == 0xFFFFFFFFu)
            return false;
        Member member;
        // The name as the library hands it out: up to its first zero byte.
        const char* name = reinterpret_cast<const char*>(entry + EntrySize);
        member.name.assign(name, strnlen(name, nameLength));
        member.size = size;
        member.compressedSize = compressedSize;
        member.crc = le32(entry + 16);
        member.method = le16(entry + 10);
        member.localHeader = localHeader;
        member.nameLength = nameLength;
        members.push_back(std::move(member));
        at += entryLength;
    }
    for (Member& member : members)
    {
        const size_t index = m_members.size();
        m_exact.emplace(member.name, index);
        m_folded.emplace(toLower(member.name), index);
        m_members.push_back(std::move(member));
    }
    return true;
}

int64_t cPackArchive::checkLocalHeader(const Member& member) const
{
    unsigned char header[LocalSize];
    if (readAt(static_cast<uint64_t>(member.localHeader), header, sizeof header) !=
        static_cast<long>(sizeof header))
        return -1;
    // The checks of the zip library's opening of a member: the signature, the method (one it
    // can read), the name's length, and the crc and sizes unless a data descriptor follows.
    const uint16_t flags = le16(header + 6);
    const bool described = (flags & 8) != 0;
    const uint32_t compressedSize = le32(header + 18);
    const uint32_t size = le32(header + 22);
    if (!hasSignature(header, LocalSignature) || le16(header + 8) != member.method ||
        le16(header + 26) != member.nameLength || (member.method != 0 && member.method != 8) ||
        (!described && le32(header + 14) != member.crc) ||
        (!described && compressedSize != 0xFFFFFFFFu && compressedSize != member.compressedSize) ||
        (!described && size != 0xFFFFFFFFu && size != member.size))
        return -1;
    return member.localHeader + static_cast<int64_t>(LocalSize) + le16(header + 26) + le16(header + 28);
}

void cPackArchive::readDirectory()
{
    if (m_zip && readWholeDirectory())
    {
        m_dataOffsets.assign(m_members.size(), -2);
        return;
    }
    std::string name;
    // Each entry is read once for its name and its sizes together: the library reads an entry
    // a few bytes at a time.
    unz_file_info64 info;
    for (bool more = packFirstFile(m_zip, name, &info); more; more = packNextFile(m_zip, name, &info))
    {
        Member member;
        member.name = name;
        member.size = info.uncompressed_size;
        member.compressedSize = info.compressed_size;
        member.crc = static_cast<uint32_t>(info.crc);
        member.method = static_cast<int>(info.compression_method);
        if (unzGetFilePos64(m_zip, &member.entry) != UNZ_OK)
            member.method = -1;
        const size_t index = m_members.size();
        m_members.push_back(std::move(member));
        m_exact.emplace(name, index);
        m_folded.emplace(toLower(name), index);
    }
    m_dataOffsets.assign(m_members.size(), -2);
}

int cPackArchive::find(const std::string& name) const
{
    const auto exact = m_exact.find(name);
    if (exact != m_exact.end())
        return static_cast<int>(exact->second);
    const auto folded = m_folded.find(toLower(name));
    return folded == m_folded.end() ? -1 : static_cast<int>(folded->second);
}

int64_t cPackArchive::dataOffset(size_t index)
{
    const std::lock_guard<std::mutex> lock(m_zipLock);
    int64_t& offset = m_dataOffsets[index];
    if (offset != -2)
        return offset;
    offset = -1;
    if (m_members[index].localHeader >= 0)
    {
        offset = checkLocalHeader(m_members[index]);
        return offset;
    }
    unz64_file_pos entry = m_members[index].entry;
    // Opening the member checks its local header against the directory and finds the data.
    if (m_members[index].method >= 0 && unzGoToFilePos64(m_zip, &entry) == UNZ_OK &&
        unzOpenCurrentFile(m_zip) == UNZ_OK)
    {
        offset = static_cast<int64_t>(unzGetCurrentFileZStreamPos64(m_zip));
        unzCloseCurrentFile(m_zip);
    }
    return offset;
}

long cPackArchive::readAt(uint64_t offset, void* buffer, size_t count) const
{
    return m_file->fd < 0 ? -1 : readPackAt(m_file->fd, offset, buffer, count);
}

} // namespace Engine
