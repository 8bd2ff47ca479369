#include "engine/core/cApplication.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cLogManager.h"
#include "engine/core/cLogic.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStrings.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cInput.h"
#include "engine/devices/cRender.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "platform/image/ImageDecoder.h"
#include "platform/system/SystemInfo.h"
#include "platform/window/Cursor.h"
#include "platform/window/InstanceLock.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <stdexcept>
#include <vector>

namespace Engine
{

namespace
{

// A constant, or `fallback` when the constants (or the key) are missing.
template <class T> T constant(const wchar_t* group, const wchar_t* key, T fallback)
{
    T value = fallback;
    if (cConstants* constants = cConstants::instance())
        constants->get(group, key, value);
    return value;
}

template <class T> T setting(const wchar_t* group, const wchar_t* key, T fallback)
{
    T value = fallback;
    if (cSettings* settings = cSettings::instance())
        settings->get(group, key, value);
    return value;
}

// The window's icon is "icon.png" of the data. It is only looks: a data set without one, or
// with one that cannot be read, gets a line in the application log and the system's icon.
void setWindowIcon(Platform::Window& window)
{
    const char* const path = "icon.png";
    std::string problem = "the data has no such file";
    try
    {
        cFileSystem* files = cFileSystem::instance();
        if (files && files->isKnown(path))
        {
            std::vector<char> bytes;
            files->readFile(path, bytes);
            const Platform::Image image =
                Platform::decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            std::vector<uint32_t> pixels(image.pixels.size() / 4);
            std::memcpy(pixels.data(), image.pixels.data(), pixels.size() * 4);
            window.setIcon(pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height));
            return;
        }
    }
    catch (const std::exception& error)
    {
        problem = error.what();
    }
    catch (const std::string& error)
    {
        problem = error;
    }
    const std::string text = std::string("The window keeps the system's icon: \"") + path + "\": " + problem;
    try
    {
        if (cLogManager* logs = cLogManager::instance())
            return logs->getLog(L"application", false)->printf("%s", text.c_str());
    }
    catch (...)
    {
    }
    // No log to write to, or its file cannot be opened.
    std::fprintf(stderr, "%s\n", text.c_str());
}

} // namespace

std::wstring cApplication::makeClassName(const std::string& executableFileName)
{
    if (executableFileName.empty())
        return std::wstring();
    std::wstring name = L"Kelvask_" + fromUtf8(executableFileName);
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return name;
}

std::wstring cApplication::makeDataFolder(const std::string& executablePath, const char* folderName)
{
    const std::string name = folderName ? folderName : "";
    if (!name.empty() && name[0] == '/')
        return fromUtf8(name);
    const std::string::size_type slash = executablePath.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : executablePath.substr(0, slash + 1);
    return fromUtf8(folder + name);
}

cApplication::cApplication(cAppParams& params)
    : cApplicationBase(params.onInit, params.onExit, params.userData), m_instanceHandle(params.instance),
      m_window(params.window)
{
    m_className = makeClassName(Platform::executableFileName());

    if (params.singleInstance && !m_className.empty())
        takeInstanceLock();

    try
    {
        createSingletons(params);
    }
    catch (...)
    {
        // Nothing stays half made: the failure goes on to the caller with the singletons gone.
        destroySingletons();
        releaseWindow();
        throw;
    }
}

void cApplication::takeInstanceLock()
{
    // The lock is held for the whole run; a second copy finds it taken, has already asked the
    // first one to come forward, and ends here. A folder that cannot take the lock file (a
    // shared folder that is read-only, or a file) is passed over: the game starts all the same.
    std::vector<std::string> passedOver;
    try
    {
        m_instanceLock = Platform::InstanceLock::acquire(toUtf8(m_className), passedOver);
    }
    catch (const std::runtime_error& failure)
    {
        reportProblem(L"application",
                      std::string(failure.what()) + "\nThe game runs without the single-instance check.");
        return;
    }
    for (const std::string& line : passedOver)
        reportProblem(L"application", "The single-instance lock is kept elsewhere: " + line);
    if (!m_instanceLock)
        std::exit(0);
}

cApplication::~cApplication()
{
    destroySingletons();
    releaseWindow();
}

void cApplication::createSingletons(cAppParams& params)
{
    const std::wstring dataFolder = makeDataFolder(Platform::executablePath(), params.dataFolderName);
    m_fileSystem = std::make_unique<cFileSystem>(dataFolder, "pack", params.packFilter);
    m_resourceManager = std::make_unique<cResourceManager>();
    m_constants = std::make_unique<cConstants>("sys/constants.xml");
    m_settings = std::make_unique<cSettings>("sys/settings.xml");
    if (!params.window)
    {
        m_window = createWindow(m_className);
        params.window = m_window;
    }
    m_window->setWindowProc([this](const Platform::Message& message) { return windowProc(message); });
    if (m_instanceLock)
        m_window->watchInstanceLock(m_instanceLock.get());
    m_render = std::make_unique<cRender>(params);
    m_input = std::make_unique<cInput>(m_window);
    m_timer = std::make_unique<cTimer>(constant(L"Time", L"MinFps", cTimer::DefaultMinFps),
                                       constant(L"Time", L"MaxFps", cTimer::DefaultMaxFps));
    if (!params.noSound)
        m_sound = std::make_unique<cSound>();
    m_logic = std::make_unique<cLogic>();
    m_strings = std::make_unique<cStrings>();
}

void cApplication::destroySingletons()
{
    // Only what this object made: a singleton that existed before it (and made a creation
    // fail) stays with its owner. The settings write their file as they go.
    m_logic.reset();
    m_strings.reset();
    m_sound.reset();
    m_timer.reset();
    m_input.reset();
    m_render.reset();
    m_settings.reset();
    m_constants.reset();
    m_resourceManager.reset();
    m_fileSystem.reset();
}

Platform::Window* cApplication::createWindow(std::wstring& className)
{
    const std::wstring title = constant(L"game", L"window_title", std::wstring());
    // Without an executable name the title names the single-instance check.
    if (className.empty())
        className = title;
    m_ownedWindow = std::make_unique<Platform::Window>(title);
    setWindowIcon(*m_ownedWindow);
    Platform::showCursor(constant(L"graphics", L"ShowSysCursor", true));
    return m_ownedWindow.get();
}

void cApplication::releaseWindow()
{
    if (!m_window)
        return;
    // The procedure refers to this object: it goes before the window does.
    m_window->setWindowProc(nullptr);
    m_window->watchInstanceLock(nullptr);
    m_window->destroyWindow();
    m_ownedWindow.reset();
    m_window = nullptr;
}

bool cApplication::run()
{
    onInit();
    Platform::Message message;
    for (;;)
    {
        if (m_window->peekMessage(message))
        {
            if (message.kind == Platform::MessageKind::Quit)
                break;
            m_window->translateMessage(message);
            m_window->dispatchMessage(message);
        }
        else
        {
            cLogic* logic = cLogic::instance();
            if (logic)
                logic->update();
            if (m_idle)
                m_idle(m_idleArgument);
            // Nothing is seen of a minimised or hidden window: without the wait the loop
            // would spin (minimised, a frame does nothing but its deletions).
            const bool hidden = !m_window->isVisible() && !m_window->isDestroyed();
            if ((logic && logic->isMinimized()) || hidden)
            {
                if (m_messageWait)
                    m_messageWait(MinimizedWaitMs);
                else
                    m_window->waitMessage(MinimizedWaitMs);
            }
        }
    }
    return onExit();
}

void cApplication::drainMessages()
{
    if (!m_window)
        return;
    Platform::Message message;
    // The quit message is queued behind everything else; an empty queue means it cannot come.
    while (m_window->peekMessage(message))
    {
        if (message.kind == Platform::MessageKind::Quit)
            return;
        m_window->translateMessage(message);
        m_window->dispatchMessage(message);
    }
}

void cApplication::closeWindow()
{
    if (m_window)
        m_window->sendMessage(Platform::Message{Platform::MessageKind::Close, 0});
}

bool cApplication::hasRenderDevice() const
{
    return cSingleton<cRender>::instance() != nullptr;
}

void cApplication::requestVideoMode()
{
    cSingleton<cRender>::instance()->setResetPending(true);
}

void cApplication::toggleFullscreen()
{
    cSettings* settings = cSettings::instance();
    if (!settings || !hasRenderDevice())
        return;
    const bool fullscreen = setting(L"graphics", L"fullscreen", false);
    const bool onlyWindowed = constant(L"graphics", L"only_windowed", false);
    // A game kept windowed by its constants can only leave full screen.
    if (onlyWindowed && !fullscreen)
        return;
    // A window that would not fit the screen is refused: the game stays in full screen, and the
    // settings go on saying so.
    if (fullscreen && !cSingleton<cRender>::instance()->fitsWorkArea())
    {
        windowRefusedSignal();
        return;
    }
    settings->set(L"graphics", L"fullscreen", !fullscreen);
    requestVideoMode();
}

intptr_t cApplication::windowProc(const Platform::Message& message)
{
    using Platform::MessageKind;
    cLogic* logic = cLogic::instance();
    cInput* input = cInput::instance();
    cSound* sound = cSound::instance();
    switch (message.kind)
    {
    case MessageKind::Destroy:
        m_window->postQuitMessage(0);
        return 0;
    case MessageKind::Activate:
        if (message.wparam == 0)
        {
            // The devices are not unacquired here: the input layer lets them go at the moment
            // the focus went, in the order of the events. This message is handled after the
            // whole pump, and a click that brings the window back in that pump (a window
            // manager focuses a window on the click it then hands on) has been taken by then.
            if (logic)
                logic->setInactive(true);
            if (sound)
                sound->pauseAll(true);
        }
        else
        {
            if (logic)
                logic->setMinimized(false);
            if (input && !m_window->isMinimized())
                input->acquire();
            if (logic)
                logic->setInactive(false);
            if (sound)
                sound->pauseAll(false);
        }
        activationSignal(message.wparam != 0);
        break;
    case MessageKind::KeyDown:
        if (input)
            input->queueKey(message.wparam);
        return 0;
    case MessageKind::Char:
        if (input)
            input->queueChar(static_cast<uint16_t>(message.wparam));
        return 0;
    case MessageKind::SysKeyDown:
        // Alt+Enter switches the screen and does nothing else: a system key is queued as no
        // key-down and types no character, and the input's keyboard records neither the press
        // of this Enter nor its release. Held, it switches once: its repeats switch nothing.
        if (message.wparam == Platform::VirtualKey::Return && !message.repeat)
            toggleFullscreen();
        break;
    case MessageKind::Restore:
        if (logic)
            logic->setMinimized(false);
        if (sound)
            sound->pauseAll(false);
        break;
    case MessageKind::Minimize:
        if (logic)
            logic->setMinimized(true);
        break;
    case MessageKind::Maximize:
        if (m_window->isMinimized())
            m_window->sendMessage(Platform::Message{MessageKind::Restore, 0});
        if (logic)
            logic->setMinimized(false);
        if (sound)
            sound->pauseAll(false);
        // Maximising a window that may go full screen makes it full screen.
        if (cSettings* settings = cSettings::instance(); settings && hasRenderDevice())
        {
            if (!constant(L"graphics", L"only_windowed", false) &&
                !setting(L"graphics", L"fullscreen", false))
            {
                settings->set(L"graphics", L"fullscreen", true);
                requestVideoMode();
            }
        }
        break;
    default:
        break;
    }
    return m_window->defWindowProc(message);
}

} // namespace Engine
