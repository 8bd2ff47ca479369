#include "engine/devices/cMeshNormal.h"

#include "engine/devices/BinaryReader.h"

namespace Engine
{

cMeshNormal::cMeshNormal(const void* data, size_t size) : cMesh(FormatNormal)
{
    BinaryReader in(data, size);
    readGeometry(in);
    createBuffers();
}

} // namespace Engine
