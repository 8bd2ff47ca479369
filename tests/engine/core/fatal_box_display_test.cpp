// The fatal-error box of the real program under an X server of the test's own: the box ends with
// the program. The program fails at its start (its data folder has no constants) and shows its
// box; a signal to the program then ends the program and the box with it, so that nothing is
// left on the screen and no process of the program lives on.
#include "tests/support/PrivateServer.h"
#include "tests/support/ShellChild.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{

using Clock = std::chrono::steady_clock;

// The calls of Xlib the test makes, loaded when it runs: the test program does not link them.
struct Xlib
{
    Display* (*openDisplay)(const char*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    ::Window (*rootWindow)(Display*) = nullptr;
    Status (*queryTree)(Display*, ::Window, ::Window*, ::Window*, ::Window**, unsigned*) = nullptr;
    Status (*getWMName)(Display*, ::Window, XTextProperty*) = nullptr;
    int (*free)(void*) = nullptr;
    XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;

    Xlib()
    {
        void* library = dlopen("libX11.so.6", RTLD_NOW);
        if (!library)
            return;
        load(library, openDisplay, "XOpenDisplay");
        load(library, closeDisplay, "XCloseDisplay");
        load(library, rootWindow, "XDefaultRootWindow");
        load(library, queryTree, "XQueryTree");
        load(library, getWMName, "XGetWMName");
        load(library, free, "XFree");
        load(library, setErrorHandler, "XSetErrorHandler");
        // A window may go between listing it and reading its name (the box itself, as the test
        // ends it): that is no failure of the test, and Xlib's own handler would end the test.
        if (setErrorHandler)
            setErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    template <class F> void load(void* library, F& call, const char* name)
    {
        call = reinterpret_cast<F>(dlsym(library, name));
        ok = ok && call;
    }
    bool ok = true;
};

// The top-level windows named `name`.
std::vector<::Window> windowsNamed(const Xlib& x, Display* display, const std::string& name)
{
    std::vector<::Window> found;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (!x.queryTree(display, x.rootWindow(display), &root, &parent, &children, &count))
        return found;
    for (unsigned i = 0; i < count; ++i)
    {
        // The name's bytes whatever their encoding: SDL names its box in UTF-8.
        XTextProperty title{};
        if (x.getWMName(display, children[i], &title) && title.value)
        {
            if (std::string(reinterpret_cast<const char*>(title.value), title.nitems) == name)
                found.push_back(children[i]);
            x.free(title.value);
        }
    }
    if (children)
        x.free(children);
    return found;
}

// The processes whose parent is this one but `kept` (the test's X server): the programs it
// started and, since it is their subreaper, whatever they left behind.
std::vector<pid_t> children(pid_t kept)
{
    std::vector<pid_t> found;
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return found;
    while (const dirent* task = ::readdir(tasks))
    {
        if (task->d_name[0] == '.')
            continue;
        std::ifstream list(std::string("/proc/self/task/") + task->d_name + "/children");
        for (pid_t pid = 0; list >> pid;)
            if (pid != kept)
                found.push_back(pid);
    }
    ::closedir(tasks);
    return found;
}

// Reaps what has ended among the children; true when none but `kept` is left.
bool reapAll(pid_t kept)
{
    int status = 0;
    while (::waitpid(-1, &status, WNOHANG) > 0)
    {
    }
    return children(kept).empty();
}

template <class Condition> bool waitFor(Condition condition, std::chrono::seconds limit)
{
    const auto end = Clock::now() + limit;
    while (!condition())
    {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class FatalBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.ok) << "libX11 cannot be loaded";
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "the display tests run under an X server";
        display = x.openDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        // Whatever the program leaves behind comes to this process, to be found and ended.
        ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        std::filesystem::copy_file(QUILL_EXECUTABLE, folder.path() / "quillmoor");
        std::filesystem::create_directories(folder.path() / "Data");
    }
    void TearDown() override
    {
        // Nothing may stay on the screen of the test run, whatever the test found.
        for (pid_t pid : children(server.pid()))
            ::kill(pid, SIGKILL);
        waitFor([this] { return reapAll(server.pid()); }, std::chrono::seconds(30));
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        if (display)
            x.closeDisplay(display);
    }

    // Starts the program as a player would, with a display and nothing that keeps boxes away;
    // it fails at once for want of its constants and shows the fatal box.
    pid_t startFailingProgram()
    {
        const std::string root = folder.path().string();
        const std::string command = "cd '" + root + "' && exec env -u QUILLMOOR_HEADLESS XDG_DATA_HOME='" +
                                    root + "/share' XDG_RUNTIME_DIR='" + root + "' ./quillmoor 2>stderr.txt";
        return ::Test::startShell(command);
    }

    // Waits until a new box captioned "Error" is on the screen.
    bool boxAppears(const std::vector<::Window>& before)
    {
        return waitFor(
            [&]
            {
                for (::Window window : windowsNamed(x, display, "Error"))
                    if (std::find(before.begin(), before.end(), window) == before.end())
                        return true;
                return false;
            },
            std::chrono::seconds(120));
    }

    // Waits until the program has ended, and returns how it ended.
    bool programEnds(pid_t program, int& status)
    {
        return waitFor([&] { return ::waitpid(program, &status, WNOHANG) == program; },
                       std::chrono::seconds(60));
    }

    // Made first: the display opened below and the program started later are on this server.
    ::Test::PrivateServer server;
    Xlib x;
    Display* display = nullptr;
    ::Test::TempDir folder;
};

TEST_F(FatalBox, ASignalToTheProgramEndsItsBoxToo)
{
    for (const int signal : {SIGTERM, SIGKILL})
    {
        SCOPED_TRACE(strsignal(signal));
        const std::vector<::Window> before = windowsNamed(x, display, "Error");
        const pid_t program = startFailingProgram();
        ASSERT_GT(program, 0);
        ASSERT_TRUE(boxAppears(before)) << folder.read("stderr.txt");
        ASSERT_EQ(::kill(program, signal), 0);
        int status = 0;
        ASSERT_TRUE(programEnds(program, status)) << "the program waits on its box";
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a failed run ends as a failure";
        EXPECT_TRUE(waitFor([this] { return reapAll(server.pid()); }, std::chrono::seconds(30)))
            << "a process of the program lives on";
        EXPECT_TRUE(waitFor([&] { return windowsNamed(x, display, "Error").size() <= before.size(); },
                            std::chrono::seconds(30)))
            << "the box stays on the screen";
    }
}

} // namespace
