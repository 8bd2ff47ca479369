#pragma once

// The engine over the game's own data folder with a render device of the test's choosing (the
// recording one, or OpenGL drawing offscreen), for tests that load the shipped views: a shared
// folder of the test's own holding the player's settings (the game's 1024 x 768 screen), the
// file system, the constants and settings, the render device and the resource manager. And what
// pixel tests of panels ask: the screen drawn, kept for a look, and the rectangle a text covers.

#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"
#include "game/hud/UnitViewLibrary.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "tests/support/OffscreenRender.h"
#include "tests/support/Pictures.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace HudTest
{

// OpenGL drawing the game's 1024 x 768 screen offscreen; null, with the reason in `error`,
// where there is no OpenGL.
inline std::unique_ptr<Engine::cRender> offscreenScreen(std::string& error)
{
    auto config = ::Test::screenConfig(false);
    config->settings[{L"graphics", L"width"}] = L"1024";
    config->settings[{L"graphics", L"height"}] = L"768";
    return ::Test::offscreenRender(error, std::move(config));
}

// The game's 1024 x 768 screen as `logic` draws it with `render`, read back from the back buffer:
// 0xRRGGBB a pixel, row after row from the top.
inline std::vector<uint32_t> drawnScreen(Engine::cLogic& logic, Engine::cRender& render)
{
    logic.render();
    std::vector<uint32_t> pixels;
    EXPECT_EQ(render.getDevice()->readBackBuffer({0, 0, 1024, 768}, pixels), 0);
    pixels.resize(1024u * 768u);
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFFu;
    return pixels;
}

// Keeps a screen of `drawnScreen` as screenshots/<name>.png in the build folder, for a look.
inline void keepScreen(const std::vector<uint32_t>& pixels, const std::string& name)
{
    std::filesystem::create_directories(QUILL_BINARY_DIR "/screenshots");
    std::ofstream(QUILL_BINARY_DIR "/screenshots/" + name + ".png", std::ios::binary)
        << ::Test::pngBytes(::Test::picture(
               1024, 768, [&](uint32_t x, uint32_t y) { return 0xFF000000u | pixels[y * 1024 + x]; }));
}

// Whether no channel of two colours 0xRRGGBB lies more than `tolerance` apart.
inline bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 255u) - static_cast<int>((b >> shift) & 255u)) >
            tolerance)
            return false;
    return true;
}

// The rectangle a text line covers: left, top, right, bottom.
inline std::array<float, 4> extent(Engine::cTextLine& text)
{
    const float width = text.getWidth();
    const Engine::cVector2 at = text.getPosition();
    const float left = text.getAlign() == Engine::cTextLine::AlignCentre ? at.x - width * 0.5f
                       : text.getAlign() == Engine::cTextLine::AlignEnd  ? at.x - width
                                                                         : at.x;
    return {left, at.y - text.getHeight() * 0.5f, left + width, at.y + text.getHeight() * 0.5f};
}

// A render device over the recording graphics system: it draws nothing and counts the draws.
inline std::unique_ptr<Engine::cRender> recordingRender()
{
    Engine::cRenderPlatform platform;
    platform.system = std::make_unique<Platform::RecordingGfxSystem>();
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    return std::make_unique<Engine::cRender>(std::move(platform),
                                             std::make_unique<Engine::cMemoryRenderConfigSource>());
}

class GameDataEngine
{
public:
    // Without a render device (`makeRender` gave none) the resource manager is not made either.
    explicit GameDataEngine(const std::function<std::unique_ptr<Engine::cRender>()>& makeRender)
        : m_dataHome("XDG_DATA_HOME", (home.path() / "share").string())
    {
        home.write("share/Quillmoor/sys/settings.xml",
                   "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>");
        files = std::make_unique<Engine::cFileSystem>(std::wstring(QUILL_SOURCE_DIR L"/data/"));
        constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
        settings = std::make_unique<Engine::cSettings>("sys/settings.xml");
        render = makeRender();
        if (render)
            resources = std::make_unique<Engine::cResourceManager>();
    }

    // The descriptions and the views queued for deletion go before the devices they drew on.
    ~GameDataEngine()
    {
        UnitViewLibrary::instance().clear();
        Engine::cControl::deletePending();
        resources.reset();
        Engine::cPyro::clearEffectFiles();
        render.reset();
        settings.reset();
        constants.reset();
        files.reset();
    }

    GameDataEngine(const GameDataEngine&) = delete;
    GameDataEngine& operator=(const GameDataEngine&) = delete;

    ::Test::TempDir home;

private:
    ::Test::ScopedEnv m_dataHome;

public:
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cConstants> constants;
    std::unique_ptr<Engine::cSettings> settings;
    std::unique_ptr<Engine::cRender> render;
    std::unique_ptr<Engine::cResourceManager> resources;
};

} // namespace HudTest
