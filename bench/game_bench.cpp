// The whole game on its shipped data, each against a plain baseline measured in the same run:
//   BM_BusiestLevelFrame    one frame of the shipped level with the most units after ten
//                           seconds of its play, drawn offscreen with OpenGL through Mesa at
//                           1024 x 768, its update and its draw timed apart (processor time):
//                           the update (the enabled pass and the level's step) against a walk
//                           of the level's unit table reading every unit, "update_ratio"; the
//                           draw against handing the same frame's quads straight to the render
//                           device, "draw_ratio"; "draw_calls" (the batches the frame draws,
//                           one draw call each), "quads", "views".
//   BM_EveryLevelPlayedMemory  the peak resident memory of winning every shipped level by its
//                           script under levelplay (one program run per level: the scripted
//                           player lives in that program), against levelplay only loading and
//                           starting each level; each run's own peak, read as it exits;
//                           counters "peak_kb" and "start_kb" (the largest over the levels),
//                           "ratio" = peak / start, "levels", "won".
#include "bench/ChildProcess.h"
#include "bench/PlayEngine.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cQuad.h"
#include "engine/ui/cView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <benchmark/benchmark.h>
#include <boost/shared_ptr.hpp>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// The render device that can keep the quads of a frame as the views hand them over.
class QuadCaptureRender final : public Engine::cRender
{
public:
    struct Quad
    {
        Engine::cQuad quad;
        boost::shared_ptr<Engine::cBatchTexture> texture;
        int renderType = 0;
    };

    using Engine::cRender::cRender;
    using Engine::cRender::drawQuad;

    void drawQuad(const Engine::cQuad& quad, const boost::shared_ptr<Engine::cBatchTexture>& texture,
                  int renderType) override
    {
        if (capturing)
            quads.push_back({quad, texture, renderType});
        Engine::cRender::drawQuad(quad, texture, renderType);
    }

    bool capturing = false;
    std::vector<Quad> quads;
};

QuadCaptureRender* captureRender = nullptr;

Engine::cLogic* engineFor(benchmark::State& state)
{
    std::string error;
    Engine::cLogic* logic = Bench::startPlayEngine(
        error, "quillmoor-game-bench",
        [](Engine::cRenderPlatform platform, std::unique_ptr<Engine::cRenderConfigSource> config)
        { return captureRender = new QuadCaptureRender(std::move(platform), std::move(config)); });
    if (!logic)
        state.SkipWithError(error.c_str());
    return logic;
}

void BM_BusiestLevelFrame(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    const int level = Bench::busiestLevel();
    Bench::startLevel(*logic, level);
    // Ten seconds of the level: its automatic production, falling units and cataclysms start.
    for (int i = 0; i < 600; ++i)
        Bench::runFrame(*logic);

    captureRender->quads.clear();
    captureRender->capturing = true;
    Bench::runFrame(*logic);
    captureRender->capturing = false;
    const double drawCalls = static_cast<double>(captureRender->getBatchRenderer().getBatches().size());
    const std::vector<QuadCaptureRender::Quad> quads = captureRender->quads;

    Game* game = CPlayState::instance().getGame();
    if (!game)
    {
        state.SkipWithError("the level did not start");
        return;
    }
    double update = 0.0;
    double walk = 0.0;
    double draw = 0.0;
    double alone = 0.0;
    long checksum = 0;
    for (auto _ : state)
    {
        const double t0 = Bench::processCpuSeconds();
        Engine::cControl::enabledPass();
        CGameEngine::instance().Update();
        Engine::cControl::deletePending();
        const double t1 = Bench::processCpuSeconds();
        for (const auto& entry : game->getUnits())
            checksum += static_cast<long>(entry.second->getState()) + entry.second->getLevel();
        const double t2 = Bench::processCpuSeconds();
        logic->render();
        const double t3 = Bench::processCpuSeconds();
        captureRender->beginFrame();
        for (const QuadCaptureRender::Quad& quad : quads)
            captureRender->Engine::cRender::drawQuad(quad.quad, quad.texture, quad.renderType);
        captureRender->endFrame();
        captureRender->present();
        const double t4 = Bench::processCpuSeconds();
        update += t1 - t0;
        walk += t2 - t1;
        draw += t3 - t2;
        alone += t4 - t3;
    }
    benchmark::DoNotOptimize(checksum);
    const double n = static_cast<double>(state.iterations()) / 1e6;
    state.counters["level"] = level;
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["quads"] = static_cast<double>(quads.size());
    state.counters["draw_calls"] = drawCalls;
    state.counters["update_us"] = update / n;
    state.counters["walk_us"] = walk / n;
    state.counters["draw_us"] = draw / n;
    state.counters["quads_us"] = alone / n;
    state.counters["update_ratio"] = walk > 0.0 ? update / walk : 0.0;
    state.counters["draw_ratio"] = alone > 0.0 ? draw / alone : 0.0;
    Bench::leavePlay();
}
BENCHMARK(BM_BusiestLevelFrame)->Unit(benchmark::kMillisecond)->Iterations(200);

fs::path levelplayProgram()
{
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "levelplay";
}

// Runs levelplay with `arguments` (its output discarded) and returns its exit status and its
// own peak resident memory.
Bench::ChildRun runLevelplay(const std::vector<std::string>& arguments)
{
    return Bench::runChild(levelplayProgram().string(), arguments);
}

void BM_EveryLevelPlayedMemory(benchmark::State& state)
{
    if (!fs::exists(levelplayProgram()))
    {
        state.SkipWithError("no levelplay program beside the benchmarks");
        return;
    }
    const std::string data = Bench::dataFolder().string();
    long peak = 0;
    long start = 0;
    int levels = 0;
    int won = 0;
    for (auto _ : state)
    {
        levels = 0;
        won = 0;
        for (int level = 0;; ++level)
        {
            const fs::path file = Bench::dataFolder() / Engine::toUtf8(Game::levelPath(level));
            const fs::path script = fs::path(file).replace_extension("play");
            if (!fs::exists(file))
                break;
            if (!fs::exists(script))
                continue;
            ++levels;
            const Bench::ChildRun played = runLevelplay({"--data", data, file.string(), script.string()});
            const Bench::ChildRun started =
                runLevelplay({"--data", data, "--max-time", "0", file.string(), script.string()});
            if (played.peakKb == 0 || started.peakKb == 0)
            {
                state.SkipWithError(played.error.c_str());
                return;
            }
            if (played.status == 0)
                ++won;
            peak = std::max(peak, played.peakKb);
            start = std::max(start, started.peakKb);
        }
    }
    if (won < levels)
        state.SetLabel(std::to_string(levels - won) + " level(s) not won by their scripts");
    state.counters["levels"] = levels;
    state.counters["won"] = won;
    state.counters["peak_kb"] = static_cast<double>(peak);
    state.counters["start_kb"] = static_cast<double>(start);
    state.counters["ratio"] = start > 0 ? static_cast<double>(peak) / static_cast<double>(start) : 0.0;
}
BENCHMARK(BM_EveryLevelPlayedMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
