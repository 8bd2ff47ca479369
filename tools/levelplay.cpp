// levelplay: plays a level of the game by a script of clicks, as a player plays it, without a
// window and without a sound device, and tells whether it was won.
//
//   levelplay [--data DIR] [--seed N] [--dt SECONDS] [--max-time SECONDS]
//             [--keep-saves DIR] [--restore SAVEFILE] [--pace] [--patience SECONDS]
//             [--write-script FILE] [--judge] [--last-goal N] LEVEL SCRIPT
//
// LEVEL is a level number N (the data folder's "Levels/n<N>.xml") or the path of a level file
// under any name; a file named n<N>.xml plays as level N, any other as level 0.
//
// The program's own play state runs the level, with its views on a graphics device that
// records instead of drawing, its tooltips, tutorial and briefings, in frames of a fixed length
// (--dt, 1/64 s by default). Every order reaches the game as a player's input does: the pointer
// is put at a place of the 1024 x 768 screen and the scripted mouse's button pressed there, and
// the keys go through the same input device. A briefing and a modal tip are closed with Escape. The script's
// lines act when the level clock reaches their time:
//
//   at T click TYPE[#K]     the pointer to the middle of the K-th unit's view of that type (from
//                           1, in the order the level holds them; 1 when left out) and a click
//   at T upgrade TYPE[#K]   a click on that unit's upgrade button, where it is drawn
//   at T cancel             the cancel input (the secondary mouse button)
//   at T save               leaves the level as the player does (Escape, the menu's map button,
//                           yes): the unfinished level is written (with --keep-saves a copy goes
//                           to DIR/save-N.bin, N from 1)
//   at T restore            continues the level from the map (its play button, yes)
//   # ...                   a comment, also after a line
//
// With --pace the script is played at a person's pace: a line's time is the earliest its click
// comes, a click comes no sooner than 1.5 s after the click before it and no sooner than 1 s
// after what it clicks became clickable (see PaceKeeper; --patience, 120 s by default, is the
// longest a click waits for that). A won level then also prints the medal times that pace
// gives: gold 10% above the clock, silver a third above gold, as the level's "meta" line takes
// them. --write-script writes the script again with the times its lines acted at (comments
// kept): played without --pace, it makes the same clicks at the same times.
//
// With --judge, once the script's last line has acted and nothing waits to be done, the level
// is judged as it stands: "judge: can still be won", or "judge: dead end: " and what ran out or
// can no longer be reached (the model of LevelModel, as levelcheck's search uses it), or, where
// the model finds every goal met and the game has not won, "judge: every goal is met, but the
// game has not won the level".
//
// With --last-goal N, the goal of the level's list numbered N (from 1) is met last: a line of
// the script whose click or upgrade names that goal's unit, when its turn comes, is held back
// ("held for the end: script line L ..."), and the held lines are played once the rest of the
// script has acted and nothing waits to be done (every other goal done or given up), in their
// order, naming the unit as the field then numbers it. Played so, the script shows whether the
// game wins the level whichever goal is met last. (It does not go with --write-script.)
//
// A click that a player could not make goes nowhere, as the player's would: the unit hidden,
// the button not shown, another view taking the pointer. The run goes on and says what lay
// under the pointer. A click that reached the unit but made no goal says why (the waiting goals,
// or a tutorial tip holding every other click).
//
// It prints the goals taken and done and the refused clicks with their problem code, and ends
// with one line: won=0|1 clock=SECONDS medal=gold|silver|none frames=N open_goals=N (the medal
// the game gives, judged on the whole seconds its clock shows). The exit status is 0 when the
// level was won, 1 when it was not won by --max-time (900 s by default) and 2 for a level, script
// or save file that cannot be used.
//
// Saves and settings go to a temporary folder (under TMPDIR, else /dev/shm), removed at the
// end. --seed starts the game's random generator (1 by default), so a run is the same every
// time.

#include "engine/core/FileUtils.h"
#include "engine/core/Random.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConstants.h"
#include "engine/core/cControl.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/devices/cSound.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/screens/selectNextLevel.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/cCheats.h"
#include "game/world/cGameSounds.h"
#include "platform/sound/RecordingMixer.h"
#include "platform/system/HeapPages.h"
#include "tests/support/LevelScript.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"
#include "tools/DataFiles.h"
#include "tools/levelplay/LevelModel.h"
#include "tools/levelplay/LevelRun.h"
#include "tools/levelplay/PaceKeeper.h"
#include "tools/levelplay/PlayOutcome.h"
#include "tools/levelplay/PlayerHand.h"
#include "tools/levelplay/WinCheck.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using LevelPlay::BadInput;
using LevelPlay::Command;

// A failure thrown by the game: its text, whatever type carried it.
std::string failureText()
{
    try
    {
        throw;
    }
    catch (const BadInput& failure)
    {
        return failure.text;
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

// The bytes of a file on the disk, outside the game's file system.
std::string readDiskFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw BadInput{path + ": cannot be read"};
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<Command> readScript(const std::string& path)
{
    std::vector<Test::ScriptLine> lines;
    try
    {
        lines = Test::readLevelScript(path);
    }
    catch (const std::runtime_error& failure)
    {
        throw BadInput{failure.what()};
    }
    std::vector<Command> commands;
    for (const Test::ScriptLine& line : lines)
    {
        Command command;
        static_cast<Test::ScriptLine&>(command) = line;
        if (line.verb == Test::ScriptLine::Click || line.verb == Test::ScriptLine::Upgrade)
        {
            command.unitType = Engine::fromUtf8(line.type);
            if (GameConfig::instance().unitNames().find(command.unitType) < 0)
                throw BadInput{path + ":" + std::to_string(line.line) + ": \"" + line.type +
                               "\" is no unit type of \"Units/Units.xml\""};
        }
        commands.push_back(command);
    }
    return commands;
}

// The frame timer of the run: every frame lasts the same.
class FixedTimer final : public Engine::cTimer
{
public:
    explicit FixedTimer(float dt) : m_dt(dt) {}
    void step() override {}
    float getFrameTime() const override { return m_dt; }
    float frameTime() const override { return m_dt; }

private:
    float m_dt;
};

std::filesystem::path defaultDataFolder(const char* program)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", error);
    const std::filesystem::path beside = (error ? std::filesystem::path(program) : self).parent_path();
    for (const auto& candidate :
         {beside / "Data", beside.parent_path() / "Data", beside.parent_path() / "data"})
        if (std::filesystem::is_directory(candidate))
            return candidate;
    return beside / "Data";
}

struct Options
{
    std::filesystem::path data;
    unsigned seed = 1;
    float dt = 1.0f / 64.0f;
    float maxTime = 900.0f;
    std::string keepSaves;
    std::string restore;
    bool pace = false;
    float patience = 120.0f;
    std::string writeScript;
    bool judge = false;
    int lastGoal = 0;
    std::string level;
    std::string script;
};

Options readOptions(int argc, char** argv)
{
    Options options;
    std::vector<std::string> files;
    const auto number = [&](int& i, const std::string& name)
    {
        if (i + 1 >= argc)
            throw BadInput{name + " needs a value"};
        const std::string text = argv[++i];
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !std::isfinite(value) || value < 0.0)
            throw BadInput{name + ": \"" + text + "\" is no number"};
        return value;
    };
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--data" && i + 1 < argc)
            options.data = argv[++i];
        else if (argument == "--seed")
            options.seed = static_cast<unsigned>(number(i, argument));
        else if (argument == "--dt")
        {
            options.dt = static_cast<float>(number(i, argument));
            if (options.dt <= 0.0f || options.dt > 1.0f)
                throw BadInput{"--dt: a frame lasts more than 0 and at most 1 second"};
        }
        else if (argument == "--max-time")
            options.maxTime = static_cast<float>(number(i, argument));
        else if (argument == "--keep-saves" && i + 1 < argc)
            options.keepSaves = argv[++i];
        else if (argument == "--restore" && i + 1 < argc)
            options.restore = argv[++i];
        else if (argument == "--pace")
            options.pace = true;
        else if (argument == "--patience")
            options.patience = static_cast<float>(number(i, argument));
        else if (argument == "--write-script" && i + 1 < argc)
            options.writeScript = argv[++i];
        else if (argument == "--judge")
            options.judge = true;
        else if (argument == "--last-goal")
        {
            const double goal = number(i, argument);
            if (goal < 1.0 || goal != std::floor(goal) || goal > 1000.0)
                throw BadInput{"--last-goal: goals are numbered from 1"};
            options.lastGoal = static_cast<int>(goal);
        }
        else if (!argument.empty() && argument[0] == '-')
            throw BadInput{"unknown option " + argument};
        else
            files.push_back(argument);
    }
    if (files.size() != 2)
        throw BadInput{"usage: levelplay [--data DIR] [--seed N] [--dt SECONDS] [--max-time SECONDS] "
                       "[--keep-saves DIR] [--restore SAVEFILE] [--pace] [--patience SECONDS] "
                       "[--write-script FILE] [--judge] [--last-goal N] LEVEL SCRIPT"};
    if (options.lastGoal && !options.writeScript.empty())
        throw BadInput{"--write-script writes the script as written: not with --last-goal"};
    options.level = files[0];
    options.script = files[1];
    if (options.data.empty())
        options.data = defaultDataFolder(argv[0]);
    return options;
}

// The effect files of the data folder, named as the game names them.
std::vector<std::string> effectFileNames(const std::filesystem::path& data)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(data, error), end; !error && it != end;
         it.increment(error))
        if (it->path().extension() == ".pyro")
            names.push_back(it->path().lexically_relative(data).generic_string());
    return names;
}

// Where the run's own folder goes: the folder TMPDIR names, else the memory-backed /dev/shm when
// there is one to write to, else the system's temporary folder. The run's saves are written as
// the game writes them (whole, then synced to the disk) and thrown away at the end: on a disk
// that costs more than the start of a level.
std::filesystem::path scratchParent()
{
    const char* chosen = std::getenv("TMPDIR");
    if ((!chosen || !*chosen) && ::access("/dev/shm", W_OK | X_OK) == 0 &&
        std::filesystem::is_directory("/dev/shm"))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// A folder of its own for the saves and settings of the run, removed at the end.
class ScratchHome
{
public:
    ScratchHome()
    {
        std::string pattern = (scratchParent() / "levelplay-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw BadInput{"cannot make a temporary folder"};
        m_path = pattern;
        setenv("XDG_DATA_HOME", (m_path / "share").c_str(), 1);
    }
    ~ScratchHome() { remove(); }
    void remove()
    {
        std::error_code error;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
        m_path.clear();
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

private:
    std::filesystem::path m_path;
};

// Whether the run ends without letting go of the game piece by piece. Built with the
// sanitizers, the whole game is torn down at the end, so that their leak check still proves the
// teardown; otherwise the process just ends once everything is told and the run's folder is
// removed: the teardown writes nothing that outlives the run and costs a tenth of its time.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kTearDown = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer) || __has_feature(thread_sanitizer) ||  \
    __has_feature(memory_sanitizer)
constexpr bool kTearDown = true;
#else
constexpr bool kTearDown = false;
#endif
#else
constexpr bool kTearDown = false;
#endif

// The level file, put where the game finds level `number`: the data folder's own file stays
// where it is; any other is copied into the run's shared folder as "Levels/n<number>.xml", which
// the game reads before the data folder.
int placeLevel(const std::string& argument, const std::filesystem::path& data, Engine::cFileSystem& files)
{
    const Tools::LevelArgument level = Tools::levelArgument(argument, data);
    std::error_code error;
    const std::filesystem::path shipped = std::filesystem::weakly_canonical(
        data / "Levels" / ("n" + std::to_string(level.number) + ".xml"), error);
    if (level.number >= 0 && std::filesystem::weakly_canonical(level.file, error) == shipped)
    {
        if (!files.isKnown(Engine::toUtf8(Game::levelPath(level.number))))
            throw BadInput{argument + ": no such level file in " + data.string()};
        return level.number;
    }
    const std::string bytes = readDiskFile(level.file.string());
    const int number = std::max(level.number, 0);
    Engine::writeWholeFile(Engine::toUtf8(Game::levelPath(number)), bytes.data(), bytes.size());
    return number;
}

// Whether the level, not won, can still be won as it stands, and if not, why. A level whose
// goals are all met and that the game has not won is no level that can still be won.
std::string judge(Game& game)
{
    const LevelPlay::LevelModel model(game);
    if (model.won(model.start()))
        return LevelPlay::kGoalsMetNotWon;
    LevelPlay::WinCheck check(model);
    if (check.winnable(model.start()))
        return "can still be won";
    return "dead end: " + check.whyNot(model.start());
}

// The script again, each line that acted at the time it acted (to the hundredth of a second
// below it: played again without the pace, it acts in the same frame). A line that never acted
// (the level was won or left before it) keeps its time, moved up to the line before it.
void writeScript(const std::string& from, const std::vector<float>& actedAt,
                 const std::vector<Command>& script, const std::string& to)
{
    std::map<int, double> times;
    double last = 0.0;
    for (size_t i = 0; i < script.size(); ++i)
    {
        const double time = actedAt[i] >= 0.0f
                                ? std::floor(static_cast<double>(actedAt[i]) * 100.0 + 1e-6) / 100.0
                                : std::max(last, static_cast<double>(script[i].time));
        times[script[i].line] = time;
        last = time;
    }
    std::istringstream in(readDiskFile(from));
    std::ostringstream out;
    std::string row;
    for (int number = 1; std::getline(in, row); ++number)
    {
        const auto found = times.find(number);
        const size_t at = row.find("at ");
        if (found != times.end() && at != std::string::npos)
        {
            const size_t begin = row.find_first_not_of(' ', at + 3);
            const size_t end = row.find(' ', begin);
            char time[32];
            std::snprintf(time, sizeof time, "%.2f", found->second);
            std::string text = time;
            // A time of a whole second loses its decimals.
            if (text.size() > 3 && text.compare(text.size() - 3, 3, ".00") == 0)
                text.erase(text.size() - 3);
            row = row.substr(0, begin) + text + row.substr(end);
        }
        out << row << "\n";
    }
    std::ofstream file(to, std::ios::binary);
    file << out.str();
    if (!file)
        throw BadInput{to + ": cannot be written"};
}

int play(const Options& options)
{
    ScratchHome home;
    Engine::cFileSystem files(Engine::fromUtf8(options.data.string() + "/"));
    Engine::cResourceManager resources;
    Engine::cConstants constants("sys/constants.xml");
    Engine::cSettings settings("sys/settings.xml");
    Test::RecordingFactory devices;
    // Nothing is shown: a picture file is read only if its pixels are (a click's hit test).
    devices.device.setPicturesReadWhenDecoded(true);
    // Nothing is drawn: the level's particle effects play without particles.
    const Test::SilentParticles particles(effectFileNames(options.data));
    Engine::cSound sound(std::make_unique<Platform::RecordingMixer>());
    FixedTimer timer(options.dt);
    Engine::seedRandom(options.seed);
    auto sounds = std::make_unique<cGameSounds>();
    Engine::cProps::clearAll();
    Engine::cProfileManager profiles(L"levelplay");
    CGameEngine& engine = CGameEngine::instance();
    // As the program does: the managers kept in function-local statics let go of the tree and
    // the input before the engine's singletons go.
    engine.atShutdown(
        []
        {
            cCheats::instance().shutdown();
            UnitViewLibrary::instance().clear();
            cTutorial::instance().reset();
            CPlayState::instance().releasePlayView();
        });

    // The level is the one the player chose on the map, open there: the levels before it won.
    const int level = options.level.empty() ? 0 : placeLevel(options.level, options.data, files);
    engine.setLevelPath(L"");
    Engine::cProps::set<int>(L"CurrentLevel", level);
    for (int won = 0; won < std::min(level, kMapLevelLimit); ++won)
        Engine::cProps::set<int>(L"Level" + std::to_wstring(won), 0);
    setCurrentMap(mapIndexOfLevel(setCurrentSelectedLevel(level)));
    std::vector<Command> script = readScript(options.script);
    // The script's own lines; with --last-goal the held lines come again after them.
    const size_t written = script.size();

    if (!options.keepSaves.empty())
        std::filesystem::create_directories(options.keepSaves);
    LevelPlay::PlayerHand hand;
    LevelPlay::LevelRun run(hand, options.keepSaves);
    std::unique_ptr<LevelPlay::PaceKeeper> pace;
    if (options.pace)
        pace = std::make_unique<LevelPlay::PaceKeeper>(run, options.patience);
    // The clock at which each line acted; -1 for a line that never did.
    std::vector<float> actedAt(script.size(), -1.0f);
    std::vector<int> retries(script.size(), 0);
    constexpr int kRetries = 5;
    std::string judgement;
    // With --last-goal: the lines held back, and whether they were played again at the end.
    std::vector<size_t> held;
    bool released = false;
    // The goal met last, as the level stands now (none without --last-goal).
    const auto lastGoal = [&run, &options]() -> const LevelGoal*
    {
        Game* game = run.game();
        if (!options.lastGoal || !game)
            return nullptr;
        const std::vector<LevelGoal>& goals = game->getLevelGoals();
        if (static_cast<size_t>(options.lastGoal) > goals.size())
            throw BadInput{"--last-goal " + std::to_string(options.lastGoal) + ": the level has " +
                           std::to_string(goals.size()) + " goals"};
        return &goals[static_cast<size_t>(options.lastGoal - 1)];
    };
    try
    {
        if (!options.restore.empty())
        {
            const std::string bytes = readDiskFile(options.restore);
            const std::string savePath = GameConfig::instance().savePath();
            Engine::writeWholeFile(savePath, bytes.data(), bytes.size());
            run.continueSaved();
        }
        else
            run.startFresh();
        lastGoal();

        size_t next = 0;
        // Frames in a row with the script done and nothing waiting to be done.
        int idleFrames = 0;
        while (!run.won() && run.clock() < options.maxTime)
        {
            // The script's lines act before the frame's input step, as a player's hand would.
            while (next < script.size() && !run.won())
            {
                const Command& command = script[next];
                const LevelGoal* goal = next < written && run.inLevel() ? lastGoal() : nullptr;
                if (goal && (command.verb == Command::Click || command.verb == Command::Upgrade) &&
                    goal->target.lock() && run.unitOf(command) == goal->target.lock())
                {
                    std::cout << "at " << run.clock() << " s: held for the end: script line " << command.line
                              << " " << (command.verb == Command::Click ? "click " : "upgrade ")
                              << run.label(goal->target.lock()) << "\n";
                    held.push_back(next++);
                    // One click clears a barrier, and its work takes it off the field: a later
                    // line that names it was written for the next of its type.
                    if (goal->kind == 2)
                        run.setAside(goal->target.lock());
                    continue;
                }
                if (!(pace ? pace->ready(command) : command.time <= run.clock()))
                    break;
                actedAt[next++] = run.clock();
                if (pace)
                    pace->acted(command);
                switch (command.verb)
                {
                case Command::Click:
                case Command::Upgrade:
                    // At a person's pace, a press that something else took (a hero walking
                    // over a pile as the pointer came) is made again, as the person would.
                    if (run.inLevel() && !run.click(command, command.verb == Command::Upgrade) && pace &&
                        retries[next - 1]++ < kRetries)
                        --next;
                    break;
                case Command::Cancel:
                    run.cancel();
                    break;
                case Command::Save:
                    run.save();
                    break;
                case Command::Restore:
                    run.continueSaved();
                    break;
                }
            }
            if (!run.inLevel())
            {
                // A level that was left does not move on: the next line acts at once.
                if (next >= script.size())
                    break;
                if (script[next].verb != Command::Restore)
                {
                    actedAt[next] = run.clock();
                    ++next;
                    continue;
                }
                actedAt[next] = run.clock();
                run.continueSaved();
                ++next;
                continue;
            }
            // Judged once the script is done and the work it started has ended (a second of
            // frames with nothing waiting); the lines held back play first.
            idleFrames = next >= script.size() && run.idle() ? idleFrames + 1 : 0;
            if (!held.empty() && !released && idleFrames > static_cast<int>(1.0f / options.dt))
            {
                released = true;
                idleFrames = 0;
                run.setAside(cUnit::Ptr());
                const std::vector<LevelGoal>& goals = run.game()->getLevelGoals();
                const int number = run.numberOf(lastGoal()->target.lock());
                std::cout << "at " << run.clock() << " s: "
                          << std::count_if(goals.begin(), goals.end(),
                                           [](const LevelGoal& goal) { return !goal.done; })
                          << " goals open and nothing else under way: "
                          << (number > 0 ? "the held lines play now" : "the goal's unit is gone") << "\n";
                for (const size_t line : held)
                {
                    Command again = script[line];
                    again.time = 0.0f;
                    again.index = number;
                    if (number > 0)
                        script.push_back(again);
                }
                actedAt.resize(script.size(), -1.0f);
                retries.resize(script.size(), 0);
            }
            else if (options.judge && idleFrames > static_cast<int>(1.0f / options.dt))
            {
                judgement = judge(*run.game());
                break;
            }
            run.frame();
        }
    }
    catch (...)
    {
        run.finish();
        throw;
    }
    const bool won = run.won();
    const float clock = run.clock();
    Game* game = run.game();
    const int open = game ? game->countOpenGoals() : -1;
    if (game && !won)
        for (const LevelGoal& goal : game->getLevelGoals())
            if (!goal.done)
                std::cout << "open goal: " << run.label(goal.target.lock()) << "\n";
    if (options.judge && !won)
        std::cout << "judge: " << (judgement.empty() && game ? judge(*game) : judgement) << "\n";
    if (options.lastGoal && held.empty())
        std::cout << "held for the end: nothing: no line of the script names the unit of goal "
                  << options.lastGoal << "\n";
    const char* medal = "none";
    if (won)
    {
        const int kind = cStatusPanel::medalFor(clock, game->getGoldTime(), game->getSilverTime());
        medal = kind == 0 ? "gold" : kind == 1 ? "silver" : "none";
        if (pace)
        {
            const int gold = LevelPlay::PaceKeeper::goldFor(clock);
            std::printf("paced clock %.3f s: medal times at this pace GoldTime=\"%d\" SilverTime=\"%d\"\n",
                        static_cast<double>(clock), gold, LevelPlay::PaceKeeper::silverFor(gold));
        }
    }
    const long frames = hand.frames();
    if (kTearDown)
        run.finish();
    if (!options.writeScript.empty())
        writeScript(options.script, actedAt, script, options.writeScript);
    char line[160];
    std::snprintf(line, sizeof line, "won=%d clock=%.3f medal=%s frames=%ld open_goals=%d", won ? 1 : 0,
                  static_cast<double>(clock), medal, frames, open);
    std::cout << line << std::endl;
    const int status = won ? 0 : 1;
    if (!kTearDown)
    {
        home.remove();
        std::cout.flush();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    // A run is short and starts its level from nothing: the heap it writes comes in large
    // pages, for a few page faults where there would be a thousand.
    Platform::keepHeapInLargePages(std::size_t{16} << 20);
    try
    {
        return play(readOptions(argc, argv));
    }
    catch (...)
    {
        std::cerr << "levelplay: " << failureText() << std::endl;
        return 2;
    }
}
