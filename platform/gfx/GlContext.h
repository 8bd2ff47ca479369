#pragma once

namespace Platform
{

// An OpenGL 2.1 (or later compatibility) context the GL device draws with. One context at a
// time, current on the thread that made it.
class GlContext
{
public:
    virtual ~GlContext() = default;

    virtual bool makeCurrent() = 0;
    // Shows the window's back buffer; nothing for a context without a window.
    virtual void swapBuffers() = 0;
    virtual void setSwapInterval(int interval) = 0;
    // Whether the context draws into a window; otherwise a framebuffer object stands in for the
    // back buffer.
    virtual bool hasWindow() const = 0;
    // The address of a GL function that the OpenGL library does not export (extensions).
    virtual void* procAddress(const char* name) = 0;
};

} // namespace Platform
