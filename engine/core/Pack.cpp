#include "engine/core/Pack.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "platform/window/MessageBox.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Engine
{

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

unzFile openPackHandle(const std::wstring& path, FILE** file)
{
    zlib_filefunc64_def callbacks;
    fill_fopen64_filefunc(&callbacks);
    callbacks.zopen64_file = packOpenFileCallback;
    if (file)
    {
        *file = nullptr;
        // The library opens the pack once, in unzOpen2_64; the opaque pointer is not kept
        // beyond that call by the standard callbacks.
        callbacks.opaque = file;
        callbacks.zopen64_file = [](voidpf opaque, const void* filename, int mode) -> voidpf
        {
            voidpf opened = packOpenFileCallback(nullptr, filename, mode);
            *static_cast<FILE**>(opaque) = static_cast<FILE*>(opened);
            return opened;
        };
    }
    const std::string utf8 = toUtf8(path);
    unzFile pack = unzOpen2_64(utf8.c_str(), &callbacks);
    if (!pack && file)
        *file = nullptr;
    return pack;
}

unzFile openPack(const std::wstring& path, FILE** file)
{
    errno = 0;
    unzFile pack = openPackHandle(path, file);
    if (pack)
        return pack;
    const int code = errno;
    if (isEmptyZip(toUtf8(path)))
        return nullptr;
    const std::wstring text = path + L" cannot be opened.";
    showMessage(text, text);
    const std::wstring codeText = std::to_wstring(code);
    showMessage(codeText, codeText);
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
