// The program's entry point: starts the game's engine, enters the first state, runs the
// message loop and turns every failure that escapes the run into the fatal report.

#include "engine/core/FatalError.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CIntroState.h"
#include "game/screens/CMapState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/EscapedFailure.h"
#include "game/screens/cFirstUser.h"
#include "game/screens/cTutorial.h"
#include "game/world/LevelLocation.h"
#include "game/world/cCheats.h"
#include "game/world/cGameSounds.h"

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

// The player store of a run that starts in a level: made here as the main menu makes it, and
// deleted (which writes the player's values) before the application goes.
void openPlayer(const std::wstring& name)
{
    delete Engine::cProfileManager::instance();
    new Engine::cProfileManager(name);
}

void closePlayer()
{
    delete Engine::cProfileManager::instance();
}

// The given level starts in the play state. A level of the game's own is the current player's:
// with an unfinished game of the player, the map's question about it comes first (Yes continues
// it instead; No drops it, as the map's No does). A level file of no number records nothing and
// leaves the unfinished game as it is.
void playLevel(const LevelLocation& level)
{
    const auto begin = [level]
    {
        level.select();
        CGameEngine::instance().ChangeState(&CPlayState::instance());
    };
    if (level.number == LevelLocation::kUnnumbered)
        begin();
    else
        CMapState::beforeGivenLevel(begin);
}

// A command line names the first level played, nothing more: the level is the current player's
// as if chosen on the map (the player's profile, medal and best time), and after it the run is
// the player's ordinary game. A first start asks the player's name before the level.
void startInLevel(const std::wstring& line)
{
    CGameEngine& engine = CGameEngine::instance();
    engine.atShutdown(&closePlayer);
    const Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files)
        return;
    const LevelLocation level = LevelLocation::fromPath(Engine::toUtf8(line), *files);
    const std::wstring player = Engine::cProfileManager::readCurrentUser();
    if (!player.empty())
    {
        openPlayer(player);
        playLevel(level);
        return;
    }
    // The name panel alone on the stack: its OK makes the player, then the level starts in its
    // place.
    auto& firstUser = CDialogState<cFirstUser>::instance();
    firstUser.setPopOnPanelClose(false);
    engine.ChangeState(&firstUser);
    if (const boost::shared_ptr<cFirstUser> panel = firstUser.getPanel())
        panel->setNameCallback(
            [level](const std::wstring& name)
            {
                openPlayer(name);
                CDialogState<cFirstUser>::instance().setPopOnPanelClose(true);
                playLevel(level);
            });
}

void runGame(const std::wstring& line)
{
    CGameEngine& engine = CGameEngine::instance();
    engine.Init(line);
    // The game's sounds live as long as the process.
    new cGameSounds();
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    engine.setContinueSavedLevel(false);
    engine.setLevelPath(L"");
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
    // Without a command line the game opens with its logos. A command line is the path of a
    // level file, relative to the current folder or absolute, which is played at once.
    if (line.empty())
        engine.ChangeState(&CIntroState::instance());
    else
        startInLevel(line);
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
