#pragma once

// The game's front end over its own data folder, run frame by frame as the engine runs it: the
// real frame of `Engine::cLogic` with scripted input and a pointer the test puts where it
// likes, the state machine as the frame callback, the views on the recording render device,
// and the state traces collected.

#include "engine/core/ErrorText.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/devices/cInput.h"
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "platform/input/ScriptedInput.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/PointerDevices.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace GameTest
{

using Test::PointerDevices;

// The text of what `run` throws; empty when it throws nothing.
inline std::string failureOf(const std::function<void()>& run)
{
    try
    {
        run();
    }
    catch (...)
    {
        return Engine::currentExceptionText();
    }
    return std::string();
}

class FrontEnd
{
public:
    explicit FrontEnd(const std::wstring& data = QUILL_SOURCE_DIR L"/data/") : fixture(data)
    {
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        auto devices = std::make_unique<PointerDevices>();
        pointer = devices.get();
        logic = std::make_unique<Engine::cLogic>(std::move(devices));
        logic->setFrameCallback([] { CGameEngine::instance().Update(); });
        // The states' own lines; the screen's settling has a test of its own.
        CGameEngine::setTraceSink(
            [this](const std::wstring& line)
            {
                if (line != L"Screen settled\n")
                    traces.push_back(line);
            });
        CGameEngine::instance().setEnteredFromMainMenu(true);
        // The first poll acquires the devices.
        frame();
    }
    ~FrontEnd()
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        CGameEngine::setTraceSink({});
        Engine::cControl::deletePending();
        logic.reset();
        input.reset();
    }
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;

    // One frame of `dt` seconds.
    void frame(float dt = 0.02f)
    {
        fixture.timer.frameTime = dt;
        logic->update();
    }
    void frames(int count, float dt = 0.02f)
    {
        for (int i = 0; i < count; ++i)
            frame(dt);
    }
    // Puts the pointer at a place with a movement, and runs a frame.
    void moveTo(const Engine::cVector2& place)
    {
        const Engine::cVector2 from = pointer->cursor;
        pointer->cursor = place;
        const int dx = static_cast<int>(place.x - from.x);
        script->mouseMove(dx == 0 ? 1 : dx, static_cast<int>(place.y - from.y));
        frame();
    }
    // A press and a release of the primary button at a place, a frame each.
    void clickAt(const Engine::cVector2& place)
    {
        moveTo(place);
        clickInPlace();
    }
    void click(const Engine::cView* view) { clickAt(view->getPosition()); }
    // A press and a release where the pointer rests, with no movement.
    void clickInPlace()
    {
        script->mouseButton(0, true);
        frame();
        script->mouseButton(0, false);
        frame();
    }
    // A key pressed and released in one frame (control codes: 1 Escape, 28 Return, 57 Space).
    void key(uint8_t code)
    {
        script->keyDown(code);
        script->keyUp(code);
        frame();
    }
    // The level at `path` entered by the play state, its opening briefing read away with Space
    // now and then (a speech whole, a wait over), until the level runs on top with its clock
    // going; false when it never did.
    bool playLevel(const std::wstring& path)
    {
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(path);
        CPlayState& play = CPlayState::instance();
        engine.ChangeState(&play);
        const auto running = [&]
        {
            return play.isRunning() && engine.topState() == &play && play.getGame() &&
                   play.getGame()->getLevelTime() > 0.0f;
        };
        for (int i = 0; i < 3000 && !running(); ++i)
        {
            if (engine.topState() == &BriefState::instance() && i % 5 == 0)
                key(57);
            else
                frame(0.05f);
        }
        return play.isRunning();
    }
    // Characters typed, as the window hands them to the input, and a frame.
    void type(const std::wstring& text)
    {
        for (wchar_t c : text)
            input->queueChar(static_cast<uint16_t>(c));
        frame();
    }
    // Writes a file of the shared folder through the file system, which indexes it (and hides a
    // data file of that path).
    void writeShared(const std::string& path, const std::string& bytes)
    {
        fixture.files->createFile(path, true)->write(bytes.data(), static_cast<unsigned>(bytes.size()));
    }
    // The traces so far, then forgotten.
    std::vector<std::wstring> takeTraces()
    {
        std::vector<std::wstring> taken;
        taken.swap(traces);
        return taken;
    }

    SilentEffects effects;
    GameFixture fixture;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    PointerDevices* pointer = nullptr;
    std::unique_ptr<Engine::cLogic> logic;
    std::vector<std::wstring> traces;
};

} // namespace GameTest
