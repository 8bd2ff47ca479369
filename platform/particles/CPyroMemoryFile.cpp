#include "platform/particles/CPyroMemoryFile.h"

#include <algorithm>
#include <cstring>

namespace PyroParticles
{

int CPyroMemoryFile::read(void* buffer, unsigned count)
{
    const size_t n = std::min<size_t>(count, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return static_cast<int>(n);
}

} // namespace PyroParticles
