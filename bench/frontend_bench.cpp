// The front end on the game's data with the render device drawing offscreen (OpenGL through
// Mesa, 1024 x 768) and the sound device, each against a plain baseline measured in the same
// run, in processor time:
//   BM_MenuStart  from entering the intro state (the program's first state, once the engine is
//                 up) with the logos skipped as key presses skip them, to the first drawn frame of
//                 the main menu of a known player, nothing cached, against decoding the pictures
//                 that frame shows with plain libpng and libjpeg. Counter "ratio" = start /
//                 decode (medians).
//   BM_MapFrame   one frame of the level map of a player who has won every level, its update
//                 (the enabled pass with the map's nodes, buttons, the selection effect and the
//                 drifting clouds) and its draw timed apart; "update_to_draw" = update / draw;
//                 "views" counts what is drawn.
#include "bench/PlainPictures.h"
#include "bench/PlayEngine.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cComposite.h"
#include "engine/ui/cView.h"
#include "game/hud/cClouds.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CIntroState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/cLogo.h"
#include "game/screens/cMainScreen.h"
#include "game/screens/cMap.h"
#include "game/world/GameConfig.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace
{

// The game's engine with a known player who has won every level with gold.
Engine::cLogic* startEngine(std::string& error)
{
    static bool playerMade = false;
    Engine::cLogic* logic = Bench::startPlayEngine(error, "quillmoor-frontend-bench");
    if (logic && !playerMade)
    {
        playerMade = true;
        new Engine::cProfileManager(L"Bencher");
        for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
            Engine::cProps::set<int>(L"Level" + std::to_wstring(level), 0);
    }
    return logic;
}

Engine::cLogic* engineFor(benchmark::State& state)
{
    std::string error;
    Engine::cLogic* logic = startEngine(error);
    if (!logic)
        state.SkipWithError(error.c_str());
    return logic;
}

void frame(Engine::cLogic& logic)
{
    Engine::cControl::enabledPass();
    CGameEngine::instance().Update();
    logic.render();
    Engine::cControl::deletePending();
}

// Every state leaves and nothing stays cached.
void leaveAll()
{
    CGameEngine& engine = CGameEngine::instance();
    while (engine.getStateCount())
        engine.PopState();
    Engine::cControl::deletePending();
    Engine::cResourceManager::instance()->releaseUnused();
}

void BM_MenuStart(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::vector<double> start;
    std::vector<double> decode;
    double pictures = 0.0;
    for (auto _ : state)
    {
        leaveAll();
        const double t0 = Bench::processCpuSeconds();
        CGameEngine::instance().ChangeState(&CIntroState::instance());
        for (int skip = 0; skip < 3 && CIntroState::instance().getLogo(); ++skip)
        {
            frame(*logic);
            if (cLogo* logo = CIntroState::instance().getLogo())
                logo->nextLogo();
        }
        frame(*logic);
        const double t1 = Bench::processCpuSeconds();
        if (!CMenuState::instance().getMainScreen() || !CMenuState::instance().getMainScreen()->isShown())
            state.SkipWithError("the main menu did not come");
        const std::vector<std::string> drawn = Bench::drawnPictures();
        const double t2 = Bench::processCpuSeconds();
        const auto decoded = Bench::decodePlainPictures(Bench::dataFolder(), drawn);
        const double t3 = Bench::processCpuSeconds();
        benchmark::DoNotOptimize(decoded.data());
        start.push_back(t1 - t0);
        decode.push_back(t3 - t2);
        pictures = static_cast<double>(decoded.size());
    }
    leaveAll();
    const double startMs = Bench::median(start) * 1000.0;
    const double decodeMs = Bench::median(decode) * 1000.0;
    state.counters["pictures"] = pictures;
    state.counters["start_ms"] = startMs;
    state.counters["decode_ms"] = decodeMs;
    state.counters["ratio"] = decodeMs > 0.0 ? startMs / decodeMs : 0.0;
}
BENCHMARK(BM_MenuStart)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_MapFrame(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    CGameEngine::instance().setEnteredFromMainMenu(false);
    CGameEngine::instance().ChangeState(&CMapState::instance());
    for (int i = 0; i < 60; ++i)
        frame(*logic);
    double update = 0.0;
    double draw = 0.0;
    for (auto _ : state)
    {
        const double t0 = Bench::processCpuSeconds();
        Engine::cControl::enabledPass();
        CGameEngine::instance().Update();
        Engine::cControl::deletePending();
        const double t1 = Bench::processCpuSeconds();
        logic->render();
        const double t2 = Bench::processCpuSeconds();
        update += t1 - t0;
        draw += t2 - t1;
    }
    const double n = static_cast<double>(state.iterations()) / 1e6;
    const cMap* map = CMapState::instance().getMap();
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["clouds"] = map ? static_cast<double>(map->getClouds()->getChildren().size()) : 0.0;
    state.counters["update_us"] = update / n;
    state.counters["draw_us"] = draw / n;
    state.counters["update_to_draw"] = draw > 0.0 ? update / draw : 0.0;
    leaveAll();
}
BENCHMARK(BM_MapFrame)->Unit(benchmark::kMillisecond)->Iterations(300);

} // namespace
