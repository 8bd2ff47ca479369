#include "engine/devices/cMeshRenderer.h"

#include "engine/devices/RenderTypes.h"
#include "engine/devices/cAnimation.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cSkinnedMesh.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxStateShadow.h"

#include <cstring>

namespace Engine
{

using Platform::RenderState;
using Platform::StageState;
using Platform::TextureFilter;

namespace
{

// The format the skinned vertices are drawn in: position, normal, one texture pair.
constexpr uint32_t kSkinnedFvf = 274;
constexpr uint32_t kSkinnedStride = 32;
constexpr uint32_t kQuadFvf = 0x142;

struct tSkinnedOut
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
static_assert(sizeof(tSkinnedOut) == kSkinnedStride, "skinned vertices are 32 bytes");

// The inverse transpose of the 3 x 3 part, which moves normals as the matrix moves points.
cMatrix normalMatrix(const cMatrix& m)
{
    cMatrix inverse = m;
    if (!inverse.invertAffine())
        return m;
    cMatrix out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out(r, c) = inverse(c, r);
    return out;
}

} // namespace

cMeshRenderer::cMeshRenderer(Platform::GfxDevice& device) : m_device(device) {}

cMeshRenderer::~cMeshRenderer() = default;

void cMeshRenderer::setupMeshLighting(uint32_t lightTable, bool lightingEnable,
                                      const std::vector<cLightConfig>* lights)
{
    Platform::GfxDevice& d = m_device;
    d.changeRenderState(RenderState::CullMode, Platform::CullMode::CounterClockwise);
    d.changeRenderState(RenderState::ZEnable, 1u);
    d.changeRenderState(RenderState::ZWriteEnable, 1u);
    // The depth buffer is cleared to 0, so the nearest surface has the greatest depth.
    d.changeRenderState(RenderState::ZFunc, Platform::Compare::Greater);
    // A table past the configurations would read beyond them: such a mesh is drawn unlit.
    if (!lightingEnable || !lights || lightTable >= lights->size())
    {
        d.changeRenderState(RenderState::Lighting, 0u);
        return;
    }
    const cLightConfig& config = (*lights)[lightTable];
    d.changeRenderState(RenderState::Ambient, config.ambient.toARGB());
    d.changeRenderState(RenderState::Lighting, 1u);
    const unsigned count =
        std::min<unsigned>(static_cast<unsigned>(config.lights.size()), Platform::GfxStateShadow::MaxLights);
    for (unsigned i = 0; i < count; ++i)
    {
        d.setLight(i, config.lights[i]);
        d.lightEnable(i, true);
    }
    // Lights an earlier configuration turned on would light this mesh too.
    for (unsigned i = count; i < Platform::GfxStateShadow::MaxLights; ++i)
    {
        bool enabled = false;
        if (!Platform::gfxFailed(d.getLightEnable(i, enabled)) && enabled)
            d.lightEnable(i, false);
    }
}

void cMeshRenderer::restoreTwoDimensionalStates(const Platform::Material& defaultMaterial)
{
    Platform::GfxDevice& d = m_device;
    d.changeTextureStageState(0, StageState::MagFilter, TextureFilter::Point);
    d.setMaterial(defaultMaterial);
    d.setTransform(Platform::TransformType::World, Platform::Matrix4::identity());
    d.changeRenderState(RenderState::Lighting, 0u);
    d.changeRenderState(RenderState::CullMode, Platform::CullMode::None);
    d.changeRenderState(RenderState::ZEnable, 0u);
    d.changeRenderState(RenderState::ZWriteEnable, 0u);
    if (d.getVertexShader() != kQuadFvf)
        d.setVertexShader(kQuadFvf);
}

uint32_t cMeshRenderer::draw(const cMeshRenderData& data, uint32_t renderType, const tContext& context)
{
    Platform::GfxDevice& d = m_device;
    setupMeshLighting(data.lightTable, data.lightingEnable, context.lights);

    const TextureFilter filter = (renderType & eRenderType::Linear)        ? TextureFilter::Linear
                                 : (renderType & eRenderType::Anisotropic) ? TextureFilter::Anisotropic
                                                                           : TextureFilter::Point;
    d.changeTextureStageState(0, StageState::MagFilter, filter);
    d.changeTextureStageState(0, StageState::MinFilter, filter);
    setTexture(data);
    const uint32_t triangles = drawGeometry(data, context.screen, true);
    restoreTwoDimensionalStates(context.defaultMaterial);
    return triangles;
}

uint32_t cMeshRenderer::drawMask(const cMeshRenderData& data, const cMatrix& screen)
{
    setTexture(data);
    return drawGeometry(data, screen, false);
}

void cMeshRenderer::setTexture(const cMeshRenderData& data)
{
    // The mesh's own texture, also while the wireframe switch is on.
    const std::shared_ptr<Platform::GfxTexture> texture =
        data.texture ? data.texture->getDeviceTexture() : std::shared_ptr<Platform::GfxTexture>();
    if (m_device.getTexture(0) != texture)
        m_device.setTexture(0, texture);
}

uint32_t cMeshRenderer::drawGeometry(const cMeshRenderData& data, const cMatrix& screen, bool visible)
{
    Platform::GfxDevice& d = m_device;
    const cMesh* mesh = data.mesh.get();
    if (!mesh || !mesh->getVertexBuffer() || !mesh->getIndexBuffer() || mesh->getTriangleCount() == 0)
        return 0;
    d.setIndices(mesh->getIndexBuffer(), 0);
    d.setStreamSource(0, mesh->getVertexBuffer(), mesh->getVertexSize());
    d.setVertexShader(mesh->getVertexFormat());
    // The mask pass draws without the view's material.
    if (visible)
        d.setMaterial(data.material);
    const cMatrix placement = data.world * screen;
    const uint32_t vertices = mesh->getVertexCount();
    if (!data.animation)
    {
        d.setTransform(Platform::TransformType::World, placement.toDevice());
        d.drawIndexedPrimitive(Platform::PrimitiveType::TriangleList, 0, vertices, 0,
                               mesh->getTriangleCount());
        return mesh->getTriangleCount();
    }
    d.setRenderState(RenderState::IndexedVertexBlendEnable, 1u);
    d.setRenderState(RenderState::VertexBlend, Platform::VertexBlend::Weights3);
    d.setRenderState(RenderState::DitherEnable, 1u);
    buildPalette(data, placement, visible);
    const auto* skinned = dynamic_cast<const cSkinnedMesh*>(mesh);
    if (skinned && skin(*skinned, placement))
    {
        d.setStreamSource(0, m_skinned, kSkinnedStride);
        d.setVertexShader(kSkinnedFvf);
        d.setTransform(Platform::TransformType::World, Platform::Matrix4::identity());
    }
    else
    {
        // Without blend weights every vertex follows world matrix 0.
        d.setTransform(Platform::TransformType::World,
                       (m_palette.empty() ? placement : m_palette[0]).toDevice());
    }
    d.drawIndexedPrimitive(Platform::PrimitiveType::TriangleList, 0, vertices, 0, mesh->getTriangleCount());
    d.setRenderState(RenderState::DitherEnable, 0u);
    d.setRenderState(RenderState::VertexBlend, Platform::VertexBlend::Disable);
    d.setRenderState(RenderState::IndexedVertexBlendEnable, 0u);
    return mesh->getTriangleCount();
}

void cMeshRenderer::buildPalette(const cMeshRenderData& data, const cMatrix& placement, bool crossFade)
{
    cAnimation& animation = *data.animation;
    animation.evaluate(data.time, data.mesh->getBoneMatrices());
    const std::vector<cMatrix>& output = animation.getOutput();
    m_palette.resize(output.size());
    m_normalPalette.resize(output.size());
    const float b = crossFade ? data.blendFactor : 0.0f;
    for (size_t i = 0; i < output.size(); ++i)
    {
        cMatrix pose = output[i];
        if (b > 0.0f && i < data.previousPose.size())
        {
            cMatrix old = data.previousPose[i];
            old *= b;
            pose *= 1.0f - b;
            pose += old;
        }
        m_palette[i] = pose * placement;
        m_normalPalette[i] = normalMatrix(m_palette[i]);
    }
}

bool cMeshRenderer::skin(const cSkinnedMesh& mesh, const cMatrix& placement)
{
    const uint32_t count = mesh.getVertexCount();
    const uint32_t size = count * kSkinnedStride;
    if (!m_skinned || m_skinned->size() < size)
    {
        m_skinned.reset();
        if (Platform::gfxFailed(
                m_device.createVertexBuffer(size, Platform::Usage::WriteOnly | Platform::Usage::Dynamic,
                                            kSkinnedFvf, Platform::Pool::Managed, m_skinned)))
            return false;
    }
    void* locked = nullptr;
    if (Platform::gfxFailed(m_skinned->lock(0, size, &locked, Platform::Lock::Discard)))
        return false;
    // A bone number past the animation's matrices stands for the mesh's own placement.
    const cMatrix placementNormal = normalMatrix(placement);
    auto* out = static_cast<tSkinnedOut*>(locked);
    for (uint32_t v = 0; v < count; ++v, ++out)
    {
        const cSkinnedVertex in = mesh.getVertex(v);
        const float weights[4] = {in.weights[0], in.weights[1], in.weights[2],
                                  1.0f - in.weights[0] - in.weights[1] - in.weights[2]};
        cVector3 position;
        cVector3 normal;
        for (int k = 0; k < 4; ++k)
        {
            if (weights[k] == 0.0f)
                continue;
            const bool known = in.bones[k] < m_palette.size();
            const cMatrix& m = known ? m_palette[in.bones[k]] : placement;
            const cMatrix& n = known ? m_normalPalette[in.bones[k]] : placementNormal;
            const cVector3 p = m.transformPoint(in.position);
            position.x += weights[k] * p.x;
            position.y += weights[k] * p.y;
            position.z += weights[k] * p.z;
            normal.x += weights[k] * (in.normal.x * n(0, 0) + in.normal.y * n(1, 0) + in.normal.z * n(2, 0));
            normal.y += weights[k] * (in.normal.x * n(0, 1) + in.normal.y * n(1, 1) + in.normal.z * n(2, 1));
            normal.z += weights[k] * (in.normal.x * n(0, 2) + in.normal.y * n(1, 2) + in.normal.z * n(2, 2));
        }
        *out = {position.x, position.y, position.z, normal.x, normal.y, normal.z, in.u, in.v};
    }
    m_skinned->unlock();
    return true;
}

} // namespace Engine
