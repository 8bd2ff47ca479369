#include "engine/devices/cPyroFileAdapter.h"

#include "engine/core/cStream.h"

namespace Engine
{

cPyroFileAdapter::cPyroFileAdapter(std::unique_ptr<cStream> stream) : m_stream(std::move(stream)) {}

cPyroFileAdapter::~cPyroFileAdapter() = default;

int cPyroFileAdapter::read(void* buffer, unsigned count)
{
    return m_stream ? m_stream->read(buffer, count) : 0;
}

int cPyroFileAdapter::write(const void* buffer, unsigned count)
{
    return m_stream ? m_stream->write(buffer, count) : 0;
}

int cPyroFileAdapter::seek(int offset, int origin)
{
    return m_stream ? m_stream->seek(offset, origin) : 0;
}

} // namespace Engine
