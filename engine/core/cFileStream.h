#pragma once

#include "engine/core/cStream.h"

#include <cstdint>
#include <string>

namespace Engine
{

// A loose file on disk, read and written through its file descriptor.
class cFileStream : public cStream
{
public:
    // Access bits; both together open the file for reading and writing.
    static constexpr uint32_t AccessRead = 0x80000000u;
    static constexpr uint32_t AccessWrite = 0x40000000u;
    // Dispositions: create (or truncate) the file, or open a file that must exist. A file
    // created is readable and writable by its owner only (0600); a truncated one keeps its mode.
    static constexpr int CreateAlways = 2;
    static constexpr int OpenExisting = 3;

    // Throw "Can't open file \"<path>\"." as std::string (narrow path) or std::wstring (wide).
    cFileStream(const std::string& path, uint32_t access, int disposition);
    cFileStream(const std::wstring& path, uint32_t access, int disposition);
    ~cFileStream() override;

    unsigned int size() override;
    int seek(int offset, int origin) override;
    int read(void* buffer, unsigned int count) override;
    int write(const void* buffer, unsigned int count) override;
    void close() override;

    bool isOpen() const { return m_fd >= 0; }

protected:
    // Opens `path` (UTF-8) and returns the descriptor, or -1 with errno set.
    static int openDescriptor(const std::string& path, uint32_t access, int disposition);
    int descriptor() const { return m_fd; }
    // Closes the descriptor (retried while interrupted); false when the system reported an error.
    bool closeDescriptor();

private:
    int m_fd = -1;
};

} // namespace Engine
