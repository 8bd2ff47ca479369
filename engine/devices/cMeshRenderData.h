#pragma once

#include "engine/devices/cMatrix.h"
#include "platform/gfx/GfxTypes.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

namespace Engine
{

class cAnimation;
class cBatchTexture;
class cMesh;

// What a view with a mesh hands to `cRender::openMeshBatch`: the model, its animation and
// texture, where it stands and how it is lit. The view builds and owns it; the renderer only
// reads it.
struct cMeshRenderData
{
    boost::shared_ptr<cMesh> mesh;
    // Null: a static mesh.
    boost::shared_ptr<cAnimation> animation;
    // Null: drawn without texture.
    boost::shared_ptr<cBatchTexture> texture;
    // The animation time handed to `cAnimation::evaluate`.
    float time = 0.0f;
    // The mesh's placement in virtual screen units.
    cMatrix world;
    Platform::Material material;
    bool lightingEnable = false;
    // The light configuration the mesh is lit by.
    uint32_t lightTable = 0;
    // The bone matrices of the animation being faded out, and its weight (1 falling to 0).
    std::vector<cMatrix> previousPose;
    float blendFactor = 0.0f;
};

} // namespace Engine
