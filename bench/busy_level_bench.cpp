// The busiest shipped level running in the program's window on a virtual X screen, drawn by
// Mesa's software rasteriser, against a plain SDL and OpenGL program that draws the same frame
// every frame. Each side runs in a process of its own (this program started again as a probe)
// for the same time, paced at 60 frames a second. Its share of a core at 60 frames a second is
// its processor time (every thread: the rasteriser's too) per frame shown, times 60: a machine
// busy with other work slows the frames down, and with them the share over the wall time, more
// than it changes what a frame costs.
//   BM_BusyLevel   the level from the end of its opening briefing, its play script's clicks made
//                  at their times as a player makes them (heroes walk, goods come and go, the
//                  clock and the bars move), drawing only what changed. Counters:
//                    core_percent        the level's share of a core, in percent (target: at
//                                        most 40);
//                    plain_core_percent  the plain program's, drawing the level's last frame
//                                        whole every frame, with the same textures, blending
//                                        and quads (its particles left out);
//                    ratio               level / plain (target: at most 1.0);
//                    whole_core_percent  the same level drawing every frame whole, as frames
//                                        were drawn before only their changes were;
//                    drawn_share         the share of the screen drawn per frame shown;
//                    main_core_percent, wall_core_percent, frames_per_second: the main thread's
//                                        share, the share over the wall time, the frames shown.
// A missed target is reported as bench/Targets.h does ("MISSED ...") and the program exits 1,
// so that scripts/bench.sh fails with it. Run under an X server (scripts/bench.sh starts Xvfb).
// The rasteriser runs 3 threads, as on the machines the figures were first taken on, unless
// LP_NUM_THREADS says otherwise.
#include "bench/ChildProcess.h"
#include "bench/PlayEngine.h"
#include "bench/Targets.h"
#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cApplication.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cTimer.h"
#include "engine/devices/RenderTypes.h"
#include "engine/devices/cRender.h"
#include "engine/ui/cLightButton.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cGameSounds.h"
#include "platform/window/Window.h"
#include "tests/support/LevelScript.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// The targets.
constexpr double kMaxCorePercent = 40.0;
constexpr double kMaxRatio = 1.0;
// Seconds each side runs, after a second to settle.
constexpr double kSeconds = 20.0;

const fs::path& homeFolder()
{
    static const fs::path folder = fs::temp_directory_path() / "quillmoor-busy-level-bench";
    return folder;
}

// The game's data: the build's "Data" beside the benchmark programs' folder, else the
// repository's data folder as the benchmarks' own headers find it.
fs::path dataFolder()
{
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error);
    for (fs::path folder = self.parent_path(); !error && !folder.empty() && folder != folder.root_path();
         folder = folder.parent_path())
        if (fs::is_regular_file(folder / "Data" / "Game" / "Game.xml"))
            return fs::canonical(folder / "Data", error);
    return fs::absolute(Bench::dataFolder());
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The shipped level with the most units: its number.
int busiestLevel()
{
    int busiest = 0;
    size_t most = 0;
    for (int level = 0;; ++level)
    {
        std::ifstream in(dataFolder() / "Levels" / ("n" + std::to_string(level) + ".xml"));
        if (!in)
            break;
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t units = 0;
        for (size_t at = text.find("<Unit "); at != std::string::npos; at = text.find("<Unit ", at + 1))
            ++units;
        if (units > most)
        {
            most = units;
            busiest = level;
        }
    }
    return busiest;
}

// --- The level's probe -------------------------------------------------------------------------

// One turn of the program's loop: the messages, then a frame (which waits for its time).
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

uint32_t windowId()
{
    return SDL_GetWindowID(Engine::cApplication::instance()->getWindow()->sdlWindow());
}

// What a player's hands give the window: the focus, keys, the pointer moved and pressed.
void pushFocus()
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId();
    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    SDL_PushEvent(&event);
}

void pushKey(SDL_Scancode code, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowId();
    event.key.keysym.scancode = code;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void pushPointer(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId();
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = 1;
    SDL_PushEvent(&event);
}

void pushButton(int x, int y, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowId();
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

// The script's click on the K-th unit of a type: the pointer to the middle of its view, pressed
// there and released a frame later.
void clickUnit(Game& game, const Test::ScriptLine& line)
{
    const auto range =
        game.getUnits().equal_range(GameConfig::instance().getTypeId(Engine::fromUtf8(line.type)));
    int seen = 0;
    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second->isRemoved() || ++seen != line.index)
            continue;
        cUnitView* view = it->second->getView();
        if (!view || !view->isShown())
            return;
        Engine::cButtonPrototype* target = view;
        if (line.verb == Test::ScriptLine::Upgrade)
            target = view->getUpgradeButton();
        if (!target)
            return;
        const Engine::cVector2 at = target->getPosition();
        const int x = static_cast<int>(at.x);
        const int y = static_cast<int>(at.y);
        pushPointer(x, y);
        turn();
        pushButton(x, y, true);
        turn();
        pushButton(x, y, false);
        turn();
        return;
    }
}

// The level's last frame as the plain program draws it: each quad batch's picture, blending,
// sampling and quads. Particle effects and shaded quads are left out.
void writeFrame(const fs::path& file)
{
    Engine::cRender& render = *Engine::cRender::instance();
    const Engine::cBatchRenderer& batches = render.getBatchRenderer();
    std::ofstream out(file, std::ios::binary);
    const auto put = [&out](uint32_t value) { out.write(reinterpret_cast<const char*>(&value), 4); };
    std::map<const Platform::GfxTexture*, uint32_t> textures;
    std::vector<const Platform::GfxTexture*> order;
    for (const Engine::cBatch& batch : batches.getBatches())
        if (batch.isQuadBatch() && batch.texture && !textures.count(batch.texture.get()))
        {
            textures[batch.texture.get()] = static_cast<uint32_t>(order.size());
            order.push_back(batch.texture.get());
        }
    put(render.getConfig().backColor);
    put(static_cast<uint32_t>(order.size()));
    for (const Platform::GfxTexture* texture : order)
    {
        put(static_cast<uint32_t>(texture->width()));
        put(static_cast<uint32_t>(texture->height()));
        out.write(reinterpret_cast<const char*>(texture->pixels()),
                  static_cast<std::streamsize>(texture->width()) * texture->height() * 4);
    }
    std::vector<const Engine::cBatch*> drawn;
    for (const Engine::cBatch& batch : batches.getBatches())
        if (batch.isQuadBatch() && batch.shaderHandle == 0 && batch.triangleCount > 0)
            drawn.push_back(&batch);
    put(static_cast<uint32_t>(drawn.size()));
    for (const Engine::cBatch* batch : drawn)
    {
        const Engine::cQuadVertex* vertices = batches.getVertices(batch->buffer) + batch->firstVertex;
        const uint16_t* indices = batches.getIndices(batch->buffer) + batch->firstIndex;
        const uint32_t type = batch->renderType;
        // Blending as the device draws the batch: a covered picture under opaque colours
        // replaces what is under it.
        bool opaque = (type & Engine::eRenderType::Opaque) != 0;
        const uint32_t otherBlends = Engine::eRenderType::DestColor | Engine::eRenderType::DestColorBlend |
                                     Engine::eRenderType::Additive | Engine::eRenderType::Multiply |
                                     Engine::eRenderType::StencilMask | Engine::eRenderType::StencilMasked |
                                     Engine::eRenderType::AlphaRef160;
        if (!opaque && batch->texture && batch->texture->coversAll() && !(type & otherBlends))
            opaque = std::all_of(vertices, vertices + batch->vertexCount,
                                 [](const Engine::cQuadVertex& v) { return (v.color >> 24) == 0xFFu; });
        uint32_t source = GL_SRC_ALPHA;
        uint32_t destination = GL_ONE_MINUS_SRC_ALPHA;
        if (type & (Engine::eRenderType::DestColor | Engine::eRenderType::DestColorBlend))
        {
            source = GL_DST_COLOR;
            destination = GL_SRC_ALPHA;
        }
        else if (type & Engine::eRenderType::Additive)
            destination = GL_ONE;
        else if (type & Engine::eRenderType::Multiply)
        {
            source = GL_ZERO;
            destination = GL_SRC_COLOR;
        }
        put(batch->texture ? textures[batch->texture.get()] : 0xFFFFFFFFu);
        put(opaque ? 0u : 1u);
        put(source);
        put(destination);
        put((type & Engine::eRenderType::AlphaRef160) ? 160u : 0u);
        put((type & (Engine::eRenderType::Linear | Engine::eRenderType::Anisotropic)) ? GL_LINEAR
                                                                                      : GL_NEAREST);
        put((type & Engine::eRenderType::Mirror) ? GL_MIRRORED_REPEAT : GL_CLAMP_TO_EDGE);
        put(batch->vertexCount);
        put(batch->triangleCount * 3);
        out.write(reinterpret_cast<const char*>(vertices),
                  static_cast<std::streamsize>(batch->vertexCount * sizeof(Engine::cQuadVertex)));
        for (uint32_t i = 0; i < batch->triangleCount * 3; ++i)
        {
            const uint16_t index = static_cast<uint16_t>(indices[i] - batch->firstVertex);
            out.write(reinterpret_cast<const char*>(&index), 2);
        }
    }
}

int probeLevel(double seconds, bool whole, const std::string& frameFile)
{
    CGameEngine& engine = CGameEngine::instance();
    engine.Init(L"", dataFolder().string().c_str(), false);
    new cGameSounds();
    if (Engine::cLogic* logic = Engine::cLogic::instance())
        logic->setFrameCallback([] { CGameEngine::instance().Update(); });
    const int level = busiestLevel();
    Engine::cProps::set<int>(L"CurrentLevel", level);
    engine.setContinueSavedLevel(false);
    engine.ChangeState(&CPlayState::instance());
    CPlayState& play = CPlayState::instance();
    pushFocus();
    // The opening briefing is closed with Escape, as a player may close it.
    for (int i = 0; i < 20000 && !(play.isRunning() && engine.topState() == &play); ++i)
    {
        if (engine.topState() == &BriefState::instance() && i % 8 == 0)
        {
            pushKey(SDL_SCANCODE_ESCAPE, true);
            turn();
            pushKey(SDL_SCANCODE_ESCAPE, false);
        }
        turn();
    }
    if (!play.isRunning() || !play.getGame())
        return 2;
    Engine::cRender& render = *Engine::cRender::instance();
    render.setFullRedraw(whole);
    std::ifstream scriptFile(dataFolder() / "Levels" / ("n" + std::to_string(level) + ".play"));
    const std::string scriptText((std::istreambuf_iterator<char>(scriptFile)),
                                 std::istreambuf_iterator<char>());
    std::vector<Test::ScriptLine> script = Test::parseLevelScript(scriptText, "the play script");
    size_t next = 0;
    const auto play1 = [&]
    {
        Game* game = play.getGame();
        if (game && engine.topState() == &play)
            while (next < script.size() && script[next].time <= game->getLevelTime())
            {
                const Test::ScriptLine& line = script[next++];
                if (line.verb == Test::ScriptLine::Click || line.verb == Test::ScriptLine::Upgrade)
                    clickUnit(*game, line);
            }
        if (engine.topState() != &play && engine.topState() == &BriefState::instance())
        {
            pushKey(SDL_SCANCODE_ESCAPE, true);
            turn();
            pushKey(SDL_SCANCODE_ESCAPE, false);
        }
        turn();
    };
    for (const double settle = wallSeconds() + 1.0; wallSeconds() < settle;)
        play1();
    const uint64_t drawn0 = render.getDrawnFrameCount();
    const uint64_t repeated0 = render.getRepeatedFrameCount();
    const uint64_t partPixels0 = render.getPartPixelCount();
    const uint64_t partFrames0 = render.getPartFrameCount();
    const double cpu0 = Bench::processCpuSeconds();
    const double main0 = Bench::threadCpuSeconds();
    const double wall0 = wallSeconds();
    while (wallSeconds() - wall0 < seconds)
        play1();
    const double wall = wallSeconds() - wall0;
    const double cpu = Bench::processCpuSeconds() - cpu0;
    const double main = Bench::threadCpuSeconds() - main0;
    const uint64_t drawn = render.getDrawnFrameCount() - drawn0;
    // Every frame the loop showed: drawn, or left as it was because nothing changed.
    const uint64_t shown = drawn + render.getRepeatedFrameCount() - repeated0;
    const uint64_t parts = render.getPartFrameCount() - partFrames0;
    const double screen = static_cast<double>(render.getWidth()) * render.getHeight();
    // Frames drawn whole count the whole screen.
    const double pixels = static_cast<double>(render.getPartPixelCount() - partPixels0) +
                          static_cast<double>(drawn - parts) * screen;
    std::cout << "share=" << cpu / wall << "\nmain_share=" << main / wall << "\nseconds=" << wall
              << "\nshare_at_60=" << (shown > 0 ? cpu / static_cast<double>(shown) * 60.0 : 0.0)
              << "\nmain_share_at_60=" << (shown > 0 ? main / static_cast<double>(shown) * 60.0 : 0.0)
              << "\ndrawn_frames=" << drawn
              << "\nrepeated_frames=" << render.getRepeatedFrameCount() - repeated0
              << "\nframes_per_second=" << static_cast<double>(shown) / wall
              << "\ndrawn_share=" << (drawn > 0 ? pixels / (static_cast<double>(drawn) * screen) : 0.0)
              << "\nlevel_clock=" << play.getGame()->getLevelTime() << "\n";
    if (!frameFile.empty())
        writeFrame(frameFile);
    std::cout.flush();
    return 0;
}

// --- The plain program -------------------------------------------------------------------------

struct PlainBatch
{
    uint32_t texture = 0xFFFFFFFFu;
    uint32_t blend = 1;
    uint32_t source = GL_SRC_ALPHA;
    uint32_t destination = GL_ONE_MINUS_SRC_ALPHA;
    uint32_t alphaRef = 0;
    uint32_t filter = GL_NEAREST;
    uint32_t wrap = GL_CLAMP_TO_EDGE;
    std::vector<Engine::cQuadVertex> vertices;
    std::vector<uint16_t> indices;
};

int probePlain(double seconds, const std::string& frameFile)
{
    std::ifstream in(frameFile, std::ios::binary);
    const auto get = [&in]
    {
        uint32_t value = 0;
        in.read(reinterpret_cast<char*>(&value), 4);
        return value;
    };
    const uint32_t clearColor = get();
    struct Picture
    {
        uint32_t width;
        uint32_t height;
        std::vector<uint32_t> pixels;
    };
    std::vector<Picture> pictures(get());
    for (Picture& picture : pictures)
    {
        picture.width = get();
        picture.height = get();
        picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height);
        in.read(reinterpret_cast<char*>(picture.pixels.data()),
                static_cast<std::streamsize>(picture.pixels.size() * 4));
    }
    std::vector<PlainBatch> batches(get());
    for (PlainBatch& batch : batches)
    {
        batch.texture = get();
        batch.blend = get();
        batch.source = get();
        batch.destination = get();
        batch.alphaRef = get();
        batch.filter = get();
        batch.wrap = get();
        batch.vertices.resize(get());
        batch.indices.resize(get());
        in.read(reinterpret_cast<char*>(batch.vertices.data()),
                static_cast<std::streamsize>(batch.vertices.size() * sizeof(Engine::cQuadVertex)));
        in.read(reinterpret_cast<char*>(batch.indices.data()),
                static_cast<std::streamsize>(batch.indices.size() * 2));
    }
    if (!in)
        return 2;

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 2;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const int width = 1024;
    const int height = 768;
    SDL_Window* window = SDL_CreateWindow("plain", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                          height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window || !SDL_GL_CreateContext(window))
        return 2;
    SDL_GL_SetSwapInterval(1);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    // Pixel centres as the engine's device puts them.
    glTranslatef(0.5f, 0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glAlphaFunc(GL_GREATER, 0.0f);
    std::vector<GLuint> names(pictures.size() + 1);
    glGenTextures(static_cast<GLsizei>(names.size()), names.data());
    const uint32_t white = 0xFFFFFFFFu;
    for (size_t i = 0; i <= pictures.size(); ++i)
    {
        glBindTexture(GL_TEXTURE_2D, names[i]);
        const bool plain = i == pictures.size();
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, plain ? 1 : static_cast<GLsizei>(pictures[i].width),
                     plain ? 1 : static_cast<GLsizei>(pictures[i].height), 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8_REV, plain ? &white : pictures[i].pixels.data());
    }
    pictures.clear();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    const float k = 1.0f / 255.0f;
    glClearColor(static_cast<float>((clearColor >> 16) & 255) * k,
                 static_cast<float>((clearColor >> 8) & 255) * k, static_cast<float>(clearColor & 255) * k,
                 1.0f);

    const auto drawFrame = [&]
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
        }
        glClear(GL_COLOR_BUFFER_BIT);
        for (const PlainBatch& batch : batches)
        {
            glBindTexture(GL_TEXTURE_2D, batch.texture == 0xFFFFFFFFu ? names.back() : names[batch.texture]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(batch.filter));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(batch.filter));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(batch.wrap));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(batch.wrap));
            if (batch.blend)
            {
                glEnable(GL_BLEND);
                glEnable(GL_ALPHA_TEST);
                glBlendFunc(batch.source, batch.destination);
                glAlphaFunc(GL_GREATER, static_cast<float>(batch.alphaRef) / 255.0f);
            }
            else
            {
                glDisable(GL_BLEND);
                glDisable(GL_ALPHA_TEST);
            }
            const auto* base = reinterpret_cast<const uint8_t*>(batch.vertices.data());
            glVertexPointer(3, GL_FLOAT, sizeof(Engine::cQuadVertex), base);
            glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Engine::cQuadVertex), base + 12);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Engine::cQuadVertex), base + 16);
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.indices.size()), GL_UNSIGNED_SHORT,
                           batch.indices.data());
        }
        SDL_GL_SwapWindow(window);
    };
    // Paced at 60 frames a second.
    long frames = 0;
    const auto run = [&](double length)
    {
        double next = wallSeconds();
        for (const double end = next + length; wallSeconds() < end;)
        {
            drawFrame();
            ++frames;
            next += 1.0 / 60.0;
            const double wait = next - wallSeconds();
            if (wait > 0.0)
                std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        }
    };
    run(1.0);
    frames = 0;
    const double cpu0 = Bench::processCpuSeconds();
    const double main0 = Bench::threadCpuSeconds();
    const double wall0 = wallSeconds();
    run(seconds);
    const double wall = wallSeconds() - wall0;
    const double cpu = Bench::processCpuSeconds() - cpu0;
    std::cout << "share=" << cpu / wall << "\nmain_share=" << (Bench::threadCpuSeconds() - main0) / wall
              << "\nframes=" << frames << "\nframes_per_second=" << static_cast<double>(frames) / wall
              << "\nshare_at_60=" << (frames > 0 ? cpu / static_cast<double>(frames) * 60.0 : 0.0)
              << "\nbatches=" << batches.size() << "\n";
    std::cout.flush();
    return 0;
}

int probePrepare()
{
    CGameEngine& engine = CGameEngine::instance();
    engine.Init(L"", dataFolder().string().c_str(), false);
    if (!Engine::cProfileManager::instance())
        new Engine::cProfileManager(L"Bencher");
    Engine::cProfileManager::instance()->save();
    return 0;
}

int runProbe(const std::string& probe, const std::vector<std::string>& arguments)
{
    const double seconds = arguments.empty() ? kSeconds : std::atof(arguments[0].c_str());
    if (probe == "prepare")
        return probePrepare();
    if (probe == "level" || probe == "whole")
        return probeLevel(seconds, probe == "whole", arguments.size() > 1 ? arguments[1] : std::string());
    if (probe == "plain")
        return probePlain(seconds, arguments.size() > 1 ? arguments[1] : std::string());
    return 3;
}

// --- The benchmark -----------------------------------------------------------------------------

Bench::ChildRun probe(const std::string& name, const std::vector<std::string>& arguments = {})
{
    std::error_code error;
    const std::string self = fs::canonical("/proc/self/exe", error).string();
    std::vector<std::string> all{"--probe=" + name};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const char* threads = std::getenv("LP_NUM_THREADS");
    const char* audio = std::getenv("SDL_AUDIODRIVER");
    return Bench::runChild(self, all,
                           {"XDG_DATA_HOME=" + homeFolder().string(),
                            "LP_NUM_THREADS=" + std::string(threads ? threads : "3"),
                            "SDL_AUDIODRIVER=" + std::string(audio ? audio : "dummy")});
}

bool prepare(benchmark::State& state)
{
    if (!std::getenv("DISPLAY"))
    {
        state.SkipWithError("no X display: run the benchmarks under an X server (scripts/bench.sh does)");
        return false;
    }
    fs::remove_all(homeFolder());
    fs::create_directories(homeFolder() / "Quillmoor" / "sys");
    std::ofstream(homeFolder() / "Quillmoor" / "sys" / "settings.xml")
        << "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>";
    const Bench::ChildRun made = probe("prepare");
    if (made.status != 0)
    {
        state.SkipWithError(("the program could not start: " + made.output + made.error).c_str());
        return false;
    }
    return true;
}

void BM_BusyLevel(benchmark::State& state)
{
    if (!prepare(state))
        return;
    const std::string seconds = std::to_string(kSeconds);
    const std::string frame = (homeFolder() / "frame.bin").string();
    for (auto _ : state)
    {
        const Bench::ChildRun level = probe("level", {seconds, frame});
        if (level.status != 0)
        {
            state.SkipWithError(("the level probe failed: " + level.error).c_str());
            return;
        }
        const Bench::ChildRun plain = probe("plain", {seconds, frame});
        const Bench::ChildRun whole = probe("whole", {seconds});
        if (plain.status != 0 || whole.status != 0)
        {
            state.SkipWithError("the plain program or the whole-frame level could not run");
            return;
        }
        // Processor time per frame shown, times 60: a machine busy with other work slows the
        // frames down (and the share over the wall time with them) more than their cost.
        const double share = level.number("share_at_60") * 100.0;
        const double plainShare = plain.number("share_at_60") * 100.0;
        const double ratio = plainShare > 0.0 ? share / plainShare : 0.0;
        state.counters["main_core_percent"] = level.number("main_share_at_60") * 100.0;
        state.counters["wall_core_percent"] = level.number("share") * 100.0;
        state.counters["plain_frames_per_second"] = plain.number("frames_per_second");
        state.counters["plain_core_percent"] = plainShare;
        state.counters["whole_core_percent"] = whole.number("share_at_60") * 100.0;
        state.counters["frames_per_second"] = level.number("frames_per_second");
        state.counters["drawn_share"] = level.number("drawn_share");
        state.counters["whole_frames_per_second"] = whole.number("frames_per_second");
        state.counters["level_clock"] = level.number("level_clock");
        const std::string measured = "the level drawing what changed: " + Bench::figureText(share, 1) +
                                     "% of a core at 60 frames a second";
        const std::string baseline =
            "a plain GL program drawing the same frame whole: " + Bench::figureText(plainShare, 1) + "%";
        Bench::checkTarget(state, "core_percent", share, Bench::Bound::AtMost, kMaxCorePercent, measured,
                           baseline);
        Bench::checkTarget(state, "ratio", ratio, Bench::Bound::AtMost, kMaxRatio, measured, baseline);
    }
}
BENCHMARK(BM_BusyLevel)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::string(argv[1]).rfind("--probe=", 0) == 0)
    {
        const std::vector<std::string> arguments(argv + 2, argv + argc);
        // A probe ends as soon as it has reported: nothing of the engine is taken down.
        int code = 2;
        try
        {
            code = runProbe(std::string(argv[1]).substr(8), arguments);
        }
        catch (...)
        {
            std::cerr << "the probe failed: " << Engine::currentExceptionText() << "\n";
        }
        std::cout.flush();
        std::_Exit(code);
    }
    const int status = Bench::runBenchmarks(argc, argv);
    std::error_code error;
    fs::remove_all(homeFolder(), error);
    return status;
}
