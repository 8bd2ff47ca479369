#pragma once

#include "engine/core/cVector2.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <memory>
#include <string>

namespace Engine
{

class cRender;
class cView;

// What one frame of `cLogic` asks of the input and render devices and of the views. The engine's
// own implementation (`makeEngineFrameDevices`) forwards to `cInput` and `cRender` and skips a
// device that does not exist; tests hand `cLogic` a recording one.
//
// With `cApplication`, this is the composition root of the engine: the two are the only parts
// of engine/core that include the layers above it (devices and views), here to hand the frame
// to them. Everything else in engine/core builds on the platform layer and on itself alone.
class cFrameDevices
{
public:
    virtual ~cFrameDevices() = default;

    // Delivers the queued characters and keys and raises the input signals. The engine's own
    // devices first tell the input when the window's scale or place changed since the last
    // poll (`cInput::pointerShifted`).
    virtual void pollInput() = 0;
    // Connects a handler to the input signal of a control code: a key of the frame itself,
    // heard whatever panel holds the input.
    virtual boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) = 0;

    // The cursor in screen pixels relative to the window (the whole window in full screen,
    // else the client area).
    virtual cVector2 cursorInWindow() = 0;
    // Connects a handler that learns where the pointer stood (window pixels, as
    // `cursorInWindow`) when a mouse button changed, before that button's signal is raised,
    // and where it stands once the window changed under it.
    // Devices that cannot tell connect nothing.
    virtual boost::signals2::connection connectPointer(const boost::function<void(const cVector2&)>&)
    {
        return {};
    }
    // Converts a window point to virtual screen units in place.
    virtual void screenToVirtual(cVector2& point) = 0;

    // Opens a frame (recovering a lost device, applying a mode change).
    virtual void beginFrame() = 0;
    // Draws one view of the render pass.
    virtual void drawView(cView& view) = 0;
    // The render pass: `drawView` for every shown view of the render registry, in drawing order.
    void drawViews();
    // Clears, draws what the pass collected and closes the frame.
    virtual void endFrame() = 0;
    // Shows the frame just closed.
    virtual void present() = 0;
    // Writes the frame just closed (not yet presented) to a JPEG file.
    virtual void takeScreenshot(const std::wstring& fileName) = 0;
};

// The devices of the running engine.
std::unique_ptr<cFrameDevices> makeEngineFrameDevices();

// Hands one view of the render pass to the render device: a particle view that is enabled and
// playing opens a particle batch with its draw record (a particle view that is not, draws
// nothing); a view with a mesh opens a mesh batch with its mesh data; any other view draws its
// quads with its texture and render type: the sprite list with "MultiSprites", else its sprite
// and, with "DoubleAnimRender", its second sprite after it.
void drawView(cRender& render, cView& view);

} // namespace Engine
