#pragma once

#include <minizip/unzip.h>

#include <cstdio>
#include <string>

// Zip packs: enumeration of the members (used while the file system builds its index) and the
// open callback through which the zip library opens pack files.
namespace Engine
{

// Opens a pack through the zip library with its standard file callbacks, except that files are
// opened by `packOpenFileCallback`. Returns null when the pack cannot be opened. With `file`,
// the stream the library reads through is stored there (for positioned reads of its own).
unzFile openPackHandle(const std::wstring& path, FILE** file = nullptr);

// Opens a pack for enumeration. When it cannot be opened, shows two messages (the path followed
// by " cannot be opened.", then the system's error code) and throws that wide text. A pack
// without members, which the zip library cannot open, gives a null handle that the functions
// below take for an empty pack. `file` as for `openPackHandle`.
unzFile openPack(const std::wstring& path, FILE** file = nullptr);

// Moves to the first member and stores its name (and its entry in `info` when given); false for
// a pack without members. Throws a C string when the pack is damaged or a name does not fit in
// 255 bytes.
bool packFirstFile(unzFile pack, std::string& name, unz_file_info64* info = nullptr);
// Moves to the next member and stores its name; false after the last one. Throws like
// `packFirstFile`.
bool packNextFile(unzFile pack, std::string& name, unz_file_info64* info = nullptr);
// Closes a pack opened by `openPack`; throws `cString<std::string>` when the library fails.
void closePack(unzFile pack);

// The zip library's open callback: `filename` is a UTF-8 path; the mode bits choose "rb",
// "r+b" or "wb" as the library's own callback does. Returns a FILE*, or null.
voidpf ZCALLBACK packOpenFileCallback(voidpf opaque, const void* filename, int mode);

} // namespace Engine
