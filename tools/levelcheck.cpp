// levelcheck: loads levels through the game's level model, without a window, and prints what
// each holds: its units (type, cell, state), free cells, base point, cheat points, gold and
// silver times, goals and briefings.
//
//   levelcheck [--data <folder>] [--no-search] [LEVEL ...]
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
//
// It also fails when some order of the player's clicks leaves the level where it can no longer
// be won (a dead end; --no-search leaves this out): the dead-end search (DeadEndSearch, over the
// level's LevelModel) plays many orders of the level's clicks from its start, the quakes of its
// timetable among them, and judges each state it reaches. A dead end is told with its order of
// clicks, as a script names them, and what ran out or can no longer be reached; the order is
// printed as a levelplay script and played through levelplay (beside this program) at a
// person's pace, which judges where the real game comes to: the problem says whether the game
// comes to the dead end too. Where that play ends with every goal of the level met and the game
// has not won it (levelplay's judgement, or no goal left open), the level fails for that too,
// with the order named: the game would never let the player win it.
//
// A level with its script beside it (nK.play beside nK.xml) is also played with each of its
// goals made last (left out with the search): the script's clicks at a person's pace, those on
// the goal's unit held until every other goal is done or given up (levelplay --last-goal), the
// runs side by side, as many at once as there are cores. A run that ends with every goal met and
// the level not won fails the level, naming the goal made last and the order of the clicks; one
// that ends with goals open does not (the held clicks may be needed first).

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
#include "tests/support/LevelScript.h"
#include "tests/support/RecordingFactory.h"
#include "tools/DataFiles.h"
#include "tools/levelplay/DeadEndSearch.h"
#include "tools/levelplay/LevelModel.h"
#include "tools/levelplay/LevelRun.h"
#include "tools/levelplay/PlayOutcome.h"
#include "tools/levelplay/WinCheck.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
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

// How the dead-end search runs: off with --no-search; a dead end it finds is played through
// levelplay (beside this program) to see that the real game comes to it too.
struct SearchSettings
{
    bool on = true;
    std::filesystem::path data;
    std::filesystem::path levelplay;
};

// Runs a command; its standard output and error, and its exit status (-1 when it did not end).
std::pair<std::string, int> runCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {output, -1};
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, read);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

const char* const kNotPlayed = "it could not be played: ";

// Plays a script through levelplay (with `options` too) at a person's pace and judges the level
// where it leaves it: levelplay's output, or kNotPlayed and why. Safe to call from several
// threads at once.
std::string playScript(const SearchSettings& settings, const std::string& level, const std::string& script,
                       const std::string& options = std::string())
{
    if (!std::filesystem::exists(settings.levelplay))
        return kNotPlayed + ("no " + settings.levelplay.string());
    // The script and whatever the run leaves in its working folder (its logs) go to a folder
    // of their own, removed afterwards.
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/levelcheck-order-XXXXXX";
    if (!mkdtemp(folder.data()))
        return kNotPlayed + std::string("no temporary folder");
    const std::string path = folder + "/order.play";
    std::ofstream(path, std::ios::binary) << script;
    const std::pair<std::string, int> run = runCommand(
        "cd " + shellQuoted(folder) + " && " + shellQuoted(settings.levelplay.string()) + " --data " +
        shellQuoted(settings.data.string()) + " --pace --judge --patience 60 --max-time 900 " + options +
        " " + shellQuoted(level) + " " + shellQuoted(path));
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return run.first;
}

// Plays the order at a person's pace and judges the level where it leaves it: the text of the
// judgement when the game comes to the dead end too, else why not (the end of the run). What
// the run came to goes to `outcome`.
bool playOrder(const SearchSettings& settings, const std::string& level, const std::string& script,
               std::string& told, LevelPlay::PlayOutcome& outcome)
{
    const std::string output = playScript(settings, level, script);
    if (output.rfind(kNotPlayed, 0) == 0)
    {
        told = output;
        return false;
    }
    outcome = LevelPlay::PlayOutcome::read(output);
    const size_t judged = output.rfind("judge: ");
    if (judged != std::string::npos && output.compare(judged, 17, "judge: dead end: ") == 0)
    {
        told = output.substr(judged + 17, output.find('\n', judged) - judged - 17);
        return true;
    }
    // The last lines of the run say where it went otherwise.
    size_t from = output.size();
    for (int lines = 0; lines < 4 && from > 0; ++lines)
        from = output.rfind('\n', from - 2);
    told = output.substr(from == std::string::npos ? 0 : from + 1);
    while (!told.empty() && told.back() == '\n')
        told.pop_back();
    for (char& c : told)
        if (c == '\n')
            c = ';';
    return false;
}

// The search for an order of clicks after which the level can no longer be won.
void searchDeadEnds(Game& game, const LevelLocation& level, const std::string& argument,
                    const SearchSettings& settings, std::vector<std::string>& problems)
{
    const auto began = std::chrono::steady_clock::now();
    const LevelPlay::LevelModel model(game);
    LevelPlay::DeadEndSearch search(model);
    const LevelPlay::DeadEndSearch::Result result = search.run(LevelPlay::DeadEndSearch::Options());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    char took[32];
    std::snprintf(took, sizeof took, "%.2f s", seconds);
    const std::string scarce = LevelPlay::WinCheck(model).scarce(model.start());
    std::cout << "  scarce: " << (scarce.empty() ? "nothing" : scarce) << "\n";
    std::cout << "  dead-end search: " << result.orders << " orders, " << result.states << " states, "
              << (result.found ? "a dead end" : "no dead end") << (result.cutShort ? " (cut short)" : "")
              << ", " << took << "\n";
    if (!result.found)
        return;
    const std::string script = LevelPlay::DeadEndSearch::script(model, result.moves);
    std::cout << "  the order, as a levelplay script:\n";
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);)
        std::cout << "    " << line << "\n";
    std::string told;
    LevelPlay::PlayOutcome outcome;
    const bool confirmed = playOrder(settings, argument, script, told, outcome);
    const std::string order = LevelPlay::DeadEndSearch::describe(model, result.moves);
    problems.push_back(levelName(level) + ": a dead end: " +
                       (order.empty() ? "from its start the level cannot be won: "
                                      : "after the order " + order + " the level can no longer be won: ") +
                       result.why +
                       (confirmed
                            ? " (played at a person's pace, the game comes to it too)"
                            : " (but played at a person's pace, the game did not come to it: " + told + ")"));
    const std::string unwon = LevelPlay::goalsMetNotWon(levelName(level), order, outcome);
    if (!unwon.empty())
        problems.push_back(unwon);
}

// A level's script, to be played once with each of the level's goals made last.
struct GoalsLast
{
    std::string level;     // its name: "level 40"
    std::string argument;  // how levelplay is told of it
    std::string script;    // the script's text
    float goldTime = 0.0f; // how long a run of it takes, about
    // The level's goals, in the order of its list: "reach level TownHall#1".
    std::vector<std::string> goals;
};

// The level, to be played with each goal made last, when its script lies beside its file
// (nK.play beside nK.xml).
void addGoalsLast(Game& game, const LevelLocation& level, const std::string& argument,
                  const SearchSettings& settings, std::vector<GoalsLast>& levels)
{
    std::filesystem::path script = Tools::levelArgument(argument, settings.data).file;
    script.replace_extension(".play");
    GoalsLast entry{levelName(level), argument, std::string(), game.getGoldTime(), {}};
    if (game.getLevelGoals().empty() || !Tools::readWholeFile(script.string(), entry.script))
        return;
    for (const LevelGoal& goal : game.getLevelGoals())
        entry.goals.push_back(std::string(goalKind(goal.kind)) + " " +
                              LevelPlay::scriptLabel(game, goal.target.lock()));
    levels.push_back(std::move(entry));
}

// Prints one loaded level; the problems found go to `problems`, the level to play with each goal
// made last to `goalsLast`.
void describe(Game& game, const LevelLocation& level, const std::string& argument,
              const SearchSettings& settings, std::vector<std::string>& problems,
              std::vector<GoalsLast>& goalsLast)
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
    if (base && settings.on)
    {
        searchDeadEnds(game, level, argument, settings, problems);
        addGoalsLast(game, level, argument, settings, goalsLast);
    }
    for (const std::string& problem : LevelReachCheck(game).run())
        problems.push_back(levelName(level) + ": " + problem);
}

// The script with every line at 0: its clicks come at a person's pace alone.
std::string pacedAlone(const std::string& script)
{
    std::istringstream lines(script);
    std::string paced;
    for (std::string line; std::getline(lines, line);)
    {
        const size_t at = line.find_first_not_of(" \t");
        if (at != std::string::npos && line.compare(at, 3, "at ") == 0)
        {
            const size_t time = line.find_first_not_of(" \t", at + 3);
            const size_t end = line.find_first_of(" \t", time);
            if (time != std::string::npos && end != std::string::npos)
                line = line.substr(0, time) + "0" + line.substr(end);
        }
        paced += line + "\n";
    }
    return paced;
}

// The order in which a run played the script's lines, as a script names its clicks: the lines
// levelplay held for the end ("held for the end: script line L click TYPE#K") after the others.
std::string playedOrder(const std::string& script, const std::string& output)
{
    const std::string mark = "held for the end: script line ";
    std::vector<int> held;
    std::string last;
    for (size_t at = output.find(mark); at != std::string::npos; at = output.find(mark, at + 1))
    {
        const size_t number = at + mark.size();
        const size_t name = output.find(' ', number);
        held.push_back(std::atoi(output.c_str() + number));
        last += ", then " + output.substr(name + 1, output.find('\n', name) - name - 1);
    }
    std::string order;
    try
    {
        for (const Test::ScriptLine& line : Test::parseLevelScript(script, "script"))
        {
            if (std::find(held.begin(), held.end(), line.line) != held.end())
                continue;
            static const char* const verbs[] = {"click", "upgrade", "cancel", "save", "restore"};
            order += (order.empty() ? "" : ", ") + std::string(verbs[line.verb]) +
                     (line.type.empty() ? "" : " " + line.type + "#" + std::to_string(line.index));
        }
    }
    catch (const std::runtime_error&)
    {
    }
    return order + last;
}

// Runs task(0) to task(count - 1) on threads of their own, as many at once as this process has
// cores.
void inParallel(size_t count, const std::function<void(size_t)>& task)
{
    cpu_set_t cores;
    CPU_ZERO(&cores);
    const size_t available = sched_getaffinity(0, sizeof cores, &cores) == 0
                                 ? static_cast<size_t>(CPU_COUNT(&cores))
                                 : std::max(1u, std::thread::hardware_concurrency());
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (size_t i = 0; i < std::min(count, std::max<size_t>(available, 1)); ++i)
        workers.emplace_back(
            [&]
            {
                for (size_t job = next++; job < count; job = next++)
                    task(job);
            });
    for (std::thread& worker : workers)
        worker.join();
}

// Whether the game wins each level whichever of its goals is met last: the level's script is
// played through levelplay once for each goal with the clicks on the goal's unit held until
// nothing else is under way, every other goal done or given up (--last-goal), the runs side by
// side. The clicks come at a person's pace alone (every line at 0): the script's times are those
// its clicks came at in its own order. A run that ends with every goal met and no win is a
// problem, as is a run that does not end as levelplay ends one; a run that ends with goals open
// is not (what was held may be needed first).
void playGoalsLast(const std::vector<GoalsLast>& levels, const SearchSettings& settings,
                   std::vector<std::string>& problems)
{
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t level = 0; level < levels.size(); ++level)
        for (size_t goal = 0; goal < levels[level].goals.size(); ++goal)
            runs.emplace_back(level, goal);
    if (runs.empty())
        return;
    const auto began = std::chrono::steady_clock::now();
    // The longest levels first, so that no long run is left to the end alone.
    std::vector<size_t> order(runs.size());
    for (size_t run = 0; run < runs.size(); ++run)
        order[run] = run;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b)
                     { return levels[runs[a].first].goldTime > levels[runs[b].first].goldTime; });
    std::vector<std::string> outputs(runs.size());
    inParallel(runs.size(),
               [&](size_t next)
               {
                   const size_t run = order[next];
                   const GoalsLast& level = levels[runs[run].first];
                   outputs[run] = playScript(settings, level.argument, pacedAlone(level.script),
                                             "--last-goal " + std::to_string(runs[run].second + 1));
               });
    char took[96];
    std::snprintf(took, sizeof took, "%zu runs, %.1f s", runs.size(),
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
    std::cout << "Each goal made last (the script's clicks on its unit held until nothing else is under way, "
                 "the clicks at a person's pace alone): "
              << took << "\n";
    for (size_t run = 0; run < runs.size(); ++run)
    {
        const GoalsLast& level = levels[runs[run].first];
        const std::string what = level.level + ", " + level.goals[runs[run].second] + " made last";
        const std::string& output = outputs[run];
        const LevelPlay::PlayOutcome outcome = LevelPlay::PlayOutcome::read(output);
        const std::string unwon = LevelPlay::goalsMetNotWon(what, playedOrder(level.script, output), outcome);
        char clock[48];
        std::snprintf(clock, sizeof clock, " at %.2f s", static_cast<double>(outcome.clock));
        std::cout << "  " << what << ": ";
        if (!unwon.empty())
        {
            std::cout << "every goal met, but not won\n";
            problems.push_back(unwon);
        }
        else if (!outcome.ended)
        {
            std::cout << "the run did not end\n";
            problems.push_back(what + ": the run did not end: " +
                               output.substr(output.size() - std::min<size_t>(output.size(), 300)));
        }
        else if (output.find("held for the end: nothing") != std::string::npos)
            std::cout << "no line of the script names its unit\n";
        else if (outcome.won)
            std::cout << "won" << clock << "\n";
        else
            std::cout << outcome.openGoals << (outcome.openGoals == 1 ? " goal" : " goals") << " open"
                      << clock << "\n";
    }
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

std::filesystem::path programFolder(const char* program)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    return (error ? std::filesystem::absolute(program) : self).parent_path();
}

std::filesystem::path dataFolder(const char* program)
{
    const std::filesystem::path beside = programFolder(program);
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
    SearchSettings search;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--data" && i + 1 < argc)
            data = argv[++i];
        else if (argument == "--no-search")
            search.on = false;
        else if (!argument.empty() && argument[0] != '-')
            arguments.push_back(argument);
        else
        {
            std::cerr << "usage: levelcheck [--data <folder>] [--no-search] [LEVEL ...]   (a level number or "
                         "a level "
                         "file)\n";
            return 2;
        }
    }
    if (data.empty())
        data = dataFolder(argv[0]);
    search.data = std::filesystem::absolute(data);
    search.levelplay = programFolder(argv[0]) / "levelplay";

    std::vector<std::string> problems;
    std::vector<GoalsLast> goalsLast;
    try
    {
        Engine::cFileSystem files(Engine::fromUtf8(data.string() + "/"));
        Engine::cResourceManager resources;
        Engine::cConstants constants("sys/constants.xml");
        Engine::cSettings settings("sys/settings.xml");
        // Textures are made on a device that records instead of drawing: no window is needed.
        Test::RecordingFactory devices;
        GameConfig& config = GameConfig::instance();
        // Each level, and how levelplay is told of it.
        std::vector<std::pair<LevelLocation, std::string>> levels;
        for (const std::string& argument : arguments)
        {
            const std::filesystem::path file = Tools::levelArgument(argument, data).file;
            levels.emplace_back(LevelLocation::fromPath(file.string(), files),
                                std::filesystem::absolute(file).string());
        }
        if (arguments.empty())
        {
            for (int level = 0; level < config.getConstants().LevelsCount; ++level)
                levels.emplace_back(LevelLocation::fromNumber(level), std::to_string(level));
            const std::string extra = text(Game::levelPath(config.getConstants().LevelsCount));
            if (files.isKnown(extra))
                problems.push_back("\"" + extra + "\" exists, but \"LevelsCount\" is " +
                                   std::to_string(config.getConstants().LevelsCount));
        }
        for (const auto& [level, argument] : levels)
        {
            CPlayState::instance().getBriefing().clear();
            cTutorial::instance().reset();
            try
            {
                level.select();
                auto game = std::make_unique<Game>();
                game->loadLevel(level.number);
                game->getController().init();
                describe(*game, level, argument, search, problems, goalsLast);
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
    playGoalsLast(goalsLast, search, problems);
    for (const std::string& problem : problems)
        std::cerr << "levelcheck: " << problem << "\n";
    return problems.empty() ? 0 : 1;
}
