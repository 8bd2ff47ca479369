// levelcheck: loads levels through the game's level model, without a window, and prints what
// each holds: its units (type, cell, state), free cells, base point, cheat points, gold and
// silver times, goals and briefings.
//
//   levelcheck [--data <folder>] [LEVEL ...]
//
// A LEVEL is a level number or a level file at any path, relative to the current folder or
// absolute, under any name (as the game's own command line takes one). Without levels it checks
// every level the game plays ("LevelsCount" of "Game/Game.xml"). The data folder is "Data" beside
// the program or one folder up (the build's link to the data), unless given. The grid is the
// game's: its size follows the settings, read as the game reads them (the shared folder's copy
// first).
//
// A level fails when it cannot be loaded, has no base, or its base names no briefing of the
// level's "BreafData", and when its ways do not lead where its play needs them: a goal's unit
// that the heroes cannot reach from the base, a barrier, road or bridge without an approach cell
// a hero can stand on or that cannot be reached (see LevelReachCheck; the unit and the cell are
// named). The exit status is then 1.

#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelLocation.h"
#include "game/world/LevelReachCheck.h"
#include "game/world/UnitStates.h"
#include "game/world/cCheats.h"
#include "tests/support/RecordingFactory.h"
#include "tools/DataFiles.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::string text(const std::wstring& wide)
{
    return Engine::toUtf8(wide);
}

std::string point(const Engine::cPoint& p)
{
    return std::to_string(p.x) + ";" + std::to_string(p.y);
}

std::string vector(const Engine::cVector2& v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g;%g", static_cast<double>(v.x), static_cast<double>(v.y));
    return buffer;
}

const char* goalKind(int kind)
{
    switch (kind)
    {
    case 0:
        return "fulfil";
    case 1:
    case 5:
        return "reach level";
    case 2:
        return "clear";
    case 6:
        return "put out";
    default:
        return "?";
    }
}

// "level 3", or the file of a level without a number.
std::string levelName(const LevelLocation& level)
{
    return level.number == LevelLocation::kUnnumbered ? text(level.path)
                                                      : "level " + std::to_string(level.number);
}

// Prints one loaded level; the problems found go to `problems`.
void describe(Game& game, const LevelLocation& level, std::vector<std::string>& problems)
{
    GameConfig& config = GameConfig::instance();
    std::cout << "Level "
              << (level.number == LevelLocation::kUnnumbered ? "file" : std::to_string(level.number)) << ": "
              << text(game.getLevelPath()) << "\n";
    int freeCells = 0;
    GridPathFinder& grid = game.getOccupancy();
    for (int x = 0; x < grid.getWidth(); ++x)
        for (int y = 0; y < grid.getHeight(); ++y)
            if (!(game.getGround().getCellFlags(Engine::cPoint(x, y)) & kCellBlocked))
                ++freeCells;
    std::cout << "  grid " << grid.getWidth() << " x " << grid.getHeight() << ", free cells " << freeCells
              << " (level " << game.getFreeCellOffsets().size() << "), field offset "
              << vector(game.getFieldOffset()) << "\n";
    std::cout << "  gold time " << game.getGoldTime() << " s, silver time " << game.getSilverTime() << " s\n";
    std::cout << "  base point " << vector(game.getBasePoint()) << "\n";
    std::cout << "  cheat points";
    for (const Engine::cPoint& cell : game.getCheatPoints())
        std::cout << " " << point(cell);
    std::cout << "\n  starting resources " << text(game.getResources().toText(false)) << "\n";

    std::cout << "  units " << game.getUnits().size() << ":\n";
    for (const auto& entry : game.getUnits())
    {
        const cUnit::Ptr& unit = entry.second;
        std::cout << "    " << text(unit->typeName) << " cell " << point(unit->getCell()) << " level "
                  << unit->getLevel() << " " << text(unitStateName(unit->getState()));
        if (!unit->resources.isEmpty())
            std::cout << " carrying " << text(unit->resources.toText(false));
        if (const cUnit::Ptr parent = unit->getParent())
            std::cout << " in " << text(parent->typeName);
        std::cout << "\n";
    }

    std::cout << "  goals " << game.getLevelGoals().size() << ":\n";
    for (const LevelGoal& goal : game.getLevelGoals())
    {
        const cUnit::Ptr target = goal.target.lock();
        std::cout << "    " << goalKind(goal.kind) << " " << text(config.unitNames().nameOf(goal.typeId));
        if (target && (goal.kind == 1 || goal.kind == 5))
            std::cout << " to level " << target->getTargetLevel();
        std::cout << (goal.goalCategory.empty() ? "" : " [" + goal.goalCategory + "]")
                  << (goal.done ? " done" : " open") << "\n";
    }

    const cBriefing& briefing = CPlayState::instance().getBriefing();
    std::cout << "  briefings";
    for (const auto& entry : briefing.getBriefings())
        std::cout << " " << entry.first << " (" << entry.second.size() << " actions)";
    std::cout << "\n";

    const cUnit::Ptr base = game.getBase();
    if (!base)
        problems.push_back(levelName(level) + " has no base");
    else if (base->breafId.empty() || !briefing.hasBriefing(base->breafId))
        problems.push_back(levelName(level) + ": the base's briefing \"" + base->breafId +
                           "\" is not in the level's BreafData");
    for (const std::string& problem : LevelReachCheck(game).run())
        problems.push_back(levelName(level) + ": " + problem);
}

std::string failureText()
{
    try
    {
        throw;
    }
    catch (const Engine::cStringA& failure)
    {
        return failure;
    }
    catch (const std::string& failure)
    {
        return failure;
    }
    catch (const std::wstring& failure)
    {
        return Engine::toUtf8(failure);
    }
    catch (const char* failure)
    {
        return failure ? failure : "";
    }
    catch (const std::exception& failure)
    {
        return failure.what();
    }
}

std::filesystem::path dataFolder(const char* program)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    const std::filesystem::path beside = (error ? std::filesystem::path(program) : self).parent_path();
    for (const auto& candidate : {beside / "Data", beside.parent_path() / "Data"})
        if (std::filesystem::is_directory(candidate))
            return candidate;
    return beside / "Data";
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path data;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (!argument.empty() && argument[0] != '-')
            arguments.push_back(argument);
        else
        {
            std::cerr
                << "usage: levelcheck [--data <folder>] [LEVEL ...]   (a level number or a level file)\n";
            return 2;
        }
    }
    if (data.empty())
        data = dataFolder(argv[0]);

    std::vector<std::string> problems;
    try
    {
        Engine::cFileSystem files(Engine::fromUtf8(data.string() + "/"));
        Engine::cResourceManager resources;
        Engine::cConstants constants("sys/constants.xml");
        Engine::cSettings settings("sys/settings.xml");
        // Textures are made on a device that records instead of drawing: no window is needed.
        Test::RecordingFactory devices;
        GameConfig& config = GameConfig::instance();
        std::vector<LevelLocation> levels;
        for (const std::string& argument : arguments)
            levels.push_back(
                LevelLocation::fromPath(Tools::levelArgument(argument, data).file.string(), files));
        if (arguments.empty())
        {
            for (int level = 0; level < config.getConstants().LevelsCount; ++level)
                levels.push_back(LevelLocation::fromNumber(level));
            const std::string extra = text(Game::levelPath(config.getConstants().LevelsCount));
            if (files.isKnown(extra))
                problems.push_back("\"" + extra + "\" exists, but \"LevelsCount\" is " +
                                   std::to_string(config.getConstants().LevelsCount));
        }
        for (const LevelLocation& level : levels)
        {
            CPlayState::instance().getBriefing().clear();
            cTutorial::instance().reset();
            try
            {
                level.select();
                auto game = std::make_unique<Game>();
                game->loadLevel(level.number);
                game->getController().init();
                describe(*game, level, problems);
            }
            catch (...)
            {
                problems.push_back(levelName(level) + ": " + failureText());
            }
            CPlayState::instance().releasePlayView(true);
            UnitViewLibrary::instance().clear();
            Engine::cControl::deletePending();
        }
        CGameEngine::instance().setLevelPath(L"");
        cTutorial::instance().reset();
        cCheats::instance().shutdown();
    }
    catch (...)
    {
        problems.push_back(failureText());
    }
    for (const std::string& problem : problems)
        std::cerr << "levelcheck: " << problem << "\n";
    return problems.empty() ? 0 : 1;
}
