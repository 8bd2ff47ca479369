#pragma once

#include "engine/core/cVector3.h"
#include "engine/devices/cMesh.h"

#include <cstdint>

namespace Engine
{

// One vertex of a skinned mesh as the file lays it out (48 bytes): position, three blend
// weights (the fourth is 1 minus their sum), four bone numbers (byte k for weight k; they
// select the animation's output matrices and may name matrices that do not exist, which the
// skinning treats as the identity), normal, u, v.
struct cSkinnedVertex
{
    cVector3 position;
    float weights[3] = {0, 0, 0};
    uint8_t bones[4] = {0, 0, 0, 0};
    cVector3 normal;
    float u = 0.0f;
    float v = 0.0f;
};

// A mesh of format 4380 with the bind matrices of its bones.
class cSkinnedMesh final : public cMesh
{
public:
    cSkinnedMesh(const void* data, size_t size);
    ~cSkinnedMesh() override;

    uint32_t getVertexSize() const override { return 48; }
    const std::vector<cMatrix>* getBoneMatrices() const override { return &m_bones; }

    cSkinnedVertex getVertex(uint32_t vertex) const;
    // The highest bone number any vertex uses (0 without vertices).
    uint8_t getHighestBone() const { return m_highestBone; }

private:
    std::vector<cMatrix> m_bones;
    uint8_t m_highestBone = 0;
};

} // namespace Engine
