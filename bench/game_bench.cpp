// The whole game on its shipped data, each against a plain baseline measured in the same run:
//   BM_BusiestLevelFrame    one frame (the enabled pass, the level's update and the draw) of the
//                           shipped level with the most units, drawn offscreen with OpenGL
//                           through Mesa at 1024 x 768 after ten seconds of its play, against
//                           handing the same frame's quads straight to the render device and
//                           drawing them; counters "ratio" = frame / quads, "draw_calls" (the
//                           batches the frame draws, one draw call each), "quads", "views".
//   BM_EveryLevelPlayedMemory  the peak resident memory of winning every shipped level by its
//                           script under levelplay (one program run per level: the scripted
//                           player lives in that program), against levelplay only loading and
//                           starting each level; counters "peak_kb" and "start_kb" (the largest
//                           over the levels), "ratio" = peak / start, "levels", "won".
#include "bench/PlayEngine.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cBatchTexture.h"
#include "engine/devices/cQuad.h"
#include "engine/ui/cView.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <benchmark/benchmark.h>
#include <boost/shared_ptr.hpp>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The shipped level with the most units in its file.
int busiestLevel()
{
    int busiest = 0;
    unsigned most = 0;
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
    {
        const fs::path file = Bench::dataFolder() / Engine::toUtf8(Game::levelPath(level));
        if (!fs::exists(file))
            continue;
        const std::string bytes = readBytes(file);
        const auto root = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), file.string());
        Engine::tPropertiesPtr buildings;
        const unsigned units = root->getChild(L"Buildings", buildings) ? buildings->getChildCount() : 0;
        if (units > most)
        {
            most = units;
            busiest = level;
        }
    }
    return busiest;
}

void BM_BusiestLevelFrame(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    const int level = busiestLevel();
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

    double frame = 0.0;
    double alone = 0.0;
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        Bench::runFrame(*logic);
        const auto t1 = Clock::now();
        captureRender->present();
        for (const QuadCaptureRender::Quad& quad : quads)
            captureRender->Engine::cRender::drawQuad(quad.quad, quad.texture, quad.renderType);
        captureRender->endFrame();
        const auto t2 = Clock::now();
        frame += std::chrono::duration<double, std::micro>(t1 - t0).count();
        alone += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = level;
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["quads"] = static_cast<double>(quads.size());
    state.counters["draw_calls"] = drawCalls;
    state.counters["frame_us"] = frame / n;
    state.counters["quads_us"] = alone / n;
    state.counters["ratio"] = alone > 0.0 ? frame / alone : 0.0;
    Bench::leavePlay();
}
BENCHMARK(BM_BusiestLevelFrame)->Unit(benchmark::kMillisecond)->Iterations(200);

fs::path levelplayProgram()
{
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "levelplay";
}

struct Run
{
    int status = -1;
    long peakKb = 0;
};

// Runs levelplay with `arguments` (its output discarded) and returns its exit status and its
// own peak resident memory.
Run runLevelplay(const std::vector<std::string>& arguments)
{
    const std::string program = levelplayProgram().string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    Run run;
    const pid_t child = fork();
    if (child < 0)
        return run;
    if (child == 0)
    {
        if (FILE* quiet = std::freopen("/dev/null", "w", stdout))
            static_cast<void>(quiet);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    return run;
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
            const Run played = runLevelplay({"--data", data, file.string(), script.string()});
            const Run started =
                runLevelplay({"--data", data, "--max-time", "0", file.string(), script.string()});
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
