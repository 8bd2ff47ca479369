#include "engine/core/cFileSystem.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FileSteps.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/SystemUtils.h"
#include "engine/core/cAtomicFileStream.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cPackArchive.h"
#include "engine/core/cPackStream.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlPropertiesPooled.h"

#include <boost/algorithm/string/split.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine
{

namespace
{

// The root of the entries of the shared folder's loose files.
const char* const CommonRoot = "#common#";

// Turns "\" into "/" and makes sure the folder path ends in "/".
template <class S> S asFolder(S path)
{
    replaceChar(path, '\\', '/');
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

bool canOpenForReading(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && (errno == EAGAIN || errno == EINTR));
    if (fd < 0)
        return false;
    // Linux opens a folder for reading too; a folder is no file.
    struct stat status;
    const bool isFile = ::fstat(fd, &status) == 0 && !S_ISDIR(status.st_mode);
    ::close(fd);
    return isFile;
}

// Appends the full path of every regular file in `folder` (ending in "/") in byte order of the
// names, skipping names that begin with "."; with `recursive`, subfolders are walked in the
// same order, each real folder once (a link back up the tree cannot make it loop).
void listFolder(const std::string& folder, std::vector<std::string>& out, bool recursive,
                std::set<std::pair<dev_t, ino_t>>& visited)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    // With the entry's type as the folder gives it: a regular file needs no look of its own,
    // a folder, a link or an entry of unknown type is looked at (a link to a folder may lead
    // back up the tree).
    std::vector<std::pair<std::string, unsigned char>> names;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name, entry->d_type);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const auto& [name, type] : names)
    {
        const std::string full = folder + name;
        if (type == DT_REG)
        {
            out.push_back(full);
            continue;
        }
        struct stat status;
        if (::stat(full.c_str(), &status) != 0)
            continue;
        if (S_ISREG(status.st_mode))
            out.push_back(full);
        else if (S_ISDIR(status.st_mode) && recursive &&
                 visited.insert({status.st_dev, status.st_ino}).second)
            listFolder(full + "/", out, recursive, visited);
    }
}

std::vector<std::string> listFolder(const std::string& folder, bool recursive)
{
    std::vector<std::string> out;
    std::set<std::pair<dev_t, ino_t>> visited;
    struct stat status;
    if (::stat(folder.c_str(), &status) == 0)
        visited.insert({status.st_dev, status.st_ino});
    listFolder(folder, out, recursive, visited);
    return out;
}

bool needsNormalizing(const std::string& path)
{
    return std::any_of(path.begin(), path.end(), [](char c) { return c == '\\' || (c >= 'A' && c <= 'Z'); });
}

// Drops the resource manager's cached copy of a file that has just changed.
void dropCachedResource(const std::string& key)
{
    cDocumentCache::fileChanged(key);
}

} // namespace

cFileSystem::cFileSystem(const std::wstring& dataFolder, const std::string& packExtension, PackFilter filter)
    : m_packExtension(toLower(packExtension))
{
    const std::wstring folder = asFolder(dataFolder);
    m_dataFolder = toLower(folder);
    m_dataFolderOnDisk = toUtf8(folder);

    indexListing(listRelative(m_dataFolderOnDisk), "");
    indexPacks(m_dataFolderOnDisk, 1, m_index, filter);

    const std::wstring appDirectory = readAppDirectory();
    m_commonFolder = asFolder(getCommonAppDataFolder()) + appDirectory + L"/";
    m_commonFolderOnDisk = toUtf8(m_commonFolder);
    createFolders(m_commonFolderOnDisk);

    // What the data side gives each path is kept aside, so that removing the shared folder's
    // copy of a file brings it back.
    m_packs.clear();
    m_index.swap(m_shadow);
    std::vector<std::string> common = listRelative(m_commonFolderOnDisk);
    removeStrayTemporaries(common);
    indexListing(common, CommonRoot);
    indexPacks(m_commonFolderOnDisk, 0, m_shadow, filter);
    for (const auto& entry : m_shadow)
        m_index.insert(entry);
    m_packs.clear();
}

cFileSystem::~cFileSystem() = default;

std::wstring cFileSystem::readAppDirectory() const
{
    std::wstring name;
    const boost::shared_ptr<cXmlPropertiesPooled> constants =
        boost::make_shared<cXmlPropertiesPooled>("sys/constants.xml");
    boost::shared_ptr<cProperties> game;
    if (constants->getChild(L"game", game) && game)
    {
        name = game->getAttribute(L"app_directory");
        if (name.empty())
            name = game->getAttribute(L"window_title");
    }
    // A constants file without a "game" element names no folder either.
    if (name.empty())
        throw "app_directory not defined.";
    replaceChar(name, L'\\', L'/');
    // The name is a folder (or folders) below the common application-data folder: a ".." would
    // lead out of it, an empty part (a leading "/") would make it the common folder itself.
    std::vector<std::wstring> parts;
    boost::algorithm::split(parts, name, [](wchar_t c) { return c == L'/'; });
    for (const std::wstring& part : parts)
    {
        if (part.empty() || part == L"." || part == L"..")
            throw std::string("app_directory \"" + toUtf8(name) +
                              "\" must name a folder inside the shared data folder: no \"..\", "
                              "\".\" or empty parts, no leading \"/\".");
    }
    return name;
}

void cFileSystem::indexListing(const std::vector<std::string>& names, const std::string& root)
{
    const uint32_t inDataFolder = root == CommonRoot ? 0 : 1;
    for (const std::string& name : names)
    {
        if (getFileExtension(name) == m_packExtension)
            m_packs.insert(name);
        else
            m_index[normalizePath(name)] = Entry{root, inDataFolder, name, nullptr, 0};
    }
}

void cFileSystem::indexPacks(const std::string& folder, uint32_t inDataFolder, Index& into, PackFilter filter)
{
    for (const std::string& packName : m_packs)
    {
        if (filter && !filter(packName))
            continue;
        const std::shared_ptr<cPackArchive> pack = cPackArchive::mount(fromUtf8(folder + packName));
        for (size_t index = 0; index < pack->memberCount(); ++index)
        {
            const std::string& member = pack->member(index).name;
            // Folder entries; packs made on Windows may separate names with "\".
            if (member.empty() || member.back() == '/' || member.back() == '\\')
                continue;
            into[normalizePath(member)] = Entry{packName, inDataFolder, member, pack, index};
        }
    }
}

void cFileSystem::removeStrayTemporaries(std::vector<std::string>& names)
{
    // Every file is written as "<path>.tmp" and renamed over its path once complete: a ".tmp"
    // that is still there was cut short (the old file it was to replace is intact), and no
    // other file of the program ends so.
    const std::string suffix = ".tmp";
    std::vector<std::string> kept;
    for (const std::string& name : names)
    {
        const bool temporary = name.size() > suffix.size() &&
                               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (!temporary)
        {
            kept.push_back(name);
            continue;
        }
        const std::string full = m_commonFolderOnDisk + name;
        if (::unlink(full.c_str()) == 0)
            reportProblem(L"files", "\"" + full + "\", left by a write that did not end, was removed.");
        else
            reportProblem(L"files", "\"" + full +
                                        "\", left by a write that did not end, cannot be removed: " +
                                        std::strerror(errno));
    }
    names.swap(kept);
}

std::vector<std::string> cFileSystem::listRelative(const std::string& folder) const
{
    std::vector<std::string> names = listFolder(folder, true);
    for (std::string& name : names)
        name.erase(0, folder.size());
    return names;
}

const cFileSystem::Entry* cFileSystem::find(const std::string& path) const
{
    auto found = m_index.find(path);
    if (found == m_index.end() && needsNormalizing(path))
        found = m_index.find(normalizePath(path));
    return found == m_index.end() ? nullptr : &found->second;
}

std::string cFileSystem::loosePath(const Entry& entry) const
{
    return (entry.root.empty() ? m_dataFolderOnDisk : m_commonFolderOnDisk) + entry.name;
}

std::wstring cFileSystem::packPath(const Entry& entry) const
{
    return fromUtf8((entry.inDataFolder ? m_dataFolderOnDisk : m_commonFolderOnDisk) + entry.root);
}

std::wstring cFileSystem::getDataFolder() const
{
    return m_dataFolder;
}

std::wstring cFileSystem::getCommonFolder() const
{
    return m_commonFolder;
}

std::unique_ptr<cFileStream> cFileSystem::openWriteStream(const std::string& path, bool truncate)
{
    // A path on disk keeps its case: the disk tells "Data" from "data".
    std::string target = path;
    replaceChar(target, '\\', '/');
    createFolders(target);
    if (truncate)
        return std::make_unique<cAtomicFileStream>(target);
    return std::make_unique<cFileStream>(target, cFileStream::AccessRead | cFileStream::AccessWrite,
                                         cFileStream::OpenExisting);
}

std::unique_ptr<cFileStream> cFileSystem::openWriteStream(const std::wstring& path, bool truncate)
{
    try
    {
        return openWriteStream(toUtf8(path), truncate);
    }
    catch (const std::string& reason)
    {
        // The reason names the file as it was opened, with the system's why.
        throw fromUtf8(reason);
    }
}

bool cFileSystem::existsOnDisk(const std::wstring& path) const
{
    return canOpenForReading(toUtf8(path));
}

bool cFileSystem::existsOnDisk(const std::string& path) const
{
    return canOpenForReading(path);
}

void cFileSystem::listDiskFolder(const std::wstring& folder, std::list<std::wstring>& out,
                                 bool recursive) const
{
    for (const std::string& path : listFolder(toUtf8(asFolder(folder)), recursive))
        out.push_back(fromUtf8(path));
}

std::unique_ptr<cStream> cFileSystem::openFile(const std::string& path) const
{
    const Entry* entry = find(path);
    if (!entry)
        throw std::string("File \"") + path + "\" not found.";
    return openEntry(path, *entry);
}

std::unique_ptr<cStream> cFileSystem::openDataCopy(const std::string& path) const
{
    const Entry* entry = find(path);
    if (entry && entry->root == CommonRoot)
    {
        const auto shadow = m_shadow.find(normalizePath(path));
        entry = shadow == m_shadow.end() ? nullptr : &shadow->second;
    }
    if (!entry)
        throw std::string("File \"") + path + "\" not found.";
    return openEntry(path, *entry);
}

std::unique_ptr<cStream> cFileSystem::openEntry(const std::string& path, const Entry& entry) const
{
    if (!entry.root.empty() && entry.root != CommonRoot)
        return std::make_unique<cPackStream>(entry.archive, entry.member);
    const std::string full = loosePath(entry);
    int error = entry.root == CommonRoot ? checkFileStep(eFileStep::read, path) : 0;
    if (error == 0)
    {
        try
        {
            return std::make_unique<cFileStream>(full, cFileStream::AccessRead, cFileStream::OpenExisting);
        }
        catch (const std::string&)
        {
            error = errno;
        }
    }
    throw std::string("Can't open file \"") + full + "\": " + std::strerror(error) + ".";
}

unsigned int cFileSystem::readFile(const std::string& path, std::vector<char>& out) const
{
    const std::unique_ptr<cStream> stream = openFile(path);
    const unsigned int size = stream->size();
    out.resize(size);
    unsigned int done = 0;
    while (done < size)
    {
        const int got = stream->read(out.data() + done, size - done);
        if (got <= 0)
            break;
        done += static_cast<unsigned int>(got);
    }
    if (done != size)
    {
        const Entry* entry = find(path);
        if (!entry->root.empty() && entry->root != CommonRoot)
        {
            const std::string text =
                "File '" + entry->name + "' in the '" + toUtf8(packPath(*entry)) + "' pack is damaged.";
            getErrorString() = text;
            throw cString<std::string>(text);
        }
        // A loose file that shrank while it was read: what was there.
        out.resize(done);
    }
    return done;
}

std::unique_ptr<cFileStream> cFileSystem::createFile(const std::string& path, bool truncate)
{
    const std::string key = normalizePath(path);
    // A file the shared folder has already (perhaps spelt in another case) is replaced in place.
    const std::string name = sharedName(key);
    const std::string full = m_commonFolderOnDisk + name;
    createFolders(full);
    dropCachedResource(key);
    if (!truncate)
    {
        auto stream = std::make_unique<cFileStream>(full, cFileStream::AccessRead | cFileStream::AccessWrite,
                                                    cFileStream::OpenExisting);
        noteWritten(key, name);
        return stream;
    }
    // The new file joins the index once it is complete on the disk; until then readers see
    // the old one.
    return std::make_unique<cAtomicFileStream>(full,
                                               [key, name]()
                                               {
                                                   if (cFileSystem* fileSystem = cFileSystem::instance())
                                                       fileSystem->noteWritten(key, name);
                                               });
}

void cFileSystem::noteWritten(const std::string& key, const std::string& name)
{
    m_index[key] = Entry{CommonRoot, 0, name, nullptr, 0};
    dropCachedResource(key);
}

std::string cFileSystem::sharedName(const std::string& key) const
{
    const auto known = m_index.find(key);
    return known != m_index.end() && known->second.root == CommonRoot ? known->second.name : key;
}

std::string cFileSystem::sharedPathOnDisk(const std::string& path) const
{
    return m_commonFolderOnDisk + sharedName(normalizePath(path));
}

bool cFileSystem::removeFile(const std::string& path)
{
    const std::string key = normalizePath(path);
    const std::string full = sharedPathOnDisk(path);
    if (const int error = checkFileStep(eFileStep::remove, full))
    {
        errno = error;
        return false;
    }
    if (::unlink(full.c_str()) != 0)
        return false;
    forgetCommon(key);
    return true;
}

void cFileSystem::forgetCommon(const std::string& key)
{
    // A cached copy of the removed file would hide the copy that is visible again.
    dropCachedResource(key);
    const auto found = m_index.find(key);
    if (found == m_index.end() || found->second.root != CommonRoot)
        return;
    const auto shadow = m_shadow.find(key);
    if (shadow != m_shadow.end())
        found->second = shadow->second;
    else
        m_index.erase(found);
}

std::string cFileSystem::setAside(const std::string& path, const std::string& copyPath)
{
    const std::string key = normalizePath(path);
    const auto found = m_index.find(key);
    if (found == m_index.end() || found->second.root != CommonRoot)
        throw std::string("\"" + path + "\" is no file of the shared folder and cannot be set aside.");
    const std::string source = m_commonFolderOnDisk + found->second.name;
    const std::string base = normalizePath(copyPath.empty() ? path + ".damaged" : copyPath);
    std::string target = base;
    struct stat status;
    for (int n = 2; ::lstat((m_commonFolderOnDisk + target).c_str(), &status) == 0; ++n)
        target = base + "-" + std::to_string(n);
    int error = checkFileStep(eFileStep::remove, source);
    if (error == 0 && std::rename(source.c_str(), (m_commonFolderOnDisk + target).c_str()) != 0)
        error = errno;
    if (error != 0)
        throw std::string("\"" + source + "\" cannot be set aside as \"" + target +
                          "\": " + std::strerror(error) + ".");
    forgetCommon(key);
    noteWritten(target, target);
    return target;
}

bool cFileSystem::isKnown(const std::string& path) const
{
    return find(path) != nullptr;
}

bool cFileSystem::isInCommon(const std::string& path) const
{
    const Entry* entry = find(path);
    return entry && entry->root == CommonRoot;
}

bool cFileSystem::hasDataCopy(const std::string& path) const
{
    const Entry* entry = find(path);
    if (entry && entry->root != CommonRoot)
        return true;
    return m_shadow.count(normalizePath(path)) != 0;
}

std::wstring cFileSystem::getPackPath(const std::string& path) const
{
    const Entry* entry = find(path);
    if (!entry || entry->root.empty() || entry->root == CommonRoot)
        return std::wstring();
    return packPath(*entry);
}

void cFileSystem::listKnown(const std::string& prefix, std::list<std::string>& out, bool anyDepth) const
{
    const std::string key = normalizePath(prefix);
    if (!anyDepth)
    {
        if (m_index.count(key))
            out.push_back(key);
        return;
    }
    for (auto it = m_index.lower_bound(key);
         it != m_index.end() && it->first.compare(0, key.size(), key) == 0; ++it)
        out.push_back(it->first);
}

void cFileSystem::listCommonFolder(const std::string& folder, std::list<std::string>& out) const
{
    const std::string full = asFolder(m_commonFolderOnDisk + folder);
    for (const std::string& path : listFolder(full, false))
    {
        const std::string name = path.substr(full.size());
        if (getFileExtension(name) != m_packExtension)
            out.push_back(name);
    }
}

void cFileSystem::moveFile(const std::string& source, const std::string& target)
{
    std::string error;
    moveOnDisk(source, target, error);
    if (!error.empty())
        throw error;
}

void cFileSystem::moveFile(const std::wstring& source, const std::wstring& target)
{
    std::string error;
    try
    {
        moveOnDisk(toUtf8(source), toUtf8(target), error);
    }
    catch (const std::string& text)
    {
        throw fromUtf8(text);
    }
    if (!error.empty())
        throw fromUtf8(error);
}

void cFileSystem::moveOnDisk(const std::string& source, const std::string& target, std::string& error)
{
    std::string destination = target;
    replaceChar(destination, '\\', '/');
    // Inside the shared folder a file is known by its lower-case relative path, and the file
    // takes that name on the disk as createFile's files do. Elsewhere the disk's case holds.
    std::string key;
    if (destination.compare(0, m_commonFolderOnDisk.size(), m_commonFolderOnDisk) == 0)
    {
        key = normalizePath(destination.substr(m_commonFolderOnDisk.size()));
        destination = m_commonFolderOnDisk + key;
    }
    createFolders(destination);
    // rename replaces an existing target in one step, so the old target is never lost.
    if (std::rename(source.c_str(), destination.c_str()) != 0)
    {
        // Another file system: copy, replacing the target only once the copy is complete.
        cFileStream from(source, cFileStream::AccessRead, cFileStream::OpenExisting);
        cAtomicFileStream to(destination);
        std::vector<char> block(0x20000);
        unsigned int copied = 0;
        for (;;)
        {
            const int got = from.read(block.data(), static_cast<unsigned int>(block.size()));
            if (got <= 0 || to.write(block.data(), static_cast<unsigned int>(got)) != got)
                break;
            copied += static_cast<unsigned int>(got);
        }
        // A read that failed half-way would otherwise pass for the end of the file.
        if (copied == from.size())
            to.close();
        if (!to.committed())
        {
            error =
                "File \"" + source + "\" can't be moved into \"" + destination + "\".\n" + lastErrorText();
            return;
        }
    }
    if (!key.empty())
        noteWritten(key, key);
}

} // namespace Engine
