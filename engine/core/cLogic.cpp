#include "engine/core/cLogic.h"

#include "engine/core/cApplication.h"
#include "engine/core/cControl.h"
#include "engine/core/cTimer.h"

#include <utility>

namespace Engine
{

cLogic::cLogic(std::unique_ptr<cFrameDevices> devices)
    : m_devices(devices ? std::move(devices) : makeEngineFrameDevices())
{
    m_keyConnections.emplace_back(m_devices->connectKey(ScreenshotKey, [this] { takeScreenshot(); }));
    // Both Alt keys, pressed and released, have a handler of their own that does nothing, so
    // they never count as unhandled keys.
    for (int code : {0x38, 0xB8, 0x138, 0x1B8})
        m_keyConnections.emplace_back(m_devices->connectKey(code, [] {}));
    m_pointerConnection = m_devices->connectPointer([this](const cVector2& point) { placeMouse(point); });
}

cLogic::~cLogic()
{
    m_frameCallback.clear();
    m_keyConnections.clear();
    m_pointerConnection.disconnect();
}

void cLogic::setFrameCallback(boost::function<void()> callback)
{
    m_frameCallback = std::move(callback);
}

void cLogic::update()
{
    if (m_minimized)
    {
        cControl::deletePending();
        return;
    }
    updateMousePosition();
    cTimer* timer = cTimer::instance();
    if (timer)
        timer->step();
    m_devices->pollInput();

    if (!m_inactive)
    {
        ++m_frameCount;
        if (!cControl::isFading())
        {
            cControl::activePass();
            cControl::enabledPass();
        }
        cControl::fadePass();
        if (m_frameCallback)
            m_frameCallback();
    }

    if (timer)
    {
        const double now = timer->getPreciseTime();
        const double elapsed = now - m_lastFpsTime;
        if (elapsed > 0.2)
        {
            m_lastFpsTime = now;
            m_fps = static_cast<float>(m_frameCount / elapsed);
            m_frameCount = 0;
        }
        if (timer->takeDrawDue())
            render();
    }

    cControl::deletePending();
}

void cLogic::render()
{
    m_devices->beginFrame();
    m_devices->drawViews();
    m_devices->endFrame();
    // The screenshot shows the frame the player sees, read before it is handed to the screen
    // (a presented back buffer holds nothing reliable).
    if (m_screenshotPending)
    {
        m_screenshotPending = false;
        m_devices->takeScreenshot(L"screenshot.jpg");
    }
    m_devices->present();
}

void cLogic::renderObject(cView* view)
{
    m_devices->drawView(*view);
}

void cLogic::updateMousePosition()
{
    placeMouse(m_devices->cursorInWindow());
}

void cLogic::placeMouse(cVector2 windowPoint)
{
    m_devices->screenToVirtual(windowPoint);
    m_mousePosition = windowPoint;
}

void cLogic::takeScreenshot()
{
    m_screenshotPending = true;
}

void cLogic::quit()
{
    if (cApplication* application = cApplication::instance())
        application->closeWindow();
}

} // namespace Engine
