#include "engine/core/Pack.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "platform/window/MessageBox.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine
{

long readPackAt(int fd, uint64_t offset, void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count)
    {
        const ssize_t got =
            ::pread(fd, static_cast<char*>(buffer) + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<long>(done);
}

namespace
{

// The longest member name the enumeration hands out is 255 bytes.
constexpr size_t NameBufferSize = 256;

// Shows a message to the user. There is no window layer to show a box yet, so the text goes to
// the error output, as it does for every headless run.
void showMessage(const std::wstring& caption, const std::wstring& text)
{
    Platform::showMessageBox(caption, text);
}

// The current member's name (and its entry, when `entry` is given); false when the library
// cannot give the name whole.
bool currentName(unzFile pack, std::string& name, unz_file_info64* entry)
{
    char buffer[NameBufferSize];
    unz_file_info64 local;
    unz_file_info64& info = entry ? *entry : local;
    if (unzGetCurrentFileInfo64(pack, &info, buffer, sizeof buffer, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    // The library cuts a longer name to the buffer without saying so.
    if (info.size_filename >= sizeof buffer)
        return false;
    name.assign(buffer, strnlen(buffer, info.size_filename));
    return true;
}

// True for a zip file without members: its end record stands at the very start. The zip library
// takes an end record at offset 0 for none found and cannot open such a file.
bool isEmptyZip(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rbe");
    if (!file)
        return false;
    unsigned char record[22];
    const size_t got = std::fread(record, 1, sizeof record, file);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    if (got != sizeof record || std::memcmp(record, "PK\x05\x06", 4) != 0)
        return false;
    // Entries on this disk, entries in all, directory size and offset: all zero.
    for (int i = 8; i < 20; ++i)
        if (record[i] != 0)
            return false;
    const long commentLength = record[20] | (record[21] << 8);
    return size == static_cast<long>(sizeof record) + commentLength;
}

// The pack file as the zip library reads it. The library walks the directory and a member's
// local header a few bytes at a time, seeking before nearly every read: through a stdio stream
// each seek is a system call and drops the stream's buffer. Here a seek only moves a position
// and reads are served from one block of the file, read again by a positioned read when a read
// leaves it.
struct PackFile
{
    static constexpr size_t BlockSize = 32768;
    static constexpr size_t SmallBlockSize = 1024;

    // Opened by `packOpenFileCallback`; its descriptor is read directly, never its buffer.
    FILE* stream = nullptr;
    int fd = -1;
    uint64_t size = 0;
    uint64_t position = 0;
    std::vector<unsigned char> block;
    uint64_t blockStart = 0;
    bool failed = false;

    size_t read(void* into, size_t count)
    {
        auto* out = static_cast<unsigned char*>(into);
        size_t done = 0;
        while (done < count)
        {
            if (position >= blockStart && position < blockStart + block.size())
            {
                const size_t at = static_cast<size_t>(position - blockStart);
                const size_t step = std::min(count - done, block.size() - at);
                std::memcpy(out + done, block.data() + at, step);
                done += step;
                position += step;
                continue;
            }
            if (count - done >= BlockSize)
            {
                // A long read goes straight to the caller.
                const long got = readPackAt(fd, position, out + done, count - done);
                if (got < 0)
                    failed = true;
                if (got > 0)
                {
                    done += static_cast<size_t>(got);
                    position += static_cast<uint64_t>(got);
                }
                break;
            }
            if (position >= size)
                break;
            // A read near the last block (the library searches for the directory's end
            // backwards, a kilobyte at a time, and walks the directory forwards) fills a large
            // block, one that jumps (to a member's local header) a small one. A block starts at
            // a multiple of half its size, so that a read across a half's end still falls in
            // one block.
            const bool near = !block.empty() && position + BlockSize >= blockStart &&
                              position < blockStart + block.size() + BlockSize;
            const uint64_t length = near ? BlockSize : SmallBlockSize;
            blockStart = position / (length / 2) * (length / 2);
            block.resize(static_cast<size_t>(std::min<uint64_t>(length, size - blockStart)));
            const long got = readPackAt(fd, blockStart, block.data(), block.size());
            block.resize(got > 0 ? static_cast<size_t>(got) : 0);
            if (got < 0)
                failed = true;
            if (position >= blockStart + block.size())
                break;
        }
        return done;
    }
};

voidpf ZCALLBACK packFileOpen(voidpf opaque, const void* filename, int mode)
{
    FILE* stream = static_cast<FILE*>(packOpenFileCallback(nullptr, filename, mode));
    if (!stream)
        return nullptr;
    auto* file = new PackFile;
    file->stream = stream;
    file->fd = fileno(stream);
    struct stat status;
    if (::fstat(file->fd, &status) == 0)
        file->size = static_cast<uint64_t>(status.st_size);
    if (opaque)
        *static_cast<int*>(opaque) = file->fd;
    return file;
}

uLong ZCALLBACK packFileRead(voidpf, voidpf stream, void* buffer, uLong size)
{
    return static_cast<uLong>(static_cast<PackFile*>(stream)->read(buffer, size));
}

uLong ZCALLBACK packFileWrite(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK packFileTell(voidpf, voidpf stream)
{
    return static_cast<PackFile*>(stream)->position;
}

long ZCALLBACK packFileSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    auto* file = static_cast<PackFile*>(stream);
    uint64_t base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR)
        base = file->position;
    else if (origin == ZLIB_FILEFUNC_SEEK_END)
        base = file->size;
    else if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    // The library passes a negative step from the end as its unsigned wrap-around.
    file->position = base + offset;
    return 0;
}

int ZCALLBACK packFileClose(voidpf, voidpf stream)
{
    auto* file = static_cast<PackFile*>(stream);
    const int result = std::fclose(file->stream);
    delete file;
    return result;
}

int ZCALLBACK packFileError(voidpf, voidpf stream)
{
    return static_cast<PackFile*>(stream)->failed ? 1 : 0;
}

} // namespace

voidpf ZCALLBACK packOpenFileCallback(voidpf /*opaque*/, const void* filename, int mode)
{
    const char* openMode = nullptr;
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ)
        openMode = "rbe";
    else if (mode & ZLIB_FILEFUNC_MODE_EXISTING)
        openMode = "r+be";
    else if (mode & ZLIB_FILEFUNC_MODE_CREATE)
        openMode = "wbe";
    if (!filename || !openMode)
        return nullptr;
    // Linux paths are bytes and the engine's narrow paths are UTF-8 already, so the name is
    // opened as it is: a round trip through a wide string could only lose characters.
    return std::fopen(static_cast<const char*>(filename), openMode);
}

unzFile openPackHandle(const std::wstring& path, int* fd)
{
    zlib_filefunc64_def callbacks;
    callbacks.zopen64_file = packFileOpen;
    callbacks.zread_file = packFileRead;
    callbacks.zwrite_file = packFileWrite;
    callbacks.ztell64_file = packFileTell;
    callbacks.zseek64_file = packFileSeek;
    callbacks.zclose_file = packFileClose;
    callbacks.zerror_file = packFileError;
    // The library opens the pack once, in unzOpen2_64, and keeps the opaque pointer only for
    // the other callbacks, which do not use it.
    if (fd)
        *fd = -1;
    callbacks.opaque = fd;
    const std::string utf8 = toUtf8(path);
    unzFile pack = unzOpen2_64(utf8.c_str(), &callbacks);
    if (!pack && fd)
        *fd = -1;
    return pack;
}

unzFile openPack(const std::wstring& path, int* fd)
{
    unzFile pack = openPackHandle(path, fd);
    if (pack)
        return pack;
    const std::string file = toUtf8(path);
    if (isEmptyZip(file))
        return nullptr;
    const std::wstring text = path + L" cannot be opened.";
    showMessage(text, text);
    // The system's error code says why a file cannot be opened. A file that opens has none (the
    // library merely found no zip directory in it): then the second message says so instead.
    std::wstring reason;
    const int opened = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (opened < 0)
        reason = std::to_wstring(errno);
    else
    {
        ::close(opened);
        reason = path + L" is not a zip pack, or it is damaged: its directory cannot be found.";
    }
    showMessage(reason, reason);
    throw text;
}

bool packFirstFile(unzFile pack, std::string& name, unz_file_info64* info)
{
    if (!pack)
        return false;
    // The library reads a central directory entry even when the directory has none.
    unz_global_info64 global;
    if (unzGetGlobalInfo64(pack, &global) == UNZ_OK && global.number_entry == 0)
        return false;
    const int result = unzGoToFirstFile(pack);
    if (result == UNZ_END_OF_LIST_OF_FILE)
        return false;
    if (result != UNZ_OK)
        throw "Pack finder raise error during begin of search.";
    if (!currentName(pack, name, info))
        throw "Pack finder raise error during begin of search. (File name can't be obtained.)";
    return true;
}

bool packNextFile(unzFile pack, std::string& name, unz_file_info64* info)
{
    if (!pack)
        return false;
    const int result = unzGoToNextFile(pack);
    if (result == UNZ_END_OF_LIST_OF_FILE)
        return false;
    if (result != UNZ_OK)
        throw "Pack finder raise error during search.";
    if (!currentName(pack, name, info))
        throw "Pack finder raise error during search. (File name can't be obtained.)";
    return true;
}

void closePack(unzFile pack)
{
    if (!pack)
        return;
    if (unzClose(pack) != UNZ_OK)
        throw cString<std::string>("Error has occurred while closing zip find.");
}

} // namespace Engine
