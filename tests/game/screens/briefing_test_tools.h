#pragma once

// The play state over the game's data with the recording render device, scripted input and a
// frame timer the test steps: a level started as the program starts one (its loading screen,
// its opening briefing), frames run as the engine runs them, keys pushed through the input.

#include "engine/devices/cInput.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "platform/input/ScriptedInput.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <memory>
#include <string>
#include <vector>

namespace GameTest
{

class ScreenFixture
{
public:
    ScreenFixture()
    {
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        // The first read acquires the devices.
        input->update();
        CGameEngine::setTraceSink([this](const std::wstring& line) { traces.push_back(line); });
    }
    ~ScreenFixture()
    {
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        engine.setLevelPath(L"");
        CGameEngine::setTraceSink({});
    }
    ScreenFixture(const ScreenFixture&) = delete;
    ScreenFixture& operator=(const ScreenFixture&) = delete;

    // One frame as the engine runs it: the enabled pass, the top state's update, the deletions.
    void frame(float dt)
    {
        game.timer.frameTime = dt;
        Engine::cControl::enabledPass();
        CGameEngine::instance().Update();
        Engine::cControl::deletePending();
    }
    void frames(int count, float dt)
    {
        for (int i = 0; i < count; ++i)
            frame(dt);
    }
    // A key pressed and released in one input step: two "any control" signals.
    void key(uint8_t code)
    {
        script->keyDown(code);
        script->keyUp(code);
        input->update();
    }
    // The level file as level `number`, started by the play state through its loading screen.
    void startLevel(int number, const std::string& xml)
    {
        game.writeLevel(number, xml);
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(L"levels/n" + std::to_wstring(number) + L".xml");
        engine.ChangeState(&CPlayState::instance());
        frames(6, 0.02f);
    }
    size_t heroes() { return CPlayState::instance().getGame()->getUnits().count(typeId(L"hero")); }

    SilentEffects effects;
    GameFixture game;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    std::vector<std::wstring> traces;
};

} // namespace GameTest
