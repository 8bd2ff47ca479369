#pragma once

#include "engine/devices/LightConfig.h"
#include "engine/devices/cMatrix.h"
#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Platform
{
class GfxDevice;
}

namespace Engine
{

class cSkinnedMesh;
struct cMeshRenderData;

// Draws the mesh batches of a frame: depth, culling, lights and material for the mesh, its world
// or bone matrices, and afterwards the two-dimensional states back.
//
// Skinned meshes are skinned here on the CPU: each bone's matrix (the animation's output,
// cross-faded with the previous pose, times the world and screen matrices) moves the vertices
// by their weights, and the device draws the result with an identity world matrix. Normals are
// moved by the inverse transposes of the bone matrices, as a fixed-function device does.
class cMeshRenderer
{
public:
    // What the render device supplies for every mesh batch.
    struct tContext
    {
        // Virtual units to the back buffer.
        cMatrix screen;
        const std::vector<cLightConfig>* lights = nullptr;
        // The material of the two-dimensional drawing, put back after the mesh.
        Platform::Material defaultMaterial;
    };

    explicit cMeshRenderer(Platform::GfxDevice& device);
    ~cMeshRenderer();
    cMeshRenderer(const cMeshRenderer&) = delete;
    cMeshRenderer& operator=(const cMeshRenderer&) = delete;

    // Draws one mesh batch after the texture, stencil, blend and alpha states every batch gets;
    // returns the triangles drawn. The caller binds its own buffers again afterwards.
    uint32_t draw(const cMeshRenderData& data, uint32_t renderType, const tContext& context);
    // Draws the mesh into the stencil mask: its texture, buffers, vertex format and world or
    // bone matrices, under the states the mask pass set (no lights, no material, and the bones
    // in the animation's own pose, without the cross-fade). Returns the triangles drawn; the
    // visible draw that follows sets everything again.
    uint32_t drawMask(const cMeshRenderData& data, const cMatrix& screen);

    // Depth and culling for meshes, and with `lightingEnable` the light configuration
    // `lightTable`: its ambient colour and lights on, the lights it does not have off. A table
    // that names no configuration draws unlit.
    void setupMeshLighting(uint32_t lightTable, bool lightingEnable, const std::vector<cLightConfig>* lights);
    // The two-dimensional states: point magnification, the default material, identity world,
    // no lighting, no culling, no depth, the quads' vertex format.
    void restoreTwoDimensionalStates(const Platform::Material& defaultMaterial);

    // The bone matrices of the last skinned draw (pose × world × screen).
    const std::vector<cMatrix>& getPalette() const { return m_palette; }
    // The vertices of the last skinned draw: position, normal, u, v (format 274).
    const std::shared_ptr<Platform::GfxVertexBuffer>& getSkinnedVertices() const { return m_skinned; }

private:
    void setTexture(const cMeshRenderData& data);
    // Binds the mesh and draws it at world × `screen`; 0 when there is nothing to draw. A
    // `visible` draw sets the view's material and cross-fades the pose; the mask pass does
    // neither.
    uint32_t drawGeometry(const cMeshRenderData& data, const cMatrix& screen, bool visible);
    // Fills `m_palette` for an animated mesh; `crossFade` mixes in the previous pose.
    void buildPalette(const cMeshRenderData& data, const cMatrix& placement, bool crossFade);
    // Writes the skinned vertices; false when no buffer could be had.
    bool skin(const cSkinnedMesh& mesh, const cMatrix& placement);

    Platform::GfxDevice& m_device;
    std::vector<cMatrix> m_palette;
    // Inverse transposes of the palette's 3 x 3 parts, for the normals.
    std::vector<cMatrix> m_normalPalette;
    std::shared_ptr<Platform::GfxVertexBuffer> m_skinned;
};

} // namespace Engine
