#include "game/screens/EscapedFailure.h"

#include "engine/core/ErrorText.h"
#include "engine/core/FatalError.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <exception>
#include <string>

namespace
{

const char* const RestartText = "\nRestart the game please.";
// A restart finds no display either: the player is told what would give the game one.
const char* const NoDisplayText =
    "\nStart the game from a desktop session, or set DISPLAY (or WAYLAND_DISPLAY) to a running display.";

// `shown` is what the message box says; `logged` what the log "error" keeps.
void report(const std::string& shown, const std::string& logged)
{
    Engine::getErrorString() = shown;
    Engine::reportFatal(logged);
}

void reportOwnText(const std::string& text, const char* advice = RestartText)
{
    const std::string shown = text + advice;
    report(shown, shown);
}

void reportHiddenText(const std::string& text)
{
    report(RestartText, text + RestartText);
}

} // namespace

void reportEscapedFailure()
{
    try
    {
        throw;
    }
    catch (const char* text)
    {
        // The text is cut to the message buffer's 4095 characters.
        char buffer[4096];
        std::snprintf(buffer, sizeof(buffer), "%s", text ? text : "");
        reportOwnText(buffer);
    }
    catch (const Engine::cString<std::string>& text)
    {
        reportOwnText(text);
    }
    catch (const std::string& text)
    {
        reportOwnText(text);
    }
    catch (const wchar_t* text)
    {
        reportHiddenText(Engine::toUtf8(text ? text : L""));
    }
    catch (const std::wstring& text)
    {
        reportHiddenText(Engine::toUtf8(text));
    }
    catch (const Platform::NoDisplayError& failure)
    {
        // Without a display no box shows: the words go to stderr, where the player looks.
        reportOwnText(failure.what(), NoDisplayText);
    }
    catch (const std::exception& failure)
    {
        reportHiddenText(failure.what());
    }
    catch (...)
    {
        reportHiddenText(std::string());
    }
}
