#pragma once

#include "platform/particles/IPyroFile.h"

#include <cstddef>
#include <string>

namespace PyroParticles
{

// An effect file held in memory: reads hand its bytes out in order; writing and seeking do
// nothing.
class CPyroMemoryFile final : public IPyroFile
{
public:
    explicit CPyroMemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}

    int read(void* buffer, unsigned count) override;
    int write(const void*, unsigned) override { return 0; }
    int seek(int, int) override { return 0; }
    int flush() override { return 0; }

private:
    std::string m_bytes;
    size_t m_position = 0;
};

} // namespace PyroParticles
