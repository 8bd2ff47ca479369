// The program's entry point: starts the game's engine, enters the first state, runs the
// message loop and turns every failure that escapes the run into the fatal report.

#include "engine/core/FatalError.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProps.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cGameSounds.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CIntroState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/EscapedFailure.h"
#include "game/screens/cCheats.h"
#include "game/screens/cTutorial.h"
#include "game/world/LevelLocation.h"

#include <string>

namespace
{

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

void runGame(const std::wstring& line)
{
    CGameEngine& engine = CGameEngine::instance();
    engine.Init(line);
    // The game's sounds live as long as the process.
    new cGameSounds();
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    engine.setContinueSavedLevel(false);
    // Without a command line the game opens with its logos. A command line is the path of a
    // level file, relative to the current folder or absolute, which is played at once.
    engine.setLevelPath(L"");
    if (!line.empty())
        if (const Engine::cFileSystem* files = Engine::cFileSystem::instance())
            LevelLocation::fromPath(Engine::toUtf8(line), *files).select();
    // The managers kept in function-local statics let go of the tree and the input before the
    // application deletes the engine's singletons; the dialog states and the tooltips register
    // their own shutdowns.
    engine.atShutdown(
        []
        {
            cCheats::instance().shutdown();
            UnitViewLibrary::instance().clear();
            cTutorial::instance().reset();
            CPlayState::instance().releasePlayView();
        });
    if (line.empty())
        engine.ChangeState(&CIntroState::instance());
    else
        engine.ChangeState(&CPlayState::instance());
    engine.Run();
    engine.Cleanup();
}

} // namespace

int main(int argc, char** argv)
{
    // After a failure the application is left as it is (its settings are not written back);
    // the process ends right after the report, with an exit status that says it failed.
    try
    {
        runGame(commandLine(argc, argv));
    }
    catch (...)
    {
        reportEscapedFailure();
    }
    return Engine::exitStatus();
}
