#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace Test
{

// Builds zip packs for tests, including packs that lie about their members.
class ZipWriter
{
public:
    // Creates (or replaces) the pack at `path`; its folders must exist.
    explicit ZipWriter(const std::filesystem::path& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // A member with true sizes and checksum, deflated or stored.
    void add(const std::string& name, const std::string& bytes, bool deflate = true);
    // A deflated member whose headers state `statedSize` and `statedCrc` whatever its data is.
    void addLying(const std::string& name, const std::string& bytes, uint64_t statedSize, uint32_t statedCrc);
    // Writes the central directory; the pack is complete afterwards.
    void close();

private:
    void* m_zip;
};

// The checksum a zip member states for `bytes`.
uint32_t zipCrc(const std::string& bytes);

} // namespace Test
