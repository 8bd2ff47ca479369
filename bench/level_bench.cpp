// The level model's frame and its loading, each against a plain baseline of the same size in
// the same run:
//   BM_LevelUpdate  one Game::update of a level of 40 units (four heroes parked, piles,
//                   barriers, mills), against one walk of its unit table reading every unit;
//                   counter "ratio" = update / walk.
//   BM_LevelLoad    loading the largest shipped level into a new level model, against parsing
//                   its XML alone; counter "ratio" = load / parse.
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cResourceManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

// A frame time of 1/60 s for every frame.
class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 60.0f; }
};

const std::filesystem::path kData = std::filesystem::path(__FILE__).parent_path().parent_path() / "data";

// The engine of the game over its data folder, with a shared folder of the benchmark's own.
void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "quillmoor-level-bench";
    std::filesystem::create_directories(home / "Quillmoor" / "sys");
    std::ofstream(home / "Quillmoor" / "sys" / "settings.xml")
        << "<settings><graphics width=\"1024\" height=\"768\"/></settings>";
    setenv("XDG_DATA_HOME", home.string().c_str(), 1);
    new Engine::cFileSystem(Engine::fromUtf8(kData.string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    new Test::RecordingFactory();
    new SteadyTimer();
    // Nothing is drawn: the actions' effects (the base's landing dust) play without particles.
    new Test::SilentParticles({"Effects/Smoke.pyro", "Effects/Sparkle.pyro", "Effects/Firework.pyro"});
}

void dropLevel(std::unique_ptr<Game>& game)
{
    game.reset();
    CPlayState::instance().releasePlayView(true);
    UnitViewLibrary::instance().clear();
    Engine::cControl::deletePending();
    CPlayState::instance().getBriefing().clear();
    cTutorial::instance().reset();
}

// A level of 40 units: a town hall at level 3 with its four heroes, and piles, barriers,
// roads and mills along a street.
std::string fortyUnits()
{
    std::string xml = "<Level><FreeCells>";
    for (int x = 1; x < 50; ++x)
        for (int y = 14; y < 24; ++y)
            xml += "<Cell Pos=\"" + std::to_string(x) + ";" + std::to_string(y) + "\"/>";
    xml +=
        "</FreeCells><MetaData GoldTime=\"100000\"/><Buildings>"
        "<Unit Type=\"TownHall\" Position=\"110;250\" Level=\"3\"><FreeCells><Cell Pos=\"5;12\"/></FreeCells>"
        "<CameOffsetPoints><Route Pos=\"0;40\"/></CameOffsetPoints></Unit>";
    const char* types[] = {"Money", "Brick", "Rubble", "Road", "Market", "Steel", "JunkPile"};
    for (int i = 0; i < 35; ++i)
    {
        const int x = 2 + i % 45;
        const int y = 15 + (i / 45) * 4 + (i % 3) * 2;
        xml += std::string("<Unit Type=\"") + types[i % 7] + "\" Position=\"" + std::to_string(x * 20 + 10) +
               ";" + std::to_string(y * 20 + 10) + "\"><FreeCells><Cell Pos=\"" + std::to_string(x) + ";" +
               std::to_string(y) + "\"/></FreeCells></Unit>";
    }
    return xml + "</Buildings></Level>";
}

void BM_LevelUpdate(benchmark::State& state)
{
    startEngine();
    const std::string xml = fortyUnits();
    Engine::writeWholeFile("levels/n90.xml", xml.data(), xml.size());
    auto game = std::make_unique<Game>();
    game->loadLevel(90);
    game->getController().init();
    const Game::UnitMap& units = game->getUnits();
    double update = 0.0;
    double walk = 0.0;
    long checksum = 0;
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        game->update();
        const auto t1 = Clock::now();
        for (const auto& entry : units)
            checksum += static_cast<long>(entry.second->getState()) + entry.second->getLevel();
        const auto t2 = Clock::now();
        update += std::chrono::duration<double, std::nano>(t1 - t0).count();
        walk += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    benchmark::DoNotOptimize(checksum);
    const double n = static_cast<double>(state.iterations());
    state.counters["units"] = static_cast<double>(units.size());
    state.counters["update_ns"] = update / n;
    state.counters["walk_ns"] = walk / n;
    state.counters["ratio"] = walk > 0.0 ? update / walk : 0.0;
    dropLevel(game);
}
BENCHMARK(BM_LevelUpdate);

void BM_LevelLoad(benchmark::State& state)
{
    startEngine();
    // The largest shipped level file.
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
    const std::string path = Engine::toUtf8(Game::levelPath(largest));
    std::ifstream in(kData / "Levels" / ("n" + std::to_string(largest) + ".xml"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double load = 0.0;
    double parse = 0.0;
    for (auto _ : state)
    {
        const auto t0 = Clock::now();
        const auto tree = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), path.c_str());
        benchmark::DoNotOptimize(tree);
        const auto t1 = Clock::now();
        // The document is read again, not taken from the cache.
        Engine::cResourceManager::instance()->unload(Engine::toLower(path));
        auto game = std::make_unique<Game>();
        game->loadLevel(largest);
        const auto t2 = Clock::now();
        dropLevel(game);
        parse += std::chrono::duration<double, std::nano>(t1 - t0).count();
        load += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = largest;
    state.counters["load_us"] = load / n / 1000.0;
    state.counters["parse_us"] = parse / n / 1000.0;
    state.counters["ratio"] = parse > 0.0 ? load / parse : 0.0;
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMicrosecond);

} // namespace
