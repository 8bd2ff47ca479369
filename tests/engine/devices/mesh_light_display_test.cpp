#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshRenderData.h"
#include "engine/devices/cMeshRenderer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "tests/engine/devices/frame_batches_tools.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace Engine;

namespace
{

// Small squares facing the viewer (normal +z), 20 units a side, centred on y = 300 at the
// given x: the lighting is worked out at their corners, so each square shows the light at
// about its centre.
std::string squaresText(const std::vector<float>& centres)
{
    std::string text = "format normal\n";
    std::string triangles;
    int first = 0;
    for (const float x : centres)
    {
        for (const char* corner : {"-10 -10", "10 -10", "10 10", "-10 10"})
        {
            float dx = 0;
            float dy = 0;
            std::sscanf(corner, "%f %f", &dx, &dy);
            text += "vertex " + std::to_string(x + dx) + " " + std::to_string(300 + dy) + " 0 0 0 1\n";
        }
        triangles += "triangle " + std::to_string(first) + " " + std::to_string(first + 1) + " " +
                     std::to_string(first + 2) + "\n";
        triangles += "triangle " + std::to_string(first) + " " + std::to_string(first + 2) + " " +
                     std::to_string(first + 3) + "\n";
        first += 4;
    }
    return text + triangles;
}

// Lit meshes drawn offscreen in a 800 x 600 window, their lights read from the constants as
// the game reads them.
struct LitMeshes : ::testing::Test
{
    std::unique_ptr<cRender> render;
    std::unique_ptr<cMeshRenderer> renderer;
    std::unique_ptr<cMemoryRenderConfigSource> config = ::Test::screenConfig(false);
    int width = 0;

    void constant(const std::wstring& group, const std::wstring& key, const std::wstring& value)
    {
        config->constants[{group, key}] = value;
    }
    // Light 0 of configuration `index`: white, from the given keys.
    void light(int index, const std::wstring& ambient,
               const std::vector<std::pair<std::wstring, std::wstring>>& keys)
    {
        const std::wstring group = L"lights" + std::to_wstring(index);
        constant(group, L"count", L"1");
        constant(group, L"ambient", ambient);
        constant(group, L"light_0_diffuse", L"FFFFFFFF");
        for (const auto& key : keys)
            constant(group, L"light_0_" + key.first, key.second);
    }

    void start()
    {
        std::string error;
        render = ::Test::offscreenRender(error, std::move(config));
        ASSERT_TRUE(render) << error;
        renderer = std::make_unique<cMeshRenderer>(*render->getDevice());
    }

    void TearDown() override
    {
        renderer.reset();
        render.reset();
    }

    // Draws the mesh in white material with configuration `table` and reads the frame back.
    std::vector<uint32_t> frame(const std::string& meshText, uint32_t table)
    {
        cMeshRenderData data;
        data.mesh = FrameTest::meshOf(meshText, "models/lit.mesh");
        data.lightingEnable = true;
        data.lightTable = table;
        data.material.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        data.material.ambient = {1.0f, 1.0f, 1.0f, 1.0f};
        cMeshRenderer::tContext context;
        context.lights = &render->getLightConfigs();
        context.screen = render->getScreenMatrix();
        context.defaultMaterial = render->getMaterial();
        Platform::GfxDevice& device = *render->getDevice();
        device.clear(Platform::ClearFlag::Target | Platform::ClearFlag::ZBuffer, 0xFF000000u, 0.0f, 0);
        device.beginScene();
        renderer->draw(data, 0, context);
        device.endScene();
        width = device.presentParams().backBufferWidth;
        std::vector<uint32_t> pixels;
        EXPECT_EQ(device.readBackBuffer({0, 0, width, device.presentParams().backBufferHeight}, pixels), 0);
        return pixels;
    }

    // One channel of the pixel at the centre of the square at x.
    int channel(const std::vector<uint32_t>& pixels, int x, int shift) const
    {
        return static_cast<int>((pixels[static_cast<size_t>(300) * width + x] >> shift) & 0xFF);
    }
    int red(const std::vector<uint32_t>& pixels, int x) const { return channel(pixels, x, 16); }
    int green(const std::vector<uint32_t>& pixels, int x) const { return channel(pixels, x, 8); }
    int blue(const std::vector<uint32_t>& pixels, int x) const { return channel(pixels, x, 0); }
};

} // namespace

TEST_F(LitMeshes, ADirectionalLightShinesByTheAngleItMeetsTheSurface)
{
    constant(L"lightConfig", L"count", L"3");
    // Straight into the screen, coloured, over a fifth of ambient light.
    light(0, L"FF333333", {{L"type", L"3"}, {L"direction", L"0 0 -1"}, {L"diffuse", L"FFFF8040"}});
    // Sixty degrees off the normal: half the light.
    light(1, L"FF333333", {{L"type", L"3"}, {L"direction", L"0.8660254 0 -0.5"}, {L"diffuse", L"FFFF8040"}});
    // From behind: ambient light only.
    light(2, L"FF333333", {{L"type", L"3"}, {L"direction", L"0 0 1"}, {L"diffuse", L"FFFF8040"}});
    start();
    const std::string square = squaresText({100});

    std::vector<uint32_t> pixels = frame(square, 0);
    EXPECT_EQ(red(pixels, 100), 255);
    EXPECT_NEAR(green(pixels, 100), 51 + 128, 2);
    EXPECT_NEAR(blue(pixels, 100), 51 + 64, 2);

    pixels = frame(square, 1);
    EXPECT_NEAR(red(pixels, 100), 51 + 128, 2);
    EXPECT_NEAR(green(pixels, 100), 51 + 64, 2);
    EXPECT_NEAR(blue(pixels, 100), 51 + 32, 2);

    pixels = frame(square, 2);
    EXPECT_NEAR(red(pixels, 100), 51, 1);
    EXPECT_NEAR(blue(pixels, 100), 51, 1);
    EXPECT_EQ(red(pixels, 40), 0) << "nothing drawn beside the square";
}

TEST_F(LitMeshes, APointLightFadesWithDistanceAndEndsAtItsRange)
{
    // 100 units in front of the first square; the others 100, 200 and 300 units aside.
    constant(L"lightConfig", L"count", L"2");
    light(0, L"FF000000",
          {{L"type", L"1"}, {L"position", L"100 300 100"}, {L"range", L"250"}, {L"attenuation0", L"1"}});
    // The same with attenuation: half the light at 100 units.
    light(1, L"FF000000",
          {{L"type", L"1"},
           {L"position", L"100 300 100"},
           {L"range", L"250"},
           {L"attenuation0", L"1"},
           {L"attenuation1", L"0.01"}});
    start();
    const std::string squares = squaresText({100, 200, 300, 400});

    std::vector<uint32_t> pixels = frame(squares, 0);
    EXPECT_NEAR(red(pixels, 100), 253, 3); // straight below: all of it
    EXPECT_NEAR(red(pixels, 200), 180, 3); // at 45 degrees: cos 45
    EXPECT_NEAR(red(pixels, 300), 114, 3); // 224 units off, 100 of them in front
    EXPECT_EQ(red(pixels, 400), 0);        // 316 units off: beyond the range
    EXPECT_EQ(red(pixels, 400), blue(pixels, 400));

    pixels = frame(squares, 1);
    EXPECT_NEAR(red(pixels, 100), 126, 3);
    EXPECT_NEAR(red(pixels, 200), 180 / (1 + 1.414), 3);
}

TEST_F(LitMeshes, ASpotLightIsFullInsideItsInnerConeAndEndsAtItsOuterCone)
{
    // Pointing into the screen from 100 units in front of the first square: an inner cone of 60
    // degrees across (30 each side) and an outer one of 120 (60 each side).
    constant(L"lightConfig", L"count", L"1");
    light(0, L"FF000000",
          {{L"type", L"2"},
           {L"position", L"100 300 100"},
           {L"direction", L"0 0 -1"},
           {L"range", L"1000"},
           {L"attenuation0", L"1"},
           {L"theta", L"1.0471976"},
           {L"phi", L"2.0943951"},
           {L"falloff", L"1"}});
    start();
    const std::vector<uint32_t> pixels = frame(squaresText({100, 140, 200, 300}), 0);
    EXPECT_NEAR(red(pixels, 100), 253, 3); // in the inner cone
    EXPECT_NEAR(red(pixels, 140), 237,
                3); // 22 degrees off: still inside, only the angle to the surface counts
    EXPECT_NEAR(red(pixels, 200), 103, 4); // 45 degrees off: between the cones
    EXPECT_EQ(red(pixels, 300), 0);        // 63 degrees off: outside, though in range and facing the light
}
