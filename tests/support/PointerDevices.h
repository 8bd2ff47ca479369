#pragma once

// Header only: levelplay drives its frames with it too, without the test support library.

#include "engine/core/cFrameDevices.h"
#include "engine/core/cVector2.h"
#include "engine/devices/cInput.h"

namespace Test
{

// The frame's devices of a run without a window: input through the engine's input object, the
// pointer where its driver put it (in virtual screen units), nothing drawn.
class PointerDevices final : public Engine::cFrameDevices
{
public:
    void pollInput() override
    {
        if (Engine::cInput* input = Engine::cInput::instance())
            input->update();
    }
    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        Engine::cInput* input = Engine::cInput::instance();
        return input ? input->connectKeyOnEveryLayer(static_cast<Engine::eControl>(code), slot)
                     : boost::signals2::connection();
    }
    Engine::cVector2 cursorInWindow() override { return cursor; }
    void screenToVirtual(Engine::cVector2&) override {}
    void beginFrame() override {}
    void present() override {}
    void drawView(Engine::cView&) override {}
    void endFrame() override {}
    void takeScreenshot(const std::wstring&) override {}

    Engine::cVector2 cursor{-1000.0f, -1000.0f};
};

} // namespace Test
