#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cPyroBatch.h"
#include "engine/devices/cRender.h"
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
namespace Pyro = PyroParticles;

namespace
{

// A render device drawing into an offscreen buffer on a 1920 x 1080 "desktop", with one
// particle effect: red squares of size 10 that stay where they are born.
struct PyroPixels : ::testing::Test
{
    std::unique_ptr<cRender> render;
    Pyro::IPyroEmitter* emitter = nullptr;
    cParticleDrawInfo info;

    void start(bool fullscreen)
    {
        std::string error;
        render = ::Test::offscreenRender(error, ::Test::screenConfig(fullscreen));
        ASSERT_TRUE(render) << error;
        ASSERT_EQ(render->isFullscreen(), fullscreen);

        // The render device's own library, on its own particle device.
        PyroParticles::CPyroMemoryFile file(R"(<PyroEffect>
            <Texture Name="sq" Shape="square" Size="4"/>
            <Emitter Name="red" Texture="sq" Rate="20" Life="100" SizeStart="10" SizeEnd="10"
                     ColorStart="FFFF0000" ColorEnd="FFFF0000"/>
          </PyroEffect>)");
        emitter = render->getParticleLibrary()->loadEffect(file, "effects/red.xml")->createEmitter("red");

        // The view sits at (200, 150), scaled by 2, its emitter 10 and 20 units off.
        info.positionX = 200.0f;
        info.positionY = 150.0f;
        info.offsetX = 10.0f;
        info.offsetY = 20.0f;
        info.scale = 2.0f;
        info.emitter = emitter;
    }

    void TearDown() override { render.reset(); }

    // One frame: clear, the particle batch, and the back buffer read back.
    std::vector<uint32_t> drawFrame(int& width)
    {
        Platform::GfxDevice& device = *render->getDevice();
        device.clear(Platform::ClearFlag::Target | Platform::ClearFlag::ZBuffer |
                         Platform::ClearFlag::Stencil,
                     0xFF000000u, 0.0f, 0);
        device.beginScene();
        device.changeTextureStageState(0, Platform::StageState::MagFilter, Platform::TextureFilter::Point);
        device.changeTextureStageState(0, Platform::StageState::MinFilter, Platform::TextureFilter::Point);
        cPyroBatch(device).draw(info, render->getBatchRenderer().getPlacement(), render->isDeviceRecreated());
        device.endScene();
        const Platform::PresentParams& params = device.presentParams();
        width = params.backBufferWidth;
        std::vector<uint32_t> pixels;
        EXPECT_EQ(device.readBackBuffer({0, 0, params.backBufferWidth, params.backBufferHeight}, pixels), 0);
        return pixels;
    }
};

bool isRed(const std::vector<uint32_t>& pixels, int width, int x, int y)
{
    return (pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu) == 0xFF0000u;
}

bool isBlack(const std::vector<uint32_t>& pixels, int width, int x, int y)
{
    return (pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFFu) == 0u;
}

} // namespace

TEST_F(PyroPixels, InAWindowAParticleLandsAtTheOffsetPlusThePointScaledAboutTheView)
{
    start(false);
    // Born 20.25 right and 10.25 below the view's point, and one at the point itself. The quarter
    // units keep every edge off the pixel centres, where no rule of filling decides.
    emitter->emit(0.0f, 0.05f, 220.25f, 160.25f, 0.0f, true);
    emitter->emit(0.05f, 0.05f, 200.25f, 150.25f, 0.0f, true);
    ASSERT_EQ(emitter->getParticleCount(), 2u);

    int width = 0;
    const std::vector<uint32_t> pixels = drawFrame(width);
    ASSERT_EQ(width, 800);
    EXPECT_FALSE(info.changed);
    // O + P + k·(p − P) = (10 + 200 + 40.5, 20 + 150 + 20.5) = (250.5, 190.5), 20 units wide: from
    // 240.5 to 260.5 and 180.5 to 200.5, so pixels 241..260 and 181..200.
    EXPECT_TRUE(isRed(pixels, width, 241, 181));
    EXPECT_TRUE(isRed(pixels, width, 260, 200));
    EXPECT_TRUE(isRed(pixels, width, 250, 190));
    EXPECT_TRUE(isBlack(pixels, width, 240, 190));
    EXPECT_TRUE(isBlack(pixels, width, 261, 190));
    EXPECT_TRUE(isBlack(pixels, width, 250, 180));
    EXPECT_TRUE(isBlack(pixels, width, 250, 201));
    // The one born at the view's point: (210.5, 170.5), pixels 201..220 and 161..180.
    EXPECT_TRUE(isRed(pixels, width, 201, 161));
    EXPECT_TRUE(isRed(pixels, width, 220, 180));
    EXPECT_TRUE(isBlack(pixels, width, 200, 170));
    EXPECT_TRUE(isBlack(pixels, width, 221, 165));

    // The view moves: the next frame places the emitter again.
    info.positionX = 300.0f;
    info.changed = true;
    const std::vector<uint32_t> moved = drawFrame(width);
    // 10 + 300 + 2·(220.25 − 300) = 150.5 and 10 + 300 + 2·(200.25 − 300) = 110.5: born particles
    // stay where they were born; the scaling is about the view's new point.
    EXPECT_TRUE(isRed(moved, width, 150, 190));
    EXPECT_TRUE(isRed(moved, width, 110, 170));
    EXPECT_TRUE(isBlack(moved, width, 250, 190));
}

TEST_F(PyroPixels, InFullScreenTheEffectIsLetterboxedLikeTheQuads)
{
    start(true);
    emitter->emit(0.0f, 0.05f, 220.0f, 160.0f, 0.0f, true);
    int width = 0;
    const std::vector<uint32_t> pixels = drawFrame(width);
    ASSERT_EQ(width, 1920);
    // Scale 1.8, offset (240, 0): m = 1.8, k = 3.6; P on the screen S = (600, 270); the particle at
    // S + k·(p − P) + m·O = (690, 342), 36 pixels wide: 672..707 and 324..359.
    EXPECT_TRUE(isRed(pixels, width, 673, 325));
    EXPECT_TRUE(isRed(pixels, width, 706, 358));
    EXPECT_TRUE(isBlack(pixels, width, 670, 342));
    EXPECT_TRUE(isBlack(pixels, width, 710, 342));
    EXPECT_TRUE(isBlack(pixels, width, 690, 321));
    EXPECT_TRUE(isBlack(pixels, width, 690, 362));
}
