#pragma once

#include "engine/core/cAppParams.h"
#include "engine/core/cApplicationBase.h"
#include "platform/window/Message.h"

#include <boost/signals2/signal.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Platform
{
class InstanceLock;
class Window;
} // namespace Platform

namespace Engine
{

class cConstants;
class cFileSystem;
class cInput;
class cLogic;
class cRender;
class cResourceManager;
class cSettings;
class cSound;
class cStrings;
class cTimer;

// The composition root of the engine, with `cFrameDevices`: it creates and wires every
// subsystem, so cApplication.cpp and cFrameDevices.cpp are the only files of engine/core that
// include the layers above it. Everything else in engine/core builds on the platform layer and
// on itself alone; the resource cache reaches it through `cDocumentCache`.
//
// The program's application: makes sure only one copy runs, creates the engine singletons in
// their order (each uses only those made before it), owns the main window and its message
// loop, and handles the window's messages.
//
// Start-up order: the file system, the resource manager, the constants, the settings, the main
// window, the render device, the input, the timer, the sound (unless the record says no sound), the frame
// driver and the strings. Shutdown deletes the frame driver first, then the strings, the sound, the timer,
// the input, the render device, the settings (which write "sys/settings.xml"), the constants, the resource
// manager and the file system, and the window last. This object owns each singleton it made;
// one that existed before it stays with its owner.
class cApplication : public cApplicationBase
{
public:
    // Throws whatever a singleton throws while it is created; those made before are deleted
    // again. When another copy of the program runs (singleInstance), asks it to come forward
    // and ends this process with exit code 0 before anything is created.
    explicit cApplication(cAppParams& params);
    ~cApplication() override;

    static cApplication* create(cAppParams& params) { return new cApplication(params); }
    static cApplication* instance() { return static_cast<cApplication*>(cApplicationBase::instance()); }

    // How the loop waits while the game is minimised or its window hidden: until a message
    // comes or `timeoutMs` milliseconds pass. By default the main window's `waitMessage`;
    // tests give their own.
    using tMessageWait = std::function<void(int timeoutMs)>;
    // The longest wait: another copy of the program asking this one to come forward is seen
    // within it (its request does not wake the window).
    static constexpr int MinimizedWaitMs = 250;

    // Takes one message per turn, runs a frame on every turn that finds the queue empty, and
    // returns the finish callback's result once the quit message is taken. While the game is
    // minimised (a frame then only deletes what is queued) or its window hidden, the turn then
    // waits for the next message instead of coming back at once.
    bool run() override;
    void setMessageWait(tMessageWait wait) { m_messageWait = std::move(wait); }
    // Alt+Enter: switches between window and full screen unless the constants keep the game
    // windowed. A window that would not fit the screen's work area with its frame is refused
    // (`windowRefusedSignal`): the game stays in full screen.
    virtual void toggleFullscreen();
    // Dispatches messages without frames until the quit message is taken.
    virtual void drainMessages();
    virtual Platform::Window* getWindow() const { return m_window; }
    void* getInstanceHandle() const { return m_instanceHandle; }
    const std::wstring& getClassName() const { return m_className; }

    // Raised when the window has gone to the back (false) or come to the front (true), after
    // the input, the frame driver and the sound were told: while it is at the back the game
    // stands still, which the game may want to show.
    boost::signals2::signal<void(bool active)> activationSignal;
    // Raised when Alt+Enter asked for a window that does not fit the screen: the game may tell
    // the player why it stays in full screen.
    boost::signals2::signal<void()> windowRefusedSignal;

    // The window procedure.
    intptr_t windowProc(const Platform::Message& message);
    // Asks the main window to close, as the close box does; the quit message follows.
    void closeWindow();

    // "kelvask_" + the executable's file name, all lower-cased; empty without a file name.
    static std::wstring makeClassName(const std::string& executableFileName);
    // The data folder: the executable's folder + the given name, or the name when absolute.
    static std::wstring makeDataFolder(const std::string& executablePath, const char* folderName);

private:
    // The single-instance lock for the class name; ends the process (exit code 0) when another
    // copy holds it.
    void takeInstanceLock();
    void createSingletons(cAppParams& params);
    void destroySingletons();
    Platform::Window* createWindow(std::wstring& className);
    void releaseWindow();
    // The render device's part of a mode switch: it applies "graphics"/"fullscreen" from the
    // settings at its next present.
    bool hasRenderDevice() const;
    void requestVideoMode();

    // The singletons, in the order of creation; `destroySingletons` resets them in the
    // shutdown order.
    std::unique_ptr<cFileSystem> m_fileSystem;
    std::unique_ptr<cResourceManager> m_resourceManager;
    std::unique_ptr<cConstants> m_constants;
    std::unique_ptr<cSettings> m_settings;
    std::unique_ptr<cRender> m_render;
    std::unique_ptr<cInput> m_input;
    std::unique_ptr<cTimer> m_timer;
    std::unique_ptr<cSound> m_sound;
    std::unique_ptr<cLogic> m_logic;
    std::unique_ptr<cStrings> m_strings;
    void* m_instanceHandle = nullptr;
    Platform::Window* m_window = nullptr;
    std::wstring m_className;
    std::unique_ptr<Platform::Window> m_ownedWindow;
    std::unique_ptr<Platform::InstanceLock> m_instanceLock;
    tMessageWait m_messageWait;
};

} // namespace Engine
