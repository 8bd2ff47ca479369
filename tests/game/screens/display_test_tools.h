#pragma once

// The real program under an X server of the test's own: its window is found on the screen,
// input is pushed through the X server's test extension as a player's would come, and what the
// program shows is read back from the screen. The program writes its state traces to a file,
// which tells a test where the game is.
//
// A test never waits a fixed time for the program: the machine may be busy. It waits for a
// trace line (`GameProgram::expectTrace`, or `traceAfter` around an action), then for the screen
// to have settled after it (`GameProgram::expectSettled`: the program traces "Screen settled"
// once its top state has drawn a few whole frames with no fade after its latest line, so the
// screen takes input). The X server may still take in the program's last frames after a test's
// read: for a moment after the line the screen may show the frame before the change, or the last
// step of a fade. What a test keeps to compare with later is read once the screen shows it and
// holds still (`readShown`).
// Every wait has a generous limit (`kPatience`) and fails naming what it awaited. Where a test
// watches that something does not change, it watches for a while: that is an observation, not a
// wait.

#include "tests/support/Pictures.h"
#include "tests/support/PrivateServer.h"
#include "tests/support/ShellChild.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// Xlib's macros (None, Bool, Status) clash with names of the test framework: include this
// header after the test framework's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace DisplayTest
{

// How long a display test waits for what it awaits before it fails.
constexpr double kPatience = 60.0;

// The calls of Xlib and of its test extension the test makes, loaded when it runs: the test
// program itself does not link them.
struct XCalls
{
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Status (*queryTree)(Display*, Window, Window*, Window*, Window**, unsigned*) = nullptr;
    Status (*getWMName)(Display*, Window, XTextProperty*) = nullptr;
    int (*freeMemory)(void*) = nullptr;
    Status (*windowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
    Bool (*translate)(Display*, Window, Window, int, int, int*, int*, Window*) = nullptr;
    XImage* (*getImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int) = nullptr;
    KeyCode (*keysymToKeycode)(Display*, KeySym) = nullptr;
    int (*sync)(Display*, Bool) = nullptr;
    int (*fakeMotion)(Display*, int, int, int, unsigned long) = nullptr;
    int (*fakeButton)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*fakeKey)(Display*, unsigned, Bool, unsigned long) = nullptr;
    Atom (*internAtom)(Display*, const char*, Bool) = nullptr;
    Window (*selectionOwner)(Display*, Atom) = nullptr;
    int (*setInputFocus)(Display*, Window, int, Time) = nullptr;
    int (*getInputFocus)(Display*, Window*, int*) = nullptr;
    int (*moveWindow)(Display*, Window, int, int) = nullptr;
    Bool (*queryPointer)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned*) = nullptr;
    XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;

    std::string error;

    XCalls()
    {
        void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
        void* xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_GLOBAL);
        if (!x11 || !xtst)
        {
            error = "libX11.so.6 and libXtst.so.6 (Debian: libx11-6, libxtst6) are needed to push input";
            return;
        }
        load(x11, openDisplay, "XOpenDisplay");
        load(x11, closeDisplay, "XCloseDisplay");
        load(x11, queryTree, "XQueryTree");
        load(x11, getWMName, "XGetWMName");
        load(x11, freeMemory, "XFree");
        load(x11, windowAttributes, "XGetWindowAttributes");
        load(x11, translate, "XTranslateCoordinates");
        load(x11, getImage, "XGetImage");
        load(x11, keysymToKeycode, "XKeysymToKeycode");
        load(x11, sync, "XSync");
        load(x11, internAtom, "XInternAtom");
        load(x11, selectionOwner, "XGetSelectionOwner");
        load(x11, setInputFocus, "XSetInputFocus");
        load(x11, getInputFocus, "XGetInputFocus");
        load(x11, moveWindow, "XMoveWindow");
        load(x11, queryPointer, "XQueryPointer");
        load(xtst, fakeMotion, "XTestFakeMotionEvent");
        load(xtst, fakeButton, "XTestFakeButtonEvent");
        load(xtst, fakeKey, "XTestFakeKeyEvent");
        load(x11, setErrorHandler, "XSetErrorHandler");
        // The game's windows come and go while the test walks the tree (a restart, a mode
        // switch): a window gone between finding it and reading it is not the test's failure,
        // and Xlib's own handler would end the test program on it.
        if (setErrorHandler)
            setErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }

    template <class F> void load(void* library, F& call, const char* name)
    {
        call = reinterpret_cast<F>(dlsym(library, name));
        if (!call)
            error += std::string("no ") + name + " ";
    }
};

inline XCalls& x()
{
    static XCalls calls;
    return calls;
}

using Test::PrivateServer;

// The game's window on the X screen: found by its title, its content's place on the root.
class GameScreen
{
public:
    // On a server with a screen of the test's own size ("WIDTHxHEIGHTxDEPTH").
    explicit GameScreen(const std::string& size = "1920x1080x24")
        : m_server(size), m_display(x().openDisplay(nullptr))
    {
    }
    ~GameScreen()
    {
        if (m_display)
            x().closeDisplay(m_display);
    }
    GameScreen(const GameScreen&) = delete;
    GameScreen& operator=(const GameScreen&) = delete;

    bool open() const { return m_display != nullptr; }

    // Looks for the window titled `title`; true once it is mapped with the game's size.
    bool find(const std::string& title)
    {
        Window found = search(DefaultRootWindow(m_display), title);
        if (!found)
            return false;
        XWindowAttributes attributes;
        x().windowAttributes(m_display, found, &attributes);
        if (attributes.map_state != IsViewable || attributes.width != 1024 || attributes.height != 768)
            return false;
        Window child;
        x().translate(m_display, found, DefaultRootWindow(m_display), 0, 0, &m_left, &m_top, &child);
        return true;
    }

    // The colour (0xRRGGBB) at a point of the game's 1024 x 768 screen.
    uint32_t pixel(int px, int py)
    {
        XImage* image = x().getImage(m_display, DefaultRootWindow(m_display), m_left + px, m_top + py, 1, 1,
                                     AllPlanes, ZPixmap);
        if (!image)
            return 0;
        const uint32_t value = static_cast<uint32_t>(image->f.get_pixel(image, 0, 0)) & 0xFFFFFFu;
        image->f.destroy_image(image);
        return value;
    }

    // Every pixel of a rectangle, row by row.
    std::vector<uint32_t> area(int px, int py, unsigned width, unsigned height)
    {
        std::vector<uint32_t> pixels;
        XImage* image = x().getImage(m_display, DefaultRootWindow(m_display), m_left + px, m_top + py, width,
                                     height, AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        for (unsigned row = 0; row < height; ++row)
            for (unsigned column = 0; column < width; ++column)
                pixels.push_back(static_cast<uint32_t>(image->f.get_pixel(image, static_cast<int>(column),
                                                                          static_cast<int>(row))) &
                                 0xFFFFFFu);
        image->f.destroy_image(image);
        return pixels;
    }

    void moveTo(int px, int py)
    {
        x().fakeMotion(m_display, -1, m_left + px, m_top + py, 0);
        x().sync(m_display, False);
    }
    // The pointer moved there and the primary button pressed and let go at once: the program
    // takes a button where its event happened, whichever frame it reads it in.
    void click(int px, int py)
    {
        moveTo(px, py);
        clickInPlace();
    }
    // The primary button pressed and let go where the pointer stands, without moving it.
    void clickInPlace()
    {
        x().fakeButton(m_display, 1, True, 0);
        x().sync(m_display, False);
        x().fakeButton(m_display, 1, False, 0);
        x().sync(m_display, False);
    }
    // A click tried again as a player tries it, a little beside the place of the last: a button
    // that a closing dialog left under a pointer at rest takes no press until the pointer moves,
    // and a move off the place and back again may come to the program within one frame, as no
    // move at all.
    void clickAgain(int px, int py)
    {
        m_aside = -m_aside;
        click(px + m_aside, py);
    }
    // Holds `modifier` down while `symbol` is pressed and let go (Alt+Enter); with
    // `modifierUpFirst` the modifier is let go before the key. With `holding`, both stay down
    // (the key repeating as the server repeats it) until it returns false; it is called now and
    // then.
    void chord(KeySym modifier, KeySym symbol, bool modifierUpFirst = false,
               const std::function<bool()>& holding = {})
    {
        const KeyCode held = x().keysymToKeycode(m_display, modifier);
        const KeyCode code = x().keysymToKeycode(m_display, symbol);
        // Both go down, then up in the order asked.
        const KeyCode order[] = {held, code, modifierUpFirst ? held : code, modifierUpFirst ? code : held};
        for (int i = 0; i < 4; ++i)
        {
            x().fakeKey(m_display, order[i], i < 2 ? True : False, 0);
            x().sync(m_display, False);
            while (i == 1 && holding && holding())
                pause(20);
        }
    }
    // Takes the keyboard focus from every window: the game's window goes to the back.
    void dropFocus()
    {
        x().setInputFocus(m_display, None, RevertToNone, CurrentTime);
        x().sync(m_display, False);
    }
    // Gives the keyboard focus to the window titled `title`: it comes to the front.
    void giveFocus(const std::string& title)
    {
        x().setInputFocus(m_display, search(DefaultRootWindow(m_display), title), RevertToParent,
                          CurrentTime);
        x().sync(m_display, False);
    }
    Display* display() const { return m_display; }

    // Where a window stands on the screen: its content, and the frame a window manager put
    // around it (the content itself when none did). Right and bottom are one past the last pixel.
    struct Placement
    {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        int frameLeft = 0;
        int frameTop = 0;
        int frameRight = 0;
        int frameBottom = 0;
        Window frame = 0; // the top-level window: the frame, or the window itself

        int width() const { return right - left; }
        int height() const { return bottom - top; }
    };
    // The placement of the mapped window titled `title`; false while there is none.
    bool placement(const std::string& title, Placement& out)
    {
        const Window root = DefaultRootWindow(m_display);
        const Window found = search(root, title);
        if (!found)
            return false;
        XWindowAttributes attributes;
        if (!x().windowAttributes(m_display, found, &attributes) || attributes.map_state != IsViewable)
            return false;
        Window child = 0;
        x().translate(m_display, found, root, 0, 0, &out.left, &out.top, &child);
        out.right = out.left + attributes.width;
        out.bottom = out.top + attributes.height;
        // The window's top-level ancestor: the frame, or the window itself.
        Window top = found;
        for (;;)
        {
            Window rootOut = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned count = 0;
            if (!x().queryTree(m_display, top, &rootOut, &parent, &children, &count))
                return false;
            if (children)
                x().freeMemory(children);
            if (parent == root || parent == 0)
                break;
            top = parent;
        }
        XWindowAttributes frame;
        if (!x().windowAttributes(m_display, top, &frame))
            return false;
        out.frameLeft = frame.x;
        out.frameTop = frame.y;
        out.frameRight = frame.x + frame.width + 2 * frame.border_width;
        out.frameBottom = frame.y + frame.height + 2 * frame.border_width;
        out.frame = top;
        return true;
    }
    // True when the mapped window titled `upper` stands above the one titled `lower`.
    bool stacksAbove(const std::string& upper, const std::string& lower)
    {
        Placement top;
        Placement bottom;
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!placement(upper, top) || !placement(lower, bottom) || top.frame == bottom.frame ||
            !x().queryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return false;
        // The root's children come bottom to top.
        const std::vector<Window> order(children, children + count);
        x().freeMemory(children);
        return std::find(order.begin(), order.end(), bottom.frame) <
               std::find(order.begin(), order.end(), top.frame);
    }
    int screenWidth() const { return WidthOfScreen(DefaultScreenOfDisplay(m_display)); }
    int screenHeight() const { return HeightOfScreen(DefaultScreenOfDisplay(m_display)); }
    // Moves the pointer to a point of the root window.
    void moveOnScreen(int px, int py)
    {
        x().fakeMotion(m_display, -1, px, py, 0);
        x().sync(m_display, False);
    }
    // Where the pointer stands on the root window.
    void pointer(int& px, int& py)
    {
        Window root = 0;
        Window child = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned mask = 0;
        x().queryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &px, &py, &windowX, &windowY,
                         &mask);
    }
    // Asks for the window titled `title` to move by (dx, dy) as a window manager's tool does
    // (`xdotool windowmove`): the request goes to the window itself, a window manager takes it
    // and moves the window's frame, the pointer staying where it stands.
    bool moveWindowBy(const std::string& title, int dx, int dy)
    {
        Placement place;
        if (!placement(title, place))
            return false;
        x().moveWindow(m_display, search(DefaultRootWindow(m_display), title), place.frameLeft + dx,
                       place.frameTop + dy);
        x().sync(m_display, False);
        return true;
    }

    // Presses a key and lets it go: the program reads both from its buffered keyboard.
    void key(KeySym symbol)
    {
        const KeyCode code = x().keysymToKeycode(m_display, symbol);
        x().fakeKey(m_display, code, True, 0);
        x().sync(m_display, False);
        x().fakeKey(m_display, code, False, 0);
        x().sync(m_display, False);
    }

    // The step of a polling loop (never a wait on the program by itself).
    static void pause(int milliseconds)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

private:
    Window search(Window window, const std::string& title)
    {
        // The name's bytes whatever their encoding: SDL names a message box in UTF-8.
        XTextProperty name{};
        if (x().getWMName(m_display, window, &name) && name.value)
        {
            const bool same = title == std::string(reinterpret_cast<const char*>(name.value), name.nitems);
            x().freeMemory(name.value);
            if (same)
                return window;
        }
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (x().queryTree(m_display, window, &root, &parent, &children, &count))
        {
            for (unsigned i = 0; i < count && !found; ++i)
                found = search(children[i], title);
            if (children)
                x().freeMemory(children);
        }
        return found;
    }

    PrivateServer m_server;
    Display* m_display;
    int m_left = 0;
    int m_top = 0;
    int m_aside = 2; // how far beside its place clickAgain clicks; the side changes each time
};

// Keeps what the game shows for a look at full size: screenshots/game_<name>.png in the build
// folder.
inline void saveShot(GameScreen& screen, const std::string& name)
{
    const std::vector<uint32_t> pixels = screen.area(0, 0, 1024, 768);
    if (pixels.size() != 1024u * 768u)
        return;
    const Platform::Image image = Test::picture(
        1024, 768, [&](uint32_t px, uint32_t py) { return 0xFF000000u | pixels[py * 1024 + px]; });
    std::filesystem::create_directories(std::string(QUILL_BINARY_DIR) + "/screenshots");
    std::ofstream(std::string(QUILL_BINARY_DIR) + "/screenshots/game_" + name + ".png", std::ios::binary)
        << Test::pngBytes(image);
}

// Whether two colours differ by at most `tolerance` in every channel.
inline bool near(uint32_t a, uint32_t b, int tolerance = 12)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

// A player list of one player, Ada, who plays now, and her (empty) values: a program started on
// a level plays it at once instead of asking a first player's name.
inline void playedBefore(const ::Test::TempDir& folder)
{
    folder.write("share/Quillmoor/profiles/profiles.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Profiles NextID=\"2\" CurrentUser=\"Ada\">"
                 "<Profile Name=\"Ada\" ID=\"1\"/></Profiles>");
    folder.write("share/Quillmoor/profiles/00000001.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Props></Props>");
}

// The program started with a command line (a level path, or nothing), its shared folder in the
// test's folder and its traces going to a file there (the file of an earlier run is replaced).
// It runs in `workingFolder` when one is given, else in the test's; `environment` adds
// variables ("NAME='value' ...") to the program's.
class GameProgram
{
public:
    GameProgram(const ::Test::TempDir& folder, const std::string& level,
                const std::string& workingFolder = "", const std::string& environment = "")
    {
        const std::string root = folder.path().string();
        m_traces = root + "/traces.txt";
        const std::string argument = level.empty() ? std::string() : " '" + level + "'";
        const std::string enter = workingFolder.empty() ? std::string() : "cd '" + workingFolder + "' && ";
        const std::string command = enter + "XDG_DATA_HOME='" + root + "/share' XDG_RUNTIME_DIR='" + root +
                                    "' QUILLMOOR_TRACE=1 " + environment + " exec '" + QUILL_EXECUTABLE +
                                    "'" + argument + " 2>'" + m_traces + "'";
        m_pid = ::Test::startShell(command);
    }
    ~GameProgram()
    {
        if (!m_ended)
            ::Test::endChild(m_pid, SIGKILL);
    }
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    std::string traces() const { return ::Test::readFile(m_traces); }
    // How often the traces hold `text` now.
    int count(const std::string& text) const
    {
        const std::string all = traces();
        int found = 0;
        for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++found;
        return found;
    }
    // Waits up to `seconds` for the traces to hold `text` `times` times.
    bool waitFor(const std::string& text, int times = 1, double seconds = kPatience) const
    {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
             std::chrono::steady_clock::now() < end;)
        {
            if (count(text) >= times)
                return true;
            if (ended())
                return false;
            GameScreen::pause(50);
        }
        return false;
    }
    // The same as a test's check: the failure names the awaited trace, how often it came, and
    // shows the traces.
    ::testing::AssertionResult expectTrace(const std::string& text, int times = 1,
                                           double seconds = kPatience) const
    {
        if (waitFor(text, times, seconds))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "awaited the trace \"" << printable(text) << "\" " << times << " time(s) for " << seconds
               << " s, found it " << count(text) << " time(s)" << (ended() ? "; the program ended" : "")
               << "\n--- traces ---\n"
               << traces();
    }
    // Waits for the traces to hold `text` `times` times (its latest time when `times` is 0) and
    // for the screen to have settled after it: a "Screen settled" line follows it.
    ::testing::AssertionResult expectSettled(const std::string& text, int times = 0,
                                             double seconds = kPatience) const
    {
        if (times > 0)
            if (::testing::AssertionResult found = expectTrace(text, times, seconds); !found)
                return found;
        for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
             std::chrono::steady_clock::now() < end;)
        {
            // The line's `times`-th time (or its latest) in one reading of the traces: a settle
            // that came before it belongs to an earlier change.
            const std::string all = traces();
            size_t at = std::string::npos;
            int seen = 0;
            for (size_t next = all.find(text); next != std::string::npos && (times == 0 || seen < times);
                 next = all.find(text, next + 1), ++seen)
                at = next;
            if (seen >= times && at != std::string::npos &&
                all.find(kSettled, at + text.size()) != std::string::npos)
                return ::testing::AssertionSuccess();
            if (ended())
                break;
            GameScreen::pause(40);
        }
        return ::testing::AssertionFailure() << "awaited the trace \"" << printable(kSettled) << "\" after \""
                                             << printable(text) << "\" for " << seconds << " s"
                                             << (ended() ? "; the program ended" : "") << "\n--- traces ---\n"
                                             << traces();
    }

    bool ended() const
    {
        if (m_ended)
            return true;
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid)
        {
            m_ended = true;
            m_status = status;
        }
        return m_ended;
    }
    // The exit code of a program that has ended; -2 when a signal ended it.
    int exitCode() const { return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -2; }
    // Asks the program to close, as the window's close box does, and waits for its exit code.
    int close()
    {
        ::kill(m_pid, SIGTERM);
        for (int i = 0; i < 600 && !ended(); ++i)
            GameScreen::pause(50);
        if (!m_ended)
            return -1;
        return exitCode();
    }

    // The line the program traces once its screen settled.
    static constexpr const char* kSettled = "Screen settled\n";

private:
    static std::string printable(std::string text)
    {
        if (!text.empty() && text.back() == '\n')
            text.back() = ' ', text += "(line end)";
        return text;
    }

    pid_t m_pid = -1;
    std::string m_traces;
    mutable bool m_ended = false;
    mutable int m_status = 0;
};

// Runs `action` (a click, a key), then waits for the traces to hold `text` once more than
// before it, and with `settled` for the screen to have settled after that line.
inline ::testing::AssertionResult traceAfter(const GameProgram& game, const std::string& text,
                                             const std::function<void()>& action, bool settled = false,
                                             double seconds = kPatience)
{
    const int before = game.count(text);
    action();
    return settled ? game.expectSettled(text, before + 1, seconds)
                   : game.expectTrace(text, before + 1, seconds);
}

// Clicks at a place until the traces hold `text` once more than before (a click may land while
// the screen fades or a message over it goes; each try after the first moves the pointer, as a
// player does), and waits for the screen to settle.
inline ::testing::AssertionResult clickUntil(GameScreen& screen, const GameProgram& game, int px, int py,
                                             const std::string& text)
{
    const int before = game.count(text);
    for (int i = 0; i < 20 && game.count(text) == before; ++i)
    {
        if (i == 0)
            screen.click(px, py);
        else
            screen.clickAgain(px, py);
        game.waitFor(text, before + 1, 1.0);
    }
    return game.expectSettled(text, before + 1);
}

// Watches the program for a while, for a check that something does not change meanwhile: an
// observation, never a wait for the program to get somewhere.
inline void observe(double seconds)
{
    GameScreen::pause(static_cast<int>(seconds * 1000.0));
}

// Waits until `check` (on what the screen shows) holds, up to `seconds`.
inline bool until(const std::function<bool()>& check, double seconds = kPatience)
{
    for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
         std::chrono::steady_clock::now() < end;)
    {
        if (check())
            return true;
        GameScreen::pause(40);
    }
    return false;
}

// How long a read of the screen gives the same before a test takes it as what the screen shows.
constexpr double kSteady = 0.5;

// Reads `read` (what a place of the screen shows, or a measure of it) until it gives a value
// that `shown` accepts (the change awaited shows there: the place no longer shows what it
// showed before) and then gives that same value in every read for `kSteady` seconds; `out`
// holds it. After "Screen settled" the screen may show a frame before the change for a moment,
// or the last step of a fade (see the top of this file): a value kept to compare with later
// is read this way.
template <class Read, class T, class Shown>
::testing::AssertionResult readShown(const Read& read, T& out, const Shown& shown, double seconds = kPatience)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    bool held = false;
    Clock::time_point since;
    while (Clock::now() < end)
    {
        const Clock::time_point at = Clock::now();
        T value = read();
        if (!shown(static_cast<const T&>(value)))
            held = false;
        else if (!held || !(value == out))
        {
            out = std::move(value);
            held = true;
            since = at;
        }
        else if (at - since >= std::chrono::duration<double>(kSteady))
            return ::testing::AssertionSuccess();
        GameScreen::pause(40);
    }
    return ::testing::AssertionFailure()
           << (held ? "the screen did not hold still" : "the awaited change did not show") << " for "
           << seconds << " s";
}

// The same, for a place whose every value is awaited: it is read once it holds still.
template <class Read, class T>
::testing::AssertionResult readShown(const Read& read, T& out, double seconds = kPatience)
{
    return readShown(
        read, out, [](const T&) { return true; }, seconds);
}

// Skips the logos with key presses (a press and its release skip the logo that is up; one may
// also go by itself on a slow machine) and waits for the main menu to come and settle. The
// pointer stands on the window, which has the keys without a window manager.
inline ::testing::AssertionResult skipLogos(GameScreen& screen, const GameProgram& game)
{
    screen.moveTo(512, 384);
    const auto introOver = [&] { return game.count("CIntroState Cleanup\n") > 0; };
    for (int skipped = 0; !introOver(); ++skipped)
    {
        if (skipped == 3)
            return ::testing::AssertionFailure() << "three logos skipped, and the intro goes on\n"
                                                 << game.traces();
        // A logo up that no key has skipped yet.
        if (!until([&] { return game.count("Logo shown\n") > skipped || introOver(); }))
            return ::testing::AssertionFailure()
                   << "awaited the trace \"Logo shown\" " << skipped + 1 << " time(s)\n"
                   << game.traces();
        if (introOver())
            break;
        if (::testing::AssertionResult taken = traceAfter(
                game, "Logo skipped\n", [&] { screen.key(XK_space); }, true);
            !taken)
            return taken;
    }
    return game.expectSettled("CMenuState Init\n", 1);
}

// The steps the briefing on top traced so far.
inline int briefingMovesOf(const GameProgram& game)
{
    return game.count("Briefing speech said whole\n") + game.count("Briefing goes on\n") +
           game.count("Briefing speaks\n") + game.count("Briefing waits\n") +
           game.count("Briefing at its end\n");
}

// Reads the briefing on top to its end: a key shows a speech at once, ends a wait and, at the
// end, works the forward button.
inline bool readBriefing(GameScreen& screen, const GameProgram& game)
{
    const int ends = game.count("BriefState::Cleanup()\n");
    // Each key says the speech whole, ends a wait or, at the end, works the forward button;
    // the next key comes once the briefing has moved on. A key that finds the briefing
    // between its steps moves nothing: it is pressed again after a while.
    for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(2 * kPatience);
         std::chrono::steady_clock::now() < end;)
    {
        const int moves = briefingMovesOf(game);
        screen.key(XK_space);
        until([&] { return briefingMovesOf(game) > moves || game.count("BriefState::Cleanup()\n") > ends; },
              5.0);
        if (game.count("BriefState::Cleanup()\n") > ends)
            return true;
        if (game.ended())
            return false;
    }
    return false;
}

} // namespace DisplayTest
