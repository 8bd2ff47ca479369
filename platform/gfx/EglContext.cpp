#include "platform/gfx/EglContext.h"

#include "platform/gfx/ExtensionList.h"
#include "platform/system/GraphicsDrivers.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace Platform
{

std::unique_ptr<EglContext> EglContext::create(std::string& error)
{
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
    {
        error = "EGL offers no surfaceless platform";
        return nullptr;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
    {
        error = "eglGetPlatformDisplayEXT is missing";
        return nullptr;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
    {
        error = "eglInitialize failed";
        return nullptr;
    }
    keepGraphicsDriversLoaded();
    const char* displayExtensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!hasExtension(displayExtensions, "EGL_KHR_no_config_context") ||
        !hasExtension(displayExtensions, "EGL_KHR_surfaceless_context") || !eglBindAPI(EGL_OPENGL_API))
    {
        error = "EGL cannot make a desktop OpenGL context without a surface";
        return nullptr;
    }
    // Without a profile mask the context is a compatibility one, with the fixed pipeline.
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_CONTEXT_MINOR_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
    {
        error = "eglCreateContext failed";
        return nullptr;
    }
    return std::unique_ptr<EglContext>(new EglContext(display, context));
}

EglContext::~EglContext()
{
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(m_display, m_context);
    // The display stays initialised: EGL keeps one per platform for the whole process anyway,
    // and terminating it unloads the driver, whose own allocations could then no longer be told
    // apart from ours by the leak checker.
}

void* EglContext::procAddress(const char* name)
{
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

bool EglContext::makeCurrent()
{
    return eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, m_context) == EGL_TRUE;
}

} // namespace Platform
