#include "engine/core/cAppParams.h"
#include "engine/devices/cRender.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/gfx/SdlDisplayWindow.h"
#include "platform/window/Window.h"
#include "tests/engine/devices/render_test_tools.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace
{

using namespace RenderTest;
using Engine::cRender;

// The render device on the game's SDL window under an X server (Xvfb in the test run).
class RenderWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X display";
        // One reference to the video subsystem for the whole run: closing it unloads the GL
        // driver, whose own allocations the leak checker could then no longer attribute.
        static const bool videoKept = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        (void)videoKept;
        window = std::make_unique<Platform::Window>(L"render test");
    }

    void TearDown() override
    {
        render.reset();
        window.reset();
    }

    // Lets the X server catch up with the window's size, polling for at most twenty seconds.
    void settle(int width, int height)
    {
        for (const Uint64 end = SDL_GetTicks64() + 20000; SDL_GetTicks64() < end;)
        {
            SDL_PumpEvents();
            int w = 0;
            int h = 0;
            window->drawableSize(w, h);
            if (w == width && h == height)
                return;
            SDL_Delay(10);
        }
    }

    std::vector<uint32_t> frameWithQuad(const Engine::cQuad& quad, int& width)
    {
        render->beginFrame();
        render->drawQuad(quad, std::string(), 0);
        render->endFrame();
        // The finished frame is in the back buffer until it is presented.
        std::vector<uint32_t> pixels = readBack(*render, width);
        render->present();
        return pixels;
    }

    std::unique_ptr<Platform::Window> window;
    std::unique_ptr<cRender> render;
};

TEST_F(RenderWindowTest, DrawsIntoTheWindowAndLetterboxesInFullScreen)
{
    Engine::cAppParams params;
    params.window = window.get();
    render = std::make_unique<cRender>(params);
    EXPECT_FALSE(render->isFullscreen());
    EXPECT_TRUE(window->isVisible());
    settle(800, 600);
    int width = 0;
    auto pixels = frameWithQuad(quadAt(10, 10, 20, 20), width);
    ASSERT_EQ(width, 800);
    EXPECT_EQ(pixels[15 * width + 9], 0xFF000000u);
    EXPECT_EQ(pixels[15 * width + 10], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[15 * width + 19], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[15 * width + 20], 0xFF000000u);

    float rect[4];
    ASSERT_TRUE(render->getWindowRect(rect));
    EXPECT_FLOAT_EQ(rect[2] - rect[0], 800.0f);

    // Alt+Enter: the setting, then a reset when the next frame begins.
    render->getConfigSource().setSetting(L"graphics", L"fullscreen", true);
    render->setResetPending(true);
    render->beginFrame();
    render->endFrame();
    render->present();
    ASSERT_TRUE(render->isFullscreen());
    int desktopWidth = 0;
    int desktopHeight = 0;
    window->desktopSize(desktopWidth, desktopHeight);
    settle(desktopWidth, desktopHeight);
    pixels = frameWithQuad(quadAt(0, 0, 800, 600), width);
    ASSERT_EQ(width, desktopWidth);
    const auto& box = render->getLetterbox();
    if (desktopWidth == 1920 && desktopHeight == 1080)
    {
        EXPECT_EQ(box.fitWidth, 1440);
        EXPECT_FLOAT_EQ(box.offsetX, 240.0f);
    }
    const int left = static_cast<int>(box.offsetX);
    const int middle = desktopHeight / 2;
    if (left > 0)
    {
        EXPECT_EQ(pixels[middle * width + left - 1], 0xFF000000u);
    }
    EXPECT_EQ(pixels[middle * width + left], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[middle * width + left + box.fitWidth - 1], 0xFFFFFFFFu);
    if (left > 0)
    {
        EXPECT_EQ(pixels[middle * width + left + box.fitWidth], 0xFF000000u);
    }

    // And back into the window.
    render->getConfigSource().setSetting(L"graphics", L"fullscreen", false);
    render->setResetPending(true);
    render->beginFrame();
    render->endFrame();
    render->present();
    EXPECT_FALSE(render->isFullscreen());
    settle(800, 600);
    int clientWidth = 0;
    int clientHeight = 0;
    window->clientSize(clientWidth, clientHeight);
    EXPECT_EQ(clientWidth, 800);
    EXPECT_EQ(clientHeight, 600);
}

TEST_F(RenderWindowTest, AHiddenWindowCanDrawIntoAnOffscreenBackBuffer)
{
    Engine::cRenderPlatform platform;
    platform.system = Platform::GlGfxSystem::forWindow(*window, true);
    platform.window = std::make_unique<Platform::SdlDisplayWindow>(*window);
    render =
        std::make_unique<cRender>(std::move(platform), std::make_unique<Engine::cMemoryRenderConfigSource>());
    window->hide();
    int width = 0;
    const auto pixels = frameWithQuad(quadAt(790, 590, 800, 600, 0xFF00FF00u), width);
    ASSERT_EQ(width, 800);
    EXPECT_EQ(pixels[599 * width + 799], 0xFF00FF00u);
    EXPECT_EQ(pixels[589 * width + 789], 0xFF000000u);
}

TEST_F(RenderWindowTest, AStillPictureIsDrawnOnceAndAgainWhenTheWindowIsExposed)
{
    Engine::cAppParams params;
    params.window = window.get();
    render = std::make_unique<cRender>(params);
    settle(800, 600);
    auto stillFrame = [&]
    {
        render->beginFrame();
        render->drawQuad(quadAt(10, 10, 20, 20, 0xFF00FF00u), std::string(), 0);
        render->endFrame();
        render->present();
    };
    // The window's own events (shown, exposed) are taken first.
    SDL_PumpEvents();
    stillFrame();
    const uint64_t drawn = render->getDrawnFrameCount();
    stillFrame();
    stillFrame();
    EXPECT_EQ(render->getDrawnFrameCount(), drawn);
    EXPECT_EQ(render->getRepeatedFrameCount(), 2u);

    // The screen shows the picture; a screenshot of it reads it even though the swap left the
    // back buffer undefined.
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(render->captureScreen(0, 0, 0, 0, width, height, pixels));
    ASSERT_EQ(width, 800);
    EXPECT_EQ(pixels[15 * width + 15], 0xFF00FF00u);
    EXPECT_EQ(pixels[15 * width + 25], 0xFF000000u);

    // The window system says the window was uncovered: its picture is drawn again.
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    exposed.window.windowID = SDL_GetWindowID(window->sdlWindow());
    ASSERT_EQ(SDL_PushEvent(&exposed), 1);
    const uint64_t beforeExposure = render->getDrawnFrameCount();
    stillFrame();
    EXPECT_EQ(render->getDrawnFrameCount(), beforeExposure + 1);
    stillFrame();
    EXPECT_EQ(render->getDrawnFrameCount(), beforeExposure + 1);
}

TEST_F(RenderWindowTest, AFrameDrawnInPartOverTheKeptOneShowsWhatAWholeFrameWould)
{
    Engine::cAppParams params;
    params.window = window.get();
    render = std::make_unique<cRender>(params);
    settle(800, 600);
    SDL_PumpEvents();
    auto frame = [&](float x)
    {
        render->beginFrame();
        render->drawQuad(quadAt(0, 0, 800, 600, 0xFF203040u), std::string(), 0);
        render->drawQuad(quadAt(x, 100, x + 30, 140, 0xC0FF8000u), std::string(), 0);
        render->drawQuad(quadAt(600, 500, 700, 550, 0xFF00FF00u), std::string(), 0);
        render->endFrame();
        int width = 0;
        std::vector<uint32_t> pixels = readBack(*render, width);
        render->present();
        return pixels;
    };
    frame(100.0f);
    const uint64_t parts = render->getPartFrameCount();
    // Whether the window's back buffer keeps its pixels across a swap or a framebuffer object
    // stands in for it, the frames after the first draw only around the moving quad.
    std::vector<uint32_t> moved;
    for (float x = 110.0f; x < 200.0f; x += 10.0f)
        moved = frame(x);
    EXPECT_GT(render->getPartFrameCount(), parts);
    render->redrawNextFrame();
    const std::vector<uint32_t> whole = frame(190.0f);
    ASSERT_EQ(moved.size(), whole.size());
    EXPECT_TRUE(moved == whole) << "the frame drawn in part differs from the frame drawn whole";
    const int width = 800;
    EXPECT_EQ(moved[120 * width + 105], 0xFF203040u) << "the quad's first place is cleared";
    EXPECT_EQ(moved[520 * width + 650], 0xFF00FF00u) << "what stood still is still there";
}

} // namespace
