#include "engine/devices/cMeshRenderer.h"

#include "engine/devices/cAnimation.h"
#include "engine/devices/cAnimationWriter.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshRenderData.h"
#include "platform/gfx/GfxBuffer.h"
#include "platform/gfx/RecordingGfxDevice.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/support/RecordingFactory.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>

namespace
{

using namespace Engine;
using Platform::RenderState;

boost::shared_ptr<cMesh> meshOf(const std::string& text)
{
    return FrameTest::meshOf(text, "models/test.mesh");
}

boost::shared_ptr<cAnimation> animationOf(const std::string& text)
{
    const std::string bytes = cAnimationWriter::fromText(text);
    return boost::make_shared<cAnimation>(bytes.data(), bytes.size());
}

const char* const Square = "format normal\n"
                           "vertex 0 0 0 0 0 1\n"
                           "vertex 10 0 0 0 0 1\n"
                           "vertex 10 10 0 0 0 1\n"
                           "vertex 0 10 0 0 0 1\n"
                           "triangle 0 1 2\n"
                           "triangle 0 2 3\n";

// Two vertices on bone 0, one on bone 1 and one on bone 7, which the animation lacks.
const char* const Skinned = "format skinned\n"
                            "vertex 0 0 0 1 0 0 0 0 0 0 0 0 1 0 0\n"
                            "vertex 10 0 0 1 0 0 0 0 0 0 0 0 1 1 0\n"
                            "vertex 10 10 0 1 0 0 1 0 0 0 0 0 1 1 1\n"
                            "vertex 0 10 0 1 0 0 7 0 0 0 0 0 1 0 1\n"
                            "triangle 0 1 2\n"
                            "triangle 0 2 3\n"
                            "bone identity\n"
                            "bone identity\n";

Platform::Light directional(float r)
{
    Platform::Light light;
    light.type = Platform::LightType::Directional;
    light.diffuse = {r, r, r, 1.0f};
    light.direction = {0.0f, 0.0f, -1.0f};
    return light;
}

struct MeshDraw : ::testing::Test
{
    ::Test::RecordingFactory factory;
    Platform::RecordingGfxDevice& gfx = factory.device;
    cMeshRenderer renderer{gfx};
    std::vector<cLightConfig> lights;
    cMeshRenderer::tContext context;

    MeshDraw()
    {
        lights.resize(2);
        lights[0].ambient = cColor(0.25f, 0.5f, 0.75f, 1.0f);
        lights[0].lights = {directional(1.0f), directional(0.5f)};
        lights[1].ambient = cColor(0.0f, 0.0f, 0.0f, 1.0f);
        lights[1].lights = {directional(0.25f)};
        context.lights = &lights;
        context.defaultMaterial.diffuse = {1, 1, 1, 1};
        context.defaultMaterial.power = 7.0f;
    }
};

} // namespace

TEST_F(MeshDraw, LitMeshesTurnLightsOnAndTheUnlitOneOffAndTheQuadStatesComeBack)
{
    cMeshRenderData data;
    data.mesh = meshOf(Square);
    data.lightingEnable = true;
    data.lightTable = 0;
    EXPECT_EQ(renderer.draw(data, 0x020, context), 2u);
    data.lightTable = 1;
    EXPECT_EQ(renderer.draw(data, 0, context), 2u);
    data.lightingEnable = false;
    renderer.draw(data, 0x080, context);

    ASSERT_EQ(gfx.draws().size(), 3u);
    const auto& lit = gfx.draws()[0];
    EXPECT_EQ(lit.state(RenderState::Lighting), 1u);
    EXPECT_EQ(lit.state(RenderState::Ambient), 0xFF4080BFu);
    EXPECT_EQ(lit.state(RenderState::ZEnable), 1u);
    EXPECT_EQ(lit.state(RenderState::ZWriteEnable), 1u);
    EXPECT_EQ(lit.state(RenderState::ZFunc), static_cast<uint32_t>(Platform::Compare::Greater));
    EXPECT_EQ(lit.state(RenderState::CullMode), static_cast<uint32_t>(Platform::CullMode::CounterClockwise));
    EXPECT_EQ(lit.stageState(Platform::StageState::MagFilter),
              static_cast<uint32_t>(Platform::TextureFilter::Linear));
    EXPECT_EQ(lit.vertexShader, 18u);
    EXPECT_EQ(lit.stride, 24u);
    EXPECT_EQ(lit.primitiveCount, 2u);
    EXPECT_EQ(gfx.draws()[1].state(RenderState::Lighting), 1u);
    EXPECT_EQ(gfx.draws()[1].stageState(Platform::StageState::MinFilter),
              static_cast<uint32_t>(Platform::TextureFilter::Point));
    EXPECT_EQ(gfx.draws()[2].state(RenderState::Lighting), 0u);
    EXPECT_EQ(gfx.draws()[2].stageState(Platform::StageState::MagFilter),
              static_cast<uint32_t>(Platform::TextureFilter::Anisotropic));

    // The second configuration has one light: the second light of the first is off again.
    bool enabled = true;
    gfx.getLightEnable(0, enabled);
    EXPECT_TRUE(enabled);
    gfx.getLightEnable(1, enabled);
    EXPECT_FALSE(enabled);
    Platform::Light light;
    gfx.getLight(0, light);
    EXPECT_EQ(light.diffuse.r, 0.25f);

    // After the mesh the quads draw flat again.
    EXPECT_EQ(gfx.renderState(RenderState::Lighting), 0u);
    EXPECT_EQ(gfx.renderState(RenderState::ZEnable), 0u);
    EXPECT_EQ(gfx.renderState(RenderState::ZWriteEnable), 0u);
    EXPECT_EQ(gfx.renderState(RenderState::CullMode), static_cast<uint32_t>(Platform::CullMode::None));
    EXPECT_EQ(gfx.getVertexShader(), 0x142u);
    Platform::Matrix4 world;
    gfx.getTransform(Platform::TransformType::World, world);
    EXPECT_EQ(world, Platform::Matrix4::identity());
    Platform::Material material;
    gfx.getMaterial(material);
    EXPECT_EQ(material, context.defaultMaterial);
}

TEST_F(MeshDraw, ALightTableWithoutAConfigurationDrawsUnlit)
{
    cMeshRenderData data;
    data.mesh = meshOf(Square);
    data.lightingEnable = true;
    data.lightTable = 2;
    renderer.draw(data, 0, context);
    ASSERT_EQ(gfx.draws().size(), 1u);
    EXPECT_EQ(gfx.draws()[0].state(RenderState::Lighting), 0u);
}

TEST_F(MeshDraw, AMeshWithoutBuffersDrawsNothingButStillRestores)
{
    cMeshRenderData data;
    data.mesh = meshOf(Square);
    data.mesh->releaseDeviceData();
    EXPECT_EQ(renderer.draw(data, 0, context), 0u);
    cMeshRenderData empty;
    EXPECT_EQ(renderer.draw(empty, 0, context), 0u);
    EXPECT_EQ(gfx.drawCallCount(), 0u);
    EXPECT_EQ(gfx.renderState(RenderState::ZEnable), 0u);
}

TEST_F(MeshDraw, BonesCrossFadeFromThePreviousPoseAndSkinOnTheCpu)
{
    cMeshRenderData data;
    data.mesh = meshOf(Skinned);
    // Bone 0 moves 100 to the right over one second, bone 1 stays.
    data.animation = animationOf("duration 2\n"
                                 "track\n"
                                 "key 0 identity\n"
                                 "key 1 translate 100 0 0\n"
                                 "track\n"
                                 "key 0 identity\n");
    data.time = 0.5f;
    data.world = cMatrix::translation(5.0f, 7.0f, 0.0f);
    context.screen = cMatrix::scaling(2.0f, 2.0f, 1.0f);

    renderer.draw(data, 0, context);
    ASSERT_EQ(renderer.getPalette().size(), 2u);
    // Bone 0: translate 50, then the world, then the screen.
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 0), (50.0f + 5.0f) * 2.0f);
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 1), 14.0f);
    ASSERT_EQ(gfx.draws().size(), 1u);
    EXPECT_EQ(gfx.draws()[0].vertexShader, 274u);
    EXPECT_EQ(gfx.draws()[0].stride, 32u);
    EXPECT_EQ(gfx.draws()[0].state(RenderState::VertexBlend),
              static_cast<uint32_t>(Platform::VertexBlend::Weights3));
    EXPECT_EQ(gfx.renderState(RenderState::VertexBlend),
              static_cast<uint32_t>(Platform::VertexBlend::Disable));
    EXPECT_EQ(gfx.renderState(RenderState::IndexedVertexBlendEnable), 0u);

    const float* v = reinterpret_cast<const float*>(renderer.getSkinnedVertices()->data());
    // Vertex 1 (10, 0) on bone 0: (10 + 50 + 5) × 2, 7 × 2.
    EXPECT_FLOAT_EQ(v[8 + 0], 130.0f);
    EXPECT_FLOAT_EQ(v[8 + 1], 14.0f);
    EXPECT_FLOAT_EQ(v[8 + 6], 1.0f); // u
    // Vertex 2 on bone 1, which stays: (10 + 5) × 2, (10 + 7) × 2.
    EXPECT_FLOAT_EQ(v[16 + 0], 30.0f);
    EXPECT_FLOAT_EQ(v[16 + 1], 34.0f);
    // Vertex 3 on bone 7, which the animation lacks: the placement alone.
    EXPECT_FLOAT_EQ(v[24 + 0], 10.0f);
    EXPECT_FLOAT_EQ(v[24 + 1], 34.0f);
    // The normal (0, 0, 1) under a scale of 2 in x and y and 1 in z stays (0, 0, 1).
    EXPECT_FLOAT_EQ(v[8 + 5], 1.0f);

    // A quarter of the previous pose (bone 0 at 200) and three quarters of the new one (50);
    // bone 1 has no previous matrix and takes the new pose alone.
    data.previousPose = {cMatrix::translation(200.0f, 0.0f, 0.0f)};
    data.blendFactor = 0.25f;
    data.world = cMatrix();
    context.screen = cMatrix();
    renderer.draw(data, 0, context);
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 0), 0.25f * 200.0f + 0.75f * 50.0f);
    EXPECT_FLOAT_EQ(renderer.getPalette()[1](3, 0), 0.0f);
    data.blendFactor = 0.0f;
    renderer.draw(data, 0, context);
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 0), 50.0f);
}

TEST_F(MeshDraw, TheMaskDrawTakesTheAnimationsOwnPoseAndNeitherLightsNorMaterial)
{
    cMeshRenderData data;
    data.mesh = meshOf(Skinned);
    data.animation = animationOf("duration 2\ntrack\nkey 0 identity\nkey 1 translate 100 0 0\n");
    data.time = 0.5f;
    data.previousPose = {cMatrix::translation(200.0f, 0.0f, 0.0f)};
    data.blendFactor = 0.25f;
    data.lightingEnable = true;
    data.material.emissive = {1.0f, 0.0f, 0.0f, 1.0f};
    context.screen = cMatrix::translation(3.0f, 0.0f, 0.0f);
    // The mask pass runs under the two-dimensional states.
    renderer.restoreTwoDimensionalStates(context.defaultMaterial);
    Platform::Material before;
    gfx.getMaterial(before);

    EXPECT_EQ(renderer.drawMask(data, context.screen), 2u);
    // The new pose alone (50), then the screen.
    ASSERT_FALSE(renderer.getPalette().empty());
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 0), 53.0f);
    ASSERT_EQ(gfx.draws().size(), 1u);
    const auto& mask = gfx.draws()[0];
    EXPECT_EQ(mask.state(RenderState::Lighting), 0u);
    EXPECT_EQ(mask.state(RenderState::ZEnable), 0u);
    EXPECT_EQ(mask.vertexShader, 274u);
    Platform::Material material;
    gfx.getMaterial(material);
    EXPECT_EQ(material, before);
    EXPECT_EQ(gfx.renderState(RenderState::VertexBlend),
              static_cast<uint32_t>(Platform::VertexBlend::Disable));

    // The visible draw cross-fades.
    renderer.draw(data, 0, context);
    EXPECT_FLOAT_EQ(renderer.getPalette()[0](3, 0), 0.25f * 200.0f + 0.75f * 50.0f + 3.0f);
}
