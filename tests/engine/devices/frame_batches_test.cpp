// Whole frames through the render device on the recording device: quads, particle effects and
// meshes drawn in the order they were handed over, each leaving the states the next one expects.

#include "engine/devices/RenderTypes.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cPyroDevice.h"
#include "engine/devices/cPyroIndexBuffer.h"
#include "engine/devices/cRender.h"
#include "platform/particles/CPyroMemoryFile.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/IPyroParticleLibrary.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

namespace
{

using namespace RenderTest;
using Engine::cRender;
using Platform::Blend;
using Platform::RenderState;
namespace RT = Engine::eRenderType;
namespace Pyro = PyroParticles;

uint32_t value(Blend blend)
{
    return static_cast<uint32_t>(blend);
}

class FrameBatches : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cRenderParts parts;
        // One light configuration without lights; the triangle count shows in the overlay.
        parts.constant(L"lightConfig", L"count", L"1");
        parts.constant(L"lights0", L"ambient", L"FF000000");
        parts.constant(L"graphics", L"show_triangles", L"1");
        render = parts.make();
        device = &recording(*render);
        render->setDebugTextDrawer([this](const std::wstring& text, uint32_t) { overlay = text; });
        texture = boost::make_shared<cTestTexture>(*device);

        // Two layers: five particles blended by alpha, three added.
        Pyro::IPyroParticleLibrary* library = render->getParticleLibrary();
        ASSERT_NE(library, nullptr);
        PyroParticles::CPyroMemoryFile file("<PyroEffect><Emitter Name=\"e\" SizeStart=\"4\" SizeEnd=\"4\">"
                                            "<Layer Burst=\"5\"/><Layer Burst=\"3\" Blend=\"add\"/>"
                                            "</Emitter></PyroEffect>");
        emitter = library->loadEffect(file, "effects/two.xml")->createEmitter("e");
        emitter->emit(0.0f, 0.05f, 100.0f, 80.0f, 0.0f, true);
        particles.positionX = 100.0f;
        particles.positionY = 80.0f;
        particles.emitter = emitter;

        mesh.mesh = FrameTest::squareMesh(10.0f);
        mesh.lightingEnable = true;
        mesh.world = Engine::cMatrix::translation(300.0f, 200.0f, 0.0f);
    }

    // One frame: `pass` hands over the quads, effects and meshes; only the frame end is recorded.
    template <class Pass> void frame(Pass pass)
    {
        render->beginFrame();
        pass();
        device->clearRecords();
        render->endFrame();
    }

    // The x of the first particle vertex of a particle draw.
    static float firstParticleX(const Platform::RecordingGfxDevice::DrawRecord& draw)
    {
        return reinterpret_cast<const float*>(draw.stream->data())[0];
    }

    std::unique_ptr<cRender> render;
    Platform::RecordingGfxDevice* device = nullptr;
    boost::shared_ptr<cTestTexture> texture;
    Pyro::IPyroEmitter* emitter = nullptr;
    Engine::cParticleDrawInfo particles;
    Engine::cMeshRenderData mesh;
    std::wstring overlay;
};

} // namespace

TEST_F(FrameBatches, QuadsParticlesAndAMeshDrawInSubmissionOrderAndLeaveTheQuadStatesBehind)
{
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 10, 10), texture, RT::Linear);
            render->openParticleBatch(&particles);
            render->openMeshBatch(&mesh, 0);
            // The same keys as the first quad: a batch of its own after the mesh.
            render->drawQuad(quadAt(10, 0, 20, 10), texture, RT::Linear);
            render->drawQuad(quadAt(20, 0, 30, 10), "", 0);
        });

    // One call for the first quad, one per particle layer, one for the mesh, one per quad batch.
    const auto& draws = device->draws();
    ASSERT_EQ(draws.size(), 6u);
    EXPECT_EQ(device->invalidCallCount(), 0u);
    const Platform::GfxVertexBuffer* quadVertices = draws[0].stream;
    const Platform::GfxIndexBuffer* quadIndices = draws[0].indices;
    EXPECT_EQ(draws[0].vertexShader, 0x142u);
    EXPECT_EQ(draws[0].texture, texture->getDeviceTexture().get());

    // The particles draw from the effect's own vertices and the particle device's quad indices,
    // with the blending each layer asks for.
    const Platform::GfxIndexBuffer* particleIndices =
        render->getPyroDevice()->getQuadIndices().buffer().get();
    for (int i : {1, 2})
    {
        EXPECT_NE(draws[i].stream, quadVertices);
        EXPECT_EQ(draws[i].indices, particleIndices);
        EXPECT_EQ(draws[i].vertexShader, 0x142u);
        EXPECT_EQ(draws[i].state(RenderState::SrcBlend), value(Blend::SrcAlpha));
    }
    EXPECT_EQ(draws[1].primitiveCount, 10u);
    EXPECT_EQ(draws[1].state(RenderState::DestBlend), value(Blend::InvSrcAlpha));
    EXPECT_EQ(draws[2].primitiveCount, 6u);
    EXPECT_EQ(draws[2].state(RenderState::DestBlend), value(Blend::One));
    // Placed in the first frame of a new device: at scale 1 a particle stays where it was born.
    EXPECT_FALSE(particles.changed);
    EXPECT_FLOAT_EQ(firstParticleX(draws[1]), 100.0f - 2.0f);

    // The mesh: its buffers, depth, culling and light.
    const auto& meshDraw = draws[3];
    EXPECT_EQ(meshDraw.stream, mesh.mesh->getVertexBuffer().get());
    EXPECT_EQ(meshDraw.vertexShader, 18u);
    EXPECT_EQ(meshDraw.state(RenderState::ZEnable), 1u);
    EXPECT_EQ(meshDraw.state(RenderState::CullMode),
              static_cast<uint32_t>(Platform::CullMode::CounterClockwise));
    EXPECT_EQ(meshDraw.state(RenderState::Lighting), 1u);
    EXPECT_EQ(meshDraw.texture, nullptr);

    // The quads after the mesh draw flat again, from the quad buffers, each at its own indices.
    for (int i : {4, 5})
    {
        const auto& quad = draws[i];
        EXPECT_EQ(quad.stream, quadVertices);
        EXPECT_EQ(quad.indices, quadIndices);
        EXPECT_EQ(quad.baseVertex, 0u);
        EXPECT_EQ(quad.stride, 24u);
        EXPECT_EQ(quad.vertexShader, 0x142u);
        EXPECT_EQ(quad.state(RenderState::ZEnable), 0u);
        EXPECT_EQ(quad.state(RenderState::ZWriteEnable), 0u);
        EXPECT_EQ(quad.state(RenderState::Lighting), 0u);
        EXPECT_EQ(quad.state(RenderState::CullMode), static_cast<uint32_t>(Platform::CullMode::None));
        EXPECT_EQ(quad.state(RenderState::SrcBlend), value(Blend::SrcAlpha));
        EXPECT_EQ(quad.state(RenderState::DestBlend), value(Blend::InvSrcAlpha));
    }
    EXPECT_EQ(draws[4].startIndex, 6u);
    EXPECT_EQ(draws[4].texture, texture->getDeviceTexture().get());
    EXPECT_EQ(draws[4].stageState(Platform::StageState::MagFilter),
              static_cast<uint32_t>(Platform::TextureFilter::Linear));
    EXPECT_EQ(draws[5].startIndex, 12u);
    ASSERT_NE(draws[5].texture, nullptr) << "a quad without a picture is drawn with a white pixel";
    EXPECT_EQ(draws[5].texture->width(), 1);
    EXPECT_EQ(draws[5].texture->pixels()[0], 0xFFFFFFFFu);
    Platform::Matrix4 world;
    device->getTransform(Platform::TransformType::World, world);
    EXPECT_EQ(world, Platform::Matrix4::identity());
    Platform::Material material;
    device->getMaterial(material);
    EXPECT_EQ(material, render->getMaterial());

    // Three quads and the mesh; particles are not counted.
    EXPECT_NE(overlay.find(L"Triangles: 8\n"), std::wstring::npos)
        << std::string(overlay.begin(), overlay.end());
}

TEST_F(FrameBatches, AnEmitterIsPlacedAgainWhenItsViewChangesOrTheDeviceWasReset)
{
    auto draw = [&] { frame([&] { render->openParticleBatch(&particles); }); };
    draw();
    ASSERT_EQ(device->draws().size(), 2u);
    EXPECT_FLOAT_EQ(firstParticleX(device->draws()[0]), 98.0f);

    // The offset changes, but nobody says so: the emitter stays where it was.
    particles.offsetX = 50.0f;
    draw();
    EXPECT_FLOAT_EQ(firstParticleX(device->draws()[0]), 98.0f);

    // A reset keeps the library and everything it made, and places every emitter again.
    Pyro::IPyroParticleLibrary* library = render->getParticleLibrary();
    render->setResetPending(true);
    render->beginFrame();
    EXPECT_EQ(device->resetCount(), 1u);
    EXPECT_TRUE(render->isDeviceRecreated());
    render->openParticleBatch(&particles);
    device->clearRecords();
    render->endFrame();
    EXPECT_EQ(render->getParticleLibrary(), library);
    ASSERT_EQ(device->draws().size(), 2u);
    EXPECT_FLOAT_EQ(firstParticleX(device->draws()[0]), 148.0f);
    EXPECT_EQ(device->invalidCallCount(), 0u);

    // Said so: placed again without a reset.
    particles.offsetX = 0.0f;
    particles.changed = true;
    draw();
    EXPECT_FLOAT_EQ(firstParticleX(device->draws()[0]), 98.0f);
}

TEST_F(FrameBatches, AMeshIsDrawnIntoTheStencilMaskFirstThenVisiblyWhereTheMaskHolds)
{
    frame(
        [&]
        {
            render->openMeshBatch(&mesh, RT::StencilMask | RT::StencilMasked);
            render->drawQuad(quadAt(0, 0, 10, 10), texture, 0);
        });
    const auto& draws = device->draws();
    ASSERT_EQ(draws.size(), 3u);

    // Into the stencil only, flat and unlit, from the mesh's own buffers.
    const auto& mask = draws[0];
    EXPECT_EQ(mask.stream, mesh.mesh->getVertexBuffer().get());
    EXPECT_EQ(mask.state(RenderState::StencilEnable), 1u);
    EXPECT_EQ(mask.state(RenderState::StencilFunc), static_cast<uint32_t>(Platform::Compare::Always));
    EXPECT_EQ(mask.state(RenderState::StencilPass), static_cast<uint32_t>(Platform::StencilOp::Replace));
    EXPECT_EQ(mask.state(RenderState::AlphaRef), 136u);
    EXPECT_EQ(mask.state(RenderState::SrcBlend), value(Blend::Zero));
    EXPECT_EQ(mask.state(RenderState::DestBlend), value(Blend::One));
    EXPECT_EQ(mask.state(RenderState::Lighting), 0u);
    EXPECT_EQ(mask.state(RenderState::ZEnable), 0u);

    // Then lit, with depth, where the stencil holds 1.
    const auto& visible = draws[1];
    EXPECT_EQ(visible.stream, mesh.mesh->getVertexBuffer().get());
    EXPECT_EQ(visible.state(RenderState::StencilEnable), 1u);
    EXPECT_EQ(visible.state(RenderState::StencilFunc), static_cast<uint32_t>(Platform::Compare::Equal));
    EXPECT_EQ(visible.state(RenderState::StencilPass), static_cast<uint32_t>(Platform::StencilOp::Keep));
    EXPECT_EQ(visible.state(RenderState::AlphaRef), 0u);
    EXPECT_EQ(visible.state(RenderState::SrcBlend), value(Blend::SrcAlpha));
    EXPECT_EQ(visible.state(RenderState::Lighting), 1u);
    EXPECT_EQ(visible.state(RenderState::ZEnable), 1u);

    // The quad after it: no stencil, flat, from the quad buffers.
    const auto& quad = draws[2];
    EXPECT_EQ(quad.state(RenderState::StencilEnable), 0u);
    EXPECT_EQ(quad.state(RenderState::ZEnable), 0u);
    EXPECT_EQ(quad.stride, 24u);
    EXPECT_EQ(quad.vertexShader, 0x142u);
    EXPECT_EQ(device->invalidCallCount(), 0u);
    // The mask pass counts too.
    EXPECT_NE(overlay.find(L"Triangles: 6\n"), std::wstring::npos);
}

TEST_F(FrameBatches, AParticleBatchHasRenderTypeZeroSoItIsNeverMaskedNorMasking)
{
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 10, 10), texture, RT::StencilMask | RT::StencilMasked);
            render->openParticleBatch(&particles);
        });
    const auto& draws = device->draws();
    // The quad twice (mask, then masked), the particles once per layer.
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].state(RenderState::StencilPass), static_cast<uint32_t>(Platform::StencilOp::Replace));
    EXPECT_EQ(draws[1].state(RenderState::StencilFunc), static_cast<uint32_t>(Platform::Compare::Equal));
    for (int i : {2, 3})
    {
        EXPECT_EQ(draws[i].state(RenderState::StencilEnable), 0u);
        EXPECT_EQ(draws[i].state(RenderState::AlphaRef), 0u);
        EXPECT_EQ(draws[i].state(RenderState::AlphaBlendEnable), 1u);
    }
    EXPECT_EQ(render->getBatchRenderer().getBatches().back().renderType, 0u);
}

// A picture whose format covers every pixel (a JPEG), drawn with opaque colours over the usual
// blend, replaces what lies under it: it is drawn without blending and without the alpha test.
// The same picture faded, added, or another picture that may be see-through still blends.
TEST_F(FrameBatches, ACoveredPictureWithOpaqueColoursIsDrawnWithoutBlending)
{
    const auto covered = boost::make_shared<cTestTexture>(*device);
    covered->getDeviceTexture()->setPendingPicture([](uint32_t* pixels, int width, int height)
                                                   { std::fill_n(pixels, width * height, 0xFF336699u); },
                                                   true);
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 100, 100), covered, 0);
            render->drawQuad(quadAt(0, 0, 10, 10), texture, 0);
            render->drawQuad(quadAt(0, 0, 100, 100, 0x80FFFFFFu), covered, 0);
            render->drawQuad(quadAt(0, 0, 100, 100), covered, RT::Additive);
        });
    const auto& draws = device->draws();
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].state(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(draws[0].state(RenderState::AlphaTestEnable), 0u);
    for (int i : {1, 2, 3})
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(draws[i].state(RenderState::AlphaBlendEnable), 1u);
        EXPECT_EQ(draws[i].state(RenderState::AlphaTestEnable), 1u);
    }
    EXPECT_EQ(draws[3].state(RenderState::DestBlend), value(Blend::One));

    // A writing lock may leave see-through pixels: the picture blends from then on.
    Platform::LockedRect locked;
    ASSERT_EQ(covered->getDeviceTexture()->lockRect(0, locked, nullptr, 0), Platform::GfxError::Ok);
    covered->getDeviceTexture()->unlockRect(0);
    frame([&] { render->drawQuad(quadAt(0, 0, 100, 100), covered, 0); });
    ASSERT_EQ(device->draws().size(), 1u);
    EXPECT_EQ(device->draws()[0].state(RenderState::AlphaBlendEnable), 1u);
}
