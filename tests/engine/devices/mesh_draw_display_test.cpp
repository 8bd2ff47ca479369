#include "engine/devices/cAnimation.h"
#include "engine/devices/cAnimationWriter.h"
#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cMeshRenderer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <memory>
#include <string>
#include <vector>

using namespace Engine;

namespace
{

// A render device drawing offscreen on a 1920 x 1080 "desktop".
struct MeshPixels : ::testing::Test
{
    std::unique_ptr<cRender> render;
    std::unique_ptr<cMeshRenderer> renderer;
    std::vector<cLightConfig> lights;
    cMeshRenderer::tContext context;
    int width = 0;

    void start(bool fullscreen)
    {
        std::string error;
        render = ::Test::offscreenRender(error, ::Test::screenConfig(fullscreen));
        ASSERT_TRUE(render) << error;
        renderer = std::make_unique<cMeshRenderer>(*render->getDevice());
        // One configuration without lights and without ambient light: a lit mesh shows its
        // emissive colour alone.
        lights.resize(1);
        lights[0].ambient = cColor(0.0f, 0.0f, 0.0f, 1.0f);
        context.lights = &lights;
        context.screen = render->getScreenMatrix();
        context.defaultMaterial = render->getMaterial();
    }

    void TearDown() override
    {
        renderer.reset();
        render.reset();
    }

    static boost::shared_ptr<cMesh> mesh(const std::string& text)
    {
        return FrameTest::meshOf(text, "models/test.mesh");
    }

    static cMeshRenderData lit(const boost::shared_ptr<cMesh>& mesh, float x, float y, float r, float g,
                               float b)
    {
        cMeshRenderData data;
        data.mesh = mesh;
        data.world = cMatrix::translation(x, y, 0.0f);
        data.lightingEnable = true;
        data.material.diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
        data.material.emissive = {r, g, b, 1.0f};
        return data;
    }

    // Clears colour and depth (to 0), draws the meshes in order and reads the frame back.
    std::vector<uint32_t> frame(const std::vector<cMeshRenderData*>& meshes)
    {
        Platform::GfxDevice& device = *render->getDevice();
        device.clear(Platform::ClearFlag::Target | Platform::ClearFlag::ZBuffer |
                         Platform::ClearFlag::Stencil,
                     0xFF000000u, 0.0f, 0);
        device.beginScene();
        for (cMeshRenderData* data : meshes)
            renderer->draw(*data, 0, context);
        device.endScene();
        width = device.presentParams().backBufferWidth;
        std::vector<uint32_t> pixels;
        EXPECT_EQ(device.readBackBuffer({0, 0, width, device.presentParams().backBufferHeight}, pixels), 0);
        return pixels;
    }

    uint32_t at(const std::vector<uint32_t>& pixels, int x, int y) const
    {
        return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu;
    }
};

} // namespace

TEST_F(MeshPixels, TheNearerMeshWinsWhateverTheOrderAndBackFacesAreCulled)
{
    start(false);
    // Quarter units keep the edges off the pixel centres.
    const auto far = mesh(FrameTest::squareText(100.0f, 5.0f));
    const auto near = mesh(FrameTest::squareText(100.0f, 10.0f));
    cMeshRenderData red = lit(near, 100.25f, 100.25f, 1, 0, 0);
    cMeshRenderData green = lit(far, 150.25f, 150.25f, 0, 1, 0);

    std::vector<uint32_t> pixels = frame({&red, &green});
    EXPECT_EQ(at(pixels, 120, 120), 0xFF0000u);
    EXPECT_EQ(at(pixels, 175, 175), 0xFF0000u); // the overlap: red is nearer, drawn first
    EXPECT_EQ(at(pixels, 225, 225), 0x00FF00u);
    EXPECT_EQ(at(pixels, 260, 260), 0u);

    pixels = frame({&green, &red});
    EXPECT_EQ(at(pixels, 175, 175), 0xFF0000u); // and drawn second

    // Lifted above the red one, the green one covers the overlap.
    const auto nearest = mesh(FrameTest::squareText(100.0f, 20.0f));
    green.mesh = nearest;
    pixels = frame({&red, &green});
    EXPECT_EQ(at(pixels, 175, 175), 0x00FF00u);

    // A square seen from behind is culled; from the front it is drawn.
    cMeshRenderData front = lit(mesh(FrameTest::squareText(50.0f, 0.0f)), 400.25f, 100.25f, 0, 0, 1);
    cMeshRenderData behind = lit(mesh(FrameTest::squareText(50.0f, 0.0f, true)), 500.25f, 100.25f, 0, 0, 1);
    pixels = frame({&front, &behind});
    EXPECT_EQ(at(pixels, 425, 125), 0x0000FFu);
    EXPECT_EQ(at(pixels, 525, 125), 0u);

    // After the meshes the quads' states are back: no depth test, no culling, no lighting.
    EXPECT_EQ(render->getDevice()->renderState(Platform::RenderState::ZEnable), 0u);
    EXPECT_EQ(render->getDevice()->renderState(Platform::RenderState::Lighting), 0u);
}

TEST_F(MeshPixels, InFullScreenAStaticMeshIsScaledAndShiftedLikeTheQuads)
{
    start(true);
    ASSERT_TRUE(render->isFullscreen());
    // At world identity: a square from 100.25 to 200.25 virtual units.
    cMeshRenderData white = lit(mesh(FrameTest::squareText(100.0f, 0.0f)), 0.0f, 0.0f, 1, 1, 1);
    white.world = cMatrix::translation(100.25f, 100.25f, 0.0f);
    const std::vector<uint32_t> pixels = frame({&white});
    // × 1.8 + (240, 0): 420.45 to 600.45 across, 180.45 to 360.45 down.
    EXPECT_EQ(at(pixels, 422, 182), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 599, 359), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 418, 250), 0u);
    EXPECT_EQ(at(pixels, 603, 250), 0u);
    EXPECT_EQ(at(pixels, 500, 178), 0u);
    EXPECT_EQ(at(pixels, 500, 363), 0u);
}

TEST_F(MeshPixels, ASkinnedMeshTakesItsPoseFromTheAnimationTime)
{
    start(false);
    // A square on bone 0, which moves 100 units right over the first second.
    std::string text = "format skinned\n";
    for (const char* corner : {"0 0", "50 0", "50 50", "0 50"})
        text += std::string("vertex ") + corner + " 0 1 0 0 0 0 0 0 0 0 1 0 0\n";
    text += "triangle 0 1 2\ntriangle 0 2 3\nbone identity\n";
    const std::string animation = cAnimationWriter::fromText("duration 2\ntrack\nkey 0 identity\n"
                                                             "key 1 translate 100 0 0\n");
    cMeshRenderData data;
    data.mesh = mesh(text);
    data.animation = boost::make_shared<cAnimation>(animation.data(), animation.size());
    data.world = cMatrix::translation(100.25f, 100.25f, 0.0f);

    data.time = 0.25f; // 25 units on: 125.25 to 175.25
    std::vector<uint32_t> pixels = frame({&data});
    EXPECT_EQ(at(pixels, 127, 120), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 174, 120), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 123, 120), 0u);
    EXPECT_EQ(at(pixels, 178, 120), 0u);

    data.time = 0.75f; // 75 units on: 175.25 to 225.25
    pixels = frame({&data});
    EXPECT_EQ(at(pixels, 150, 120), 0u);
    EXPECT_EQ(at(pixels, 177, 120), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 224, 120), 0xFFFFFFu);
    EXPECT_EQ(at(pixels, 228, 120), 0u);
}
