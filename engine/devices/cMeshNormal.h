#pragma once

#include "engine/devices/cMesh.h"

namespace Engine
{

// A mesh of format 18: per vertex position x, y, z, normal x, y, z (24 bytes).
class cMeshNormal final : public cMesh
{
public:
    cMeshNormal(const void* data, size_t size);
    uint32_t getVertexSize() const override { return 24; }
};

} // namespace Engine
