#include "engine/core/cFrameDevices.h"

#include "engine/core/SystemUtils.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"

namespace Engine
{

namespace
{

// Forwards each request to the engine's device singletons; a device that does not exist is
// skipped.
class cEngineFrameDevices final : public cFrameDevices
{
public:
    void pollInput() override
    {
        if (cInput* input = cInput::instance())
            input->update();
    }

    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        cInput* input = cInput::instance();
        return input ? input->connectKey(static_cast<eControl>(code), slot) : boost::signals2::connection();
    }

    cVector2 cursorInWindow() override
    {
        cVector2 cursor(getCursorPos());
        float rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        if (cRender* render = cSingleton<cRender>::instance(); render && render->getWindowRect(rect))
            cursor -= cVector2(rect[0], rect[1]);
        return cursor;
    }

    void screenToVirtual(cVector2& point) override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->screenToVirtual(point, point);
    }

    void present() override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->present();
    }

    // What a view draws (its sprites, mesh or particle effect) comes with the view's drawing
    // data; a view without it draws nothing.
    void drawView(cView&) override {}

    void endFrame() override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->endFrame();
    }

    void takeScreenshot(const std::wstring& fileName) override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->takeScreenshot(fileName, 0.0f, 0.0f, 0.0f, 0.0f);
    }
};

} // namespace

std::unique_ptr<cFrameDevices> makeEngineFrameDevices()
{
    return std::make_unique<cEngineFrameDevices>();
}

} // namespace Engine
