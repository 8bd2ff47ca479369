#pragma once

#include "platform/gfx/GlContext.h"

#include <memory>
#include <string>

namespace Platform
{

class Window;

// The context of the game's SDL window.
class SdlGlContext final : public GlContext
{
public:
    // Null, with SDL's reason in `error`, when the window gets no context.
    static std::unique_ptr<SdlGlContext> create(Window& window, std::string& error);
    ~SdlGlContext() override;

    bool makeCurrent() override;
    void swapBuffers() override;
    void setSwapInterval(int interval) override;
    bool hasWindow() const override { return true; }
    void* procAddress(const char* name) override;

private:
    SdlGlContext(Window& window, void* context) : m_window(window), m_context(context) {}

    Window& m_window;
    void* m_context = nullptr;
};

} // namespace Platform
