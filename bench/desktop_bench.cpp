// The program as a player runs it: its window on the X server, OpenGL, the sound device (SDL's
// dummy driver when none is named) and the game's data. Each figure is measured in a process of
// its own (this program started again as a probe), against a bare SDL and OpenGL program doing
// the part of the same work that cannot be avoided, run beside it:
//   BM_StartToMenu      processor time from the program's start to its first drawn frame of the
//                       main menu (the logos skipped as a key would skip them), against making
//                       the window and its context and drawing the same frame with plain GL:
//                       the pictures it shows read with plain minizip, decoded with plain libpng
//                       and libjpeg, made into textures and uploaded, and its quads drawn in
//                       order as the game blends them (bench/PlainFrame.h); both sides' figures
//                       taken once the frame is shown and the GL driver is done with it.
//                       Target: "ratio" = start / baseline at most 1.3 (the median over eleven
//                       starts, each against the baseline run just after it).
//                       Counters also "rss_ratio" = resident memory at that frame / the
//                       baseline's, and both sides' figures.
//   BM_StartToLevel     the same for the program started on the busiest shipped level, to the
//                       first drawn frame of the running level (its opening briefing over it),
//                       against drawing that frame; target "ratio" at most 1.3. Its phases as
//                       counters too: the engine with its window, the loading screen's first
//                       frame, the level's set-up, the turn the level comes to run in with its
//                       first frame and, after the measured start, the next frame alone; and
//                       "loading_wall_ms", the wall time from the loading screen shown to the
//                       level shown.
//   BM_MinimizedLoad    the share of a core the whole process takes over 30 s minimised at the
//                       main menu, against a bare window waiting for events as long.
//   BM_StillMenuLoad    the share of a core the main thread takes over 10 s on the main menu
//                       left alone, against a bare window drawing an empty frame 60 times a
//                       second; "ratio" = menu / bare window.
// Processor time, not wall time, is what is compared: the machine may be busy with other work.
// Run under an X server (scripts/bench.sh starts Xvfb).
#include "bench/ChildProcess.h"
#include "bench/PlainFrame.h"
#include "bench/PlayEngine.h"
#include "bench/Targets.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cApplication.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CIntroState.h"
#include "game/screens/CMenuState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cLogo.h"
#include "game/screens/cMainScreen.h"
#include "game/world/Game.h"
#include "game/world/cGameSounds.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const fs::path& homeFolder()
{
    static const fs::path folder = fs::temp_directory_path() / "quillmoor-desktop-bench";
    return folder;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// --- The probes: this program started again, one measurement each ------------------------------

// The game's engine as the program starts it, over the game's data, with the game's sounds.
CGameEngine& startGame()
{
    CGameEngine& engine = CGameEngine::instance();
    engine.Init(L"", Bench::dataFolder().string().c_str(), false);
    new cGameSounds();
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    engine.setContinueSavedLevel(false);
    if (Engine::cLogic* logic = Engine::cLogic::instance())
        logic->setFrameCallback([] { CGameEngine::instance().Update(); });
    return engine;
}

// One turn of the program's loop with the queue emptied first: the messages, then a frame.
void turn()
{
    Platform::Window* window = Engine::cApplication::instance()->getWindow();
    Platform::Message message;
    while (window->peekMessage(message))
    {
        window->translateMessage(message);
        window->dispatchMessage(message);
    }
    Engine::cLogic::instance()->update();
}

// A frame that is drawn: the timer is told one is due.
void drawnTurn()
{
    Engine::cTimer::instance()->exchangeDrawDue(true);
    turn();
}

// The frames the render device has drawn or shown again so far.
uint64_t framesShown()
{
    const Engine::cRender* render = Engine::cRender::instance();
    return render ? render->getDrawnFrameCount() + render->getRepeatedFrameCount() : 0;
}

// A frame that is drawn and shown, up to the GL driver being done with it: the software
// rasteriser draws on threads of its own, and their work belongs to the frame.
void shownTurn()
{
    drawnTurn();
    glFinish();
}

bool menuShown()
{
    cMainScreen* screen = CMenuState::instance().getMainScreen();
    return screen && screen->isShown();
}

// From the logos to the main menu, each logo skipped as a key press skips it.
bool reachMenu()
{
    CGameEngine::instance().ChangeState(&CIntroState::instance());
    for (int i = 0; i < 10000 && !menuShown(); ++i)
    {
        turn();
        if (cLogo* logo = CIntroState::instance().getLogo())
            logo->nextLogo();
    }
    if (!menuShown())
        return false;
    shownTurn();
    return true;
}

void printResult(double cpu, const std::vector<std::string>& pictures)
{
    // The picture files loaded so far, drawn or not.
    std::set<std::string> loaded;
    Engine::cResourceManager::instance()->getLoadedPaths(loaded);
    size_t loadedPictures = 0;
    size_t decodedPictures = 0;
    for (const std::string& path : loaded)
    {
        const std::string extension = path.substr(path.find_last_of('.') + 1);
        if (extension != "png" && extension != "jpg")
            continue;
        ++loadedPictures;
        const std::shared_ptr<Platform::GfxTexture> texture =
            Engine::cResourceManager::instance()->getTexture(path)->getDeviceTexture();
        if (texture && !texture->isPending())
        {
            ++decodedPictures;
            if (std::getenv("QUILL_BENCH_LIST"))
                std::cerr << "decoded " << path << "\n";
        }
    }
    std::cout << "cpu=" << cpu << "\nrss_kb=" << Bench::residentKb() << "\npictures=" << pictures.size()
              << "\nloaded_pictures=" << loadedPictures << "\ndecoded_pictures=" << decodedPictures << "\n";
    for (const std::string& path : pictures)
        std::cout << "picture:" << path << "\n";
    Bench::writeFrameQuads(std::cout, Bench::drawnQuads());
    std::cout.flush();
}

// Ends the loop after `seconds`, as the close box would.
void quitAfter(double seconds)
{
    std::thread(
        [seconds]
        {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        })
        .detach();
}

int probePrepare()
{
    startGame();
    if (!Engine::cProfileManager::instance())
        new Engine::cProfileManager(L"Bencher");
    Engine::cProfileManager::instance()->save();
    return 0;
}

int probeMenu()
{
    startGame();
    if (!reachMenu())
        return 2;
    printResult(Bench::processCpuSeconds(), Bench::drawnPictures());
    return 0;
}

int probeLevel(const std::string& level)
{
    CGameEngine& engine = startGame();
    const double engineMade = Bench::processCpuSeconds();
    engine.setLevelPath(Engine::fromUtf8(level));
    engine.ChangeState(&CPlayState::instance());
    // The loading screen's first frame is drawn; the level runs once it is loaded, its opening
    // briefing over it, and its first frame is drawn in the turn it comes to run (or the next).
    shownTurn();
    const double loadingShown = Bench::processCpuSeconds();
    const double loadingShownWall = wallSeconds();
    double lastTurn = loadingShown;
    bool drawn = false;
    for (int i = 0; i < 10000 && !CPlayState::instance().isRunning(); ++i)
    {
        lastTurn = Bench::processCpuSeconds();
        const uint64_t frames = framesShown();
        turn();
        drawn = framesShown() > frames;
    }
    if (!CPlayState::instance().isRunning())
        return 2;
    if (!drawn)
        drawnTurn();
    glFinish();
    const double loadingWall = wallSeconds() - loadingShownWall;
    const double cpu = Bench::processCpuSeconds();
    const std::vector<std::string> pictures = Bench::drawnPictures();
    printResult(cpu, pictures);
    // Where the time went: the engine with its window, the loading screen's first frame, the
    // level's set-up behind it, the turn the level comes to run in with its first frame (its
    // pictures decoded and uploaded) and the next frame (drawing alone).
    shownTurn();
    std::cout << "engine_cpu=" << engineMade << "\nloading_frame_cpu=" << loadingShown - engineMade
              << "\nlevel_setup_cpu=" << lastTurn - loadingShown << "\nfirst_frame_cpu=" << cpu - lastTurn
              << "\nnext_frame_cpu=" << Bench::processCpuSeconds() - cpu << "\nloading_wall=" << loadingWall
              << "\n";
    return 0;
}

// The real loop on the main menu for `seconds`, minimised (as the window manager tells it: the
// focus goes, the window is iconified) or left alone.
int probeMenuLoop(double seconds, bool minimised)
{
    CGameEngine& engine = startGame();
    if (!reachMenu())
        return 2;
    Platform::Window* window = Engine::cApplication::instance()->getWindow();
    if (minimised)
    {
        window->postMessage(Platform::Message{Platform::MessageKind::Activate, 0});
        window->postMessage(Platform::Message{Platform::MessageKind::Minimize, 0});
    }
    quitAfter(seconds);
    const double cpu0 = Bench::processCpuSeconds();
    const double main0 = Bench::threadCpuSeconds();
    const double wall0 = wallSeconds();
    engine.Run();
    const double wall = wallSeconds() - wall0;
    std::cout << "share=" << (Bench::processCpuSeconds() - cpu0) / wall
              << "\nmain_share=" << (Bench::threadCpuSeconds() - main0) / wall << "\nseconds=" << wall
              << "\n";
    std::cout.flush();
    return 0;
}

// The bare program: an SDL window of the game's size with an OpenGL context, shown with one
// empty frame.
SDL_Window* bareWindow()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return nullptr;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1024, 768,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window || !SDL_GL_CreateContext(window))
        return nullptr;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window);
    return window;
}

// The frame the game drew (its quads in `quadFile`) drawn by the bare program and shown.
int probeBareFrame(const std::string& quadFile)
{
    SDL_Window* window = bareWindow();
    if (!window)
        return 2;
    std::ifstream list(quadFile);
    const std::vector<Bench::FrameQuad> quads = Bench::readFrameQuads(list);
    Bench::PlainFrame frame(Bench::dataFolder(), quads);
    frame.draw();
    SDL_GL_SwapWindow(window);
    glFinish();
    std::cout << "cpu=" << Bench::processCpuSeconds() << "\nrss_kb=" << Bench::residentKb()
              << "\nuploaded=" << frame.uploadedPictures() << "\nquads=" << quads.size() << "\n";
    std::cout.flush();
    return 0;
}

int probeBareLoop(double seconds, bool drawing)
{
    SDL_Window* window = bareWindow();
    if (!window)
        return 2;
    const double cpu0 = Bench::processCpuSeconds();
    const double main0 = Bench::threadCpuSeconds();
    const double wall0 = wallSeconds();
    double next = wall0;
    while (wallSeconds() - wall0 < seconds)
    {
        if (!drawing)
        {
            SDL_Event event;
            SDL_WaitEventTimeout(&event, 250);
            continue;
        }
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
        }
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        next += 1.0 / 60.0;
        const double wait = next - wallSeconds();
        if (wait > 0.0)
            std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
    const double wall = wallSeconds() - wall0;
    std::cout << "share=" << (Bench::processCpuSeconds() - cpu0) / wall
              << "\nmain_share=" << (Bench::threadCpuSeconds() - main0) / wall << "\n";
    std::cout.flush();
    return 0;
}

int runProbe(const std::string& probe, const std::string& argument)
{
    if (probe == "prepare")
        return probePrepare();
    if (probe == "menu")
        return probeMenu();
    if (probe == "level")
        return probeLevel(argument);
    if (probe == "minimised")
        return probeMenuLoop(std::atof(argument.c_str()), true);
    if (probe == "still")
        return probeMenuLoop(std::atof(argument.c_str()), false);
    if (probe == "bare-frame")
        return probeBareFrame(argument);
    if (probe == "bare-idle")
        return probeBareLoop(std::atof(argument.c_str()), false);
    if (probe == "bare-frames")
        return probeBareLoop(std::atof(argument.c_str()), true);
    return 3;
}

// --- The benchmarks: each probe a child of its own ---------------------------------------------

std::string selfProgram()
{
    std::error_code error;
    return fs::canonical("/proc/self/exe", error).string();
}

Bench::ChildRun probe(const std::string& name, const std::string& argument = std::string())
{
    const std::string home = "XDG_DATA_HOME=" + homeFolder().string();
    return Bench::runChild(
        selfProgram(), {"--probe=" + name, argument},
        {home, "SDL_AUDIODRIVER=" +
                   std::string(std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy")});
}

// The shared folder with the settings of a 1024 x 768 window and a known player; false with the
// reason given to the benchmark when the program cannot run here.
bool prepare(benchmark::State& state)
{
    if (!std::getenv("DISPLAY"))
    {
        state.SkipWithError("no X display: run the benchmarks under an X server (scripts/bench.sh does)");
        return false;
    }
    static bool prepared = false;
    static std::string failure;
    if (!prepared)
    {
        prepared = true;
        fs::remove_all(homeFolder());
        fs::create_directories(homeFolder() / "Quillmoor" / "sys");
        std::ofstream(homeFolder() / "Quillmoor" / "sys" / "settings.xml")
            << "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>";
        const Bench::ChildRun made = probe("prepare");
        if (made.status != 0)
            failure = "the program could not start: " + made.output + made.error;
    }
    if (!failure.empty())
        state.SkipWithError(failure.c_str());
    return failure.empty();
}

// The most a start may cost against its baseline, and the starts measured against it.
constexpr double StartRatioTarget = 1.3;
constexpr int StartRounds = 11;

// Runs the start probe and its baseline side by side once an iteration; medians as counters,
// the median of the pairs' ratios checked against its target. `frame` names the frame in the report.
void compareStarts(benchmark::State& state, const std::string& name, const std::string& argument,
                   const std::string& frame, const std::vector<std::string>& phaseNames = {})
{
    if (!prepare(state))
        return;
    std::vector<double> cpu;
    std::vector<double> ratios;
    std::vector<double> baseCpu;
    std::vector<double> rss;
    std::vector<double> baseRss;
    double pictures = 0.0;
    double loadedPictures = 0.0;
    double decodedPictures = 0.0;
    double quads = 0.0;
    double uploaded = 0.0;
    std::map<std::string, std::vector<double>> phases;
    std::vector<double> loadingWall;
    for (auto _ : state)
    {
        const Bench::ChildRun run = probe(name, argument);
        if (run.status != 0)
        {
            state.SkipWithError(("the " + name + " probe failed").c_str());
            return;
        }
        // The frame's quads, for the bare program to draw.
        const fs::path list = homeFolder() / ("frame-" + name + ".txt");
        std::ofstream(list) << run.output;
        const Bench::ChildRun bare = probe("bare-frame", list.string());
        if (bare.status != 0)
        {
            state.SkipWithError("the bare window could not be made");
            return;
        }
        cpu.push_back(run.number("cpu"));
        // Each start against the baseline run just after it: pairs keep the ratio meaningful
        // while the machine's speed drifts.
        ratios.push_back(bare.number("cpu") > 0.0 ? run.number("cpu") / bare.number("cpu") : 0.0);
        rss.push_back(run.number("rss_kb"));
        baseCpu.push_back(bare.number("cpu"));
        baseRss.push_back(bare.number("rss_kb"));
        for (const std::string& phase : phaseNames)
            phases[phase].push_back(run.number(phase + "_cpu"));
        if (!phaseNames.empty())
            loadingWall.push_back(run.number("loading_wall"));
        pictures = run.number("pictures");
        loadedPictures = run.number("loaded_pictures");
        decodedPictures = run.number("decoded_pictures");
        quads = bare.number("quads");
        uploaded = bare.number("uploaded");
    }
    if (state.error_occurred())
        return;
    const double start = Bench::median(cpu);
    const double base = Bench::median(baseCpu);
    state.counters["cpu_ms"] = start * 1000.0;
    state.counters["baseline_cpu_ms"] = base * 1000.0;
    Bench::checkTarget(state, "ratio", Bench::median(ratios), Bench::Bound::AtMost, StartRatioTarget,
                       "the start to " + frame + " took " + Bench::figureText(start * 1000.0, 1) +
                           " ms of processor time",
                       "the bare SDL and GL program drawing that frame (" + Bench::figureText(quads, 0) +
                           " quads, " + Bench::figureText(uploaded, 0) + " pictures) took " +
                           Bench::figureText(base * 1000.0, 1) + " ms");
    state.counters["rss_kb"] = Bench::median(rss);
    state.counters["baseline_rss_kb"] = Bench::median(baseRss);
    state.counters["rss_ratio"] =
        Bench::median(baseRss) > 0.0 ? Bench::median(rss) / Bench::median(baseRss) : 0.0;
    for (const auto& phase : phases)
        state.counters[phase.first + "_ms"] = Bench::median(phase.second) * 1000.0;
    if (!loadingWall.empty())
        state.counters["loading_wall_ms"] = Bench::median(loadingWall) * 1000.0;
    state.counters["pictures"] = pictures;
    state.counters["loaded_pictures"] = loadedPictures;
    state.counters["decoded_pictures"] = decodedPictures;
    state.counters["quads"] = quads;
}

void BM_StartToMenu(benchmark::State& state)
{
    compareStarts(state, "menu", std::string(), "the main menu's first frame");
}
BENCHMARK(BM_StartToMenu)->Unit(benchmark::kMillisecond)->Iterations(StartRounds);

// The shipped level with the most units.
std::string busiestLevel()
{
    std::string busiest;
    size_t most = 0;
    for (int level = 0;; ++level)
    {
        const std::string path = Engine::toUtf8(Game::levelPath(level));
        std::ifstream in(Bench::dataFolder() / path);
        if (!in)
            break;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t units = 0;
        for (size_t at = text.find("<Unit "); at != std::string::npos; at = text.find("<Unit ", at + 1))
            ++units;
        if (units > most)
        {
            most = units;
            busiest = path;
        }
    }
    return busiest;
}

void BM_StartToLevel(benchmark::State& state)
{
    const std::string level = busiestLevel();
    state.SetLabel(level);
    compareStarts(state, "level", level, "the first frame of " + level,
                  {"engine", "loading_frame", "level_setup", "first_frame", "next_frame"});
}
BENCHMARK(BM_StartToLevel)->Unit(benchmark::kMillisecond)->Iterations(StartRounds);

void compareLoops(benchmark::State& state, const std::string& name, const std::string& bare, double seconds,
                  const std::string& figure)
{
    if (!prepare(state))
        return;
    for (auto _ : state)
    {
        const Bench::ChildRun run = probe(name, std::to_string(seconds));
        const Bench::ChildRun base = probe(bare, std::to_string(std::min(seconds, 10.0)));
        if (run.status != 0 || base.status != 0)
        {
            state.SkipWithError(("the " + name + " probe failed").c_str());
            return;
        }
        const double share = run.number(figure);
        const double baseShare = base.number(figure);
        state.counters["core_percent"] = share * 100.0;
        state.counters["baseline_core_percent"] = baseShare * 100.0;
        state.counters["process_core_percent"] = run.number("share") * 100.0;
        state.counters["ratio"] = baseShare > 0.0 ? share / baseShare : 0.0;
    }
}

void BM_MinimizedLoad(benchmark::State& state)
{
    compareLoops(state, "minimised", "bare-idle", 30.0, "share");
}
BENCHMARK(BM_MinimizedLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StillMenuLoad(benchmark::State& state)
{
    compareLoops(state, "still", "bare-frames", 10.0, "main_share");
}
BENCHMARK(BM_StillMenuLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]).rfind("--probe=", 0) == 0)
    {
        // A probe ends as soon as it has reported: nothing of the engine is taken down.
        const int code = runProbe(std::string(argv[1]).substr(8), argc >= 3 ? argv[2] : "");
        std::cout.flush();
        std::_Exit(code);
    }
    const int status = Bench::runBenchmarks(argc, argv);
    std::error_code error;
    fs::remove_all(homeFolder(), error);
    return status;
}
