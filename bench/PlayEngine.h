#pragma once

// The game's engine for the benchmarks that play levels: the game's data folder, a shared
// folder of the benchmark's own holding the player's settings (the 1024 x 768 screen; removed
// when the program ends), a render device drawing offscreen with OpenGL through Mesa (no
// window, no X server), the sound device and the game's sounds, the frame timer steady at
// 1/60 s, and a keyboard and mouse driven by the benchmark through the input device, as a
// player's would be. Made once per program; the engine's singletons live until the program
// ends.

#include "bench/BenchHome.h"
#include "bench/Measures.h"
#include "bench/PlainFrame.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/core/cXmlProperties.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cTexture.h"
#include "engine/ui/cView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cGameSounds.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/input/ScriptedInput.h"

#include <sys/resource.h>

#include <cstdlib>
#include <ctime>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Bench
{

// The shipped level with the most units (children of "Buildings"): its number, and its file's
// bytes through `bytes` when given.
inline int busiestLevel(std::string* bytes = nullptr)
{
    int busiest = 0;
    unsigned most = 0;
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
    {
        const std::filesystem::path file = dataFolder() / Engine::toUtf8(Game::levelPath(level));
        if (!std::filesystem::exists(file))
            continue;
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto root = Engine::cXmlProperties::fromBuffer(text.data(), text.size(), file.string());
        Engine::tPropertiesPtr buildings;
        const unsigned units = root->getChild(L"Buildings", buildings) ? buildings->getChildCount() : 0;
        if (units > most)
        {
            most = units;
            busiest = level;
            if (bytes)
                *bytes = std::move(text);
        }
    }
    return busiest;
}

// A frame time of 1/60 s for every frame.
class SteadyTimer final : public Engine::cTimer
{
public:
    float getFrameTime() const override { return 1.0f / 60.0f; }
};

// Makes the render device over the OpenGL platform; a benchmark may give its own kind.
using RenderMaker =
    std::function<Engine::cRender*(Engine::cRenderPlatform, std::unique_ptr<Engine::cRenderConfigSource>)>;

inline Engine::cRender* plainRender(Engine::cRenderPlatform platform,
                                    std::unique_ptr<Engine::cRenderConfigSource> config)
{
    return new Engine::cRender(std::move(platform), std::move(config));
}

// The engine, made by the first call (with `makeRender`, under the shared folder `homeName` in
// the temporary folder); null logic with the reason in `error` where there is no OpenGL.
// The input the benchmark drives, as a player's keyboard and mouse.
inline Platform::ScriptedInput*& playerInput()
{
    static Platform::ScriptedInput* input = nullptr;
    return input;
}

inline Engine::cLogic* startPlayEngine(std::string& error, const std::string& homeName,
                                       const RenderMaker& makeRender = plainRender)
{
    static Engine::cLogic* logic = nullptr;
    static std::string failure;
    static bool started = false;
    if (started)
    {
        error = failure;
        return logic;
    }
    started = true;
    makeBenchHome(homeName);
    new Engine::cFileSystem(Engine::fromUtf8(dataFolder().string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    Engine::cRenderPlatform platform;
    platform.system = Platform::GlGfxSystem::surfaceless(1024, 768, failure);
    if (!platform.system)
    {
        error = failure;
        return nullptr;
    }
    platform.window = std::make_unique<Platform::FakeDisplayWindow>();
    auto config = std::make_unique<Engine::cMemoryRenderConfigSource>();
    config->settings[{L"graphics", L"width"}] = L"1024";
    config->settings[{L"graphics", L"height"}] = L"768";
    makeRender(std::move(platform), std::move(config));
    new SteadyTimer();
    auto input = std::make_unique<Platform::ScriptedInput>(false);
    playerInput() = input.get();
    new Engine::cInput(std::move(input));
    // The sound device as the program has it (SDL's dummy driver where none is named), with
    // the game's sounds: a start loads them.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    new Engine::cSound();
    new cGameSounds();
    logic = new Engine::cLogic();
    return logic;
}

// One frame of the game as the engine's loop runs it, without its pacing: the pointer's place
// and the input step, the active and enabled passes (held while a fade runs), the fades, the
// state machine's update, the draw, the views deleted during it.
inline void runFrame(Engine::cLogic& logic)
{
    logic.updateMousePosition();
    if (Engine::cInput* input = Engine::cInput::instance())
        input->update();
    if (!Engine::cControl::isFading())
    {
        Engine::cControl::activePass();
        Engine::cControl::enabledPass();
    }
    Engine::cControl::fadePass();
    CGameEngine::instance().Update();
    logic.render();
    Engine::cControl::deletePending();
}

inline void leavePlay()
{
    CGameEngine& engine = CGameEngine::instance();
    while (engine.getStateCount())
        engine.PopState();
    Engine::cControl::deletePending();
}

// Runs frames until the level of the play state runs with nothing over it, closing its opening
// briefing with Escape as a player may; false when it does not come to that.
inline bool runUntilPlaying(Engine::cLogic& logic)
{
    CGameEngine& engine = CGameEngine::instance();
    CPlayState& play = CPlayState::instance();
    for (int i = 0; i < 1000 && !(play.isRunning() && engine.topState() == &play); ++i)
    {
        if (engine.topState() == &BriefState::instance() && playerInput())
        {
            constexpr uint8_t Escape = 1;
            playerInput()->keyDown(Escape);
            playerInput()->keyUp(Escape);
        }
        runFrame(logic);
    }
    return play.isRunning() && engine.topState() == &play;
}

// Enters the play state on `level` (leaving whatever level ran before), closes its opening
// briefing with Escape as a player may, and runs frames until the level runs and one frame of
// it is drawn.
inline void startLevel(Engine::cLogic& logic, int level)
{
    leavePlay();
    Engine::cProps::set<int>(L"CurrentLevel", level);
    CGameEngine::instance().ChangeState(&CPlayState::instance());
    runUntilPlaying(logic);
    runFrame(logic);
}

// A player's click at a place of the 1024 x 768 screen: the pointer moves there, the primary
// button goes down and up, a frame each.
inline void clickAt(Engine::cLogic& logic, const Engine::cVector2& place)
{
    Platform::ScriptedInput* input = playerInput();
    if (!input)
        return;
    input->pointerTo(static_cast<int32_t>(place.x), static_cast<int32_t>(place.y));
    runFrame(logic);
    input->mouseButton(0, true);
    runFrame(logic);
    input->mouseButton(0, false);
    runFrame(logic);
}

// The picture files of the views the last frame drew (drawn text and effects are no files).
inline std::vector<std::string> drawnPictures()
{
    std::set<std::string> paths;
    Engine::cView::renderPass(
        [&paths](Engine::cView* view)
        {
            const boost::shared_ptr<Engine::cTexture> texture = view->getTexture();
            if (!texture)
                return;
            try
            {
                paths.insert(texture->getPath());
            }
            catch (const char*)
            {
                // A texture the resource manager does not hold: drawn text.
            }
        });
    return std::vector<std::string>(paths.begin(), paths.end());
}

// The quads the last frame drew, in drawing order, each with its picture file (drawn text,
// particle effects and meshes are left out: they are no picture files).
inline std::vector<FrameQuad> drawnQuads()
{
    std::vector<FrameQuad> quads;
    Engine::cView::renderPass(
        [&quads](Engine::cView* view)
        {
            constexpr int ParticleKind = 5;
            if (view->getKind() == ParticleKind || view->getMesh())
                return;
            std::string picture;
            if (const boost::shared_ptr<Engine::cTexture> texture = view->getTexture())
            {
                try
                {
                    picture = texture->getPath();
                }
                catch (const char*)
                {
                    return;
                }
            }
            const auto add = [&quads, &picture, view](const Engine::cQuad& sprite)
            {
                FrameQuad quad;
                quad.picture = picture;
                quad.renderType = view->getRenderType();
                for (int i = 0; i < 4; ++i)
                {
                    quad.x[i] = sprite.corners[i].x;
                    quad.y[i] = sprite.corners[i].y;
                    quad.color[i] = sprite.corners[i].color;
                }
                quad.u0 = sprite.uvFrom.x;
                quad.v0 = sprite.uvFrom.y;
                quad.u1 = sprite.uvTo.x;
                quad.v1 = sprite.uvTo.y;
                quads.push_back(quad);
            };
            if (view->getMultiSprites())
            {
                for (const Engine::cQuad& sprite : view->getSpriteList())
                    add(sprite);
                return;
            }
            add(view->getSprite());
            if (view->getDoubleAnimRender())
                add(view->getSecondSprite());
        });
    return quads;
}

inline long peakResidentKb(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
}

} // namespace Bench
