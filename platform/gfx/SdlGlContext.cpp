#include "platform/gfx/SdlGlContext.h"

#include "platform/system/SdlLibrary.h"
#include "platform/window/Window.h"

namespace Platform
{

std::unique_ptr<SdlGlContext> SdlGlContext::create(Window& window, std::string& error)
{
    void* context = window.createGLContext();
    if (!context)
    {
        error = Window::lastError();
        return nullptr;
    }
    return std::unique_ptr<SdlGlContext>(new SdlGlContext(window, context));
}

SdlGlContext::~SdlGlContext()
{
    m_window.deleteGLContext(m_context);
}

bool SdlGlContext::makeCurrent()
{
    return m_window.makeCurrent(m_context);
}

void SdlGlContext::swapBuffers()
{
    m_window.swapBuffers();
}

void* SdlGlContext::procAddress(const char* name)
{
    return sdl().SDL_GL_GetProcAddress(name);
}

void SdlGlContext::setSwapInterval(int interval)
{
    m_window.setSwapInterval(interval);
}

} // namespace Platform
