#pragma once

#include "platform/gfx/GfxSystem.h"

#include <memory>
#include <string>

namespace Platform
{

class Window;

// OpenGL through Mesa (or any OpenGL 2.1 compatibility driver).
class GlGfxSystem final : public GfxSystem
{
public:
    // Draws into the game window, whose desktop it reports. With `offscreen` the back buffer is a
    // framebuffer object instead (pixel tests with a hidden window); the window only provides
    // the context.
    static std::unique_ptr<GlGfxSystem> forWindow(Window& window, bool offscreen = false);
    // No window and no X server: an EGL context on Mesa's surfaceless platform drawing into a
    // framebuffer object. Reports a desktop of the given size. Null, with the reason in `error`,
    // where EGL cannot do that.
    static std::unique_ptr<GlGfxSystem> surfaceless(int desktopWidth, int desktopHeight, std::string& error);

    GfxResult getDisplayMode(DisplayMode& mode) override;
    bool supportsDepthStencil(Format display, Format depthStencil) override;
    GfxResult createDevice(const PresentParams& params, std::unique_ptr<GfxDevice>& device) override;

    // The reason the last `createDevice` failed.
    const std::string& lastError() const { return m_error; }

private:
    GlGfxSystem() = default;

    Window* m_window = nullptr;
    bool m_offscreen = false;
    int m_desktopWidth = 0;
    int m_desktopHeight = 0;
    std::string m_error;
};

} // namespace Platform
