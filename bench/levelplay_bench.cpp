// The game's rules run without a window, each against a plain baseline in the same run:
//   BM_LevelplayLargestLevel  levelplay winning the largest shipped level by its script (a
//                             program of its own, as the tests run it); counters
//                             "level_s_per_cpu_s" = simulated level seconds per second of the
//                             program's processor time, and "frames".
//   BM_ControllerFrame        one GameController::update with four heroes at work and twenty
//                             open goals, against one walk of the level's unit table
//                             reading every unit; counter "ratio" = update / walk.
#include "bench/BenchHome.h"
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

#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

namespace
{

using Clock = std::chrono::steady_clock;

const std::filesystem::path kData = std::filesystem::path(__FILE__).parent_path().parent_path() / "data";

std::filesystem::path levelplayProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    return self.parent_path().parent_path() / "tools" / "levelplay";
}

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_LevelplayLargestLevel(benchmark::State& state)
{
    int largest = 0;
    std::uintmax_t size = 0;
    for (int level = 0; std::filesystem::exists(kData / "Levels" / ("n" + std::to_string(level) + ".xml"));
         ++level)
    {
        const auto file = kData / "Levels" / ("n" + std::to_string(level) + ".xml");
        if (std::filesystem::file_size(file) > size)
        {
            size = std::filesystem::file_size(file);
            largest = level;
        }
    }
    const std::string name = "n" + std::to_string(largest);
    const std::string command = levelplayProgram().string() + " --data " + kData.string() + " " +
                                (kData / "Levels" / (name + ".xml")).string() + " " +
                                (kData / "Levels" / (name + ".play")).string();
    double simulated = 0.0;
    double cpu = 0.0;
    double frames = 0.0;
    for (auto _ : state)
    {
        const double before = childCpuSeconds();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
        {
            state.SkipWithError("levelplay cannot be started");
            return;
        }
        std::string output;
        char buffer[4096];
        size_t read = 0;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, read);
        const int status = pclose(pipe);
        cpu += childCpuSeconds() - before;
        std::smatch match;
        static const std::regex last("won=1 clock=([0-9.]+) medal=\\w+ frames=(\\d+)");
        if (status != 0 || !std::regex_search(output, match, last))
        {
            state.SkipWithError("levelplay did not win the level");
            return;
        }
        simulated += std::stod(match[1]);
        frames += std::stod(match[2]);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = largest;
    state.counters["frames"] = frames / n;
    state.counters["level_s"] = simulated / n;
    state.counters["level_s_per_cpu_s"] = cpu > 0.0 ? simulated / cpu : 0.0;
}
BENCHMARK(BM_LevelplayLargestLevel)->Unit(benchmark::kMillisecond)->Iterations(3);

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
        const auto t0 = Clock::now();
        controller.update();
        const auto t1 = Clock::now();
        for (const auto& entry : units)
            checksum += static_cast<long>(entry.second->getState()) + entry.second->getLevel();
        const auto t2 = Clock::now();
        update += std::chrono::duration<double, std::nano>(t1 - t0).count();
        walk += std::chrono::duration<double, std::nano>(t2 - t1).count();
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
