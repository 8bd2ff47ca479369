#include "tests/support/OffscreenRender.h"

#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"

namespace Test
{

std::unique_ptr<Engine::cMemoryRenderConfigSource> screenConfig(bool fullscreen)
{
    auto config = std::make_unique<Engine::cMemoryRenderConfigSource>();
    config->settings[{L"graphics", L"fullscreen"}] = fullscreen ? L"1" : L"0";
    return config;
}

std::unique_ptr<Engine::cRender> offscreenRender(std::string& error,
                                                 std::unique_ptr<Engine::cMemoryRenderConfigSource> config,
                                                 int desktopWidth, int desktopHeight)
{
    Engine::cRenderPlatform platform;
    platform.system = Platform::GlGfxSystem::surfaceless(desktopWidth, desktopHeight, error);
    if (!platform.system)
        return nullptr;
    auto window = std::make_unique<Platform::FakeDisplayWindow>();
    window->work = {0, 0, desktopWidth, desktopHeight};
    platform.window = std::move(window);
    if (!config)
        config = std::make_unique<Engine::cMemoryRenderConfigSource>();
    return std::make_unique<Engine::cRender>(std::move(platform), std::move(config));
}

} // namespace Test
