// Every shipped level played for a while, each frame drawn both ways: over the last frame only
// where it changed, and whole. The game runs as the program runs it (its play state, views and
// briefings, drawn offscreen through OpenGL by Mesa), its random draws seeded, the opening
// briefing watched for a while and closed with Escape, then the level's play script's clicks
// made through the pointer at their times, so that heroes walk, goods come and go and the bars,
// the clock, the smoke and the ambient units move. Every second frame is read back as drawn in
// part and again after drawing it whole, and the two must be the same to the pixel; the frames
// between are drawn in part only, so the kept frame is itself built of parts.
//
// The busiest level also goes to full screen and back (each switch a device reset), has its
// window uncovered, and a screenshot taken, in the middle of play.
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cFrameDevices.h"
#include "engine/core/cLogic.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStrings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cRenderConfig.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPyro.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cCheats.h"
#include "game/world/cGameSounds.h"
#include "platform/gfx/FakeDisplayWindow.h"
#include "platform/gfx/GlGfxSystem.h"
#include "platform/input/ScriptedInput.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/support/LevelScript.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

const fs::path kData = fs::path(QUILL_SOURCE_DIR) / "data";

// Frames of play after the briefing, and of the briefing before it is closed.
constexpr int kPlayFrames = 180;
constexpr int kBriefingFrames = 24;

// Every frame a thirtieth of a second: the level moves on twice as fast as drawn at 60 a
// second, so more happens in the frames the test can afford; drawing happens only when the
// test asks.
class StepTimer final : public Engine::cTimer
{
public:
    void step() override {}
    float getFrameTime() const override { return 1.0f / 30.0f; }
    float frameTime() const override { return 1.0f / 30.0f; }
    bool takeDrawDue() override { return false; }
};

// The frame's devices: input through the engine's input object with the pointer where the test
// puts it, drawing through the render device.
class DrawingDevices final : public Engine::cFrameDevices
{
public:
    void pollInput() override
    {
        if (Engine::cInput* input = Engine::cInput::instance())
            input->update();
    }
    boost::signals2::connection connectKey(int code, const boost::function<void()>& slot) override
    {
        Engine::cInput* input = Engine::cInput::instance();
        return input ? input->connectKey(static_cast<Engine::eControl>(code), slot)
                     : boost::signals2::connection();
    }
    Engine::cVector2 cursorInWindow() override { return cursor; }
    void screenToVirtual(Engine::cVector2&) override {}
    void beginFrame() override { render().beginFrame(); }
    void drawView(Engine::cView& view) override { Engine::drawView(render(), view); }
    void endFrame() override { render().endFrame(); }
    void present() override { render().present(); }
    void takeScreenshot(const std::wstring& name) override { render().takeScreenshot(name, 0, 0, 0, 0); }

    Engine::cVector2 cursor{-1000.0f, -1000.0f};

private:
    static Engine::cRender& render() { return *Engine::cSingleton<Engine::cRender>::instance(); }
};

// The engine as the program makes it, drawing offscreen into a 1024 x 768 back buffer on a
// desktop of 1920 x 1080, with a silent sound device, scripted input and a player. Made for the
// first test and kept for the others.
class PlayedGame
{
public:
    PlayedGame()
    {
        fs::create_directories(home.path() / "Quillmoor" / "sys");
        std::ofstream(home.path() / "Quillmoor" / "sys" / "settings.xml")
            << "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>";
        ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        files = std::make_unique<Engine::cFileSystem>(Engine::fromUtf8(kData.string() + "/"));
        resources = std::make_unique<Engine::cResourceManager>();
        constants = std::make_unique<Engine::cConstants>("sys/constants.xml");
        settings = std::make_unique<Engine::cSettings>("sys/settings.xml");
        Engine::cRenderPlatform platform;
        platform.system = Platform::GlGfxSystem::surfaceless(1920, 1080, error);
        if (!platform.system)
            return;
        auto fakeWindow = std::make_unique<Platform::FakeDisplayWindow>();
        fakeWindow->work = {0, 0, 1920, 1080};
        window = fakeWindow.get();
        platform.window = std::move(fakeWindow);
        auto source = std::make_unique<Engine::cMemoryRenderConfigSource>();
        config = source.get();
        config->settings[{L"graphics", L"width"}] = L"1024";
        config->settings[{L"graphics", L"height"}] = L"768";
        config->settings[{L"graphics", L"fullscreen"}] = L"0";
        render = std::make_unique<Engine::cRender>(std::move(platform), std::move(source));
        sound = std::make_unique<Engine::cSound>(std::make_unique<Platform::RecordingMixer>());
        strings = std::make_unique<Engine::cStrings>();
        auto backend = std::make_unique<Platform::ScriptedInput>(false);
        script = backend.get();
        input = std::make_unique<Engine::cInput>(std::move(backend));
        profiles = std::make_unique<Engine::cProfileManager>(L"Compare");
        new cGameSounds();
        auto frameDevices = std::make_unique<DrawingDevices>();
        devices = frameDevices.get();
        logic = std::make_unique<Engine::cLogic>(std::move(frameDevices));
        logic->setFrameCallback([] { CGameEngine::instance().Update(); });
        CGameEngine::instance().setLevelPath(L"");
        // The first poll acquires the devices.
        logic->update();
    }

    // As the program takes the game down: the states left, the game's managers shut down,
    // then the engine in the reverse order of its making.
    ~PlayedGame()
    {
        if (!render)
            return;
        CGameEngine& engine = CGameEngine::instance();
        while (engine.getStateCount())
            engine.PopState();
        engine.runShutdowns();
        cCheats::instance().shutdown();
        UnitViewLibrary::instance().clear();
        cTutorial::instance().reset();
        CPlayState::instance().releasePlayView(true);
        TooltipManager::shutdown();
        delete cGameSounds::instance();
        Engine::cControl::deletePending();
        logic.reset();
        input.reset();
        profiles.reset();
        Engine::cProps::clearAll();
        strings.reset();
        sound.reset();
        resources.reset();
        Engine::cPyro::clearEffectFiles();
        render.reset();
        settings.reset();
        constants.reset();
        files.reset();
    }
    PlayedGame(const PlayedGame&) = delete;
    PlayedGame& operator=(const PlayedGame&) = delete;

    bool ready() const { return render != nullptr; }

    void frame() { logic->update(); }

    void key(uint8_t code)
    {
        script->keyDown(code);
        script->keyUp(code);
        frame();
    }

    // The pointer to a place (two motions, as a mouse makes many), a press there and a release.
    void click(const Engine::cVector2& place)
    {
        const Engine::cVector2 from = devices->cursor;
        devices->cursor = place;
        const int dx = static_cast<int>(place.x - from.x);
        script->mouseMove(dx == 0 ? 1 : dx, static_cast<int>(place.y - from.y));
        frame();
        script->mouseMove(1, 0);
        frame();
        script->mouseButton(0, true);
        frame();
        script->mouseButton(0, false);
        frame();
    }

    // The back buffer as drawn now.
    std::vector<uint32_t> pixels()
    {
        const auto& params = render->getDevice()->presentParams();
        std::vector<uint32_t> read;
        render->getDevice()->readBackBuffer({0, 0, params.backBufferWidth, params.backBufferHeight}, read);
        return read;
    }

    std::string error;
    Test::TempDir home;
    std::unique_ptr<Engine::cFileSystem> files;
    std::unique_ptr<Engine::cResourceManager> resources;
    std::unique_ptr<Engine::cConstants> constants;
    std::unique_ptr<Engine::cSettings> settings;
    Engine::cMemoryRenderConfigSource* config = nullptr;
    Platform::FakeDisplayWindow* window = nullptr;
    std::unique_ptr<Engine::cRender> render;
    std::unique_ptr<Engine::cSound> sound;
    std::unique_ptr<Engine::cStrings> strings;
    Platform::ScriptedInput* script = nullptr;
    std::unique_ptr<Engine::cInput> input;
    std::unique_ptr<Engine::cProfileManager> profiles;
    DrawingDevices* devices = nullptr;
    StepTimer timer;
    std::unique_ptr<Engine::cLogic> logic;
};

PlayedGame*& playedGame()
{
    static PlayedGame* made = nullptr;
    return made;
}

// Made for the first test that plays, taken down after the last test (before the game's
// function-local managers go with the process).
PlayedGame& game()
{
    if (!playedGame())
        playedGame() = new PlayedGame();
    return *playedGame();
}

class TakeTheGameDown final : public ::testing::Environment
{
public:
    void TearDown() override
    {
        delete playedGame();
        playedGame() = nullptr;
    }
};

const ::testing::Environment* const kTakeTheGameDown =
    ::testing::AddGlobalTestEnvironment(new TakeTheGameDown);

int levelCount()
{
    int count = 0;
    while (fs::exists(kData / "Levels" / ("n" + std::to_string(count) + ".xml")))
        ++count;
    return count;
}

// The busiest shipped level, by its units.
int busiestLevel()
{
    int busiest = 0;
    size_t most = 0;
    for (int level = 0; level < levelCount(); ++level)
    {
        std::ifstream in(kData / "Levels" / ("n" + std::to_string(level) + ".xml"));
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

// Draws the frame of the last update both ways and compares: true when the part drawn over the
// kept frame gives the whole frame's pixels. With `compare` false, only the part is drawn.
class TwoWays
{
public:
    TwoWays(PlayedGame& played, int level) : m_game(played), m_level(level) {}

    void draw(bool compare, const std::string& when)
    {
        Engine::cRender& render = *m_game.render;
        render.setFullRedraw(false);
        m_game.logic->render();
        if (!compare)
            return;
        const std::vector<uint32_t> part = m_game.pixels();
        render.setFullRedraw(true);
        render.redrawNextFrame();
        m_game.logic->render();
        render.setFullRedraw(false);
        const std::vector<uint32_t> whole = m_game.pixels();
        ++m_compared;
        ASSERT_EQ(part.size(), whole.size());
        if (part == whole)
            return;
        const int width = render.getDevice()->presentParams().backBufferWidth;
        size_t differing = 0;
        size_t first = 0;
        for (size_t i = part.size(); i-- > 0;)
            if (part[i] != whole[i])
            {
                ++differing;
                first = i;
            }
        ADD_FAILURE() << "level " << m_level << ", " << when << ": " << differing
                      << " pixels differ, the first at (" << first % width << ", " << first / width
                      << "): " << std::hex << part[first] << " drawn in part, " << whole[first]
                      << " drawn whole";
        m_failed = true;
    }

    int compared() const { return m_compared; }
    bool failed() const { return m_failed; }

private:
    PlayedGame& m_game;
    int m_level;
    int m_compared = 0;
    bool m_failed = false;
};

// The script's click on the K-th unit of a type, through the pointer in the middle of its view
// (or of its upgrade button).
void clickUnit(PlayedGame& played, Game& level, const ::Test::ScriptLine& line)
{
    const auto range =
        level.getUnits().equal_range(GameConfig::instance().getTypeId(Engine::fromUtf8(line.type)));
    int seen = 0;
    for (auto it = range.first; it != range.second; ++it)
    {
        if (it->second->isRemoved() || ++seen != line.index)
            continue;
        cUnitView* view = it->second->getView();
        Engine::cButtonPrototype* target = view;
        if (view && line.verb == ::Test::ScriptLine::Upgrade)
            target = view->getUpgradeButton();
        if (target && target->isShown())
            played.click(target->getPosition());
        return;
    }
}

class FrameCompareTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (!game().ready())
            GTEST_SKIP() << "no OpenGL to draw with: " << game().error;
    }

    // Starts the level as the map starts it, compares the frames of its opening briefing (the
    // loading screen's too) and closes the briefing with Escape.
    void startLevel(int level, TwoWays& ways)
    {
        PlayedGame& played = game();
        Engine::seedRandom(static_cast<unsigned>(level) * 7919u + 1u);
        Engine::cProps::set<int>(L"CurrentLevel", level);
        CGameEngine& states = CGameEngine::instance();
        states.setContinueSavedLevel(false);
        states.ChangeState(&CPlayState::instance());
        for (int i = 0; i < 2000 && !CPlayState::instance().isRunning(); ++i)
        {
            played.frame();
            ways.draw(i % 4 == 0, "loading frame " + std::to_string(i));
        }
        ASSERT_TRUE(CPlayState::instance().isRunning()) << "level " << level << " did not load";
        for (int i = 0; i < kBriefingFrames && states.topState() != &CPlayState::instance(); ++i)
        {
            played.frame();
            ways.draw(i % 2 == 0, "briefing frame " + std::to_string(i));
        }
        for (int i = 0; i < 3000 && states.topState() != &CPlayState::instance(); ++i)
        {
            if (i % 4 == 0)
                played.key(1);
            else
                played.frame();
            ways.draw(i % 8 == 0, "closing the briefing, frame " + std::to_string(i));
        }
        ASSERT_EQ(states.topState(), &CPlayState::instance())
            << "the briefing of level " << level << " stayed";
    }

    // Frames of play with the script's clicks at their times, every `compareEvery`-th compared;
    // `during(i)` runs before frame i.
    void play(int level, TwoWays& ways, int compareEvery, const std::function<void(int)>& during = {})
    {
        PlayedGame& played = game();
        std::ifstream in(kData / "Levels" / ("n" + std::to_string(level) + ".play"));
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::vector<::Test::ScriptLine> script = ::Test::parseLevelScript(text, "the play script");
        size_t next = 0;
        CGameEngine& states = CGameEngine::instance();
        for (int i = 0; i < kPlayFrames && !ways.failed(); ++i)
        {
            if (during)
                during(i);
            Game* playing = CPlayState::instance().getGame();
            if (playing && states.topState() == &CPlayState::instance())
                while (next < script.size() && script[next].time <= playing->getLevelTime())
                {
                    const ::Test::ScriptLine& line = script[next++];
                    if (line.verb == ::Test::ScriptLine::Click || line.verb == ::Test::ScriptLine::Upgrade)
                        clickUnit(played, *playing, line);
                }
            // A tip that holds the game is closed as a player closes it.
            if (states.topState() != &CPlayState::instance() && i % 4 == 0)
                played.key(1);
            else
                played.frame();
            ways.draw(i % compareEvery == 0, "play frame " + std::to_string(i));
        }
    }
};

TEST_P(FrameCompareTest, FramesDrawnInPartAreTheFramesDrawnWhole)
{
    const int level = GetParam();
    TwoWays ways(game(), level);
    Engine::cRender& render = *game().render;
    const uint64_t parts = render.getPartFrameCount();
    startLevel(level, ways);
    play(level, ways, 2);
    EXPECT_GT(ways.compared(), kPlayFrames / 2);
    EXPECT_GT(render.getPartFrameCount(), parts) << "no frame was drawn in part";
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, FrameCompareTest, ::testing::Range(0, levelCount()),
                         [](const ::testing::TestParamInfo<int>& test)
                         { return "n" + std::to_string(test.param); });

TEST_F(FrameCompareTest, TheBusiestLevelKeepsItsPixelsThroughModeSwitchesExposuresAndScreenshots)
{
    const int level = busiestLevel();
    TwoWays ways(game(), level);
    PlayedGame& played = game();
    Engine::cRender& render = *played.render;
    startLevel(level, ways);
    const auto fullscreen = [&](bool on)
    {
        played.config->settings[{L"graphics", L"fullscreen"}] = on ? L"1" : L"0";
        render.setResetPending(true);
    };
    // Full-screen frames are more than twice as large: every fourth is compared.
    play(level, ways, 4,
         [&](int frame)
         {
             if (frame == 40)
                 fullscreen(true);
             if (frame == 41)
             {
                 EXPECT_TRUE(render.isFullscreen());
             }
             if (frame == 90)
                 played.window->damaged = true;
             if (frame == 120)
             {
                 // The screenshot reads the kept frame: what was drawn in part.
                 int width = 0;
                 int height = 0;
                 std::vector<uint32_t> shot;
                 ASSERT_TRUE(render.captureScreen(0, 0, 0, 0, width, height, shot));
                 EXPECT_GT(width, 1024);
             }
             if (frame == 150)
                 fullscreen(false);
             if (frame == 151)
             {
                 EXPECT_FALSE(render.isFullscreen());
             }
         });
    EXPECT_GT(ways.compared(), kPlayFrames / 4);
}

} // namespace
