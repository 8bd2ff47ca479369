#pragma once

#include <minizip/unzip.h>

#include <cstdint>
#include <cstdio>
#include <string>

// Zip packs: enumeration of the members (used while the file system builds its index) and the
// open callback through which the zip library opens pack files.
namespace Engine
{

// Opens a pack through the zip library, which reads it by positioned reads through a block kept
// in memory (its many small reads and seeks cost no system call each). Returns null when the
// pack cannot be opened. With `fd`, the descriptor the library reads is stored there (for
// positioned reads of its own; it stays open until the handle is closed).
unzFile openPackHandle(const std::wstring& path, int* fd = nullptr);

// Reads up to `count` bytes at `offset` of an open pack file by positioned reads (retried when
// a signal cuts one short): the number read, or -1. Any thread.
long readPackAt(int fd, uint64_t offset, void* buffer, size_t count);

// Opens a pack for enumeration. When it cannot be opened, shows two messages (the path followed
// by " cannot be opened.", then the system's error code, or for a file that opens but holds no
// zip directory the path and that reason) and throws the first one's wide text. A pack
// without members, which the zip library cannot open, gives a null handle that the functions
// below take for an empty pack. `fd` as for `openPackHandle`.
unzFile openPack(const std::wstring& path, int* fd = nullptr);

// Moves to the first member and stores its name (and its entry in `info` when given); false for
// a pack without members. Throws a C string when the pack is damaged or a name does not fit in
// 255 bytes.
bool packFirstFile(unzFile pack, std::string& name, unz_file_info64* info = nullptr);
// Moves to the next member and stores its name; false after the last one. Throws like
// `packFirstFile`.
bool packNextFile(unzFile pack, std::string& name, unz_file_info64* info = nullptr);
// Closes a pack opened by `openPack`; throws `cString<std::string>` when the library fails.
void closePack(unzFile pack);

// A zip library open callback over stdio: `filename` is a UTF-8 path; the mode bits choose "rb",
// "r+b" or "wb" as the library's own callback does. Returns a FILE*, or null.
voidpf ZCALLBACK packOpenFileCallback(voidpf opaque, const void* filename, int mode);

} // namespace Engine
