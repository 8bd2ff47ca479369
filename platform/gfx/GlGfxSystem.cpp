#include "platform/gfx/GlGfxSystem.h"

#include "platform/gfx/EglContext.h"
#include "platform/gfx/GlGfxDevice.h"
#include "platform/gfx/SdlGlContext.h"
#include "platform/window/Window.h"

namespace Platform
{

std::unique_ptr<GlGfxSystem> GlGfxSystem::forWindow(Window& window, bool offscreen)
{
    std::unique_ptr<GlGfxSystem> system(new GlGfxSystem());
    system->m_window = &window;
    system->m_offscreen = offscreen;
    return system;
}

std::unique_ptr<GlGfxSystem> GlGfxSystem::surfaceless(int desktopWidth, int desktopHeight, std::string& error)
{
    // Only a probe: the device makes its own context.
    if (!EglContext::create(error))
        return nullptr;
    std::unique_ptr<GlGfxSystem> system(new GlGfxSystem());
    system->m_offscreen = true;
    system->m_desktopWidth = desktopWidth;
    system->m_desktopHeight = desktopHeight;
    return system;
}

GfxResult GlGfxSystem::getDisplayMode(DisplayMode& mode)
{
    mode = DisplayMode();
    mode.format = Format::X8R8G8B8;
    if (!m_window)
    {
        mode.width = m_desktopWidth;
        mode.height = m_desktopHeight;
        return GfxError::Ok;
    }
    try
    {
        m_window->desktopSize(mode.width, mode.height);
    }
    catch (const std::exception&)
    {
        return GfxError::NotAvailable;
    }
    return GfxError::Ok;
}

bool GlGfxSystem::supportsDepthStencil(Format, Format depthStencil)
{
    // The window asks for 24 depth and 8 stencil bits, and the framebuffer objects use the same.
    return depthStencil == Format::D24S8;
}

GfxResult GlGfxSystem::createDevice(const PresentParams& params, std::unique_ptr<GfxDevice>& device)
{
    device.reset();
    m_error.clear();
    std::unique_ptr<GlContext> context;
    if (m_window)
        context = SdlGlContext::create(*m_window, m_error);
    else
        context = EglContext::create(m_error);
    if (!context)
        return GfxError::NotAvailable;
    const bool offscreen = m_offscreen || !context->hasWindow();
    return GlGfxDevice::create(params, std::move(context), offscreen, device, m_error);
}

} // namespace Platform
