#include "engine/core/cPackArchive.h"

#include "engine/core/ErrorText.h"
#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"

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
    catch (const cString<std::string>&)
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

uint64_t le64(const unsigned char* at)
{
    return static_cast<uint64_t>(le32(at)) | static_cast<uint64_t>(le32(at + 4)) << 32;
}

bool hasSignature(const unsigned char* at, uint32_t signature)
{
    return le32(at) == signature;
}

constexpr uint32_t EndSignature = 0x06054b50;
constexpr uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr uint32_t Zip64EndSignature = 0x06064b50;
constexpr uint32_t EntrySignature = 0x02014b50;
constexpr uint32_t LocalSignature = 0x04034b50;
constexpr uint16_t Zip64ExtraId = 0x0001;
constexpr uint32_t Zip64Marker = 0xFFFFFFFFu;
constexpr size_t EndSize = 22;
constexpr size_t Zip64LocatorSize = 20;
constexpr size_t Zip64EndSize = 56;
constexpr size_t EntrySize = 46;
constexpr size_t LocalSize = 30;
constexpr size_t LongestName = 255;

} // namespace

bool readZip64Extra(const unsigned char* extra, size_t length, uint64_t& size, uint64_t& compressedSize,
                    uint64_t& localHeader)
{
    // The extra fields are blocks of an id, a length and that many bytes. The zip64 block holds,
    // in this order, eight bytes for each of the three that its directory entry marks as too
    // large: the size, the compressed size, the local header's offset.
    size_t at = 0;
    while (length - at >= 4)
    {
        const uint16_t id = le16(extra + at);
        const size_t blockLength = le16(extra + at + 2);
        at += 4;
        if (length - at < blockLength)
            return false;
        if (id == Zip64ExtraId)
        {
            const unsigned char* field = extra + at;
            size_t left = blockLength;
            for (uint64_t* value : {&size, &compressedSize, &localHeader})
            {
                if (*value != Zip64Marker)
                    continue;
                if (left < 8)
                    return false;
                *value = le64(field);
                field += 8;
                left -= 8;
            }
            return true;
        }
        at += blockLength;
    }
    return size != Zip64Marker && compressedSize != Zip64Marker && localHeader != Zip64Marker;
}

bool cPackArchive::readWholeDirectory()
{
    // The end record is the last one in the file's last 64 KiB and 22 bytes, as the zip library
    // finds it. A zip64 locator right before it leads to the zip64 end record, which holds the
    // directory's place when the end record has no room for it.
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
    const unsigned char* record = tail.data() + end;
    // One disk.
    if (le16(record + 4) != 0 || le16(record + 6) != 0 || le16(record + 8) != le16(record + 10))
        return false;
    uint64_t count = le16(record + 10);
    uint64_t directorySize = le32(record + 12);
    uint64_t directoryOffset = le32(record + 16);
    // Where the directory must end: at the end record, or at the zip64 end record.
    uint64_t directoryEnd = tailStart + end;
    if (end >= Zip64LocatorSize && hasSignature(record - Zip64LocatorSize, Zip64LocatorSignature))
    {
        const unsigned char* locator = record - Zip64LocatorSize;
        const uint64_t zip64End = le64(locator + 8);
        unsigned char zip64[Zip64EndSize];
        if (le32(locator + 4) != 0 || le32(locator + 16) != 1 ||
            tailStart + end < Zip64LocatorSize + Zip64EndSize ||
            zip64End > tailStart + end - Zip64LocatorSize - Zip64EndSize ||
            readAt(zip64End, zip64, sizeof zip64) != static_cast<long>(sizeof zip64) ||
            !hasSignature(zip64, Zip64EndSignature) || le32(zip64 + 16) != 0 || le32(zip64 + 20) != 0 ||
            le64(zip64 + 24) != le64(zip64 + 32))
            return false;
        count = le64(zip64 + 32);
        directorySize = le64(zip64 + 40);
        directoryOffset = le64(zip64 + 48);
        directoryEnd = zip64End;
    }
    else if (count == 0xFFFF || directorySize == Zip64Marker || directoryOffset == Zip64Marker)
        return false;
    // The directory right before its end (no bytes before the zip, whose offsets the library
    // would shift), and no more entries than it has room for.
    if (directorySize > directoryEnd || directoryOffset != directoryEnd - directorySize ||
        count > directorySize / EntrySize)
        return false;
    std::vector<unsigned char> directory(static_cast<size_t>(directorySize));
    if (readAt(directoryOffset, directory.data(), directory.size()) != static_cast<long>(directory.size()))
        return false;

    std::vector<Member> members;
    members.reserve(static_cast<size_t>(count));
    size_t at = 0;
    for (uint64_t i = 0; i < count; ++i)
    {
        if (directory.size() - at < EntrySize || !hasSignature(directory.data() + at, EntrySignature))
            return false;
        const unsigned char* entry = directory.data() + at;
        uint64_t compressedSize = le32(entry + 20);
        uint64_t size = le32(entry + 24);
        const uint16_t nameLength = le16(entry + 28);
        const uint16_t extraLength = le16(entry + 30);
        const size_t entryLength = EntrySize + nameLength + extraLength + le16(entry + 32);
        uint64_t localHeader = le32(entry + 42);
        if (directory.size() - at < entryLength || nameLength > LongestName)
            return false;
        if ((size == Zip64Marker || compressedSize == Zip64Marker || localHeader == Zip64Marker) &&
            !readZip64Extra(entry + EntrySize + nameLength, extraLength, size, compressedSize, localHeader))
            return false;
        if (localHeader >= m_fileSize)
            return false;
        Member member;
        // The name as the library hands it out: up to its first zero byte.
        const char* name = reinterpret_cast<const char*>(entry + EntrySize);
        member.name.assign(name, strnlen(name, nameLength));
        member.size = size;
        member.compressedSize = compressedSize;
        member.crc = le32(entry + 16);
        member.method = le16(entry + 10);
        member.localHeader = static_cast<int64_t>(localHeader);
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
    for (bool more = walk(true, name, info); more; more = walk(false, name, info))
    {
        Member member;
        member.name = name;
        member.size = info.uncompressed_size;
        member.compressedSize = info.compressed_size;
        member.crc = static_cast<uint32_t>(info.crc);
        member.method = static_cast<int>(info.compression_method);
        // Some builds of the zip library leave the sizes of a zip64 entry as the entry marks
        // them: they are read from its extra fields here.
        if (member.size == Zip64Marker || member.compressedSize == Zip64Marker)
            readZip64Sizes(member);
        if (unzGetFilePos64(m_zip, &member.entry) != UNZ_OK)
            member.method = -1;
        const size_t index = m_members.size();
        m_members.push_back(std::move(member));
        m_exact.emplace(name, index);
        m_folded.emplace(toLower(name), index);
    }
    m_dataOffsets.assign(m_members.size(), -2);
}

void cPackArchive::readZip64Sizes(Member& member)
{
    std::vector<unsigned char> extra(0xFFFF);
    unz_file_info64 info;
    uint64_t localHeader = 0;
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, extra.data(), static_cast<uLong>(extra.size()),
                                nullptr, 0) != UNZ_OK ||
        !readZip64Extra(extra.data(), std::min<size_t>(info.size_file_extra, extra.size()), member.size,
                        member.compressedSize, localHeader))
        member.method = -1;
}

bool cPackArchive::walk(bool first, std::string& name, unz_file_info64& info)
{
    try
    {
        return first ? packFirstFile(m_zip, name, &info) : packNextFile(m_zip, name, &info);
    }
    catch (const char* text)
    {
        // The enumeration's own words say what failed; the file system's reader needs to know
        // where too: the pack, and the member the damage follows.
        const std::string where =
            m_members.empty() ? "its first member" : "the member after '" + m_members.back().name + "'";
        const std::string full = std::string(text) + " (the pack '" + toUtf8(m_path) + "', " + where + ")";
        getErrorString() = full;
        throw cString<std::string>(full);
    }
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
