#include "engine/core/cPackArchive.h"

#include "engine/core/Pack.h"
#include "engine/core/StringUtils.h"

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

void cPackArchive::readDirectory()
{
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
