// The mesh reader: any bytes either make a mesh whose every index names one of its vertices, or
// give a load error; nothing is read past their end.
#include "engine/devices/cMesh.h"
#include "engine/devices/cSkinnedMesh.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    boost::shared_ptr<Engine::cMesh> mesh;
    try
    {
        mesh = Engine::cMesh::fromBytes(data, size, "fuzz.mesh");
    }
    catch (const char*)
    {
        return 0;
    }
    catch (const std::string&)
    {
        return 0;
    }
    const size_t indices = size_t(mesh->getTriangleCount()) * 3;
    if (mesh->getIndexBytes().size() != indices * 2 ||
        mesh->getVertexBytes().size() != size_t(mesh->getVertexCount()) * mesh->getVertexSize())
        std::abort();
    for (size_t i = 0; i < indices; ++i)
        if (mesh->getIndex(i) >= mesh->getVertexCount())
            std::abort();
    if (mesh->getVertexFormat() == Engine::cMesh::FormatSkinned)
    {
        const auto& skinned = static_cast<const Engine::cSkinnedMesh&>(*mesh);
        for (uint32_t v = 0; v < skinned.getVertexCount(); ++v)
            if (skinned.getVertex(v).bones[0] > skinned.getHighestBone())
                std::abort();
    }
    return 0;
}
