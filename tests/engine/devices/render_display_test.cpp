#include "engine/devices/RenderTypes.h"
#include "engine/devices/cRender.h"
#include "tests/engine/devices/render_test_tools.h"
#include "tests/support/OffscreenRender.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using namespace RenderTest;
using Engine::cRender;
namespace RT = Engine::eRenderType;

// A texture whose pixels the test gives.
class cPixelTexture final : public Engine::cBatchTexture
{
public:
    cPixelTexture(Platform::GfxDevice& device, int width, int height, const std::vector<uint32_t>& argb)
    {
        device.createTexture(width, height, 1, 0, Platform::Format::A8R8G8B8, Platform::Pool::Managed,
                             m_texture);
        Platform::LockedRect rect;
        m_texture->lockRect(0, rect, nullptr, 0);
        std::memcpy(rect.bits, argb.data(), argb.size() * 4);
        m_texture->unlockRect(0);
    }
    std::shared_ptr<Platform::GfxTexture> getDeviceTexture() const override { return m_texture; }
    Engine::cVector2 getCoordinateScale() const override { return {1.0f, 1.0f}; }

private:
    std::shared_ptr<Platform::GfxTexture> m_texture;
};

// The render device on OpenGL without a window: the back buffer is a framebuffer object and the
// desktop is as large as the test says.
class RenderGlTest : public ::testing::Test
{
protected:
    void make(int desktopWidth, int desktopHeight, bool fullscreen,
              const std::wstring& backColor = L"FF0000FF")
    {
        std::string error;
        auto config = ::Test::screenConfig(fullscreen);
        config->constants[{L"graphics", L"back_color"}] = backColor;
        render = ::Test::offscreenRender(error, std::move(config), desktopWidth, desktopHeight);
        if (!render)
            GTEST_SKIP() << "no OpenGL without a display here: " << error;
    }

    std::vector<uint32_t> readBack(int& width) { return RenderTest::readBack(*render, width); }

    std::unique_ptr<cRender> render;
};

TEST_F(RenderGlTest, AQuadFrom10To20CoversPixels10To19InAWindow)
{
    make(1920, 1080, false);
    ASSERT_TRUE(render);
    render->beginFrame();
    render->drawQuad(quadAt(10, 10, 20, 20, 0xFFFFFFFFu), std::string(), 0);
    render->drawQuad(quadAt(0, 0, 800, 600, 0x00000000u), std::string(), 0); // fully transparent
    render->endFrame();
    int width = 0;
    const auto pixels = readBack(width);
    ASSERT_EQ(width, 800);
    for (int i = 5; i < 25; ++i)
    {
        const uint32_t expected = (i >= 10 && i <= 19) ? 0xFFFFFFFFu : 0xFF0000FFu;
        EXPECT_EQ(pixels[15 * width + i], expected) << "x " << i;
        EXPECT_EQ(pixels[i * width + 15], expected) << "y " << i;
    }
    EXPECT_EQ(pixels[599 * width + 799], 0xFF0000FFu);
}

TEST_F(RenderGlTest, StencilMaskedBatchesDrawOnlyInsideTheMask)
{
    make(1920, 1080, false);
    ASSERT_TRUE(render);
    Platform::GfxDevice& device = *render->getDevice();
    // Left texel opaque white, right texel fully transparent.
    const auto mask =
        boost::make_shared<cPixelTexture>(device, 2, 1, std::vector<uint32_t>{0xFFFFFFFFu, 0x00FFFFFFu});
    for (int frame = 0; frame < 2; ++frame)
    {
        render->beginFrame();
        render->drawQuad(quadAt(0, 0, 800, 300), mask, RT::StencilMask);
        render->drawQuad(quadAt(0, 0, 800, 600, 0xFFFF0000u), std::string(), RT::StencilMasked);
        render->drawQuad(quadAt(700, 500, 800, 600, 0xFF00FF00u), std::string(), 0);
        render->endFrame();
    }
    int width = 0;
    const auto pixels = readBack(width);
    EXPECT_EQ(pixels[100 * width + 100], 0xFFFF0000u); // inside the mask
    EXPECT_EQ(pixels[100 * width + 600], 0xFF0000FFu); // transparent part of the mask
    EXPECT_EQ(pixels[400 * width + 100], 0xFF0000FFu); // below the mask
    EXPECT_EQ(pixels[550 * width + 750], 0xFF00FF00u); // unmasked afterwards
}

TEST_F(RenderGlTest, BlendModesThroughRenderTypes)
{
    make(1920, 1080, false, L"FF804020");
    ASSERT_TRUE(render);
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 10, 10, 0x80FF8000u), std::string(), 0);
    render->drawQuad(quadAt(10, 0, 20, 10, 0x80FF8000u), std::string(), RT::Additive);
    render->drawQuad(quadAt(20, 0, 30, 10, 0x80FF8000u), std::string(), RT::Multiply);
    render->drawQuad(quadAt(30, 0, 40, 10, 0x80FF8000u), std::string(), RT::Opaque);
    render->drawQuad(quadAt(40, 0, 50, 10, 0x20FFFFFFu), std::string(), RT::AlphaRef160);
    render->endFrame();
    int width = 0;
    const auto pixels = readBack(width);
    auto near = [](uint32_t actual, int r, int g, int b)
    {
        EXPECT_NEAR(static_cast<int>((actual >> 16) & 255), r, 2) << std::hex << actual;
        EXPECT_NEAR(static_cast<int>((actual >> 8) & 255), g, 2) << std::hex << actual;
        EXPECT_NEAR(static_cast<int>(actual & 255), b, 2) << std::hex << actual;
    };
    near(pixels[5 * width + 5], 192, 96, 16);       // alpha blend
    near(pixels[5 * width + 15], 255, 128, 32);     // additive
    near(pixels[5 * width + 25], 128, 32, 0);       // multiply
    near(pixels[5 * width + 35], 255, 128, 0);      // opaque
    EXPECT_EQ(pixels[5 * width + 45], 0xFF804020u); // alpha 32 does not pass 160
}

TEST_F(RenderGlTest, FullScreenOnA1920x1080DesktopLetterboxes800x600At240)
{
    make(1920, 1080, true);
    ASSERT_TRUE(render);
    ASSERT_TRUE(render->isFullscreen());
    render->beginFrame();
    render->drawQuad(quadAt(100, 100, 200, 200, 0xFFFFFFFFu), std::string(), 0);
    render->endFrame();
    int width = 0;
    const auto pixels = readBack(width);
    ASSERT_EQ(width, 1920);
    auto at = [&](int x, int y) { return pixels[y * width + x]; };
    // Bars of 240 pixels on both sides.
    EXPECT_EQ(at(0, 0), 0xFF000000u);
    EXPECT_EQ(at(239, 540), 0xFF000000u);
    EXPECT_EQ(at(240, 540), 0xFF0000FFu);
    EXPECT_EQ(at(1679, 540), 0xFF0000FFu);
    EXPECT_EQ(at(1680, 540), 0xFF000000u);
    EXPECT_EQ(at(1919, 1079), 0xFF000000u);
    // Scaled by 1.8: virtual 100..200 is pixels 420..599 and 180..359.
    EXPECT_EQ(at(419, 250), 0xFF0000FFu);
    EXPECT_EQ(at(420, 250), 0xFFFFFFFFu);
    EXPECT_EQ(at(599, 250), 0xFFFFFFFFu);
    EXPECT_EQ(at(600, 250), 0xFF0000FFu);
    EXPECT_EQ(at(500, 179), 0xFF0000FFu);
    EXPECT_EQ(at(500, 180), 0xFFFFFFFFu);
    EXPECT_EQ(at(500, 359), 0xFFFFFFFFu);
    EXPECT_EQ(at(500, 360), 0xFF0000FFu);

    // The virtual screen read back is the picture area alone.
    int capturedWidth = 0;
    int capturedHeight = 0;
    std::vector<uint32_t> captured;
    ASSERT_TRUE(render->captureScreen(0, 0, 0, 0, capturedWidth, capturedHeight, captured));
    EXPECT_EQ(capturedWidth, 1440);
    EXPECT_EQ(capturedHeight, 1080);
    EXPECT_EQ(captured[0], 0xFF0000FFu);
    EXPECT_EQ(captured[250 * 1440 + 180], 0xFFFFFFFFu);
}

TEST_F(RenderGlTest, A1280x1024DesktopHasBarsAboveAndBelow)
{
    make(1280, 1024, true);
    ASSERT_TRUE(render);
    render->beginFrame();
    render->endFrame();
    int width = 0;
    const auto pixels = readBack(width);
    ASSERT_EQ(width, 1280);
    EXPECT_EQ(pixels[31 * width + 640], 0xFF000000u);
    EXPECT_EQ(pixels[32 * width + 640], 0xFF0000FFu);
    EXPECT_EQ(pixels[991 * width + 640], 0xFF0000FFu);
    EXPECT_EQ(pixels[992 * width + 640], 0xFF000000u);
}

TEST_F(RenderGlTest, SwitchingModesResizesTheBackBuffer)
{
    make(1920, 1080, false);
    ASSERT_TRUE(render);
    render->getConfigSource().setSetting(L"graphics", L"fullscreen", true);
    render->setResetPending(true);
    render->beginFrame();
    render->endFrame();
    int width = 0;
    auto pixels = readBack(width);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(pixels[540 * width + 100], 0xFF000000u);
    render->getConfigSource().setSetting(L"graphics", L"fullscreen", false);
    render->setResetPending(true);
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 800, 600, 0xFFFFFFFFu), std::string(), 0);
    render->endFrame();
    pixels = readBack(width);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(pixels[599 * width + 799], 0xFFFFFFFFu);
}

} // namespace
