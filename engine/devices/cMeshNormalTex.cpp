#include "engine/devices/cMeshNormalTex.h"

#include "engine/devices/BinaryReader.h"

namespace Engine
{

cMeshNormalTex::cMeshNormalTex(const void* data, size_t size) : cMesh(FormatNormalTex)
{
    BinaryReader in(data, size);
    readGeometry(in);
    createBuffers();
}

} // namespace Engine
