// The program's entry point: starts the application, runs its message loop and turns every
// failure that escapes the run into the fatal report.

#include "engine/core/ErrorText.h"
#include "engine/core/FatalError.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cApplication.h"
#include "engine/core/cString.h"

#include <cstdio>
#include <exception>
#include <string>

namespace
{

const char* const RestartText = "\nRestart the game please.";

// The whole command line: the path of a level file to play at once, or empty.
std::wstring commandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return Engine::fromUtf8(line);
}

void report(const std::string& message)
{
    const std::string text = message + RestartText;
    Engine::getErrorString() = text;
    Engine::reportFatal(text);
}

int runGame(std::wstring& levelPath)
{
    Engine::cAppParams params;
    params.userData = &levelPath;
    params.dataFolderName = "Data";
    params.singleInstance = true;
    Engine::cApplication* application = Engine::cApplication::create(params);
    application->run();
    delete application;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::wstring levelPath = commandLine(argc, argv);
    // After a failure the application is left as it is (its settings are not written back);
    // the process ends right after the report.
    try
    {
        return runGame(levelPath);
    }
    catch (const char* text)
    {
        char buffer[4096];
        std::snprintf(buffer, sizeof(buffer), "%s", text ? text : "");
        report(buffer);
    }
    catch (const Engine::cString<std::string>& text)
    {
        report(text);
    }
    catch (const std::string& text)
    {
        report(text);
    }
    catch (const std::wstring& text)
    {
        // Wide failure texts (file paths) keep their text as UTF-8.
        report(Engine::toUtf8(text));
    }
    catch (const std::exception& failure)
    {
        report(failure.what());
    }
    catch (...)
    {
        report(std::string());
    }
    return 0;
}
