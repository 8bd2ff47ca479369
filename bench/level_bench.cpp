// The level model's frame and its loading, each against a plain baseline of the same size in
// the same run:
//   BM_LevelUpdate  one Game::update of the busiest shipped level that, half a minute into its
//                   play script, has heroes walking and mills producing on their own, for ten
//                   seconds of the level as its script goes on (counters "walking": units on
//                   their way, "chains": the chains of actions running, both averaged),
//                   against one walk of its unit table reading every unit; counter "ratio" =
//                   update / walk (processor time).
//   BM_LevelLoad    loading the largest shipped level into a new level model, against parsing
//                   its XML alone; counter "ratio" = load / parse.
#include "bench/BenchHome.h"
#include "bench/Measures.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cLightButton.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitStates.h"
#include "game/world/cUnit.h"
#include "tests/support/LevelScript.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

// A frame time of 1/60 s for every frame.
class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 60.0f; }
};

const std::filesystem::path& kData = Bench::dataFolder();

// The engine of the game over its data folder, with a shared folder of the benchmark's own.
void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    Bench::makeBenchHome("quillmoor-level-bench");
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

// The shipped levels with their play scripts, the busiest (most units) first.
std::vector<std::pair<int, std::string>> levelsByUnits()
{
    std::vector<std::pair<size_t, std::pair<int, std::string>>> found;
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
    {
        std::ifstream in(kData / "Levels" / ("n" + std::to_string(level) + ".xml"), std::ios::binary);
        std::ifstream script(kData / "Levels" / ("n" + std::to_string(level) + ".play"), std::ios::binary);
        if (!in || !script)
            continue;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t units = 0;
        for (size_t at = text.find("<Unit "); at != std::string::npos; at = text.find("<Unit ", at + 1))
            ++units;
        found.push_back({units,
                         {level, std::string((std::istreambuf_iterator<char>(script)),
                                             std::istreambuf_iterator<char>())}});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::pair<int, std::string>> levels;
    for (const auto& entry : found)
        levels.push_back(entry.second);
    return levels;
}

int walkingUnits(Game& game)
{
    int walking = 0;
    for (const auto& entry : game.getUnits())
    {
        const eUnitState unitState = entry.second->getState();
        walking += unitState == eUnitState::move || unitState == eUnitState::moveTo ||
                   unitState == eUnitState::moveBack || unitState == eUnitState::carry;
    }
    return walking;
}

// The K-th unit of a type still on the field, as a play script names it.
cUnit::Ptr findUnit(Game& game, const std::string& type, int index)
{
    const auto range = game.getUnits().equal_range(GameConfig::instance().getTypeId(Engine::fromUtf8(type)));
    int seen = 0;
    for (auto it = range.first; it != range.second; ++it)
        if (!it->second->isRemoved() && ++seen == index)
            return it->second;
    return cUnit::Ptr();
}

// The level's frames up to its clock `until`, its script's clicks given to the units' views
// on their time, as a player's clicks reach them.
void playUntil(Game& game, const std::vector<Test::ScriptLine>& script, size_t& next, float until)
{
    while (game.getLevelTime() < until && !game.isLevelOver())
    {
        for (; next < script.size() && script[next].time <= game.getLevelTime(); ++next)
        {
            const Test::ScriptLine& line = script[next];
            if (line.verb != Test::ScriptLine::Click && line.verb != Test::ScriptLine::Upgrade)
                continue;
            const cUnit::Ptr unit = findUnit(game, line.type, line.index);
            cUnitView* view = unit ? unit->getView() : nullptr;
            if (!view)
                continue;
            // The view's signals, as its picture and its arrow raise them under a press.
            if (line.verb != Test::ScriptLine::Upgrade)
                view->clickSignal(view);
            else if (Engine::cLightButton* arrow = view->getUpgradeButton())
                arrow->clickSignal(arrow);
        }
        Engine::cControl::activePass();
        Engine::cControl::enabledPass();
        game.update();
        Engine::cControl::deletePending();
    }
}

void BM_LevelUpdate(benchmark::State& state)
{
    startEngine();
    // The busiest shipped level that, half a minute into its script, has heroes walking and
    // mills producing on their own.
    std::unique_ptr<Game> game;
    std::vector<Test::ScriptLine> script;
    size_t next = 0;
    int level = -1;
    for (const auto& [number, text] : levelsByUnits())
    {
        script = Test::parseLevelScript(text, "level script");
        game = std::make_unique<Game>();
        game->loadLevel(number);
        game->getController().init();
        next = 0;
        playUntil(*game, script, next, 30.0f);
        if (walkingUnits(*game) > 0 && game->getController().hasAutoOutputMill())
        {
            level = number;
            break;
        }
        dropLevel(game);
    }
    if (level < 0)
    {
        state.SkipWithError("no shipped level has heroes walking and mills producing half a minute in");
        return;
    }
    const Game::UnitMap& units = game->getUnits();
    double update = 0.0;
    double walk = 0.0;
    double walking = 0.0;
    double chains = 0.0;
    long checksum = 0;
    for (auto _ : state)
    {
        const double t0 = Bench::processCpuSeconds();
        game->update();
        const double t1 = Bench::processCpuSeconds();
        for (const auto& entry : units)
            checksum += static_cast<long>(entry.second->getState()) + entry.second->getLevel();
        const double t2 = Bench::processCpuSeconds();
        update += t1 - t0;
        walk += t2 - t1;
        walking += walkingUnits(*game);
        chains += static_cast<double>(game->getController().runningChainCount());
        // The script goes on: new goals as the level's clock reaches them.
        playUntil(*game, script, next, game->getLevelTime());
    }
    benchmark::DoNotOptimize(checksum);
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = level;
    state.counters["units"] = static_cast<double>(units.size());
    state.counters["walking"] = walking / n;
    state.counters["chains"] = chains / n;
    state.counters["update_ns"] = update / n * 1e9;
    state.counters["walk_ns"] = walk / n * 1e9;
    state.counters["ratio"] = walk > 0.0 ? update / walk : 0.0;
    dropLevel(game);
}
BENCHMARK(BM_LevelUpdate)->Iterations(600);

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
        const double t0 = Bench::processCpuSeconds();
        const auto tree = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), path.c_str());
        benchmark::DoNotOptimize(tree);
        const double t1 = Bench::processCpuSeconds();
        // The document is read again, not taken from the cache.
        Engine::cResourceManager::instance()->unload(Engine::toLower(path));
        auto game = std::make_unique<Game>();
        game->loadLevel(largest);
        const double t2 = Bench::processCpuSeconds();
        dropLevel(game);
        parse += (t1 - t0) * 1e9;
        load += (t2 - t1) * 1e9;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["level"] = largest;
    state.counters["load_us"] = load / n / 1000.0;
    state.counters["parse_us"] = parse / n / 1000.0;
    state.counters["ratio"] = parse > 0.0 ? load / parse : 0.0;
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMicrosecond);

} // namespace
