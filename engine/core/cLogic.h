#pragma once

#include "engine/core/cFrameDevices.h"
#include "engine/core/cSingleton.h"
#include "engine/core/cVector2.h"

#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace Engine
{

class cControl;
class cView;

// Runs one frame each time the message loop finds the queue empty:
//
//  1. while the window is minimised, only the queued deletions;
//  2. the mouse position in virtual screen units;
//  3. the timer step, which holds the frame rate and yields the frame time;
//  4. the input poll, whose handlers run at once; a mouse button whose event told where the
//     pointer stood moves the mouse position there before its handlers run;
//  5. unless the window is inactive: the active and the enabled pass (skipped while any fade
//     runs), the fade pass and the frame callback;
//  6. the frames-per-second figure, refreshed every 0.2 s;
//  7. the drawing, when the timer says a frame is due: the frame is opened, drawn, closed and
//     presented at once, so the screen shows the frame of this update;
//  8. the queued deletions. Objects are deleted only in steps 1 and 8.
//
// A minimised window runs step 1 only; the application's loop then waits for the next message
// instead of coming back at once.
class cLogic : public cSingleton<cLogic>
{
public:
    // Print Screen released: the screenshot key.
    static constexpr int ScreenshotKey = 183;

    // With no devices given, the engine's own (cInput and cRender).
    explicit cLogic(std::unique_ptr<cFrameDevices> devices = nullptr);
    virtual ~cLogic();

    virtual void setInactive(bool inactive) { m_inactive = inactive; }
    virtual bool isInactive() const { return m_inactive; }
    virtual void update();
    virtual void render();
    virtual const cVector2& getMousePosition() const { return m_mousePosition; }
    // Asks the main window to close; the loop ends once the window is gone.
    virtual void quit();
    virtual void setFrameCallback(boost::function<void()> callback);
    virtual void setMinimized(bool minimized) { m_minimized = minimized; }
    virtual bool isMinimized() const { return m_minimized; }

    // Updated frames per second.
    float getFps() const { return m_fps; }
    // The screenshot key: "screenshot.jpg" is written from the next drawn frame, before it is
    // presented.
    void takeScreenshot();
    void updateMousePosition();
    void renderObject(cView* view);
    cFrameDevices& getDevices() { return *m_devices; }

private:
    // Sets the mouse position from a point in window pixels.
    void placeMouse(cVector2 windowPoint);

    std::unique_ptr<cFrameDevices> m_devices;
    float m_fps = 0.0f;
    std::vector<boost::signals2::scoped_connection> m_keyConnections;
    boost::signals2::scoped_connection m_pointerConnection;
    boost::function<void()> m_frameCallback;
    bool m_inactive = false;
    bool m_minimized = false;
    bool m_screenshotPending = false;
    cVector2 m_mousePosition;
    double m_lastFpsTime = 0.0;
    uint32_t m_frameCount = 0;
};

} // namespace Engine
