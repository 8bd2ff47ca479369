// The play state on the game's data with the render device drawing offscreen (OpenGL through
// Mesa, 1024 x 768) and the sound device, each against a plain baseline measured in the same
// run, in processor time:
//   BM_PlayStart   from entering the play state to its first drawn frame of the running level
//                  (the loading screen's frames, the level's start, the first draw, up to the
//                  rasteriser's threads being done with it) on the largest shipped level, started
//                  again and again with nothing cached but what the game keeps between level
//                  starts, against decoding the pictures that frame shows with plain libpng and
//                  libjpeg; counter "ratio" = start / decode (medians), and "loading_frame_ms",
//                  the loading screen's first frame.
//   BM_PlayFrame   one frame of the running level, its update (the enabled pass and the level's
//                  step) and its draw timed apart; "update_to_draw" = update / draw.
//   BM_LevelSetUp  the level's set-up alone (the play state's `startLevel`, run by the loading
//                  screen's fifth frame: the level model, its views and the status panel) of
//                  the shipped level with the most units, nothing cached, against Expat's bare
//                  parse of that level's file (handlers that only count); counter "ratio" =
//                  set-up / parse (medians).
//   BM_PlayMemory  a level started, then started again ten times as a player does it (its
//                  in-game menu opened with Escape, "Restart" and "Yes" clicked): the resident
//                  memory while the menu asks whether to restart, over the 1st start and over
//                  the 11th (so the pictures of the menu and its question count in both);
//                  target: "growth_kb" between them at most 2 MB. A level start must not keep
//                  what the last one left.
#include "bench/BareParse.h"
#include "bench/PlainPictures.h"
#include "bench/PlayEngine.h"
#include "bench/Targets.h"
#include "engine/core/cXmlProperties.h"
#include "engine/ui/cTextStyleButton.h"
#include "engine/ui/cView.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cLoadScreen.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace
{

using Bench::leavePlay;
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

// Waits until the graphics device has finished the frames handed to it: reading a pixel of the
// back buffer waits for every drawing before it.
void waitForDrawing()
{
    std::vector<uint32_t> pixel;
    if (Engine::cRender* render = Engine::cRender::instance())
        render->getDevice()->readBackBuffer({0, 0, 1, 1}, pixel);
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
    std::vector<double> start;
    std::vector<double> loading;
    std::vector<double> decode;
    double pictures = 0.0;
    for (auto _ : state)
    {
        // Nothing of the last start stays cached but what the game keeps.
        leavePlay();
        Engine::cResourceManager::instance()->releaseUnused();
        Engine::cProps::set<int>(L"CurrentLevel", level);
        const double t0 = Bench::processCpuSeconds();
        CGameEngine::instance().ChangeState(&CPlayState::instance());
        Bench::runFrame(*logic);
        waitForDrawing();
        loading.push_back(Bench::processCpuSeconds() - t0);
        Bench::runUntilPlaying(*logic);
        Bench::runFrame(*logic);
        // The rasteriser works on its own threads after a frame is handed over: the frame is
        // drawn once they are done with it, and their work belongs to the start, not to the
        // decoding measured next.
        waitForDrawing();
        const double t1 = Bench::processCpuSeconds();
        const std::vector<std::string> drawn = Bench::drawnPictures();
        const double t2 = Bench::processCpuSeconds();
        const auto decoded = Bench::decodePlainPictures(kData, drawn);
        const double t3 = Bench::processCpuSeconds();
        benchmark::DoNotOptimize(decoded.data());
        leavePlay();
        start.push_back(t1 - t0);
        decode.push_back(t3 - t2);
        pictures = static_cast<double>(decoded.size());
    }
    const double startMs = Bench::median(start) * 1000.0;
    const double decodeMs = Bench::median(decode) * 1000.0;
    state.counters["level"] = level;
    state.counters["pictures"] = pictures;
    state.counters["start_ms"] = startMs;
    state.counters["decode_ms"] = decodeMs;
    state.counters["loading_frame_ms"] = Bench::median(loading) * 1000.0;
    state.counters["ratio"] = decodeMs > 0.0 ? startMs / decodeMs : 0.0;
}
BENCHMARK(BM_PlayStart)->Unit(benchmark::kMillisecond)->Iterations(7);

void BM_PlayFrame(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    startLevel(*logic, largestLevel(bytes));
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
    state.counters["views"] = static_cast<double>(Engine::cView::renderRegistrySize());
    state.counters["update_us"] = update / n;
    state.counters["draw_us"] = draw / n;
    state.counters["update_to_draw"] = draw > 0.0 ? update / draw : 0.0;
    leavePlay();
}
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_LevelSetUp(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    const int level = Bench::busiestLevel(&bytes);
    std::vector<double> setUp;
    std::vector<double> parse;
    for (auto _ : state)
    {
        Engine::cResourceManager::instance()->releaseUnused();
        leavePlay();
        Engine::cProps::set<int>(L"CurrentLevel", level);
        CPlayState& play = CPlayState::instance();
        CGameEngine::instance().ChangeState(&play);
        double spent = 0.0;
        if (cLoadScreen* screen = cLoadScreen::instance())
            screen->setStartLevel(
                [&spent, &play]
                {
                    const double t0 = Bench::processCpuSeconds();
                    play.startLevel();
                    spent = Bench::processCpuSeconds() - t0;
                });
        // The start runs on to the level's first frame, as a player's does (the opening
        // briefing closed with Escape): the next start finds no loading screen left.
        Bench::runUntilPlaying(*logic);
        const double t0 = Bench::processCpuSeconds();
        const bool parsed = Bench::bareParse(bytes);
        const double t1 = Bench::processCpuSeconds();
        if (!parsed || spent == 0.0)
        {
            state.SkipWithError(parsed ? "the level did not start" : "the level file is not well-formed");
            break;
        }
        setUp.push_back(spent);
        parse.push_back(t1 - t0);
    }
    leavePlay();
    const double setUpMs = Bench::median(setUp) * 1000.0;
    const double parseMs = Bench::median(parse) * 1000.0;
    state.counters["level"] = level;
    state.counters["setup_ms"] = setUpMs;
    state.counters["parse_ms"] = parseMs;
    state.counters["ratio"] = parseMs > 0.0 ? setUpMs / parseMs : 0.0;
}
BENCHMARK(BM_LevelSetUp)->Unit(benchmark::kMillisecond)->Iterations(15);

// The in-game menu opened over the running level with Escape, as a player opens it; null when
// it did not open.
boost::shared_ptr<cGameMenu> openGameMenu(Engine::cLogic& logic)
{
    constexpr uint8_t Escape = 1;
    Bench::playerInput()->keyDown(Escape);
    Bench::playerInput()->keyUp(Escape);
    auto& menu = CDialogState<cGameMenu>::instance();
    for (int i = 0; i < 100 && CGameEngine::instance().topState() != &menu; ++i)
        Bench::runFrame(logic);
    // The menu is drawn once.
    Bench::runFrame(logic);

    return CGameEngine::instance().topState() == &menu ? menu.getPanel() : nullptr;
}

// Asks the in-game menu to restart the level as a player does, clicking "Restart"; the question
// asked, or null when none came.
boost::shared_ptr<cYesNoPanel> askRestart(Engine::cLogic& logic, const cGameMenu& menu)
{
    Bench::clickAt(logic, menu.getRestartButton()->getPosition());
    if (CGameEngine::instance().topState() != &CDialogState<cYesNoPanel>::instance())
        return nullptr;
    return CDialogState<cYesNoPanel>::instance().getPanel();
}

// At most this much more memory over the 11th level start than over the 1st.
constexpr double GrowthTargetKb = 2048.0;

void BM_PlayMemory(benchmark::State& state)
{
    Engine::cLogic* logic = engineFor(state);
    if (!logic)
        return;
    std::string bytes;
    const int level = largestLevel(bytes);
    long first = 0;
    long last = 0;
    for (auto _ : state)
    {
        startLevel(*logic, level);
        for (int start = 1; start <= 11; ++start)
        {
            const boost::shared_ptr<cGameMenu> menu = openGameMenu(*logic);
            const boost::shared_ptr<cYesNoPanel> question = menu ? askRestart(*logic, *menu) : nullptr;
            if (!question)
            {
                state.SkipWithError("the in-game menu did not ask to restart the running level");
                return;
            }
            (start == 1 ? first : last) = Bench::residentKb();
            if (start == 11)
                break;
            Bench::clickAt(*logic, question->getYesButton()->getPosition());
            if (!Bench::runUntilPlaying(*logic))
            {
                state.SkipWithError("the level did not start again from its in-game menu");
                return;
            }
        }
        leavePlay();
    }
    state.counters["rss_first_kb"] = static_cast<double>(first);
    state.counters["rss_eleventh_kb"] = static_cast<double>(last);
    Bench::checkTarget(
        state, "growth_kb", static_cast<double>(last - first), Bench::Bound::AtMost, GrowthTargetKb,
        "resident memory with the in-game menu asking to restart over the 11th start of level " +
            std::to_string(level) + ": " + std::to_string(last) + " KB",
        "the same over its 1st start, " + std::to_string(first) + " KB");
}
BENCHMARK(BM_PlayMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
