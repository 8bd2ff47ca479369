// The game's rules run without a window, each against a plain baseline in the same run:
//   BM_LevelplayEveryLevel    levelplay winning every shipped level by its script (a program of
//                             its own, as the tests run it; the median of five runs each);
//                             counters for the slowest level: "level_s_per_cpu_s" = simulated
//                             level seconds per second of the program's processor time, its
//                             start included (target: at least 1000), and the processor time of
//                             the whole run and of levelplay only starting the level
//                             ("start_cpu_ms").
//   BM_ControllerFrame        one GameController::update with four heroes at work and twenty
//                             open goals, against one walk of the level's unit table
//                             reading every unit; counter "ratio" = update / walk.
#include "bench/BenchHome.h"
#include "bench/ChildProcess.h"
#include "bench/Measures.h"
#include "bench/Targets.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "game/heroes/GameController.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"

#include <benchmark/benchmark.h>
#include <boost/make_shared.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

namespace
{

const std::filesystem::path& kData = Bench::dataFolder();

std::filesystem::path levelplayProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "levelplay";
}

// One levelplay run: its own processor time and its output.
Bench::ChildRun levelplay(const std::string& level, const std::vector<std::string>& options)
{
    std::vector<std::string> arguments = {"--data", kData.string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.push_back((kData / "Levels" / (level + ".xml")).string());
    arguments.push_back((kData / "Levels" / (level + ".play")).string());
    return Bench::runChild(levelplayProgram().string(), arguments);
}

// The slowest level plays at least this many level seconds a second of processor time; each
// level is played this many times (the median counts: a busy machine slows some runs down).
constexpr double LevelSecondsPerCpuSecond = 1000.0;
constexpr int Rounds = 5;

void BM_LevelplayEveryLevel(benchmark::State& state)
{
    if (!std::filesystem::exists(levelplayProgram()))
    {
        state.SkipWithError("no levelplay program beside the benchmarks");
        return;
    }
    double slowest = 0.0;
    double slowestLevel = -1.0;
    double slowestStart = 0.0;
    double slowestRun = 0.0;
    double slowestSimulated = 0.0;
    int levels = 0;
    for (auto _ : state)
    {
        slowest = 0.0;
        slowestLevel = -1.0;
        levels = 0;
        for (int level = 0;
             std::filesystem::exists(kData / "Levels" / ("n" + std::to_string(level) + ".play")); ++level)
        {
            const std::string name = "n" + std::to_string(level);
            std::vector<double> runs;
            double simulated = 0.0;
            for (int round = 0; round < Rounds; ++round)
            {
                const Bench::ChildRun run = levelplay(name, {});
                std::smatch match;
                static const std::regex last("won=1 clock=([0-9.]+)");
                if (run.status != 0 || !std::regex_search(run.output, match, last))
                {
                    state.SkipWithError(("levelplay did not win " + name).c_str());
                    return;
                }
                simulated = std::stod(match[1]);
                runs.push_back(run.cpuSeconds);
            }
            ++levels;
            const double run = Bench::median(runs);
            const double rate = run > 0.0 ? simulated / run : 0.0;
            if (slowestLevel < 0.0 || rate < slowest)
            {
                slowest = rate;
                slowestLevel = level;
                slowestRun = run;
                slowestSimulated = simulated;
            }
        }
        // How much of the slowest level's run its start takes.
        std::vector<double> starts;
        for (int round = 0; round < Rounds && slowestLevel >= 0.0; ++round)
            starts.push_back(
                levelplay("n" + std::to_string(static_cast<int>(slowestLevel)), {"--max-time", "0"})
                    .cpuSeconds);
        slowestStart = Bench::median(starts);
    }
    if (state.error_occurred())
        return;
    state.counters["levels"] = levels;
    state.counters["slowest_level"] = slowestLevel;
    state.counters["run_cpu_ms"] = slowestRun * 1000.0;
    state.counters["start_cpu_ms"] = slowestStart * 1000.0;
    const std::string name = "n" + std::to_string(static_cast<int>(slowestLevel));
    Bench::checkTarget(
        state, "level_s_per_cpu_s", slowest, Bench::Bound::AtLeast, LevelSecondsPerCpuSecond,
        "levelplay won " + name + ", the slowest of " + std::to_string(levels) + " levels, playing " +
            Bench::figureText(slowestSimulated, 1) + " level seconds in " +
            Bench::figureText(slowestRun * 1000.0, 1) + " ms of processor time, its start included",
        "levelplay only starting " + name + " took " + Bench::figureText(slowestStart * 1000.0, 1) + " ms");
}
BENCHMARK(BM_LevelplayEveryLevel)->Unit(benchmark::kMillisecond)->Iterations(1);

// A frame time of 1/64 s for every frame.
class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 64.0f; }
};

void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    Bench::makeBenchHome("quillmoor-levelplay-bench");
    new Engine::cFileSystem(Engine::fromUtf8(kData.string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    new Test::RecordingFactory();
    new SteadyTimer();
    // Nothing is drawn: the actions' effects play without particles.
    new Test::SilentParticles({"Effects/Smoke.pyro", "Effects/Sparkle.pyro", "Effects/Firework.pyro"});
}

// A town hall at level 3 (four heroes) and forty rubble piles along a street, the piles
// worked slowly enough that the heroes stay busy while the list stays full.
std::string busyLevel()
{
    std::string xml = "<Level><FreeCells>";
    for (int x = 1; x < 50; ++x)
        for (int y = 13; y < 24; ++y)
            xml += "<Cell Pos=\"" + std::to_string(x) + ";" + std::to_string(y) + "\"/>";
    xml +=
        "</FreeCells><MetaData GoldTime=\"100000\"/><Buildings>"
        "<Unit Type=\"TownHall\" Position=\"110;250\" Level=\"3\"><FreeCells><Cell Pos=\"5;12\"/></FreeCells>"
        "<CameOffsetPoints><Route Pos=\"0;40\"/></CameOffsetPoints></Unit>";
    for (int i = 0; i < 40; ++i)
    {
        const int x = 8 + i % 40;
        const int y = 15 + (i % 4) * 2;
        xml += "<Unit Type=\"Rubble\" Position=\"" + std::to_string(x * 20 + 10) + ";" +
               std::to_string(y * 20 + 10) + "\"><FreeCells><Cell Pos=\"" + std::to_string(x) + ";" +
               std::to_string(y) +
               "\"/></FreeCells><CameOffsetPoints><Route Pos=\"0;-20\"/></CameOffsetPoints>"
               "<Upgrades><Level UpgradeTime=\"100000\"/></Upgrades></Unit>";
    }
    return xml +
           "</Buildings><InitialResources><Res Name=\"Money\" Count=\"1000\"/></InitialResources></Level>";
}

void BM_ControllerFrame(benchmark::State& state)
{
    startEngine();
    const std::string xml = busyLevel();
    Engine::writeWholeFile("levels/n91.xml", xml.data(), xml.size());
    auto game = std::make_unique<Game>();
    game->loadLevel(91);
    // The base drops in at the level start; its heroes set out once it has landed.
    for (int i = 0; i < 64 * 5; ++i)
        game->update();
    game->addHero();
    GameController& controller = game->getController();
    const int rubble = GameConfig::instance().getTypeId(L"Rubble");
    const auto range = game->getUnits().equal_range(rubble);
    for (auto it = range.first; it != range.second; ++it)
    {
        if (controller.getPendingGoals().size() >= 20)
            break;
        cGameResources cost;
        Engine::cPoint blocked;
        controller.getUnitProblem(it->second, cost, blocked);
        controller.addGoal(it->second, cost, false);
    }
    // The list holds at most 12 waiting goals for a base at level 3; the rest join it as a
    // restored level's goals do, without the limit.
    for (auto it = range.first; it != range.second && controller.getPendingGoals().size() < 20; ++it)
        if (!it->second->isTaken())
            controller.restoreGoal(boost::make_shared<Goal>(it->second, cGameResources()));
    // The heroes walk out and start their work.
    for (int i = 0; i < 64 * 20; ++i)
        game->update();
    const Game::UnitMap& units = game->getUnits();
    double update = 0.0;
    double walk = 0.0;
    long checksum = 0;
    for (auto _ : state)
    {
        const double t0 = Bench::processCpuSeconds();
        controller.update();
        const double t1 = Bench::processCpuSeconds();
        for (const auto& entry : units)
            checksum += static_cast<long>(entry.second->getState()) + entry.second->getLevel();
        const double t2 = Bench::processCpuSeconds();
        update += (t1 - t0) * 1e9;
        walk += (t2 - t1) * 1e9;
    }
    benchmark::DoNotOptimize(checksum);
    const double n = static_cast<double>(state.iterations());
    state.counters["goals"] = static_cast<double>(controller.getPendingGoals().size());
    state.counters["chains"] = static_cast<double>(controller.runningChainCount());
    state.counters["units"] = static_cast<double>(units.size());
    state.counters["update_ns"] = update / n;
    state.counters["walk_ns"] = walk / n;
    state.counters["ratio"] = walk > 0.0 ? update / walk : 0.0;
    game->getController().stopAllActions();
    game.reset();
    CPlayState::instance().releasePlayView(true);
    Engine::cControl::deletePending();
    CPlayState::instance().getBriefing().clear();
    cTutorial::instance().reset();
    UnitViewLibrary::instance().clear();
    Engine::cControl::deletePending();
}
BENCHMARK(BM_ControllerFrame);

} // namespace
