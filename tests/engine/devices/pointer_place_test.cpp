// A deep button hears of a still pointer only when the pointer moves over the game: by a movement,
// or by the window changing its scale or place under it. Through the engine's own frame devices,
// a render device over a window that only records, scripted mouse events and real buttons.
#include "engine/core/cLogic.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cButton.h"
#include "platform/input/ScriptedInput.h"
#include "platform/system/FakeClock.h"
#include "tests/engine/devices/render_test_tools.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

using Engine::cButtonPrototype;
using Log = std::vector<std::string>;

// A screen of 1280 x 1024; in full screen the game's 1024 x 768 shows 1.25 times as large, 32
// pixels down. Deep buttons of 100 x 50 log their signals.
struct Frames
{
    explicit Frames(bool fullscreen)
    {
        parts.desktop(1280, 1024);
        parts.setting(L"width", L"1024");
        parts.setting(L"height", L"768");
        parts.setting(L"fullscreen", fullscreen ? L"1" : L"0");
        render = parts.make();
        frame();
    }
    ~Frames()
    {
        buttons.clear();
        Engine::cControl::deletePending();
        cButtonPrototype::buttonUnderPointer = nullptr;
        cButtonPrototype::pendingAction = 0;
    }
    Engine::cButton* button(const std::string& name, float x, float y, float deep)
    {
        auto* b = buttons.emplace_back(std::make_unique<Engine::cButton>()).get();
        b->setPosition({x, y});
        b->setSize({100, 50});
        b->setDeep(deep);
        b->setIsDeepProcessing(true);
        b->highlightOnSignal.connect([this, name](Engine::cView*) { log.push_back(name + " on"); });
        b->pressSignal.connect([this, name](Engine::cView*) { log.push_back(name + " press"); });
        b->connectClick([this, name](Engine::cView*) { log.push_back(name + " click"); });
        b->show();
        b->enable();
        return b;
    }
    // A frame as the application runs it, drawn.
    void frame()
    {
        clock.advance(20);
        logic->update();
        logic->render();
    }
    void click()
    {
        for (bool down : {true, false})
        {
            script->mouseButton(0, down);
            frame();
        }
    }
    Log takeLog() { return std::exchange(log, {}); }

    Platform::FakeClock clock{1000};
    Engine::cTimer timer;
    RenderTest::cRenderParts parts;
    std::unique_ptr<Engine::cRender> render;
    Platform::ScriptedInput* script = new Platform::ScriptedInput(false);
    std::unique_ptr<Engine::cInput> input{
        new Engine::cInput(std::unique_ptr<Platform::InputBackend>(script))};
    std::unique_ptr<Engine::cLogic> logic = std::make_unique<Engine::cLogic>();
    std::vector<std::unique_ptr<Engine::cButton>> buttons;
    Log log;
};

TEST(PointerPlace, AWindowThatChangesUnderAStillPointerHoversTheButtonNowUnderItAndItTakesTheClick)
{
    struct Change
    {
        const char* what;
        bool fullscreen;
        int toldX; // where the pointer was told in the window, beside the button; now at 820
        std::function<void(Frames&)> change;
    };
    const Change changes[] = {
        // Told at the full-screen scale: (820, 432) of the window is (656, 320) of the game.
        {"full screen left", true, 820,
         [](Frames& f)
         {
             f.parts.configView->settings[{L"graphics", L"fullscreen"}] = L"0";
             f.render->setResetPending(true);
         }},
        {"the window moved right by 100", false, 920,
         [](Frames& f)
         {
             f.parts.windowView->client.left += 100;
             f.parts.windowView->client.right += 100;
             f.script->warpPointer(820, 432);
         }},
    };
    for (const Change& c : changes)
    {
        SCOPED_TRACE(c.what);
        Frames f(c.fullscreen);
        f.button("b", 820, 432, 1.0f);
        f.script->pointerTo(c.toldX, 432);
        f.frame();
        // The render device takes a new mode as it opens a frame; the next frame's input finds it.
        c.change(f);
        f.frame();
        f.frame();
        EXPECT_EQ(f.takeLog(), (Log{"b on"})) << "the place is judged again";
        EXPECT_EQ(f.logic->getMousePosition(), Engine::cVector2(820.0f, 432.0f));
        f.click();
        EXPECT_EQ(f.takeLog(), (Log{"b press", "b on", "b click"}));
    }
}

TEST(PointerPlace, ADeepButtonUnderAPointerThatHasNotMovedSinceTheDialogOverItClosedTakesNoPress)
{
    Frames f(false);
    f.button("field", 400, 300, 5.0f);
    Engine::cButton* dialog = f.button("dialog", 400, 300, 9.0f);
    f.script->pointerTo(400, 300);
    f.frame();
    EXPECT_EQ(f.takeLog(), (Log{"dialog on"}));
    dialog->disable();
    dialog->hide();
    f.frame();
    f.click();
    EXPECT_TRUE(f.takeLog().empty()) << "no hover, no press without a movement";

    f.script->pointerTo(401, 300);
    f.frame();
    f.click();
    EXPECT_EQ(f.takeLog(), (Log{"field on", "field press", "field on", "field click"}));
}

TEST(PointerPlace, AClickAndAMoveOnInOneFrameLeaveTheButtonNowUnderThePointerItsNextClick)
{
    // A busy frame takes a click on one button and the move on to another together; the press on
    // the other comes in the next frame.
    Frames f(false);
    f.button("a", 200, 300, 20.0f);
    f.button("b", 600, 300, 20.0f);
    f.script->pointerTo(200, 300);
    f.frame();
    EXPECT_EQ(f.takeLog(), (Log{"a on"}));
    f.script->mouseButton(0, true);
    f.script->mouseButton(0, false);
    f.script->pointerTo(600, 300);
    f.frame();
    EXPECT_EQ(f.takeLog(), (Log{"a press", "a on", "a click", "b on"}));
    f.click();
    EXPECT_EQ(f.takeLog(), (Log{"b press", "b on", "b click"}));
}

} // namespace
