#pragma once

#include "engine/devices/cMesh.h"

namespace Engine
{

// A mesh of format 258: per vertex position x, y, z, u, v (20 bytes).
class cMeshTex final : public cMesh
{
public:
    cMeshTex(const void* data, size_t size);
    uint32_t getVertexSize() const override { return 20; }
};

} // namespace Engine
