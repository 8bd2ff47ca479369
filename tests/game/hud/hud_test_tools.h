#pragma once

// The engine over the game's own data folder with a render device of the test's choosing (the
// recording one, or OpenGL drawing offscreen), for tests that load the shipped views: a shared
// folder of the test's own holding the player's settings (the game's 1024 x 768 screen), the
// file system, the constants and settings, the render device and the resource manager.

#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPyro.h"
#include "game/hud/UnitViewLibrary.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/RecordingGfxSystem.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <memory>

namespace HudTest
{

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
