#pragma once

#include "platform/particles/EffectDesc.h"

#include <cstddef>
#include <string>

namespace PyroParticles
{

class IPyroFile;

// Reads an effect file (the format is described at the top of CEffectReader.cpp). Every
// failure throws CPyroException with a message that begins: Effect file "<name>": .
class CEffectReader
{
public:
    // The most bytes an effect file may have.
    static constexpr size_t kMaxFileSize = 8u * 1024u * 1024u;

    explicit CEffectReader(std::string fileName);

    sEffectDesc read(IPyroFile& file);
    sEffectDesc parse(const char* data, size_t size);

private:
    std::string m_fileName;
};

} // namespace PyroParticles
