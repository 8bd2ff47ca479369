#pragma once

#include "platform/gfx/GlContext.h"

#include <memory>
#include <string>

namespace Platform
{

// A context without any window or X server: EGL on Mesa's surfaceless platform. It has no
// framebuffer of its own, so the device draws into a framebuffer object.
class EglContext final : public GlContext
{
public:
    // Null, with the reason in `error`, when EGL cannot make one here.
    static std::unique_ptr<EglContext> create(std::string& error);
    ~EglContext() override;

    bool makeCurrent() override;
    void swapBuffers() override {}
    void setSwapInterval(int) override {}
    bool hasWindow() const override { return false; }
    void* procAddress(const char* name) override;

private:
    EglContext(void* display, void* context) : m_display(display), m_context(context) {}

    void* m_display = nullptr;
    void* m_context = nullptr;
};

} // namespace Platform
