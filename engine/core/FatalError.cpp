#include "engine/core/FatalError.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cApplication.h"
#include "engine/core/cLogManager.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <exception>

namespace Engine
{

namespace
{

bool fatalErrorReported = false;

} // namespace

void fatalError(const std::string& text)
{
    fatalErrorReported = true;
    // The report goes on when the log cannot be written: the message box is what the player
    // sees, and the reason the log failed goes where the box would.
    try
    {
        if (cLogManager* logs = cLogManager::instance())
            logs->getLog(L"error", false)->printf("%s", text.c_str());
    }
    catch (...)
    {
        std::fputs("The log \"error\" could not be written.\n", stderr);
    }
    cApplication* application = cApplication::instance();
    Platform::Window* window = application ? application->getWindow() : nullptr;
    // The box belongs to the application's window, so that it stands above it even in full screen.
    Platform::showMessageBox("Error", getErrorString(), Platform::MessageBoxIcon::Warning, window);
    if (application)
    {
        if (window)
            window->postQuitMessage(0);
        application->drainMessages();
    }
}

void reportFatal(const std::string& text)
{
    fatalError(text);
}

int exitStatus()
{
    return fatalErrorReported ? 1 : 0;
}

} // namespace Engine
