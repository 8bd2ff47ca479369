#include "platform/window/InstanceLock.h"
#include "platform/window/Window.h"

#include "tests/support/FreeDisplay.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellChild.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

namespace Platform
{
void PrintTo(const Message& m, std::ostream* os)
{
    *os << "{kind " << static_cast<int>(m.kind) << ", " << m.wparam << (m.repeat ? ", repeat}" : "}");
}
} // namespace Platform

namespace
{

using Platform::Message;
using Platform::MessageKind;
using Platform::Window;

void pushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod = KMOD_NONE,
             uint8_t repeat = 0)
{
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void pushText(const char* utf8)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void pushWindowEvent(const Window& window, uint8_t what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window.sdlWindow());
    event.window.event = what;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// Takes and dispatches messages until a turn finds the queue empty; returns all but `Other`.
std::vector<Message> drain(Window& window)
{
    std::vector<Message> taken;
    Message message;
    for (int turns = 0; turns < 10000 && window.peekMessage(message); ++turns)
    {
        window.translateMessage(message);
        window.dispatchMessage(message);
        if (message.kind != MessageKind::Other)
            taken.push_back(message);
    }
    return taken;
}

// Lets the X server and the window settle until `done` holds, polling, for at most twenty
// seconds (a busy machine's X server may take a while).
template <class Done> void settle(Window& window, Done done)
{
    for (const Uint64 end = SDL_GetTicks64() + 20000; !done() && SDL_GetTicks64() < end;)
    {
        drain(window);
        SDL_Delay(10);
    }
}

TEST(WindowDisplay, MainWindowIsHiddenTitledAndAsksForOpenGL)
{
    Window window(L"Quillmoor \u00e9 \U0001D11E");
    EXPECT_EQ(window.title(), "Quillmoor \xC3\xA9 \xF0\x9D\x84\x9E");
    EXPECT_FALSE(window.isVisible());
    const uint32_t flags = SDL_GetWindowFlags(window.sdlWindow());
    EXPECT_NE(flags & SDL_WINDOW_OPENGL, 0u);
    EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);
    int width = 0;
    int height = 0;
    window.clientSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);

    void* context = window.createGLContext();
    ASSERT_NE(context, nullptr) << Window::lastError();
    int stencil = 0;
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    EXPECT_GE(stencil, 8);
    window.deleteGLContext(context);
}

TEST(WindowDisplay, OneEventPerTurnAndQuitAfterEverythingQueuedBefore)
{
    Window window(L"pump");
    drain(window);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    pushText("xy");
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    ASSERT_EQ(SDL_PushEvent(&motion), 1);
    window.postQuitMessage(3);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b);

    Message message;
    ASSERT_TRUE(window.peekMessage(message));
    EXPECT_EQ(message, (Message{MessageKind::KeyDown, 'A'}));
    // Only the first event was taken.
    EXPECT_GE(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 5);

    std::vector<Message> taken;
    for (int turns = 0; turns < 100; ++turns)
    {
        ASSERT_TRUE(window.peekMessage(message)) << "a turn found the queue empty before the quit message";
        if (message.kind == MessageKind::Quit)
            break;
        window.translateMessage(message);
        if (message.kind != MessageKind::Other)
            taken.push_back(message);
    }
    EXPECT_EQ(message, (Message{MessageKind::Quit, 3}));
    EXPECT_EQ(taken, (std::vector<Message>{{MessageKind::Char, 'x'},
                                           {MessageKind::Char, 'y'},
                                           {MessageKind::KeyDown, 0x08},
                                           {MessageKind::Char, 8}}));
    EXPECT_EQ(drain(window), (std::vector<Message>{{MessageKind::KeyDown, 'B'}}));
}

TEST(WindowDisplay, ControlCharactersAndAltEnter)
{
    Window window(L"keys");
    drain(window);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_TAB, SDLK_TAB);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, 1);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT, 1);
    pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    pushText("\xC3\xA9\xF0\x9D\x84\x9E");
    EXPECT_EQ(drain(window), (std::vector<Message>{{MessageKind::KeyDown, 0x09},
                                                   {MessageKind::Char, 9},
                                                   {MessageKind::KeyDown, 0x0D},
                                                   {MessageKind::Char, 13},
                                                   {MessageKind::KeyDown, 0x1B, true},
                                                   {MessageKind::Char, 27},
                                                   {MessageKind::SysKeyDown, 0x0D},
                                                   {MessageKind::SysKeyDown, 0x0D, true},
                                                   {MessageKind::Char, 0xE9},
                                                   {MessageKind::Char, 0xD834},
                                                   {MessageKind::Char, 0xDD1E}}));
}

TEST(WindowDisplay, WindowEventsBecomeMessagesAndCloseEndsTheLoop)
{
    Window window(L"close");
    std::vector<MessageKind> handled;
    window.setWindowProc(
        [&](const Message& message)
        {
            handled.push_back(message.kind);
            if (message.kind == MessageKind::Destroy)
                window.postQuitMessage(0);
            return window.defWindowProc(message);
        });
    drain(window);
    handled.clear();
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(window, SDL_WINDOWEVENT_MAXIMIZED);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(drain(window), (std::vector<Message>{{MessageKind::Activate, 1},
                                                   {MessageKind::Minimize, 0},
                                                   {MessageKind::Maximize, 0},
                                                   {MessageKind::Activate, 0},
                                                   {MessageKind::Close, 0},
                                                   {MessageKind::Quit, 0}}));
    // Destroy is sent while Close is handled, not queued.
    const std::vector<MessageKind> tail(handled.end() - 3, handled.end());
    EXPECT_EQ(tail, (std::vector<MessageKind>{MessageKind::Close, MessageKind::Destroy, MessageKind::Quit}));
    EXPECT_TRUE(window.isDestroyed());
    EXPECT_FALSE(window.isVisible());

    // A destroyed window is not closed again.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(drain(window).empty());
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

TEST(WindowDisplay, WaitingForAMessageSleepsUntilOneComes)
{
    Window window(L"wait");
    window.show();
    settle(window, [&] { return window.hasFocus(); });
    drain(window);

    // A message already waiting ends the wait at once, and is taken next.
    window.postMessage(Message{MessageKind::Char, 'w'});
    const auto postedAt = std::chrono::steady_clock::now();
    EXPECT_TRUE(window.waitMessage(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - postedAt, std::chrono::seconds(2));
    // Other windows of the screen may move the focus meanwhile: the character is among what came.
    const std::vector<Message> taken = drain(window);
    EXPECT_NE(std::find(taken.begin(), taken.end(), Message{MessageKind::Char, 'w'}), taken.end());

    // Nothing comes: the thread sleeps (an event of the X server may end the wait early, but
    // nothing spins meanwhile).
    double cpu = 0.0;
    std::chrono::steady_clock::duration waited{};
    for (int i = 0; i < 5; ++i)
    {
        drain(window);
        const double cpuBefore = threadCpuMs();
        const auto before = std::chrono::steady_clock::now();
        const bool woken = window.waitMessage(100);
        cpu += threadCpuMs() - cpuBefore;
        waited += std::chrono::steady_clock::now() - before;
        if (!woken)
        {
            EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(95));
        }
    }
    const double wall = std::chrono::duration<double, std::milli>(waited).count();
    EXPECT_LT(cpu, 0.1 * wall + 5.0) << cpu << " ms of processor time in " << wall << " ms of waiting";
}

TEST(WindowDisplay, FullScreenCoversTheDesktopAndWindowedGetsItsSizeBack)
{
    Window window(L"full screen");
    window.show();
    int desktopWidth = 0;
    int desktopHeight = 0;
    window.desktopSize(desktopWidth, desktopHeight);
    ASSERT_GT(desktopWidth, 800) << "needs a screen larger than the window, e.g. 1920x1080";
    int width = 0;
    int height = 0;

    window.setFullscreen(true);
    settle(window,
           [&]
           {
               window.drawableSize(width, height);
               return width == desktopWidth && height == desktopHeight;
           });
    EXPECT_TRUE(window.isFullscreen());
    EXPECT_EQ(width, desktopWidth);
    EXPECT_EQ(height, desktopHeight);

    window.setFullscreen(false);
    settle(window,
           [&]
           {
               window.drawableSize(width, height);
               return width == 800 && height == 600;
           });
    EXPECT_FALSE(window.isFullscreen());
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    const Platform::WindowRect client = window.clientRect();
    EXPECT_EQ(client.width(), 800);
    EXPECT_EQ(client.height(), 600);
}

TEST(WindowDisplay, RaiseRequestFromAnotherCopyIsTakenWhenTheQueueIsEmpty)
{
    ::Test::TempDir folder;
    auto lock = Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_display");
    ASSERT_NE(lock, nullptr);
    Window window(L"raise");
    window.watchInstanceLock(lock.get());
    drain(window);
    Message message;
    EXPECT_FALSE(window.peekMessage(message));
    EXPECT_EQ(Platform::InstanceLock::acquireIn(folder.path().string(), "kelvask_display"), nullptr);
    EXPECT_TRUE(window.peekMessage(message));
}

// An X server refuses connections while it starts, and while it starts afresh when its last
// client has gone: the window waits for the display named, and without one it is refused with
// the reason rather than drawn by a driver that shows nothing.
TEST(WindowDisplay, TheWindowWaitsForTheDisplayNamedAndWithoutOneIsRefused)
{
    const std::string display = ::Test::freeDisplay();
    ASSERT_FALSE(display.empty());
    const struct
    {
        const char* what;
        // DISPLAY; the X server on it starts after half a second when `starts`.
        std::string x;
        bool starts;
        // Empty when the window opens.
        const char* refused;
    } cases[] = {
        {"no display named", "", false, "neither DISPLAY nor WAYLAND_DISPLAY names one"},
        {"a display that answers late", display, true, nullptr},
        {"a display that never answers", display, false, "did not answer in 5 s"},
    };
    const ::Test::ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    const ::Test::ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.what);
        const ::Test::ScopedEnv x("DISPLAY", row.x.empty() ? nullptr : row.x.c_str());
        const pid_t server = row.starts
                                 ? ::Test::startShell("sleep 0.5; exec Xvfb " + row.x +
                                                      " -nolisten tcp -screen 0 640x480x24 2>/dev/null")
                                 : -1;
        try
        {
            Window window(L"waits");
            EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
            EXPECT_TRUE(row.refused == nullptr) << "a window where \"" << row.refused << "\" was due";
        }
        catch (const std::runtime_error& error)
        {
            ASSERT_NE(row.refused, nullptr) << error.what();
            EXPECT_NE(std::string(error.what()).find(row.refused), std::string::npos) << error.what();
        }
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "the video subsystem is left running";
        EXPECT_EQ(SDL_GetHint(SDL_HINT_VIDEODRIVER), nullptr)
            << "the driver the tries asked for stays asked for";
        ::Test::endChild(server);
    }
}

} // namespace
