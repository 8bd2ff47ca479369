#pragma once

// The engine a level model needs, made once per fuzz process over the game's own data folder
// (beside this source): the file system, the resource manager, the constants, the settings of
// a 1024 x 768 screen, a recording render device and a player profile. Everything the level
// writes goes to the shared folder, which the fuzz run points at a folder of its own.

#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "tests/support/RecordingFactory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace LevelFuzz
{

inline void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    // The player's settings: the game's screen.
    if (const char* home = std::getenv("XDG_DATA_HOME"))
    {
        const std::filesystem::path sys = std::filesystem::path(home) / "Quillmoor" / "sys";
        std::filesystem::create_directories(sys);
        std::ofstream(sys / "settings.xml")
            << "<settings><graphics width=\"1024\" height=\"768\"/></settings>";
    }
    const std::filesystem::path data = std::filesystem::path(__FILE__).parent_path().parent_path() / "data";
    // Made once and kept to the end of the process, as the game keeps its engine.
    new Engine::cFileSystem(Engine::fromUtf8(data.string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    new Test::RecordingFactory();
    new Engine::cProfileManager(L"Fuzz");
}

// The level and its views go; the next input starts from nothing.
inline void dropLevel(std::unique_ptr<Game>& game)
{
    game.reset();
    CPlayState::instance().releasePlayView(true);
    Engine::cControl::deletePending();
    CPlayState::instance().getBriefing().clear();
    cTutorial::instance().reset();
}

// True for the failures a damaged file may end in: each a text that names what is wrong.
template <class Run> bool failsCleanly(Run&& run)
{
    try
    {
        run();
    }
    catch (const Engine::cStringA&)
    {
        return true;
    }
    catch (const std::string&)
    {
        return true;
    }
    catch (const std::wstring&)
    {
        return true;
    }
    catch (const char*)
    {
        return true;
    }
    return false;
}

} // namespace LevelFuzz
