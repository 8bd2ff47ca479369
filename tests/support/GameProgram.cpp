#include "tests/support/GameProgram.h"

#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Xlib's macros (None, Bool, Status) clash with names of the test framework: it stays in here.
#include <X11/Xlib.h>

namespace Test
{

namespace
{

// The calls of Xlib and of its test extension the tests make.
struct XCalls
{
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Status (*queryTree)(Display*, Window, Window*, Window*, Window**, unsigned*) = nullptr;
    Status (*fetchName)(Display*, Window, char**) = nullptr;
    int (*freeMemory)(void*) = nullptr;
    Status (*windowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
    Bool (*translate)(Display*, Window, Window, int, int, int*, int*, Window*) = nullptr;
    XImage* (*getImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int) = nullptr;
    KeyCode (*keysymToKeycode)(Display*, KeySym) = nullptr;
    int (*sync)(Display*, Bool) = nullptr;
    int (*fakeMotion)(Display*, int, int, int, unsigned long) = nullptr;
    int (*fakeButton)(Display*, unsigned, Bool, unsigned long) = nullptr;
    int (*fakeKey)(Display*, unsigned, Bool, unsigned long) = nullptr;

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
        load(x11, fetchName, "XFetchName");
        load(x11, freeMemory, "XFree");
        load(x11, windowAttributes, "XGetWindowAttributes");
        load(x11, translate, "XTranslateCoordinates");
        load(x11, getImage, "XGetImage");
        load(x11, keysymToKeycode, "XKeysymToKeycode");
        load(x11, sync, "XSync");
        load(xtst, fakeMotion, "XTestFakeMotionEvent");
        load(xtst, fakeButton, "XTestFakeButtonEvent");
        load(xtst, fakeKey, "XTestFakeKeyEvent");
    }

    template <class F> void load(void* library, F& call, const char* name)
    {
        call = reinterpret_cast<F>(dlsym(library, name));
        if (!call)
            error += std::string("no ") + name + " ";
    }
};

XCalls& x()
{
    static XCalls calls;
    return calls;
}

Display* display(void* handle)
{
    return static_cast<Display*>(handle);
}

} // namespace

const std::string& xLibraryError()
{
    return x().error;
}

GameScreen::GameScreen() : m_display(x().error.empty() ? x().openDisplay(nullptr) : nullptr) {}

GameScreen::~GameScreen()
{
    if (m_display)
        x().closeDisplay(display(m_display));
}

bool GameScreen::find(const std::string& title)
{
    Display* d = display(m_display);
    const Window found = search(DefaultRootWindow(d), title);
    if (!found)
        return false;
    XWindowAttributes attributes;
    x().windowAttributes(d, found, &attributes);
    if (attributes.map_state != IsViewable || attributes.width != 1024 || attributes.height != 768)
        return false;
    Window child;
    x().translate(d, found, DefaultRootWindow(d), 0, 0, &m_left, &m_top, &child);
    return true;
}

uint32_t GameScreen::pixel(int px, int py)
{
    Display* d = display(m_display);
    XImage* image = x().getImage(d, DefaultRootWindow(d), m_left + px, m_top + py, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const uint32_t value = static_cast<uint32_t>(image->f.get_pixel(image, 0, 0)) & 0xFFFFFFu;
    image->f.destroy_image(image);
    return value;
}

std::vector<uint32_t> GameScreen::area(int px, int py, unsigned width, unsigned height)
{
    std::vector<uint32_t> pixels;
    Display* d = display(m_display);
    XImage* image =
        x().getImage(d, DefaultRootWindow(d), m_left + px, m_top + py, width, height, AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    for (unsigned row = 0; row < height; ++row)
        for (unsigned column = 0; column < width; ++column)
            pixels.push_back(static_cast<uint32_t>(
                                 image->f.get_pixel(image, static_cast<int>(column), static_cast<int>(row))) &
                             0xFFFFFFu);
    image->f.destroy_image(image);
    return pixels;
}

void GameScreen::moveTo(int px, int py)
{
    x().fakeMotion(display(m_display), -1, m_left + px, m_top + py, 0);
    x().sync(display(m_display), False);
}

void GameScreen::click(int px, int py)
{
    moveTo(px, py);
    pause(100);
    x().fakeButton(display(m_display), 1, True, 0);
    x().sync(display(m_display), False);
    pause(100);
    x().fakeButton(display(m_display), 1, False, 0);
    x().sync(display(m_display), False);
}

void GameScreen::key(unsigned long symbol)
{
    Display* d = display(m_display);
    const KeyCode code = x().keysymToKeycode(d, symbol);
    x().fakeKey(d, code, True, 0);
    x().sync(d, False);
    pause(80);
    x().fakeKey(d, code, False, 0);
    x().sync(d, False);
}

void GameScreen::saveShot(const std::string& name)
{
    const std::vector<uint32_t> pixels = area(0, 0, 1024, 768);
    if (pixels.size() != 1024u * 768u)
        return;
    const Platform::Image image =
        picture(1024, 768, [&](uint32_t px, uint32_t py) { return 0xFF000000u | pixels[py * 1024 + px]; });
    std::filesystem::create_directories(std::string(QUILL_BINARY_DIR) + "/screenshots");
    std::ofstream(std::string(QUILL_BINARY_DIR) + "/screenshots/game_" + name + ".png", std::ios::binary)
        << pngBytes(image);
}

void GameScreen::pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

unsigned long GameScreen::search(unsigned long window, const std::string& title)
{
    Display* d = display(m_display);
    char* name = nullptr;
    if (x().fetchName(d, window, &name) && name)
    {
        const bool same = title == name;
        x().freeMemory(name);
        if (same)
            return window;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (x().queryTree(d, window, &root, &parent, &children, &count))
    {
        for (unsigned i = 0; i < count && !found; ++i)
            found = search(children[i], title);
        if (children)
            x().freeMemory(children);
    }
    return found;
}

GameProgram::GameProgram(const TempDir& folder, const std::string& level)
{
    const std::string root = folder.path().string();
    m_traces = root + "/traces.txt";
    const std::string command = "XDG_DATA_HOME='" + root + "/share' XDG_RUNTIME_DIR='" + root +
                                "' QUILLMOOR_TRACE=1 exec '" + QUILL_EXECUTABLE + "' '" + level + "' 2>'" +
                                m_traces + "'";
    // Everything the child needs is made before the fork: it only calls exec.
    m_pid = ::fork();
    if (m_pid == 0)
    {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

GameProgram::~GameProgram()
{
    if (m_pid > 0 && !m_ended)
    {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

std::string GameProgram::traces() const
{
    return readFile(m_traces);
}

int GameProgram::count(const std::string& text) const
{
    const std::string all = traces();
    int found = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        ++found;
    return found;
}

bool GameProgram::waitFor(const std::string& text, int times, double seconds) const
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

bool GameProgram::ended() const
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

int GameProgram::close()
{
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 600 && !ended(); ++i)
        GameScreen::pause(50);
    if (!m_ended)
        return -1;
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -2;
}

bool near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

bool until(const std::function<bool()>& check, double seconds)
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

} // namespace Test
