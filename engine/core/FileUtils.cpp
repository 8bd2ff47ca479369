#include "engine/core/FileUtils.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cAtomicFileStream.h"
#include "engine/core/cFileSystem.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace Engine
{

const std::string& getFileExtension(const std::string& path)
{
    static std::string extension;
    const std::string::size_type dot = path.rfind('.');
    extension = dot == std::string::npos ? std::string() : toLower(path.substr(dot + 1));
    return extension;
}

const std::string& getFileName(const std::string& path)
{
    static std::string name;
    const std::string::size_type slash = path.rfind('/');
    name = toLower(slash == std::string::npos ? path : path.substr(slash + 1));
    return name;
}

void createFolders(const std::string& path)
{
    // Default permissions (the user's umask): the shared folder is the user's own, and a
    // folder everyone may write to would let others plant files the game then reads.
    for (std::string::size_type slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0777);
}

void createFolders(const std::wstring& path)
{
    createFolders(toUtf8(path));
}

void replaceChar(std::string& text, char from, char to)
{
    std::replace(text.begin(), text.end(), from, to);
}

void replaceChar(std::wstring& text, wchar_t from, wchar_t to)
{
    std::replace(text.begin(), text.end(), from, to);
}

std::string normalizePath(std::string path)
{
    for (char& c : path)
    {
        if (c == '\\')
            c = '/';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return path;
}

namespace
{

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    return "no regular file";
}

} // namespace

std::string irregularSharedFile(const std::string& path)
{
    const cFileSystem* fileSystem = cFileSystem::instance();
    if (!fileSystem)
        return std::string();
    const std::string full = fileSystem->sharedPathOnDisk(path);
    struct stat status;
    if (::lstat(full.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return std::string();
    if (!S_ISLNK(status.st_mode))
        return kindOf(status.st_mode);
    if (::stat(full.c_str(), &status) != 0)
        return "a link that leads nowhere";
    if (S_ISREG(status.st_mode))
        return std::string();
    return std::string("a link to ") + kindOf(status.st_mode);
}

size_t writeWholeFile(const std::string& path, const void* data, size_t size)
{
    cFileSystem* fileSystem = cFileSystem::instance();
    if (!fileSystem)
        throw "Can't write file \"" + path + "\".";
    std::string failure = "Can't write file \"" + fileSystem->sharedPathOnDisk(path) + "\".";
    if (!fileSystem->isInCommon(path))
    {
        const std::string irregular = irregularSharedFile(path);
        if (!irregular.empty())
            throw failure.insert(failure.size() - 1,
                                 ": " + irregular + " is in its place, not a regular file");
    }
    std::unique_ptr<cFileStream> stream;
    try
    {
        stream = fileSystem->createFile(path, true);
    }
    catch (const std::string& reason)
    {
        throw failure + " " + reason;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size)
    {
        const unsigned int step = static_cast<unsigned int>(std::min<size_t>(size - done, 1u << 30));
        const int written = stream->write(bytes + done, step);
        if (written != static_cast<int>(step))
            break;
        done += step;
    }
    stream->close();
    const auto* atomic = dynamic_cast<const cAtomicFileStream*>(stream.get());
    if (done != size || (atomic && !atomic->committed()))
    {
        // The system's reason (a full disk, a folder that cannot be written) goes with it.
        if (atomic && !atomic->failureText().empty())
            failure.insert(failure.size() - 1, ": " + atomic->failureText());
        throw failure;
    }
    return size;
}

namespace
{

// The bytes of a UTF-16 text file: the byte-order mark, then the text little-endian.
std::string unicodeFileBytes(const std::wstring& text)
{
    const std::u16string units = toUtf16(text);
    std::string bytes;
    bytes.reserve(2 + 2 * units.size());
    bytes += '\xFF';
    bytes += '\xFE';
    for (const char16_t unit : units)
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// True when the shared folder's copy of `path` reads and holds exactly `bytes`.
bool sharedFileHolds(const std::string& path, const std::string& bytes)
{
    const cFileSystem* files = cFileSystem::instance();
    if (!files || !files->isInCommon(path))
        return false;
    std::vector<char> held;
    try
    {
        files->readFile(path, held);
    }
    catch (...)
    {
        // A file that cannot be read is written over, as it would be without the look.
        return false;
    }
    return held.size() == bytes.size() && std::equal(held.begin(), held.end(), bytes.begin());
}

} // namespace

unsigned int writeUnicodeFile(const std::string& path, const std::wstring& text)
{
    const std::string bytes = unicodeFileBytes(text);
    return static_cast<unsigned int>(writeWholeFile(path, bytes.data(), bytes.size()));
}

bool writeUnicodeFileIfChanged(const std::string& path, const std::wstring& text)
{
    const std::string bytes = unicodeFileBytes(text);
    if (sharedFileHolds(path, bytes))
        return false;
    writeWholeFile(path, bytes.data(), bytes.size());
    return true;
}

} // namespace Engine
