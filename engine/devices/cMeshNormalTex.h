#pragma once

#include "engine/devices/cMesh.h"

namespace Engine
{

// A mesh of format 274: per vertex position x, y, z, normal x, y, z, u, v (32 bytes).
class cMeshNormalTex final : public cMesh
{
public:
    cMeshNormalTex(const void* data, size_t size);
    uint32_t getVertexSize() const override { return 32; }
};

} // namespace Engine
