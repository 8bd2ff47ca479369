#include "engine/core/cFrameDevices.h"

#include "engine/core/SystemUtils.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cParticleDrawInfo.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cView.h"

#include <array>

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
        cInput* input = cInput::instance();
        if (!input)
            return;
        // A pointer that stands still stands elsewhere on the game's screen once the window
        // shows it at another scale or in another place (full screen left or entered, the
        // window moved): what follows the pointer judges its place again, or a hover judged
        // at the old scale would stand for the new one.
        const tWindowView view = windowView();
        if (m_viewKnown && view != m_view)
            input->pointerShifted();
        m_view = view;
        m_viewKnown = true;
        input->update();
    }

    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        cInput* input = cInput::instance();
        return input ? input->connectKeyOnEveryLayer(static_cast<eControl>(code), slot)
                     : boost::signals2::connection();
    }

    // Where the mouse's events placed the pointer; without such a place (no event yet, or the
    // pointer outside the window) the desktop's pointer, moved into the window.
    cVector2 cursorInWindow() override
    {
        cVector2 placed;
        if (cInput* input = cInput::instance(); input && input->getPointer(placed))
            return placed;
        cVector2 cursor(getCursorPos());
        float rect[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        if (cRender* render = cSingleton<cRender>::instance(); render && render->getWindowRect(rect))
            cursor -= cVector2(rect[0], rect[1]);
        return cursor;
    }

    boost::signals2::connection connectPointer(const boost::function<void(const cVector2&)>& slot) override
    {
        cInput* input = cInput::instance();
        return input ? input->connectPointer(slot) : boost::signals2::connection();
    }

    void screenToVirtual(cVector2& point) override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->screenToVirtual(point, point);
    }

    void beginFrame() override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->beginFrame();
    }

    void drawView(cView& view) override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            Engine::drawView(*render, view);
    }

    void endFrame() override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->endFrame();
    }

    void present() override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->present();
    }

    void takeScreenshot(const std::wstring& fileName) override
    {
        if (cRender* render = cSingleton<cRender>::instance())
            render->takeScreenshot(fileName, 0.0f, 0.0f, 0.0f, 0.0f);
    }

private:
    // The window's rectangle on the screen, then where two window points fall on the game's
    // screen: together, where every window point falls.
    using tWindowView = std::array<float, 8>;

    tWindowView windowView()
    {
        tWindowView view{};
        cRender* render = cSingleton<cRender>::instance();
        if (!render)
            return view;
        render->getWindowRect(view.data());
        cVector2 origin(0.0f, 0.0f);
        cVector2 corner(1024.0f, 768.0f);
        render->screenToVirtual(origin, origin);
        render->screenToVirtual(corner, corner);
        view[4] = origin.x;
        view[5] = origin.y;
        view[6] = corner.x;
        view[7] = corner.y;
        return view;
    }

    tWindowView m_view{};
    bool m_viewKnown = false;
};

} // namespace

void drawView(cRender& render, cView& view)
{
    // The particle view's kind.
    constexpr int ParticleKind = 5;
    if (view.getKind() == ParticleKind)
    {
        if (!view.isEffectivelyEnabled())
            return;
        if (cParticleDrawInfo* particles = view.getParticleDrawInfo())
            render.openParticleBatch(particles);
        return;
    }
    const int renderType = static_cast<int>(view.getRenderType());
    if (view.getMesh())
    {
        render.openMeshBatch(&view.getMeshData(), renderType);
        return;
    }
    const boost::shared_ptr<cBatchTexture> texture = view.getTexture();
    if (view.getMultiSprites())
    {
        for (const cQuad& sprite : view.getSpriteList())
            render.drawQuad(sprite, texture, renderType);
        return;
    }
    render.drawQuad(view.getSprite(), texture, renderType);
    if (view.getDoubleAnimRender())
        render.drawQuad(view.getSecondSprite(), texture, renderType);
}

void cFrameDevices::drawViews()
{
    cView::renderPass([this](cView* view) { drawView(*view); });
}

std::unique_ptr<cFrameDevices> makeEngineFrameDevices()
{
    return std::make_unique<cEngineFrameDevices>();
}

} // namespace Engine
