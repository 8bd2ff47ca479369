#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/cDeviceFactory.h"
#include "engine/devices/cRender.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

using namespace RenderTest;
using Engine::cRender;
namespace GfxError = Platform::GfxError;

std::string thrownText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const char* text)
    {
        return text;
    }
    catch (const Engine::cStringA& text)
    {
        return text;
    }
    return std::string();
}

TEST(Render, OpensACentredWindowOfTheConfiguredSize)
{
    cRenderParts parts;
    parts.windowView->frameLeft = parts.windowView->frameRight = parts.windowView->frameBottom = 4;
    parts.windowView->frameTop = 24;
    auto render = parts.make();
    EXPECT_EQ(cRender::instance(), render.get());
    EXPECT_EQ(Engine::cDeviceFactory::instance(), render.get());
    EXPECT_FALSE(render->isFullscreen());
    EXPECT_EQ(render->getWidth(), 800);
    EXPECT_EQ(render->getHeight(), 600);
    EXPECT_EQ(render->getSpriteReserve(), 1024u);
    EXPECT_TRUE(parts.windowView->shown);
    // The client area centred in the 1920 x 1080 work area.
    EXPECT_EQ(parts.windowView->client.left, 560);
    EXPECT_EQ(parts.windowView->client.top, 240);
    EXPECT_EQ(parts.windowView->client.width(), 800);
    const auto& params = render->getDevice()->presentParams();
    EXPECT_EQ(params.backBufferWidth, 800);
    EXPECT_EQ(params.backBufferHeight, 600);
    EXPECT_TRUE(params.windowed);
    EXPECT_EQ(params.depthStencilFormat, Platform::Format::D24S8);
    EXPECT_EQ(render->getScreenMatrix(), Engine::cMatrix());
    cRenderParts second;
    EXPECT_EQ(thrownText([&] { second.make(); }), "Object already exist.");
    EXPECT_EQ(cRender::instance(), render.get());
    render.reset();
    EXPECT_EQ(cRender::instance(), nullptr);
    EXPECT_EQ(Engine::cDeviceFactory::instance(), nullptr);
}

TEST(Render, SetsTheDeviceStatesItDrawsWith)
{
    auto render = cRenderParts().make();
    auto& device = recording(*render);
    using Platform::RenderState;
    EXPECT_EQ(device.renderState(RenderState::AlphaBlendEnable), 1u);
    EXPECT_EQ(device.renderState(RenderState::AlphaFunc), static_cast<uint32_t>(Platform::Compare::Greater));
    EXPECT_EQ(device.renderState(RenderState::Lighting), 0u);
    EXPECT_EQ(device.renderState(RenderState::ZEnable), 0u);
    EXPECT_EQ(device.renderState(RenderState::CullMode), static_cast<uint32_t>(Platform::CullMode::None));
    uint32_t value = 0;
    device.getTextureStageState(0, Platform::StageState::ColorArg1, value);
    EXPECT_EQ(value, static_cast<uint32_t>(Platform::TextureArg::Diffuse));
    // y grows downwards: the projection maps (0, 0) to the top left and (800, 600) to the bottom
    // right of clip space.
    const Engine::cMatrix& p = render->getProjection();
    const Engine::cVector3 topLeft = p.transformPoint({0, 0, 0});
    const Engine::cVector3 bottomRight = p.transformPoint({800, 600, 8000});
    EXPECT_FLOAT_EQ(topLeft.x, -1.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 1.0f);
    EXPECT_FLOAT_EQ(topLeft.z, 0.5f);
    EXPECT_FLOAT_EQ(bottomRight.x, 1.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, -1.0f);
    EXPECT_FLOAT_EQ(bottomRight.z, 1.0f);
    EXPECT_FLOAT_EQ(render->getViewProjectionTransposed()(0, 0), p(0, 0));
    EXPECT_FLOAT_EQ(render->getViewProjectionTransposed()(0, 3), p(3, 0));
    EXPECT_FLOAT_EQ(render->getMaterial().power, 7.0f);
    EXPECT_TRUE(render->isDeviceRecreated());
}

TEST(Render, FullScreenLetterboxesTheVirtualScreen)
{
    struct Case
    {
        int width, height, fitWidth, fitHeight;
        float offsetX, offsetY;
    };
    for (const Case& c : {Case{1920, 1080, 1440, 1080, 240, 0}, Case{1280, 1024, 1280, 960, 0, 32},
                          Case{1024, 768, 1024, 768, 0, 0}})
    {
        SCOPED_TRACE(c.width);
        cRenderParts parts;
        parts.desktop(c.width, c.height);
        parts.setting(L"fullscreen", L"1");
        auto* window = parts.windowView;
        auto render = parts.make();
        const auto& box = render->getLetterbox();
        EXPECT_EQ(box.fitWidth, c.fitWidth);
        EXPECT_EQ(box.fitHeight, c.fitHeight);
        EXPECT_FLOAT_EQ(box.offsetX, c.offsetX);
        EXPECT_FLOAT_EQ(box.offsetY, c.offsetY);
        EXPECT_FLOAT_EQ(box.scaleX, c.fitWidth / 800.0f);
        EXPECT_FLOAT_EQ(box.scaleY, c.fitHeight / 600.0f);
        EXPECT_TRUE(window->fullscreen);
        const auto& params = render->getDevice()->presentParams();
        EXPECT_EQ(params.backBufferWidth, c.width);
        EXPECT_EQ(params.backBufferHeight, c.height);
        EXPECT_FALSE(params.windowed);
        EXPECT_EQ(params.interval, Platform::PresentInterval::Immediate);
        const Engine::cVector3 corner = render->getScreenMatrix().transformPoint({800, 600, 0});
        EXPECT_FLOAT_EQ(corner.x, c.offsetX + c.fitWidth);
        EXPECT_FLOAT_EQ(corner.y, c.offsetY + c.fitHeight);
    }
}

TEST(Render, TheBarsFillTheSidesOfA1920x1080Desktop)
{
    cRenderParts parts;
    parts.setting(L"fullscreen", L"1");
    auto render = parts.make();
    auto& device = recording(*render);
    render->beginFrame();
    device.clearRecords();
    render->endFrame();
    ASSERT_EQ(device.drawCallCount(), 1u);
    const auto& bars = device.draws()[0];
    EXPECT_FALSE(bars.indexed);
    EXPECT_EQ(bars.primitiveCount, 4u);
    EXPECT_EQ(bars.texture, nullptr);
    const auto* v = reinterpret_cast<const Engine::cQuadVertex*>(bars.stream->data());
    const float expected[12][2] = {{0, 0},    {240, 0},  {240, 1080},  {0, 0},    {240, 1080},  {0, 1080},
                                   {1680, 0}, {1920, 0}, {1920, 1080}, {1680, 0}, {1920, 1080}, {1680, 1080}};
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_FLOAT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(v[i].y, expected[i][1]) << i;
        EXPECT_EQ(v[i].color, 0xFF000000u);
    }
}

TEST(Render, NoBordersLeavesTheBarsEmpty)
{
    cRenderParts parts;
    parts.desktop(1280, 1024);
    parts.setting(L"fullscreen", L"1");
    parts.constant(L"graphics", L"no_borders", L"1");
    auto render = parts.make();
    auto& device = recording(*render);
    render->beginFrame();
    device.clearRecords();
    render->endFrame();
    ASSERT_EQ(device.drawCallCount(), 1u);
    const auto* v = reinterpret_cast<const Engine::cQuadVertex*>(device.draws()[0].stream->data());
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(v[i].color, 0u);
}

TEST(Render, AWindowThatDoesNotFitStartsInFullScreenAndSaysSo)
{
    cRenderParts parts;
    parts.desktop(1024, 768);
    parts.setting(L"width", L"1024");
    parts.setting(L"height", L"768");
    parts.windowView->frameTop = 20;
    auto* config = parts.configView;
    auto render = parts.make();
    EXPECT_TRUE(render->isFullscreen());
    EXPECT_EQ((config->settings[{L"graphics", L"fullscreen"}]), L"1");
    EXPECT_FALSE(render->fitsWorkArea());

    // A switch back into the window is refused while the window cannot fit: full screen stays,
    // and the settings say so again rather than wait with a mode the screen does not show.
    config->settings[{L"graphics", L"fullscreen"}] = L"0";
    render->setResetPending(true);
    render->beginFrame();
    render->endFrame();
    EXPECT_FALSE(render->isResetPending());
    EXPECT_TRUE(render->isFullscreen());
    EXPECT_EQ((config->settings[{L"graphics", L"fullscreen"}]), L"1");
}

TEST(Render, AWindowIsPlacedAgainOnceItsFrameIsKnownAndGoesFullScreenWhenItThenDoesNotFit)
{
    // A window manager tells the frame only once it has framed the window.
    cRenderParts parts;
    parts.desktop(1024, 780);
    parts.setting(L"width", L"1024");
    parts.setting(L"height", L"768");
    auto* config = parts.configView;
    auto render = parts.make();
    ASSERT_FALSE(render->isFullscreen()) << "no frame told yet: the window seems to fit";
    render->beginFrame();
    render->endFrame();
    EXPECT_EQ(recording(*render).resetCount(), 0u) << "nothing changed: nothing is done";

    parts.windowView->frameTop = 20;
    render->beginFrame();
    render->endFrame();
    EXPECT_TRUE(render->isFullscreen()) << "768 rows and a title bar of 20 do not fit 780";
    EXPECT_EQ((config->settings[{L"graphics", L"fullscreen"}]), L"1");
    EXPECT_EQ(recording(*render).resetCount(), 1u);
}

TEST(Render, APendingResetSwitchesBetweenWindowAndFullScreen)
{
    cRenderParts parts;
    auto* config = parts.configView;
    auto* window = parts.windowView;
    auto render = parts.make();
    auto& device = recording(*render);
    config->setSetting(L"graphics", L"fullscreen", true);
    render->setResetPending(true);
    render->beginFrame();
    EXPECT_FALSE(render->isResetPending());
    EXPECT_TRUE(render->isFullscreen());
    EXPECT_TRUE(window->fullscreen);
    EXPECT_EQ(device.resetCount(), 1u);
    EXPECT_EQ(device.presentParams().backBufferWidth, 1920);
    EXPECT_EQ(window->restoreCount, 1);
    render->endFrame();

    config->setSetting(L"graphics", L"fullscreen", false);
    render->setResetPending(true);
    render->beginFrame();
    render->endFrame();
    EXPECT_FALSE(render->isFullscreen());
    EXPECT_EQ(device.presentParams().backBufferWidth, 800);
    EXPECT_EQ(device.resetCount(), 2u);
    EXPECT_EQ(device.invalidCallCount(), 0u);
}

TEST(Render, ALostDeviceSkipsFramesUntilItCanBeReset)
{
    auto render = cRenderParts().make();
    auto& device = recording(*render);
    RenderTest::cTestTexture texture(device);
    auto draw = [&] { render->drawQuad(quadAt(0, 0, 10, 10), boost::make_shared<cTestTexture>(device), 0); };

    render->beginFrame();
    draw();
    render->endFrame();
    device.loseDevice();
    // The present finds the device lost.
    render->present();
    device.clearRecords();
    for (int i = 0; i < 2; ++i)
    {
        render->beginFrame();
        draw();
        render->endFrame();
        render->present();
    }
    // Nothing drawn or presented while lost, and nothing written into the buffers.
    EXPECT_EQ(device.drawCallCount(), 0u);
    EXPECT_EQ(device.beginSceneCount(), 0u);
    EXPECT_EQ(device.presentCount(), 0u);
    EXPECT_FALSE(render->getBatchRenderer().isFrameOpen());
    EXPECT_EQ(render->getBatchRenderer().getVertexTotal(), 4u); // still the last drawn frame's

    device.allowReset();
    render->beginFrame();
    EXPECT_TRUE(render->isDeviceRecreated());
    draw();
    render->endFrame();
    EXPECT_FALSE(render->isDeviceRecreated());
    EXPECT_EQ(device.resetCount(), 1u);
    EXPECT_EQ(device.drawCallCount(), 1u);
    EXPECT_EQ(device.invalidCallCount(), 0u);
    // The states are set again after the reset.
    EXPECT_EQ(device.renderState(Platform::RenderState::Lighting), 0u);
    EXPECT_EQ(device.presentCount(), 0u);
    render->present();
    EXPECT_EQ(device.presentCount(), 1u) << "the frame is shown as soon as it is drawn";
    render->present();
    EXPECT_EQ(device.presentCount(), 1u) << "a frame is shown once";
}

TEST(Render, QuadBuffersFallBackToTheManagedPool)
{
    cRenderParts parts;
    auto render = parts.make();
    auto& device = recording(*render);
    device.setDefaultPoolExhausted(true);
    render->reserveSprites(64);
    EXPECT_EQ(render->getSpriteReserve(), 64u);
    EXPECT_EQ(device.failedCreationCount(), 2u); // index and vertex buffer once each
    render->beginFrame();
    render->drawQuad(quadAt(0, 0, 1, 1), std::string(), 0);
    render->endFrame();
    EXPECT_EQ(device.drawCallCount(), 1u);

    device.setManagedPoolExhausted(true);
    const std::string text = thrownText([&] { render->reserveSprites(8); });
    EXPECT_EQ(text, "Direct3D function call failed\nCreateIndexBuffer(...)\nD3DERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(Engine::getErrorString(), text);
}

TEST(Render, TheFactoryRetriesOnlyOutOfVideoMemoryInTheManagedPool)
{
    auto render = cRenderParts().make();
    auto& device = recording(*render);
    Engine::cDeviceFactory& factory = *Engine::cDeviceFactory::instance();
    device.setDefaultPoolExhausted(true);
    std::shared_ptr<Platform::GfxVertexBuffer> vertices;
    EXPECT_EQ(factory.createVertexBuffer(10, 24, 0x142, vertices, Platform::Pool::Default), GfxError::Ok);
    ASSERT_TRUE(vertices);
    EXPECT_EQ(vertices->pool(), Platform::Pool::Managed);
    EXPECT_EQ(vertices->size(), 240u);
    std::shared_ptr<Platform::GfxIndexBuffer> indices;
    EXPECT_EQ(factory.createIndexBuffer(6, indices, Platform::Pool::Default), GfxError::Ok);
    EXPECT_EQ(indices->pool(), Platform::Pool::Managed);
    std::shared_ptr<Platform::GfxTexture> texture;
    EXPECT_EQ(factory.createBlankTexture(8, 8, Platform::Pool::Default, texture), GfxError::Ok);
    EXPECT_EQ(texture->pool(), Platform::Pool::Managed);

    // Another failure is handed back as it is, and so is a failure of the managed pool.
    device.setDefaultPoolExhausted(false);
    EXPECT_EQ(factory.createIndexBuffer(0, indices, Platform::Pool::Default), GfxError::InvalidCall);
    device.setManagedPoolExhausted(true);
    EXPECT_EQ(factory.createVertexBuffer(10, 24, 0x142, vertices, Platform::Pool::Managed),
              GfxError::OutOfVideoMemory);

    uint32_t shader = 0;
    const char program[] = "!!ARBvp1.0\nEND\n";
    EXPECT_EQ(factory.createVertexShader(program, sizeof(program) - 1, shader), GfxError::Ok);
    EXPECT_NE(shader, 0u);
    EXPECT_EQ(factory.deleteVertexShader(&shader), GfxError::Ok);
    EXPECT_EQ(shader, 0u);
}

TEST(Render, DepthStencilFormatsAndFailuresOfTheGraphicsSystem)
{
    {
        cRenderParts parts;
        parts.systemView->offersD24S8 = false;
        auto render = parts.make();
        EXPECT_EQ(render->getDevice()->presentParams().depthStencilFormat, Platform::Format::D15S1);
    }
    {
        cRenderParts parts;
        parts.systemView->offersD24S8 = false;
        parts.systemView->offersD15S1 = false;
        EXPECT_EQ(thrownText([&] { parts.make(); }), "Default video card dosn't support stensil buffer.");
        EXPECT_EQ(cRender::instance(), nullptr);
        EXPECT_EQ(Engine::cDeviceFactory::instance(), nullptr);
    }
    {
        cRenderParts parts;
        parts.systemView->createResult = GfxError::NotAvailable;
        EXPECT_EQ(thrownText([&] { parts.make(); }),
                  "Direct3D function call failed\nCreateDevice(...)\nD3DERR_NOTAVAILABLE");
        EXPECT_EQ(cRender::instance(), nullptr);
    }
    EXPECT_EQ(thrownText([] { cRender render(Engine::cRenderPlatform(), nullptr); }),
              "Can't create Direct3D.");
    EXPECT_EQ(Engine::cDeviceFactory::instance(), nullptr);
}

TEST(Render, ClearsWithTheBackColourAndBlackWhenTrianglesAreShown)
{
    cRenderParts parts;
    parts.constant(L"graphics", L"back_color", L"FF336699");
    auto render = parts.make();
    auto& device = recording(*render);
    // The clear ignores write masks that are off.
    device.setRenderState(Platform::RenderState::StencilWriteMask, 0u);
    render->beginFrame();
    render->endFrame();
    ASSERT_EQ(device.clears().size(), 1u);
    EXPECT_EQ(device.clears()[0].color, 0xFF336699u);
    EXPECT_EQ(device.clears()[0].flags, 7u);
    EXPECT_FLOAT_EQ(device.clears()[0].z, 0.0f);
    EXPECT_EQ(device.clears()[0].stencil, 0u);

    cRenderParts black;
    black.constant(L"graphics", L"back_color", L"FF336699");
    black.constant(L"graphics", L"show_triangles", L"1");
    render.reset();
    render = black.make();
    render->beginFrame();
    render->endFrame();
    EXPECT_EQ(recording(*render).clears()[0].color, 0xFF000000u);
}

TEST(Render, TheStatisticsOverlayFollowsTheDebugText)
{
    cRenderParts parts;
    parts.constant(L"graphics", L"show_fps", L"1");
    parts.constant(L"graphics", L"show_triangles", L"1");
    auto render = parts.make();
    std::vector<std::wstring> drawn;
    render->setDebugTextDrawer(
        [&](const std::wstring& text, uint32_t color)
        {
            drawn.push_back(text);
            EXPECT_EQ(color, 0xFFFF0000u);
        });
    render->beginFrame();
    render->addDebugText(L"hello");
    render->drawQuad(quadAt(0, 0, 1, 1), std::string(), 0);
    render->endFrame();
    render->beginFrame();
    render->endFrame();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], L"hello\nFPS: 0\nPPS: 0\nTPS: 0\nTriangles: 2\n\n");
    EXPECT_EQ(drawn[1], L"FPS: 0\nPPS: 0\nTPS: 0\nTriangles: 0\n\n");
}

TEST(Render, AnEmptyDebugTextDrawsNothing)
{
    auto render = cRenderParts().make();
    int calls = 0;
    render->setDebugTextDrawer([&](const std::wstring&, uint32_t) { ++calls; });
    render->beginFrame();
    render->endFrame();
    EXPECT_EQ(calls, 0);
}

TEST(Render, SavesItsSettings)
{
    cRenderParts parts;
    parts.setting(L"width", L"640");
    parts.setting(L"height", L"480");
    auto* source = parts.configView;
    auto render = parts.make();
    render->reserveSprites(100);
    EXPECT_EQ(&render->getConfigSource(), source);
    render->saveSettings();
    EXPECT_EQ((source->settings[{L"graphics", L"width"}]), L"640");
    EXPECT_EQ((source->settings[{L"graphics", L"height"}]), L"480");
    EXPECT_EQ((source->settings[{L"graphics", L"fullscreen"}]), L"0");
    EXPECT_EQ((source->settings[{L"graphics", L"reserve_sprite_count"}]), L"100");
}

TEST(Render, BrokenSettingsFallBackToUsableValues)
{
    cRenderParts parts;
    parts.setting(L"width", L"0");
    parts.setting(L"height", L"-5");
    parts.setting(L"reserve_sprite_count", L"100000");
    auto render = parts.make();
    EXPECT_EQ(render->getWidth(), 800);
    EXPECT_EQ(render->getHeight(), 600);
    EXPECT_EQ(render->getSpriteReserve(), 16384u);
}

TEST(Render, ConvertsBetweenWindowAndVirtualCoordinates)
{
    cRenderParts windowed;
    auto render = windowed.make();
    Engine::cVector2 point(123.0f, 45.0f);
    render->screenToVirtual(point, point);
    EXPECT_EQ(point, Engine::cVector2(123.0f, 45.0f));
    float rect[4];
    ASSERT_TRUE(render->getWindowRect(rect));
    EXPECT_FLOAT_EQ(rect[0], 560.0f);
    EXPECT_FLOAT_EQ(rect[3], 840.0f);
    Engine::cVector2 screen;
    render->virtualToScreen(Engine::cVector2(10, 20), screen);
    EXPECT_EQ(screen, Engine::cVector2(570.0f, 260.0f));
    render.reset();

    cRenderParts full;
    full.setting(L"fullscreen", L"1");
    render = full.make();
    render->screenToVirtual(Engine::cVector2(240.0f + 1.8f * 100, 1.8f * 50), point);
    EXPECT_NEAR(point.x, 100.0f, 1e-4f);
    EXPECT_NEAR(point.y, 50.0f, 1e-4f);
    render->virtualToScreen(Engine::cVector2(100, 50), screen);
    EXPECT_NEAR(screen.x, 420.0f, 1e-3f);
    EXPECT_NEAR(screen.y, 90.0f, 1e-3f);
}

TEST(Render, ReadsTheLightConfigurations)
{
    cRenderParts parts;
    parts.constant(L"lightConfig", L"count", L"2");
    parts.constant(L"lights0", L"count", L"1");
    parts.constant(L"lights0", L"ambient", L"FF404040");
    parts.constant(L"lights0", L"light_0_type", L"3");
    parts.constant(L"lights0", L"light_0_diffuse", L"FFFFFFFF");
    parts.constant(L"lights0", L"light_0_direction", L"0 3 -4");
    parts.constant(L"lights0", L"light_0_range", L"10000");
    parts.constant(L"lights1", L"count", L"500");
    auto render = parts.make();
    const auto& configs = render->getLightConfigs();
    ASSERT_EQ(configs.size(), 2u);
    ASSERT_EQ(configs[0].lights.size(), 1u);
    const Platform::Light& light = configs[0].lights[0];
    EXPECT_EQ(light.type, Platform::LightType::Directional);
    EXPECT_FLOAT_EQ(light.diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(light.range, 10000.0f);
    // (x, -y, z) normalised: (0, -0.6, -0.8), within the approximation.
    EXPECT_NEAR(light.direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(light.direction.y, -0.6f, 0.01f);
    EXPECT_NEAR(light.direction.z, -0.8f, 0.01f);
    EXPECT_NEAR(configs[0].ambient.r, 64.0f / 255.0f, 1e-6f);
    // A count past what the device has is cut.
    EXPECT_EQ(configs[1].lights.size(), Engine::MaxLightsPerConfig);
}

TEST(D3DError, ThrowsTheCallAndTheResultName)
{
    Engine::getErrorString().clear();
    const std::string text =
        thrownText([] { Engine::throwD3DError(GfxError::OutOfVideoMemory, "CreateTexture(...)"); });
    EXPECT_EQ(text, "Direct3D function call failed\nCreateTexture(...)\nD3DERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(Engine::getErrorString(), text);
    EXPECT_EQ(Engine::getD3DErrorName(0x7777), "Unknown");
}

} // namespace
