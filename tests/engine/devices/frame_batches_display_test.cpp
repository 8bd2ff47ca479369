// Whole frames through the render device into an offscreen back buffer: quads, a particle
// effect and a mesh, each drawn over what came before it.

#include "engine/devices/RenderTypes.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "platform/particles/CPyroMemoryFile.h"
#include "platform/particles/IPyroEffect.h"
#include "platform/particles/IPyroEmitter.h"
#include "platform/particles/IPyroParticleLibrary.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Engine;
namespace RT = Engine::eRenderType;

namespace
{

constexpr uint32_t Black = 0x000000u;
constexpr uint32_t Red = 0xFF0000u;
constexpr uint32_t Green = 0x00FF00u;
constexpr uint32_t Blue = 0x0000FFu;
constexpr uint32_t White = 0xFFFFFFu;

cQuad square(float left, float top, float right, float bottom, uint32_t argb)
{
    cQuad quad;
    quad.setRect(left, top, right, bottom);
    quad.setColor(argb);
    return quad;
}

// An 800 x 600 window's back buffer, offscreen, with one light configuration that has no light
// and no ambient light (a lit mesh shows its emissive colour), a red particle effect and a green
// mesh. Quarter units keep every edge off the pixel centres.
struct FramePixels : ::testing::Test
{
    std::unique_ptr<cRender> render;
    PyroParticles::IPyroEmitter* emitter = nullptr;
    cParticleDrawInfo particles;
    cMeshRenderData mesh;
    std::vector<uint32_t> pixels;
    int width = 0;

    void SetUp() override
    {
        std::string error;
        auto config = ::Test::screenConfig(false);
        config->constants[{L"lightConfig", L"count"}] = L"1";
        config->constants[{L"lights0", L"ambient"}] = L"FF000000";
        render = ::Test::offscreenRender(error, std::move(config));
        ASSERT_TRUE(render) << error;

        // Squares 20 units wide that stay where they are born.
        PyroParticles::CPyroMemoryFile file(R"(<PyroEffect>
            <Texture Name="sq" Shape="square" Size="4"/>
            <Emitter Name="red" Texture="sq" Rate="20" Life="100" SizeStart="20" SizeEnd="20"
                     ColorStart="FFFF0000" ColorEnd="FFFF0000"/>
          </PyroEffect>)");
        emitter = render->getParticleLibrary()->loadEffect(file, "effects/red.xml")->createEmitter("red");
        particles.emitter = emitter;

        mesh.mesh = FrameTest::squareMesh(100.0f);
        mesh.lightingEnable = true;
        mesh.material.diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
        mesh.material.emissive = {0.0f, 1.0f, 0.0f, 1.0f};
    }

    void TearDown() override { render.reset(); }

    // One frame: `pass` hands over what is drawn; the finished frame is read back.
    template <class Pass> void frame(Pass pass)
    {
        render->beginFrame();
        pass();
        render->endFrame();
        int height = 0;
        ASSERT_TRUE(render->captureScreen(0, 0, 0, 0, width, height, pixels));
        ASSERT_EQ(width, 800);
    }

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu; }
};

} // namespace

TEST_F(FramePixels, EachBatchDrawsOverTheOnesBeforeIt)
{
    // A particle born at (150.25, 150.25): 140.25 to 160.25, pixels 141..160.
    emitter->emit(0.0f, 0.05f, 150.25f, 150.25f, 0.0f, true);
    ASSERT_EQ(emitter->getParticleCount(), 1u);
    // The mesh from 200.25 to 300.25: pixels 201..300.
    mesh.world = cMatrix::translation(200.25f, 200.25f, 0.0f);

    frame(
        [&]
        {
            // Quads from 100 to 300 cover pixels 100..299.
            render->drawQuad(square(100, 100, 300, 300, 0xFF0000FFu), "", 0);
            render->openParticleBatch(&particles);
            render->openMeshBatch(&mesh, 0);
            render->drawQuad(square(250, 250, 350, 350, 0xFFFFFFFFu), "", 0);
        });

    EXPECT_EQ(at(120, 250), Blue);
    EXPECT_EQ(at(141, 141), Red);
    EXPECT_EQ(at(160, 160), Red);
    EXPECT_EQ(at(161, 150), Blue);
    EXPECT_EQ(at(220, 220), Green);
    EXPECT_EQ(at(300, 230), Green);
    // The quad after the mesh draws over it, without the mesh's depth test.
    EXPECT_EQ(at(275, 275), White);
    EXPECT_EQ(at(340, 340), White);
    EXPECT_EQ(at(50, 50), Black);
    EXPECT_EQ(at(400, 400), Black);
}

TEST_F(FramePixels, AMeshMasksTheQuadsThatFollowIt)
{
    mesh.world = cMatrix::translation(200.25f, 200.25f, 0.0f);
    frame(
        [&]
        {
            render->openMeshBatch(&mesh, RT::StencilMask);
            // Red over the whole screen, but only where the mesh is.
            render->drawQuad(square(0, 0, 800, 600, 0xFFFF0000u), "", RT::StencilMasked);
        });
    EXPECT_EQ(at(210, 210), Red);
    EXPECT_EQ(at(299, 299), Red);
    EXPECT_EQ(at(199, 250), Black);
    EXPECT_EQ(at(250, 302), Black);
    EXPECT_EQ(at(600, 100), Black);
}
