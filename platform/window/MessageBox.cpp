#include "platform/window/MessageBox.h"

#include "platform/system/SdlLibrary.h"
#include "platform/system/TextCodec.h"
#include "platform/window/Window.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Last: Xlib's macros (which SDL's window-system header brings) clash with other names.
#include <SDL_syswm.h>

extern char** environ;

// A box is shown by a process of its own: this program started again (from /proc/self/exe)
// with the box's texts in the environment, which shows the box before anything else of the
// program runs and ends when it is dismissed. The program waits for it.
//
// The box must end with the program however the program ends. SDL shows its box from a process
// it forks (on X11), which nothing ties to the program: a program killed while its box was up
// left the box on the screen. So the box process leads a process group of its own, which holds
// whatever SDL forks, and
// - the kernel sends it SIGTERM when the program ends (even by SIGKILL), and it then ends its
//   whole group;
// - a SIGTERM, SIGINT, SIGHUP or SIGQUIT that reaches the program while it waits ends the group
//   at once, then has its ordinary effect on the program.
// A fresh program rather than a bare fork: the program's other threads may hold locks a fork
// would copy held, and SDL's state (its connection to the display) must not be shared.
//
// A box with an owner is told the owner's X11 window, which its SDL takes as a window made
// elsewhere: SDL then shows the box as that window's dialog (WM_TRANSIENT_FOR). A window
// manager stacks a dialog above the window it belongs to and in that window's layer. An
// ownerless box goes among the ordinary windows, beneath a window in full screen, which the
// window manager keeps above them.

namespace Platform
{
namespace
{

const char* const BoxVariable = "QUILLMOOR_MESSAGE_BOX";
const char* const CaptionVariable = "QUILLMOOR_MESSAGE_BOX_CAPTION";
const char* const TextVariable = "QUILLMOOR_MESSAGE_BOX_TEXT";
const char* const ParentVariable = "QUILLMOOR_MESSAGE_BOX_PARENT";
const char* const OwnerVariable = "QUILLMOOR_MESSAGE_BOX_OWNER";

// The signals that end the box with the program.
const int EndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

void writeToStderr(const std::string& caption, const std::string& text)
{
    // A box whose caption is its text (as a pack's is) says it once.
    const std::string line = caption == text ? text + "\n" : caption + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

Uint32 sdlFlags(MessageBoxIcon icon)
{
    if (icon == MessageBoxIcon::Error)
        return SDL_MESSAGEBOX_ERROR;
    if (icon == MessageBoxIcon::Information)
        return SDL_MESSAGEBOX_INFORMATION;
    return SDL_MESSAGEBOX_WARNING;
}

// ---------------------------------------------------------------------------------------------
// The box process

void endBoxGroup(int)
{
    // The box process leads the group; SDL's own process for the box is in it too.
    ::kill(0, SIGKILL);
}

// The window the box belongs to: the owner's X11 window (its id in decimal) made known to SDL;
// null without one, or when SDL's video cannot take it.
SDL_Window* ownerWindow(const std::string& id)
{
    const unsigned long window = std::strtoul(id.c_str(), nullptr, 10);
    if (window == 0 || sdl().SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return sdl().SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(window)));
}

// Runs before the program's own start (and before the static objects of the program are made)
// when the program was started as a box: shows the box and ends, with 0 when it was shown and
// 1 when it could not be.
__attribute__((constructor(101))) void runAsMessageBox()
{
    const char* flags = std::getenv(BoxVariable);
    if (!flags)
        return;
    for (int signal : EndingSignals)
        std::signal(signal, endBoxGroup);
    // The program that asked may have ended before the kernel was told to end the box with it.
    const char* parent = std::getenv(ParentVariable);
    if (!parent || std::atol(parent) != static_cast<long>(::getppid()))
        ::_exit(1);
    const std::string caption = std::getenv(CaptionVariable) ? std::getenv(CaptionVariable) : "";
    const std::string text = std::getenv(TextVariable) ? std::getenv(TextVariable) : "";
    const std::string owner = std::getenv(OwnerVariable) ? std::getenv(OwnerVariable) : "";
    for (const char* name : {BoxVariable, CaptionVariable, TextVariable, ParentVariable, OwnerVariable})
        ::unsetenv(name);
    int shown = -1;
    try
    {
        shown = sdl().SDL_ShowSimpleMessageBox(static_cast<Uint32>(std::strtoul(flags, nullptr, 10)),
                                               caption.c_str(), text.c_str(), ownerWindow(owner));
    }
    catch (const std::exception& error)
    {
        // SDL cannot be loaded: its loader's words go where the box's text will.
        writeToStderr(caption, error.what());
    }
    std::fflush(stderr);
    ::_exit(shown == 0 ? 0 : 1);
}

// ---------------------------------------------------------------------------------------------
// The program's side

std::atomic<pid_t> boxGroup{0};
volatile std::sig_atomic_t endingSignal = 0;

void endBoxWithProgram(int signal)
{
    endingSignal = signal;
    if (const pid_t group = boxGroup.load())
        ::kill(-group, SIGKILL);
}

// The signals' handlers while a box is up, put back as they were when it ends.
class SignalWatch
{
public:
    SignalWatch()
    {
        struct sigaction action
        {
        };
        action.sa_handler = endBoxWithProgram;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            ::sigaction(EndingSignals[i], &action, &m_old[i]);
    }
    ~SignalWatch()
    {
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            ::sigaction(EndingSignals[i], &m_old[i], nullptr);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

private:
    struct sigaction m_old[std::size(EndingSignals)] = {};
};

// The owner's X11 window id in decimal, for the box process; empty when the owner is not on the
// screen or is no X11 window.
std::string ownerId(const Window* owner)
{
    try
    {
        if (!owner || owner->isDestroyed() || !owner->isVisible() || owner->isMinimized())
            return std::string();
        // Found by name rather than through the table of SDL's functions: it is declared with the
        // window systems' types, which would bring Xlib's macros to every file of the table.
        static void* const library = SdlLibrary::open(SdlLibrary::kSdlName);
        static const auto windowInfo = reinterpret_cast<decltype(&SDL_GetWindowWMInfo)>(
            SdlLibrary::find(library, SdlLibrary::kSdlName, "SDL_GetWindowWMInfo"));
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (windowInfo(owner->sdlWindow(), &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
            return std::string();
        return std::to_string(info.info.x11.window);
    }
    catch (const std::exception&)
    {
        return std::string();
    }
}

// Shows the box in a process of its own and waits for it; false when it could not be shown.
bool showInBoxProcess(const std::string& caption, const std::string& text, MessageBoxIcon icon,
                      const Window* owner)
{
    // Everything the new process needs is made before the fork: after it, only calls that are
    // safe in a copy of a program with other threads.
    const pid_t parent = ::getpid();
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, BoxVariable, std::strlen(BoxVariable)) != 0)
            variables.emplace_back(*entry);
    variables.push_back(std::string(BoxVariable) + "=" + std::to_string(sdlFlags(icon)));
    variables.push_back(std::string(CaptionVariable) + "=" + caption);
    variables.push_back(std::string(TextVariable) + "=" + text);
    variables.push_back(std::string(ParentVariable) + "=" + std::to_string(parent));
    if (const std::string id = ownerId(owner); !id.empty())
        variables.push_back(std::string(OwnerVariable) + "=" + id);
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    char name[] = "quillmoor-message-box";
    char* const arguments[] = {name, nullptr};

    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : EndingSignals)
        sigaddset(&ending, signal);
    sigset_t before;
    // Held back until the box process is known, so that none is missed and none hits it early.
    ::sigprocmask(SIG_BLOCK, &ending, &before);
    const pid_t child = ::fork();
    if (child == 0)
    {
        for (int signal : EndingSignals)
            std::signal(signal, SIG_DFL);
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::execve("/proc/self/exe", arguments, environment.data());
        ::_exit(127);
    }
    if (child < 0)
    {
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
        return false;
    }
    // Both sides make the group, so that it exists whichever runs first.
    ::setpgid(child, child);
    boxGroup = child;
    endingSignal = 0;
    int status = 0;
    {
        const SignalWatch watch;
        ::sigprocmask(SIG_SETMASK, &before, nullptr);
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
        {
        }
        ::sigprocmask(SIG_BLOCK, &ending, nullptr);
        boxGroup = 0;
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    // The signal that ended the box now does to the program what it always does.
    if (const int signal = endingSignal)
        std::raise(signal);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool messageBoxesAreHeadless()
{
    // Under a virtual X server a box blocks for ever, since nobody can dismiss it.
    if (std::getenv("QUILLMOOR_HEADLESS"))
        return true;
    return !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
}

void showMessageBox(const std::string& caption, const std::string& text, MessageBoxIcon icon,
                    const Window* owner)
{
    if (messageBoxesAreHeadless() || !showInBoxProcess(caption, text, icon, owner))
        writeToStderr(caption, text);
}

void showMessageBox(const std::wstring& caption, const std::wstring& text, MessageBoxIcon icon)
{
    showMessageBox(utf8FromWide(caption), utf8FromWide(text), icon);
}

} // namespace Platform
