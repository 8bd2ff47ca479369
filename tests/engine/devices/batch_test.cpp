#include "engine/devices/RenderTypes.h"
#include "engine/devices/cBatchRenderer.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cRender.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <set>

namespace
{

using namespace RenderTest;
using Engine::cQuad;
using Engine::cRender;
using Platform::Blend;
using Platform::RenderState;
using Platform::StageState;
using Platform::TextureAddress;
using Platform::TextureFilter;
namespace RT = Engine::eRenderType;

class BatchTest : public ::testing::Test
{
protected:
    void start(cRenderParts parts = cRenderParts())
    {
        textureA.reset();
        textureB.reset();
        render.reset();
        render = parts.make();
        device = &recording(*render);
        textureA = boost::make_shared<cTestTexture>(*device);
        textureB = boost::make_shared<cTestTexture>(*device);
    }
    void SetUp() override { start(); }

    // Draws one frame: `pass` hands over the quads.
    template <class Pass> void frame(Pass pass)
    {
        render->beginFrame();
        pass();
        device->clearRecords();
        render->endFrame();
    }

    const Engine::cBatchRenderer& batches() const { return render->getBatchRenderer(); }

    std::unique_ptr<cRender> render;
    Platform::RecordingGfxDevice* device = nullptr;
    boost::shared_ptr<cTestTexture> textureA;
    boost::shared_ptr<cTestTexture> textureB;
};

TEST_F(BatchTest, AThousandQuadsOfOneTextureAndRenderTypeAreOneDrawCall)
{
    frame(
        [&]
        {
            for (int i = 0; i < 1000; ++i)
                render->drawQuad(
                    quadAt(i % 40 * 20.0f, i / 40 * 20.0f, i % 40 * 20.0f + 20, i / 40 * 20.0f + 20),
                    textureA, 0);
        });
    ASSERT_EQ(device->drawCallCount(), 1u);
    const auto& draw = device->draws()[0];
    EXPECT_EQ(draw.primitiveCount, 2000u);
    EXPECT_EQ(draw.vertexCount, 4000u);
    EXPECT_EQ(draw.startIndex, 0u);
    EXPECT_EQ(draw.texture, textureA->getDeviceTexture().get());
    EXPECT_EQ(device->invalidCallCount(), 0u);
}

TEST_F(BatchTest, ATextureChangeStartsABatchAfterTheOthersVertices)
{
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 10, 10), textureA, 0);
    render->drawQuad(quadAt(10, 0, 20, 10), textureA, 0);
    const Engine::cBatch first = batches().getCurrentBatch();
    EXPECT_EQ(first.vertexCount, 8u);
    EXPECT_EQ(first.triangleCount, 4u);
    EXPECT_EQ(batches().getIndexTotal(), 12u);
    render->drawQuad(quadAt(20, 0, 30, 10), textureB, 0);
    const Engine::cBatch& third = batches().getCurrentBatch();
    EXPECT_EQ(third.firstVertex, 8u);
    EXPECT_EQ(third.firstIndex, 12u);
    EXPECT_EQ(batches().getBatches().size(), 1u);
    device->clearRecords();
    render->endFrame();
    ASSERT_EQ(device->drawCallCount(), 2u);
    EXPECT_EQ(device->draws()[1].minIndex, 8u);
    EXPECT_EQ(device->draws()[1].startIndex, 12u);
}

TEST_F(BatchTest, RenderTypeShaderConstantsAndUntexturedQuadsBreakBatches)
{
    const Engine::tShaderConstants constants;
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 10, 10), textureA, 0);
            render->drawQuad(quadAt(0, 0, 10, 10), textureA, RT::Additive); // render type
            render->drawQuad(quadAt(0, 0, 10, 10), textureA, RT::Additive);
            cQuad withConstants = quadAt(0, 0, 10, 10);
            withConstants.shaderConstants = &constants;
            render->drawQuad(withConstants, textureA, RT::Additive);             // constants
            render->drawQuad(quadAt(0, 0, 10, 10), std::string(), RT::Additive); // no texture
            render->drawQuad(quadAt(0, 0, 10, 10), boost::shared_ptr<Engine::cBatchTexture>(), RT::Additive);
        });
    ASSERT_EQ(device->drawCallCount(), 4u);
    EXPECT_EQ(device->draws()[1].primitiveCount, 4u);
    // Quads without a picture are drawn with one white pixel: their vertex colour, unchanged.
    const Platform::GfxTexture* white = device->draws()[3].texture;
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(white->width(), 1);
    EXPECT_EQ(white->height(), 1);
    EXPECT_EQ(white->pixels()[0], 0xFFFFFFFFu);
    EXPECT_EQ(device->draws()[3].primitiveCount, 4u);
}

TEST_F(BatchTest, MoreQuadsThanTheReserveSpanSeveralDrawsWithoutOverrun)
{
    cRenderParts parts;
    parts.setting(L"reserve_sprite_count", L"16");
    start(std::move(parts));
    ASSERT_EQ(render->getSpriteReserve(), 16u);
    for (int round = 0; round < 2; ++round)
    {
        // The second round draws the same picture, which is drawn only when asked for.
        render->redrawNextFrame();
        frame(
            [&]
            {
                for (int i = 0; i < 50; ++i)
                    render->drawQuad(quadAt(static_cast<float>(i), 0, i + 1.0f, 1), textureA, 0);
            });
        // 16 + 16 + 16 + 2 quads, each part in a buffer of its own.
        ASSERT_EQ(device->drawCallCount(), 4u);
        std::set<const Platform::GfxVertexBuffer*> buffers;
        for (const auto& draw : device->draws())
        {
            EXPECT_EQ(draw.startIndex, 0u);
            EXPECT_LE(draw.vertexCount, 64u);
            buffers.insert(draw.stream);
        }
        EXPECT_EQ(buffers.size(), 4u);
        EXPECT_EQ(device->draws()[3].primitiveCount, 4u);
        EXPECT_EQ(device->invalidCallCount(), 0u);
        EXPECT_EQ(batches().getVertexTotal(), 200u);
        // The last quad sits at the start of the fourth buffer.
        EXPECT_FLOAT_EQ(batches().getVertices(3)[4].x, 49.0f - 0.5f);
    }
    // The further buffers are kept for the next frames.
    EXPECT_EQ(batches().getBufferCount(), 4u);
}

TEST_F(BatchTest, AQuadLargerThanABufferGetsABufferOfItsOwn)
{
    cRenderParts parts;
    parts.setting(L"reserve_sprite_count", L"4");
    start(std::move(parts));
    cQuad fine = quadAt(0, 0, 100, 100);
    fine.grid = 10; // 121 vertices, more than the 16 of a buffer
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
            render->drawQuad(fine, textureA, 0);
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
        });
    ASSERT_EQ(device->drawCallCount(), 3u);
    EXPECT_EQ(device->draws()[1].primitiveCount, 200u);
    EXPECT_EQ(device->invalidCallCount(), 0u);
}

TEST_F(BatchTest, GridTwoWritesNineVerticesAndGridZeroDrawsNothing)
{
    cQuad quad = quadAt(0, 0, 20, 20);
    quad.grid = 2;
    quad.corners[0].color = 0xFF000000u;
    quad.corners[1].color = 0xFFFF0000u;
    quad.corners[2].color = 0xFF00FF00u;
    quad.corners[3].color = 0xFF0000FFu;
    render->beginFrame();
    render->drawQuad(quad, textureA, 0);
    EXPECT_EQ(batches().getVertexTotal(), 9u);
    EXPECT_EQ(batches().getIndexTotal(), 24u);
    EXPECT_EQ(batches().getCurrentBatch().triangleCount, 8u);
    const Engine::cQuadVertex* v = batches().getVertices(0);
    EXPECT_FLOAT_EQ(v[4].x, 9.5f); // the centre, shifted by half a pixel
    EXPECT_FLOAT_EQ(v[4].y, 9.5f);
    // The centre mixes the four corners a quarter each.
    EXPECT_EQ(v[4].color, 0xFF404040u);
    EXPECT_EQ(v[8].color, 0xFF0000FFu);
    EXPECT_FLOAT_EQ(v[5].u, 1.0f);
    EXPECT_FLOAT_EQ(v[5].v, 0.5f);
    // Cell (1, 0): a = 1, b = 4.
    const uint16_t* i = batches().getIndices(0);
    const uint16_t expected[6] = {1, 4, 2, 2, 4, 5};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(i[6 + k], expected[k]);

    quad.grid = 0;
    render->drawQuad(quad, textureA, 0);
    EXPECT_EQ(batches().getVertexTotal(), 10u);
    EXPECT_EQ(batches().getIndexTotal(), 24u);
    EXPECT_FLOAT_EQ(v[9].x, -0.5f);
    device->clearRecords();
    render->endFrame();
    EXPECT_EQ(device->drawCallCount(), 1u);
}

TEST_F(BatchTest, MeshAndParticleBatchesKeepTheirPlaceAndSplitQuads)
{
    // A mesh view without a model and a particle view without an emitter: they draw nothing.
    Engine::cMeshRenderData meshData;
    Engine::cParticleDrawInfo particleInfo;
    auto* mesh = &meshData;
    auto* particles = &particleInfo;
    render->beginFrame();
    // An empty quad batch is replaced, not kept.
    render->openMeshBatch(mesh, RT::Linear);
    EXPECT_TRUE(batches().getBatches().empty());
    render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
    render->openParticleBatch(particles);
    // Same keys as the quad batch before the particles: still a new batch.
    render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
    device->clearRecords();
    render->endFrame();
    const auto& list = batches().getBatches();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].mesh, mesh);
    EXPECT_EQ(list[0].renderType, RT::Linear);
    EXPECT_EQ(list[1].vertexCount, 4u);
    EXPECT_EQ(list[2].particle, particles);
    EXPECT_EQ(list[2].firstVertex, 4u);
    EXPECT_EQ(list[3].firstVertex, 4u);
    EXPECT_EQ(list[3].firstIndex, 6u);
    // Only the two quad batches draw anything.
    EXPECT_EQ(device->drawCallCount(), 2u);
}

TEST_F(BatchTest, QuadPositionsInAWindowAndInFullScreen)
{
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 800, 600), textureA, 0);
    const Engine::cQuadVertex* v = batches().getVertices(0);
    EXPECT_FLOAT_EQ(v[0].x, -0.5f);
    EXPECT_FLOAT_EQ(v[0].y, -0.5f);
    EXPECT_FLOAT_EQ(v[3].x, 799.5f);
    EXPECT_FLOAT_EQ(v[3].y, 599.5f);
    render->endFrame();

    cRenderParts parts;
    parts.setting(L"fullscreen", L"1");
    start(std::move(parts));
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 800, 600), textureA, 0);
    v = batches().getVertices(0);
    EXPECT_FLOAT_EQ(v[0].x, 240.0f);
    EXPECT_FLOAT_EQ(v[0].y, 0.0f);
    EXPECT_FLOAT_EQ(v[3].x, 1680.0f);
    EXPECT_FLOAT_EQ(v[3].y, 1080.0f);
    render->endFrame();
}

TEST_F(BatchTest, TextureCoordinatesAreScaledForPaddedImages)
{
    textureA->setScale(0.5f, 0.25f);
    cQuad quad = quadAt(0, 0, 1, 1);
    quad.uvFrom = Engine::cVector2(0.5f, 0.0f);
    quad.uvTo = Engine::cVector2(1.0f, 1.0f);
    render->beginFrame();
    render->drawQuad(quad, textureA, 0);
    const Engine::cQuadVertex* v = batches().getVertices(0);
    EXPECT_FLOAT_EQ(v[0].u, 0.25f);
    EXPECT_FLOAT_EQ(v[3].u, 0.5f);
    EXPECT_FLOAT_EQ(v[3].v, 0.25f);
    render->endFrame();
}

TEST_F(BatchTest, RenderTypesSetBlendingAlphaFilteringAndAddressing)
{
    struct Case
    {
        uint32_t type;
        Blend source;
        Blend destination;
        uint32_t alpha;
        uint32_t alphaRef;
        TextureFilter filter;
        TextureAddress address;
    };
    const Case cases[] = {
        {0, Blend::SrcAlpha, Blend::InvSrcAlpha, 1, 0, TextureFilter::Point, TextureAddress::Clamp},
        {RT::DestColor, Blend::DestColor, Blend::SrcAlpha, 1, 0, TextureFilter::Point, TextureAddress::Clamp},
        {RT::DestColorBlend | RT::Additive, Blend::DestColor, Blend::SrcAlpha, 1, 0, TextureFilter::Point,
         TextureAddress::Clamp},
        {RT::Additive | RT::Multiply, Blend::SrcAlpha, Blend::One, 1, 0, TextureFilter::Point,
         TextureAddress::Clamp},
        {RT::Multiply | RT::Linear, Blend::Zero, Blend::SrcColor, 1, 0, TextureFilter::Linear,
         TextureAddress::Clamp},
        {RT::Opaque | RT::Anisotropic, Blend::SrcAlpha, Blend::InvSrcAlpha, 0, 0, TextureFilter::Anisotropic,
         TextureAddress::Clamp},
        {RT::AlphaRef160 | RT::Mirror | RT::Linear | RT::Anisotropic, Blend::SrcAlpha, Blend::InvSrcAlpha, 1,
         160, TextureFilter::Linear, TextureAddress::Mirror},
    };
    frame(
        [&]
        {
            for (const Case& c : cases)
                render->drawQuad(quadAt(0, 0, 1, 1), textureA, static_cast<int>(c.type));
        });
    ASSERT_EQ(device->drawCallCount(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(i);
        const auto& draw = device->draws()[i];
        EXPECT_EQ(draw.state(RenderState::SrcBlend), static_cast<uint32_t>(cases[i].source));
        EXPECT_EQ(draw.state(RenderState::DestBlend), static_cast<uint32_t>(cases[i].destination));
        EXPECT_EQ(draw.state(RenderState::AlphaBlendEnable), cases[i].alpha);
        EXPECT_EQ(draw.state(RenderState::AlphaTestEnable), cases[i].alpha);
        EXPECT_EQ(draw.state(RenderState::AlphaRef), cases[i].alphaRef);
        EXPECT_EQ(draw.state(RenderState::StencilEnable), 0u);
        EXPECT_EQ(draw.stageState(StageState::MagFilter), static_cast<uint32_t>(cases[i].filter));
        EXPECT_EQ(draw.stageState(StageState::MinFilter), static_cast<uint32_t>(cases[i].filter));
        EXPECT_EQ(draw.stageState(StageState::AddressU), static_cast<uint32_t>(cases[i].address));
        EXPECT_EQ(draw.stageState(StageState::AddressV), static_cast<uint32_t>(cases[i].address));
        EXPECT_EQ(draw.vertexShader, 0x142u);
    }
}

TEST_F(BatchTest, FullScreenSmoothsEverythingButDestColourQuads)
{
    cRenderParts parts;
    parts.setting(L"fullscreen", L"1");
    start(std::move(parts));
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, RT::DestColor | RT::Linear);
        });
    ASSERT_EQ(device->drawCallCount(), 3u); // two batches and the bars
    EXPECT_EQ(device->draws()[0].stageState(StageState::MagFilter),
              static_cast<uint32_t>(TextureFilter::Anisotropic));
    EXPECT_EQ(device->draws()[0].stageState(StageState::MinFilter),
              static_cast<uint32_t>(TextureFilter::Anisotropic));
    EXPECT_EQ(device->draws()[1].stageState(StageState::MagFilter),
              static_cast<uint32_t>(TextureFilter::Point));
    EXPECT_EQ(device->draws()[1].stageState(StageState::MinFilter),
              static_cast<uint32_t>(TextureFilter::Linear));
}

TEST_F(BatchTest, AStencilMaskBatchIsDrawnIntoTheStencilFirst)
{
    frame(
        [&]
        {
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, RT::StencilMask | RT::StencilMasked);
            render->drawQuad(quadAt(0, 0, 1, 1), textureB, RT::StencilMasked);
            render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
        });
    ASSERT_EQ(device->drawCallCount(), 4u);
    const auto& mask = device->draws()[0];
    EXPECT_EQ(mask.state(RenderState::StencilEnable), 1u);
    EXPECT_EQ(mask.state(RenderState::StencilFunc), static_cast<uint32_t>(Platform::Compare::Always));
    EXPECT_EQ(mask.state(RenderState::StencilPass), static_cast<uint32_t>(Platform::StencilOp::Replace));
    EXPECT_EQ(mask.state(RenderState::StencilRef), 1u);
    EXPECT_EQ(mask.state(RenderState::AlphaRef), 136u);
    EXPECT_EQ(mask.state(RenderState::SrcBlend), static_cast<uint32_t>(Blend::Zero));
    EXPECT_EQ(mask.state(RenderState::DestBlend), static_cast<uint32_t>(Blend::One));
    for (int i : {1, 2})
    {
        const auto& masked = device->draws()[i];
        EXPECT_EQ(masked.state(RenderState::StencilEnable), 1u);
        EXPECT_EQ(masked.state(RenderState::StencilFunc), static_cast<uint32_t>(Platform::Compare::Equal));
        EXPECT_EQ(masked.state(RenderState::StencilPass), static_cast<uint32_t>(Platform::StencilOp::Keep));
        EXPECT_EQ(masked.state(RenderState::AlphaRef), 0u);
        EXPECT_EQ(masked.state(RenderState::SrcBlend), static_cast<uint32_t>(Blend::SrcAlpha));
    }
    EXPECT_EQ(device->draws()[3].state(RenderState::StencilEnable), 0u);
    // The frame ends with the stencil test off.
    EXPECT_EQ(device->renderState(RenderState::StencilEnable), 0u);
}

TEST_F(BatchTest, WireframeDrawsWithoutTextures)
{
    render->setWireframe(true);
    EXPECT_EQ(device->renderState(RenderState::FillMode),
              static_cast<uint32_t>(Platform::FillMode::Wireframe));
    frame([&] { render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0); });
    ASSERT_EQ(device->drawCallCount(), 1u);
    EXPECT_EQ(device->draws()[0].texture, nullptr);
    render->setWireframe(false);
    EXPECT_EQ(device->renderState(RenderState::FillMode), static_cast<uint32_t>(Platform::FillMode::Solid));
}

TEST_F(BatchTest, ARepeatedFrameSendsNoStateAgain)
{
    auto pass = [&]
    {
        render->drawQuad(quadAt(0, 0, 1, 1), textureA, RT::Additive);
        render->drawQuad(quadAt(0, 0, 1, 1), textureB, RT::Linear | RT::Mirror);
    };
    frame(pass);
    EXPECT_GT(device->renderStateSetCount() + device->stageStateSetCount(), 0u);
    frame(pass);
    // The second frame changes only what differs between its two batches, both ways.
    const unsigned changes = device->renderStateSetCount() + device->stageStateSetCount();
    frame(pass);
    EXPECT_EQ(device->renderStateSetCount() + device->stageStateSetCount(), changes);
    EXPECT_EQ(device->renderStateSetCount(RenderState::AlphaTestEnable), 0u);
    EXPECT_EQ(device->renderStateSetCount(RenderState::SrcBlend), 0u);
}

TEST_F(BatchTest, QuadsOutsideAFrameAreIgnored)
{
    render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
    EXPECT_EQ(batches().getVertexTotal(), 0u);
    render->beginFrame();
    render->endFrame();
    render->drawQuad(quadAt(0, 0, 1, 1), textureA, 0);
    EXPECT_EQ(batches().getVertexTotal(), 0u);
}

} // namespace
