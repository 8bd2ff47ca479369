// The play state on the game's data with the render device drawing offscreen (OpenGL through
// Mesa, 1024 x 768), each against a plain baseline measured in the same run:
//   BM_PlayStart   from entering the play state to its first drawn frame of the running level
//                  (the loading screen's frames, the level's start, the first draw) on the
//                  largest shipped level, against parsing that level's XML alone;
//                  counter "ratio" = start / parse.
//   BM_PlayFrame   one frame of the running level (the enabled pass, the level's update and the
//                  draw), against drawing its views alone; counter "ratio" = frame / draw.
//   BM_PlayMemory  ten level starts one after another; counters: the peak resident memory after
//                  the second and after the tenth start and "growth_kb" between them, which must
//                  stay near 0 (a level start must not keep what the last one left).
#include "bench/PlayEngine.h"
#include "engine/core/cXmlProperties.h"
#include "engine/ui/cView.h"
#include "game/world/GameConfig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{

using Clock = std::chrono::steady_clock;
using Bench::leavePlay;
using Bench::peakResidentKb;
using Bench::startLevel;

const std::filesystem::path& kData = Bench::dataFolder();

// The largest shipped level: its number and its bytes.
int largestLevel(std::string& bytes)
{
    int largest = 0;
    std::uintmax_t size = 0;
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
    {
        const auto file = kData / "Levels" / ("n" + std::to_string(level) + ".xml");
        if (std::filesystem::exists(file) && std::filesystem::file_size(file) > size)
        {
            size = std::filesystem::file_size(file);
            largest = level;
        }
    }
    std::ifstream in(kData / "Levels" / ("n" + std::to_string(largest) + ".xml"), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return largest;
}

// The engine for a benchmark, or null after marking the benchmark skipped.
Engine::cLogic* engineFor(benchmark::State& state)
{
    std::string error;
    Engine::cLogic* logic = Bench::startPlayEngine(error, "quillmoor-play-bench");
    if (!logic)
        state.SkipWithError(error.c_str());
    return logic;
}

void BM_PlayStart(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    const int level = largestLevel(bytes);
    double start = 0.0;
    double parse = 0.0;
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        const auto tree = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "level");
        benchmark::DoNotOptimize(tree);
        const auto t1 = Clock::now();
        startLevel(*logic, level);
        const auto t2 = Clock::now();
        leavePlay();
        parse += std::chrono::duration<double, std::micro>(t1 - t0).count();
        start += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = level;
    state.counters["start_us"] = start / n;
    state.counters["parse_us"] = parse / n;
    state.counters["ratio"] = parse > 0.0 ? start / parse : 0.0;
}
BENCHMARK(BM_PlayStart)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlayFrame(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    startLevel(*logic, largestLevel(bytes));
    double whole = 0.0;
    double draw = 0.0;
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        Bench::runFrame(*logic);
        const auto t1 = Clock::now();
        logic->render();
        const auto t2 = Clock::now();
        whole += std::chrono::duration<double, std::micro>(t1 - t0).count();
        draw += std::chrono::duration<double, std::micro>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["frame_us"] = whole / n;
    state.counters["draw_us"] = draw / n;
    state.counters["ratio"] = draw > 0.0 ? whole / draw : 0.0;
    leavePlay();
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_PlayMemory(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    const int level = largestLevel(bytes);
    long second = 0;
    long tenth = 0;
    for (auto _ : state)
    {
        for (int start = 1; start <= 10; ++start)
        {
            startLevel(*logic, level);
            if (start == 2)
                second = peakResidentKb();
        }
        tenth = peakResidentKb();
        leavePlay();
    }
    state.counters["rss_second_kb"] = static_cast<double>(second);
    state.counters["rss_tenth_kb"] = static_cast<double>(tenth);
    state.counters["growth_kb"] = static_cast<double>(tenth - second);
}
BENCHMARK(BM_PlayMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
