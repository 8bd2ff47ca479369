#include "engine/devices/cSkinnedMesh.h"

#include "engine/devices/BinaryReader.h"

#include <algorithm>
#include <cstring>

namespace Engine
{

cSkinnedMesh::cSkinnedMesh(const void* data, size_t size) : cMesh(FormatSkinned)
{
    BinaryReader in(data, size);
    readGeometry(in);
    const uint32_t count = in.readU32();
    in.require(count, 64);
    m_bones.resize(count);
    for (cMatrix& bone : m_bones)
        for (float& element : bone.m)
            element = in.readFloat();
    in.expectTag();
    for (uint32_t i = 0; i < getVertexCount(); ++i)
    {
        const cSkinnedVertex vertex = getVertex(i);
        m_highestBone =
            std::max({m_highestBone, vertex.bones[0], vertex.bones[1], vertex.bones[2], vertex.bones[3]});
    }
    createBuffers();
}

cSkinnedMesh::~cSkinnedMesh() = default;

cSkinnedVertex cSkinnedMesh::getVertex(uint32_t vertex) const
{
    cSkinnedVertex out;
    out.position = cVector3(getVertexFloat(vertex, 0), getVertexFloat(vertex, 4), getVertexFloat(vertex, 8));
    for (int k = 0; k < 3; ++k)
        out.weights[k] = getVertexFloat(vertex, 12 + 4 * k);
    std::memcpy(out.bones, getVertexBytes().data() + size_t(vertex) * getVertexSize() + 24, 4);
    out.normal = cVector3(getVertexFloat(vertex, 28), getVertexFloat(vertex, 32), getVertexFloat(vertex, 36));
    out.u = getVertexFloat(vertex, 40);
    out.v = getVertexFloat(vertex, 44);
    return out;
}

} // namespace Engine
