#pragma once

#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"

#include <memory>
#include <string>

namespace Test
{

// A render configuration whose "graphics/fullscreen" setting is `fullscreen`.
std::unique_ptr<Engine::cMemoryRenderConfigSource> screenConfig(bool fullscreen);

// The render device drawing offscreen: a surfaceless OpenGL system reporting a desktop of
// `desktopWidth` x `desktopHeight` and a stand-in window whose work area is that desktop, with
// `config` (an empty one when null). Null, with the reason in `error`, where there is no OpenGL.
std::unique_ptr<Engine::cRender>
offscreenRender(std::string& error, std::unique_ptr<Engine::cMemoryRenderConfigSource> config = {},
                int desktopWidth = 1920, int desktopHeight = 1080);

} // namespace Test
