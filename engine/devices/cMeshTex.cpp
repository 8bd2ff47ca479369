#include "engine/devices/cMeshTex.h"

#include "engine/devices/BinaryReader.h"

namespace Engine
{

cMeshTex::cMeshTex(const void* data, size_t size) : cMesh(FormatTex)
{
    BinaryReader in(data, size);
    readGeometry(in);
    createBuffers();
}

} // namespace Engine
