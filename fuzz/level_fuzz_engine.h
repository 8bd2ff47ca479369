#pragma once

// The engine a level model needs, made once per fuzz process over the game's own data folder
// (beside this source): the file system, the resource manager, the constants, the settings of
// a 1024 x 768 screen, a recording render device with effects that play without particles, and
// a player profile who has won every level (so a save of any level is the player's to
// continue). Everything the level writes goes to the shared folder, which the fuzz run points
// at a folder of its own, without waiting for the disk. At exit the level views go as the
// game's shutdown takes them, so that the leak check sees what a level really leaves.

#include "engine/core/FileSteps.h"
#include "engine/core/FileUtils.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace LevelFuzz
{

// What the game's shutdown does to the level's views before the process ends.
inline void stopEngine()
{
    CPlayState::instance().releasePlayView(true);
    UnitViewLibrary::instance().clear();
    Engine::cControl::deletePending();
    CPlayState::instance().getBriefing().clear();
    cTutorial::instance().reset();
    Engine::cControl::deletePending();
}

// The shipped levels without their background pictures, in the shared folder where they hide
// the data's: a save is read against the level's units and grid, and the pictures (most of a
// level's load) would only slow every input down.
inline void stripLevelLooks()
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    for (int level = 0;; ++level)
    {
        const std::string path = "levels/n" + std::to_string(level) + ".xml";
        if (!files->isKnown(path))
            break;
        std::vector<char> bytes;
        files->readFile(path, bytes);
        std::string text(bytes.begin(), bytes.end());
        const size_t start = text.find("<BackGround");
        const size_t end = text.find("</BackGround>");
        if (start != std::string::npos && end != std::string::npos && end > start)
            text.erase(start, end + std::string("</BackGround>").size() - start);
        Engine::writeWholeFile(path, text.data(), text.size());
    }
}

inline void startEngine()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    Engine::setSyncToDisk(false);
    // The player's settings: the game's screen.
    if (const char* home = std::getenv("XDG_DATA_HOME"))
    {
        const std::filesystem::path sys = std::filesystem::path(home) / "Quillmoor" / "sys";
        std::filesystem::create_directories(sys);
        std::ofstream(sys / "settings.xml")
            << "<settings><graphics width=\"1024\" height=\"768\"/></settings>";
    }
    const std::filesystem::path data = std::filesystem::path(QUILL_SOURCE_DIR) / "data";
    // Made once and kept to the end of the process, as the game keeps its engine.
    new Engine::cFileSystem(Engine::fromUtf8(data.string() + "/"));
    new Engine::cResourceManager();
    new Engine::cConstants("sys/constants.xml");
    new Engine::cSettings("sys/settings.xml");
    new Test::RecordingFactory();
    // The level's actions play these effects; the recording device has no particle library.
    static const Test::SilentParticles particles{"Effects/Smoke.pyro", "Effects/Sparkle.pyro",
                                                 "Effects/Firework.pyro"};
    stripLevelLooks();
    new Engine::cProfileManager(L"Fuzz");
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
        Engine::cProps::set<int>(L"Level" + std::to_wstring(level), 0);
    // The managers the exit handler uses are made first, so that they go after it runs.
    Engine::cControl::liveCount();
    UnitViewLibrary::instance();
    CPlayState::instance().getBriefing();
    cTutorial::instance();
    std::atexit(stopEngine);
}

// A refused save is set aside; the copy goes too, so the next refused one takes its name.
inline void dropSetAside(const std::string& path)
{
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (files->isKnown(path + ".damaged"))
        files->removeFile(path + ".damaged");
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

// True for the failures a damaged file may end in: each a text that names what is wrong. The
// text goes to the error stream, so that a target that aborts on such a failure says why.
template <class Run> bool failsCleanly(Run&& run)
{
    try
    {
        run();
    }
    catch (const Engine::cStringA& error)
    {
        std::cerr << "failed: " << error.c_str() << "\n";
        return true;
    }
    catch (const std::string& error)
    {
        std::cerr << "failed: " << error << "\n";
        return true;
    }
    catch (const std::wstring& error)
    {
        std::cerr << "failed: " << Engine::toUtf8(error) << "\n";
        return true;
    }
    catch (const char* error)
    {
        std::cerr << "failed: " << error << "\n";
        return true;
    }
    return false;
}

} // namespace LevelFuzz
