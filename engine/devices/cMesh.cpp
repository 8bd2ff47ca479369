#include "engine/devices/cMesh.h"

#include "engine/core/cFileSystem.h"
#include "engine/devices/BinaryReader.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/cDeviceFactory.h"
#include "engine/devices/cMeshNormal.h"
#include "engine/devices/cMeshNormalTex.h"
#include "engine/devices/cMeshTex.h"
#include "engine/devices/cSkinnedMesh.h"

#include <cstring>
#include <stdexcept>

namespace Engine
{

boost::shared_ptr<cResource> cMesh::load(const std::string& path)
{
    // One buffer serves every mesh load for the whole run; each mesh keeps its own copies.
    static std::vector<char> buffer;
    const unsigned int size = cFileSystem::instance()->readFile(path, buffer);
    return fromBytes(buffer.data(), size, path);
}

boost::shared_ptr<cMesh> cMesh::fromBytes(const void* data, size_t size, const std::string& path)
{
    BinaryReader in(data, size);
    if (in.readU32() != ResourceTag)
        throw std::string("Invalid mesh format. File:" + path);
    switch (in.readU32())
    {
    case FormatNormalTex:
        return boost::shared_ptr<cMesh>(new cMeshNormalTex(data, size));
    case FormatNormal:
        return boost::shared_ptr<cMesh>(new cMeshNormal(data, size));
    case FormatTex:
        return boost::shared_ptr<cMesh>(new cMeshTex(data, size));
    case FormatSkinned:
        return boost::shared_ptr<cMesh>(new cSkinnedMesh(data, size));
    default:
        throw std::string("Undefined vertex format. Resource:" + path);
    }
}

cMesh::~cMesh() = default;

void cMesh::fill(Platform::GfxBuffer& buffer, const std::vector<uint8_t>& bytes)
{
    void* target = nullptr;
    const Platform::GfxResult locked =
        buffer.lock(0, static_cast<uint32_t>(bytes.size()), &target, Platform::Lock::NoSysLock);
    if (locked != Platform::GfxError::Ok || !target)
        throwD3DError(locked, "Lock");
    std::memcpy(target, bytes.data(), bytes.size());
    buffer.unlock();
}

void cMesh::readGeometry(BinaryReader& in)
{
    in.expectTag();
    in.readU32(); // the format, which chose the class
    m_vertexCount = in.readU32();
    m_triangleCount = in.readU32() / 3;
    in.expectTag();
    in.require(m_vertexCount, getVertexSize());
    const unsigned char* vertices = in.take(size_t(getVertexSize()) * m_vertexCount);
    m_vertexBytes.assign(vertices, vertices + size_t(getVertexSize()) * m_vertexCount);
    in.expectTag();
    in.require(m_triangleCount, 6);
    const unsigned char* indices = in.take(size_t(m_triangleCount) * 6);
    m_indexBytes.assign(indices, indices + size_t(m_triangleCount) * 6);
    in.expectTag();
    // An index past the vertices would make every draw read outside them.
    for (size_t i = 0; i < size_t(m_triangleCount) * 3; ++i)
        if (getIndex(i) >= m_vertexCount)
            throw "Invalid resource format";
}

uint16_t cMesh::getIndex(size_t i) const
{
    return static_cast<uint16_t>(m_indexBytes.at(2 * i) | m_indexBytes.at(2 * i + 1) << 8);
}

float cMesh::getVertexFloat(uint32_t vertex, uint32_t offset) const
{
    const size_t at = size_t(vertex) * getVertexSize() + offset;
    if (offset + 4 > getVertexSize() || at + 4 > m_vertexBytes.size())
        throw std::out_of_range("vertex " + std::to_string(vertex) + " has no float at " +
                                std::to_string(offset));
    float value = 0.0f;
    std::memcpy(&value, m_vertexBytes.data() + at, sizeof value);
    return value;
}

void cMesh::releaseDeviceData()
{
    m_vertexBuffer.reset();
    m_indexBuffer.reset();
    std::vector<uint8_t>().swap(m_vertexBytes);
    std::vector<uint8_t>().swap(m_indexBytes);
}

void cMesh::createBuffers()
{
    cDeviceFactory* factory = cDeviceFactory::instance();
    if (!factory)
        return;
    // An empty list needs no buffer; the renderer draws nothing for a mesh without buffers.
    if (!m_indexBytes.empty())
    {
        const Platform::GfxResult made =
            factory->createIndexBuffer(m_triangleCount * 3, m_indexBuffer, Platform::Pool::Managed);
        if (made != Platform::GfxError::Ok || !m_indexBuffer)
            throwD3DError(made, "CreateIndexBuffer");
    }
    if (!m_vertexBytes.empty())
    {
        const Platform::GfxResult made = factory->createVertexBuffer(m_vertexCount, getVertexSize(), m_format,
                                                                     m_vertexBuffer, Platform::Pool::Managed);
        if (made != Platform::GfxError::Ok || !m_vertexBuffer)
            throwD3DError(made, "CreateVertexBuffer");
        fill(*m_vertexBuffer, m_vertexBytes);
    }
    if (m_indexBuffer)
        fill(*m_indexBuffer, m_indexBytes);
}

} // namespace Engine
