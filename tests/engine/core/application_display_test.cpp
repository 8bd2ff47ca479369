#include "engine/core/cApplication.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FatalError.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogic.h"
#include "engine/core/cSettings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "platform/window/Window.h"
#include "tests/support/PrivateServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellChild.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using Engine::cApplication;
using Platform::Message;
using Platform::MessageKind;

// An application over a data folder of its own, with the shared folder in a temporary folder.
class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_data.write("sys/constants.xml", constants());
        m_data.write("sys/settings.xml", "<main><graphics fullscreen=\"0\"/></main>");
        m_folder = m_data.path().string();
        params.dataFolderName = m_folder.c_str();
        params.singleInstance = false;
        application.reset(cApplication::create(params));
    }
    void TearDown() override
    {
        application.reset();
        EXPECT_EQ(Engine::cLogic::instance(), nullptr);
        EXPECT_EQ(Engine::cTimer::instance(), nullptr);
        EXPECT_EQ(Engine::cInput::instance(), nullptr);
        EXPECT_EQ(Engine::cSingleton<Engine::cRender>::instance(), nullptr);
        EXPECT_EQ(Engine::cSettings::instance(), nullptr);
        EXPECT_EQ(Engine::cResourceManager::instance(), nullptr);
        EXPECT_EQ(Engine::cFileSystem::instance(), nullptr);
        EXPECT_EQ(cApplication::instance(), nullptr);
    }

    Platform::Window& window() { return *application->getWindow(); }
    // Takes what the window system sends while the new window gets the focus, until it has it.
    void settleWindow()
    {
        for (int i = 0; i < 200 && !window().hasFocus(); ++i)
        {
            application->drainMessages();
            SDL_Delay(10);
        }
        application->drainMessages();
    }
    virtual const char* constants() const
    {
        return "<constants><game app_directory=\"AppTest\" window_title=\"Application test\"/>"
               "<Time MinFps=\"10\" MaxFps=\"100\"/></constants>";
    }

    Engine::cAppParams params;
    std::unique_ptr<cApplication> application;

private:
    ::Test::TempDir m_data;
    ::Test::ScopedEnv m_dataHome{"XDG_DATA_HOME", (m_data.path() / "share").string()};
    std::string m_folder;
};

// Stops the loop after a number of frames, whatever the window's activation.
struct FrameCounter
{
    int frames = 0;
    int stopAfter = 3;
    std::vector<int> charsAtFrame;
    int chars = 0;

    static void idle(void* self)
    {
        auto* counter = static_cast<FrameCounter*>(self);
        counter->charsAtFrame.push_back(counter->chars);
        if (++counter->frames == counter->stopAfter)
            Engine::cLogic::instance()->quit();
    }
};

TEST_F(ApplicationTest, StartUpCreatesTheSingletonsAndTheTitledWindow)
{
    EXPECT_EQ(cApplication::instance(), application.get());
    EXPECT_NE(Engine::cFileSystem::instance(), nullptr);
    EXPECT_NE(Engine::cResourceManager::instance(), nullptr);
    EXPECT_NE(Engine::cInput::instance(), nullptr);
    EXPECT_NE(Engine::cSingleton<Engine::cRender>::instance(), nullptr);
    EXPECT_NE(Engine::cSettings::instance(), nullptr);
    ASSERT_NE(Engine::cTimer::instance(), nullptr);
    EXPECT_NE(Engine::cLogic::instance(), nullptr);
    EXPECT_EQ(Engine::cTimer::instance()->getMinFps(), 10.0f);
    EXPECT_EQ(Engine::cTimer::instance()->getMaxFps(), 100.0f);
    EXPECT_EQ(params.window, application->getWindow()) << "the record holds the new window";
    EXPECT_EQ(window().title(), "Application test");
    EXPECT_EQ(application->getClassName().rfind(L"kelvask_", 0), 0u);
}

TEST_F(ApplicationTest, FramesRunOnlyOnTurnsThatFindTheQueueEmpty)
{
    FrameCounter counter;
    const boost::signals2::scoped_connection connection =
        Engine::cInput::instance()->connectChar([&](wchar_t) { ++counter.chars; });
    for (int i = 0; i < 5; ++i)
        window().postMessage(Message{MessageKind::Char, static_cast<uint32_t>('a' + i)});
    application->setIdleCallback(&FrameCounter::idle, &counter);
    EXPECT_TRUE(application->run());
    EXPECT_EQ(counter.frames, 3);
    ASSERT_FALSE(counter.charsAtFrame.empty());
    EXPECT_EQ(counter.charsAtFrame.front(), 5) << "every queued message went before the first frame";
    EXPECT_TRUE(window().isDestroyed());
}

TEST_F(ApplicationTest, TheCallbacksFrameTheLoop)
{
    static std::vector<std::string> calls;
    calls.clear();
    application.reset();
    params.window = nullptr;
    params.onInit = [](void* data)
    {
        calls.push_back("init " + *static_cast<std::string*>(data));
        return true;
    };
    params.onExit = [](void*)
    {
        calls.push_back("exit");
        return false;
    };
    std::string user = "level.xml";
    params.userData = &user;
    application.reset(cApplication::create(params));
    FrameCounter counter;
    counter.stopAfter = 1;
    application->setIdleCallback(&FrameCounter::idle, &counter);
    EXPECT_FALSE(application->run()) << "run returns the finish callback's result";
    EXPECT_EQ(calls, (std::vector<std::string>{"init level.xml", "exit"}));
}

// The window manager minimises the window: no frame is updated or drawn, and each turn of the
// loop waits for the next message instead of coming straight back.
TEST_F(ApplicationTest, AMinimisedGameWaitsForMessagesAndRunsNoFrame)
{
    Engine::cLogic& logic = *Engine::cLogic::instance();
    const Engine::cTimer& timer = *Engine::cTimer::instance();
    // The frame clock stands still while no frame runs (other windows of the screen may take
    // the focus meanwhile: the frame callback is no witness).
    std::vector<int> waits;
    std::vector<double> clockAtWait;
    application->setMessageWait(
        [&](int timeoutMs)
        {
            waits.push_back(timeoutMs);
            clockAtWait.push_back(timer.getPreciseTime());
            if (waits.size() == 3)
                window().postMessage(Message{MessageKind::Restore, 0});
        });
    // What the window system sends on showing the window (the focus) goes first.
    settleWindow();
    window().postMessage(Message{MessageKind::Minimize, 0});
    FrameCounter counter;
    counter.stopAfter = 6;
    application->setIdleCallback(&FrameCounter::idle, &counter);
    EXPECT_TRUE(application->run());
    EXPECT_EQ(waits, (std::vector<int>(3, cApplication::MinimizedWaitMs))) << "one wait per turn, none after";
    ASSERT_EQ(clockAtWait.size(), 3u);
    EXPECT_EQ(clockAtWait[2], clockAtWait[0]) << "no frame ran while minimised";
    EXPECT_GT(timer.getPreciseTime(), clockAtWait[2]) << "the frames after the restore ran";
    EXPECT_FALSE(logic.isMinimized());
}

// A window the window manager hides (another desktop, say) is not drawn to the screen either:
// each turn waits for a message too, until the window shows again.
TEST_F(ApplicationTest, AHiddenWindowWaitsForMessagesToo)
{
    std::vector<int> waits;
    application->setMessageWait(
        [&](int timeoutMs)
        {
            waits.push_back(timeoutMs);
            if (waits.size() == 2)
                window().show();
        });
    settleWindow();
    window().hide();
    FrameCounter counter;
    counter.stopAfter = 4;
    application->setIdleCallback(&FrameCounter::idle, &counter);
    EXPECT_TRUE(application->run());
    EXPECT_EQ(waits.size(), 2u) << "a wait on each turn while hidden, none once shown";
}

TEST_F(ApplicationTest, TheWindowProcedureDrivesTheFrameFlags)
{
    Engine::cLogic& logic = *Engine::cLogic::instance();
    const Engine::cSound& sound = *Engine::cSound::instance();
    application->windowProc(Message{MessageKind::Activate, 0});
    EXPECT_TRUE(logic.isInactive());
    EXPECT_TRUE(sound.isPaused());
    application->windowProc(Message{MessageKind::Minimize, 0});
    EXPECT_TRUE(logic.isMinimized());
    application->windowProc(Message{MessageKind::Restore, 0});
    EXPECT_FALSE(logic.isMinimized());
    application->windowProc(Message{MessageKind::Minimize, 0});
    application->windowProc(Message{MessageKind::Activate, 1});
    EXPECT_FALSE(logic.isInactive());
    EXPECT_FALSE(sound.isPaused());
    EXPECT_FALSE(logic.isMinimized());
    application->windowProc(Message{MessageKind::Minimize, 0});
    application->windowProc(Message{MessageKind::Maximize, 0});
    EXPECT_FALSE(logic.isMinimized());
}

TEST_F(ApplicationTest, KeysAndCharactersGoToTheInput)
{
    Engine::cInput& input = *Engine::cInput::instance();
    std::vector<uint32_t> keys;
    std::wstring chars;
    const boost::signals2::scoped_connection keyConnection =
        input.connectKeyDown([&](uint32_t key) { keys.push_back(key); });
    const boost::signals2::scoped_connection charConnection =
        input.connectChar([&](wchar_t c) { chars.push_back(c); });
    EXPECT_EQ(application->windowProc(Message{MessageKind::KeyDown, Platform::VirtualKey::F1}), 0);
    EXPECT_EQ(application->windowProc(Message{MessageKind::Char, 'q'}), 0);
    // Backspace comes as a key and, through the translation, as the character 8.
    const Message backspace{MessageKind::KeyDown, Platform::VirtualKey::Back};
    window().translateMessage(backspace);
    application->windowProc(backspace);
    Message posted;
    ASSERT_TRUE(window().peekMessage(posted));
    application->windowProc(posted);
    input.update();
    EXPECT_EQ(keys, (std::vector<uint32_t>{Platform::VirtualKey::F1, Platform::VirtualKey::Back}));
    EXPECT_EQ(chars, std::wstring(L"q\b"));
}

// The window on an X server of the test's own: there no window of another test takes the focus
// from it mid-test (and a focus lost after a click rightly drops what was not read yet).
class ApplicationOnItsOwnServerTest : public ApplicationTest
{
private:
    ::Test::ScopedEnv m_display{"DISPLAY", std::getenv("DISPLAY")};
    ::Test::PrivateServer m_server;
};

// A window manager focuses a window at the back on the click it then hands on; SDL may tell the
// focus went and that click in one pump, and the focus back only later. The click is the
// player's: handling the window's messages after the pump does not throw it away.
TEST_F(ApplicationOnItsOwnServerTest, TheClickThatBringsTheWindowBackIsKept)
{
    settleWindow();
    Engine::cInput& input = *Engine::cInput::instance();
    std::vector<Engine::cVector2> clicks;
    const boost::signals2::scoped_connection pointerConnection =
        input.connectPointer([&](const Engine::cVector2& place) { clicks.push_back(place); });
    input.update();
    const Uint32 ours = SDL_GetWindowID(window().sdlWindow());
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = ours;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
    {
        event = SDL_Event{};
        event.type = type;
        event.button.windowID = ours;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = 120;
        event.button.y = 80;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    application->drainMessages();
    input.update();
    EXPECT_EQ(clicks, (std::vector<Engine::cVector2>{{120.0f, 80.0f}, {120.0f, 80.0f}}))
        << "the press and the release of the click";
}

TEST_F(ApplicationTest, QuitClosesTheWindowAndEndsTheLoop)
{
    Engine::cLogic::instance()->quit();
    EXPECT_TRUE(window().isDestroyed());
    // Nothing but the quit message is left: the loop ends without a frame.
    FrameCounter counter;
    application->setIdleCallback(&FrameCounter::idle, &counter);
    application->run();
    EXPECT_EQ(counter.frames, 0);
}

TEST_F(ApplicationTest, FatalErrorDispatchesWhatIsQueuedAndTakesTheQuit)
{
    std::wstring chars;
    const boost::signals2::scoped_connection connection =
        Engine::cInput::instance()->connectChar([&](wchar_t c) { chars.push_back(c); });
    for (wchar_t c : std::wstring(L"xyz"))
        window().postMessage(Message{MessageKind::Char, static_cast<uint32_t>(c)});
    const std::string text = "display fatal " + std::to_string(::getpid()) + "\nRestart the game please.";
    Engine::getErrorString() = text;
    testing::internal::CaptureStderr();
    Engine::fatalError(text);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(text), std::string::npos);
    // The quit message was taken; whatever the window system sent meanwhile may follow it.
    Message left;
    while (window().peekMessage(left))
        EXPECT_NE(left.kind, MessageKind::Quit);
    Engine::cInput::instance()->update();
    EXPECT_EQ(chars, L"xyz");
    EXPECT_NE(::Test::readFile("error.log").find(text), std::string::npos);
}

bool fullscreenSetting()
{
    bool fullscreen = false;
    Engine::cSettings::instance()->get(L"graphics", L"fullscreen", fullscreen);
    return fullscreen;
}

Engine::cRender& render()
{
    return *Engine::cSingleton<Engine::cRender>::instance();
}

TEST_F(ApplicationTest, AltEnterSwitchesTheModeSetting)
{
    const Message altEnter{MessageKind::SysKeyDown, Platform::VirtualKey::Return};
    // The render device applies the mode at its next present (its own tests cover that).
    application->windowProc(altEnter);
    EXPECT_TRUE(fullscreenSetting());
    EXPECT_TRUE(render().isResetPending());
    render().setResetPending(false);
    application->windowProc(altEnter);
    EXPECT_FALSE(fullscreenSetting());
    EXPECT_TRUE(render().isResetPending());
    render().setResetPending(false);
    // Held, its repeats and another Alt key combination change nothing.
    application->windowProc(Message{MessageKind::SysKeyDown, Platform::VirtualKey::Return, true});
    application->windowProc(Message{MessageKind::SysKeyDown, 'X'});
    EXPECT_FALSE(fullscreenSetting());
    EXPECT_FALSE(render().isResetPending());
}

// Alt+Enter through the message loop, as a player presses it: a later drawn frame switches the
// device to full screen on the desktop's size, and a second Alt+Enter brings the 800 x 600
// window back.
struct ModeSwitcher
{
    Platform::Window* window = nullptr;
    int frames = 0;
    bool fullscreenAfterFirst = false;
    int fullWidth = 0;
    int fullHeight = 0;
    bool fullscreenAfterSecond = true;
    int width = 0;
    int height = 0;

    static void idle(void* self)
    {
        auto* s = static_cast<ModeSwitcher*>(self);
        const Message altEnter{MessageKind::SysKeyDown, Platform::VirtualKey::Return};
        ++s->frames;
        if (s->frames == 1)
            s->window->postMessage(altEnter);
        else if (s->frames == 40)
        {
            s->fullscreenAfterFirst = render().isFullscreen() && s->window->isFullscreen();
            s->window->drawableSize(s->fullWidth, s->fullHeight);
            s->window->postMessage(altEnter);
        }
        else if (s->frames == 80)
        {
            s->fullscreenAfterSecond = render().isFullscreen() || s->window->isFullscreen();
            s->window->clientSize(s->width, s->height);
            Engine::cLogic::instance()->quit();
        }
    }
};

TEST_F(ApplicationTest, AltEnterInTheLoopGoesFullScreenAndBack)
{
    ModeSwitcher switcher;
    switcher.window = &window();
    application->setIdleCallback(&ModeSwitcher::idle, &switcher);
    EXPECT_TRUE(application->run());
    EXPECT_TRUE(switcher.fullscreenAfterFirst);
    EXPECT_EQ(switcher.fullWidth, render().getDesktopMode().width);
    EXPECT_EQ(switcher.fullHeight, render().getDesktopMode().height);
    EXPECT_FALSE(switcher.fullscreenAfterSecond);
    EXPECT_EQ(switcher.width, 800);
    EXPECT_EQ(switcher.height, 600);
}

TEST_F(ApplicationTest, MaximisingGoesFullScreenOnce)
{
    application->windowProc(Message{MessageKind::Maximize, 0});
    EXPECT_TRUE(fullscreenSetting());
    EXPECT_TRUE(render().isResetPending());
    render().setResetPending(false);
    application->windowProc(Message{MessageKind::Maximize, 0});
    EXPECT_TRUE(fullscreenSetting());
    EXPECT_FALSE(render().isResetPending()) << "already full screen";
}

class WindowedOnlyTest : public ApplicationTest
{
protected:
    const char* constants() const override
    {
        return "<constants><game app_directory=\"AppTest\" window_title=\"Windowed\"/>"
               "<graphics only_windowed=\"1\"/></constants>";
    }
};

TEST_F(WindowedOnlyTest, AltEnterOnlyLeavesFullScreen)
{
    const Message altEnter{MessageKind::SysKeyDown, Platform::VirtualKey::Return};
    application->windowProc(altEnter);
    EXPECT_FALSE(fullscreenSetting());
    EXPECT_FALSE(render().isResetPending());
    application->windowProc(Message{MessageKind::Maximize, 0});
    EXPECT_FALSE(fullscreenSetting());

    Engine::cSettings::instance()->set(L"graphics", L"fullscreen", true);
    application->windowProc(altEnter);
    EXPECT_FALSE(fullscreenSetting());
    EXPECT_TRUE(render().isResetPending());
}

// --- The real program -------------------------------------------------------------------------

// True when the process has a handler for SIGINT (the "SigCgt" mask of /proc/<pid>/status).
bool catchesInterrupt(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1)) & 1u;
    return false;
}

// A copy of the program beside a data folder of its own.
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(QUILL_EXECUTABLE, program());
        m_folder.write(
            "Data/sys/constants.xml",
            "<constants><game app_directory=\"ProgramTest\" window_title=\"Program test\"/></constants>");
        m_folder.write("Data/sys/settings.xml", "<main/>");
        // The game's own data beside the program's settings: the program starts a level.
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(QUILL_SOURCE_DIR) / "data"))
            if (entry.path().filename() != "sys")
                std::filesystem::create_symlink(entry.path(),
                                                m_folder.path() / "Data" / entry.path().filename());
        std::filesystem::create_symlink(std::filesystem::path(QUILL_SOURCE_DIR) / "data/sys/strings.xml",
                                        m_folder.path() / "Data/sys/strings.xml");
    }

    std::string environment() const
    {
        const std::string root = m_folder.path().string();
        return "XDG_DATA_HOME='" + root + "/share' XDG_RUNTIME_DIR='" + root + "' ";
    }
    std::filesystem::path program() const { return m_folder.path() / "quillmoor"; }
    std::filesystem::path lockFile() const { return m_folder.path() / "kelvask_quillmoor.lock"; }

    ::Test::TempDir m_folder;
};

TEST_F(ProgramTest, ASecondCopyExitsAtOnceAndTheFirstEndsOnClose)
{
    const pid_t first = ::Test::startShell(environment() + "exec '" + program().string() + "'");
    ASSERT_GE(first, 0);
    // The first copy holds its lock once it has started.
    for (int i = 0; i < 300 && !std::filesystem::exists(lockFile()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(std::filesystem::exists(lockFile()));

    const int second = std::system((environment() + "'" + program().string() + "'").c_str());
    ASSERT_TRUE(WIFEXITED(second));
    EXPECT_EQ(WEXITSTATUS(second), 0);

    // An interrupt closes the window like its close box; the loop ends and the program too.
    // It is sent once the window layer catches it.
    int status = 0;
    for (int i = 0; i < 300 && !catchesInterrupt(first); ++i)
    {
        ASSERT_EQ(::waitpid(first, &status, WNOHANG), 0) << "the first copy ended early";
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(catchesInterrupt(first));
    ::kill(first, SIGINT);
    ASSERT_EQ(::waitpid(first, &status, 0), first);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The settings went to the shared folder on the way out.
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / "share/ProgramTest/sys/settings.xml"));
}

} // namespace
