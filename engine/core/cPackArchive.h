#pragma once

#include <minizip/unzip.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Engine
{

// Reads the zip64 extra field among a directory entry's extra fields (`length` bytes): each of
// `size`, `compressedSize` and `localHeader` that holds the zip64 marker 0xFFFFFFFF is replaced
// by its value there. False when a marked value is not there or the fields run past `length`.
bool readZip64Extra(const unsigned char* extra, size_t length, uint64_t& size, uint64_t& compressedSize,
                    uint64_t& localHeader);

// A zip pack opened once, with its directory read into memory: the file system mounts each pack
// at start-up and every member is then read by its index, without opening the pack again or
// searching its directory.
//
// A plain directory is read in one read and a member's local header checked the first time the
// member is opened (the zip library walks any other directory and checks its headers); the data
// itself is read with positioned reads of the one open file, so streams of several members (a
// tune the sound thread plays while the game reads a layout) never share a read position.
class cPackArchive
{
public:
    struct Member
    {
        // The name as the pack spells it.
        std::string name;
        uint64_t size = 0;
        uint64_t compressedSize = 0;
        uint32_t crc = 0;
        // 0: stored; 8: deflated; anything else cannot be read.
        int method = 0;
        // Where the zip library finds the member's directory entry again.
        unz64_file_pos entry{};
        // Where its local header begins when the directory was read whole; -1 when the zip
        // library walked it (and checks the header through `entry`).
        int64_t localHeader = -1;
        // The name's length in the directory, which the local header repeats.
        uint16_t nameLength = 0;
    };

    // Opens a pack for the file system. When it cannot be opened, shows two messages (the path
    // followed by " cannot be opened.", then why) and throws that wide text; a damaged directory
    // throws the enumeration's text (see Pack.h) naming the pack and where the damage is, as a
    // `cString<std::string>` stored as the last error text. A pack without members, which the
    // zip library cannot open, mounts empty.
    static std::shared_ptr<cPackArchive> mount(const std::wstring& path);
    // The same without messages: null when the pack cannot be opened.
    static std::shared_ptr<cPackArchive> open(const std::wstring& path);

    ~cPackArchive();
    cPackArchive(const cPackArchive&) = delete;
    cPackArchive& operator=(const cPackArchive&) = delete;

    const std::wstring& path() const { return m_path; }
    // The pack file's size in bytes.
    uint64_t fileSize() const { return m_fileSize; }
    size_t memberCount() const { return m_members.size(); }
    const Member& member(size_t index) const { return m_members[index]; }
    // The member named exactly so, else the first whose name differs only in case; -1 for none.
    int find(const std::string& name) const;

    // Where the member's data begins in the pack; -1 when its local header is damaged. Found
    // the first time it is asked for, then kept.
    int64_t dataOffset(size_t index);
    // Reads up to `count` bytes at `offset` of the pack file; the number read, or -1. Any thread.
    long readAt(uint64_t offset, void* buffer, size_t count) const;

private:
    struct OpenedFile;
    cPackArchive(std::wstring path, unzFile zip, std::unique_ptr<OpenedFile> file);
    static std::shared_ptr<cPackArchive> openWith(const std::wstring& path, bool withMessages);
    void readDirectory();
    // The first (or next) member of the zip library's walk; false after the last. A damaged
    // directory throws as `mount` says.
    bool walk(bool first, std::string& name, unz_file_info64& info);
    // Reads a directory that lies where its end record says (no bytes before the zip), zip64
    // records and entries included, with names under 256 bytes, in one read and checks each
    // entry's signature; false, with nothing added, for any other, which the zip library then
    // walks.
    bool readWholeDirectory();
    // The sizes of the library's current entry from its zip64 extra field; a member whose
    // sizes cannot be found there cannot be read (method -1).
    void readZip64Sizes(Member& member);
    // The member's data offset from its local header as the zip library checks it; -1 when
    // the header does not match the directory.
    int64_t checkLocalHeader(const Member& member) const;

    std::wstring m_path;
    unzFile m_zip = nullptr;
    std::unique_ptr<OpenedFile> m_file;
    uint64_t m_fileSize = 0;
    std::vector<Member> m_members;
    std::unordered_map<std::string, size_t> m_exact;
    std::unordered_map<std::string, size_t> m_folded;
    // The zip library's handle is used by one caller at a time.
    std::mutex m_zipLock;
    std::vector<int64_t> m_dataOffsets;
};

} // namespace Engine
