#pragma once

// The engine of the game for a benchmark program: the game's data folder, a shared folder of
// the benchmark's own and a render device drawing offscreen (OpenGL through Mesa, 1024 x 768),
// with every frame 1/60 s long.
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace GameBench
{

// A frame time of 1/60 s for every frame.
class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 60.0f; }
};

inline const std::filesystem::path& dataFolder()
{
    static const std::filesystem::path folder =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "data";
    return folder;
}

// Starts the engine once for the program, its shared folder emptied below the temporary
// directory in `home`; later calls give what the first one did. Null logic, with `error` set,
// when there is no OpenGL.
inline Engine::cLogic* startEngine(const std::string& home, std::string& error)
{
    static Engine::cLogic* logic = nullptr;
    static std::string failure;
    static bool started = false;
    if (started)
    {
        error = failure;
        return logic;
    }
    started = true;
    const std::filesystem::path shared = std::filesystem::temp_directory_path() / home;
    std::filesystem::remove_all(shared);
    std::filesystem::create_directories(shared / "Quillmoor" / "sys");
    std::ofstream(shared / "Quillmoor" / "sys" / "settings.xml")
        << "<settings><graphics width=\"1024\" height=\"768\"/></settings>";
    setenv("XDG_DATA_HOME", shared.string().c_str(), 1);
    new Engine::cFileSystem(Engine::fromUtf8(dataFolder().string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    Engine::cRenderPlatform platform;
    platform.system = Platform::GlGfxSystem::surfaceless(1024, 768, failure);
    if (!platform.system)
    {
        error = failure;
        return nullptr;
    }
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    auto config = std::make_unique<Engine::cMemoryRenderConfigSource>();
    config->settings[{L"graphics", L"width"}] = L"1024";
    config->settings[{L"graphics", L"height"}] = L"768";
    new Engine::cRender(std::move(platform), std::move(config));
    new SteadyTimer();
    logic = new Engine::cLogic();
    return logic;
}

} // namespace GameBench
