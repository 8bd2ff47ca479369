#pragma once

#include <cstddef>
#include <string>

namespace Engine
{

// The text after the last "." of a path, lower-cased; empty when there is none. The result is
// one static string, overwritten by the next call.
const std::string& getFileExtension(const std::string& path);
// The text after the last "/" of a path, lower-cased (the whole path when it has no "/", empty
// when it ends in "/"). One static string, overwritten by the next call.
const std::string& getFileName(const std::string& path);

// Creates every folder named before each "/" of the path, from the left; folders that exist
// already (or cannot be made) are passed over: opening the file afterwards reports the failure.
void createFolders(const std::string& path);
void createFolders(const std::wstring& path);

void replaceChar(std::string& text, char from, char to);
void replaceChar(std::wstring& text, wchar_t from, wchar_t to);

// The index key of a path: "\" turned into "/" and A to Z lower-cased.
std::string normalizePath(std::string path);

// What stands in the shared folder at `path` (a path of the file system) when it is no regular
// file: "a folder", "a character device", "a named pipe", "a link to a character device" (a
// link to /dev/zero), "a link that leads nowhere"... Empty when nothing is there or a regular
// file (also behind a link). The file system indexes regular files only, so such a thing is not
// known to it: a reader of the player's files asks this before taking a file for missing, and
// never opens it (a named pipe would block, a device never ends).
std::string irregularSharedFile(const std::string& path);

// Writes a whole file into the shared folder through `cFileSystem::createFile`: the old file is
// replaced only once every byte is on the disk. Returns `size`; throws std::string
// "Can't write file \"<file>\"." (the file on disk, `cFileSystem::sharedPathOnDisk`, with the
// system's reason before the full stop, when there is one) when the file could not be written
// (the old file is kept). Something that is no regular file (`irregularSharedFile`) is never
// replaced: what it is, or leads to, is not the program's.
size_t writeWholeFile(const std::string& path, const void* data, size_t size);

// Writes a text file in UTF-16 (little-endian, the byte-order mark FF FE first, no terminator)
// through `writeWholeFile`, and returns the number of bytes written: 2 + 2 × the UTF-16 units.
unsigned int writeUnicodeFile(const std::string& path, const std::wstring& text);
// The same, unless the shared folder's file holds these bytes already: writing them again would
// change nothing and cost a wait for the disk. True when the file was written.
bool writeUnicodeFileIfChanged(const std::string& path, const std::wstring& text);

} // namespace Engine
