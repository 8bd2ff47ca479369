// levelplay: plays a level of the game without a window and without a sound device, by a
// script of clicks, and tells whether it was won.
//
//   levelplay [--data DIR] [--seed N] [--dt SECONDS] [--max-time SECONDS]
//             [--keep-saves DIR] [--restore SAVEFILE] LEVEL.xml SCRIPT
//
// The level is loaded as the play state loads it and started as the end of its opening
// briefing starts it; then frames of a fixed length (--dt, 1/64 s by default) run with the
// level's real views on a device that records instead of drawing. The script's lines act when
// the level clock reaches their time:
//
//   at T click TYPE[#K]     clicks the K-th unit of that type (from 1, in the order the level
//                           holds them; 1 when left out)
//   at T upgrade TYPE[#K]   presses that unit's upgrade button
//   at T cancel             the cancel input (mouse button 1)
//   at T save               leaves the level as the player does: the unfinished level is
//                           written (with --keep-saves a copy goes to DIR/save-N.bin, N from 1)
//   at T restore            continues the level from that save
//   # ...                   a comment, also after a line
//
// It prints the goals taken and done and the refused clicks with their problem code, and ends
// with one line: won=0|1 clock=SECONDS medal=gold|silver|none frames=N open_goals=N. The exit
// status is 0 when the level was won, 1 when it was not won by --max-time (900 s by default)
// and 2 for a level, script or save file that cannot be used.
//
// Saves and settings go to a temporary folder, removed at the end. --seed starts the game's
// random generator (1 by default), so a run is the same every time.

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
#include "game/heroes/GameController.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cGameSounds.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CGameEngine.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cCheats.h"
#include "game/screens/cTutorial.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "platform/sound/RecordingMixer.h"
#include "tests/support/LevelScript.h"
#include "tests/support/RecordingFactory.h"
#include "tests/support/SilentParticles.h"

#include <boost/bind/bind.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace boost::placeholders;

namespace
{

// A file or argument that cannot be used: exit status 2.
struct BadInput
{
    std::string text;
};

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

const char* problemName(UnitProblem problem)
{
    static const char* const names[] = {"NoProblem",    "NoRoute", "NoFreeHero",    "NotEnoughResources",
                                        "AlreadyTaken", "Busy",    "NoDestination", "NotServiceable"};
    const int index = static_cast<int>(problem);
    return index >= 0 && index < 8 ? names[index] : "?";
}

// One line of the script, its unit type named as the game names types.
struct Command : Test::ScriptLine
{
    std::wstring unitType;
};

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

// The level number of "Levels/n<N>.xml": the saved level records it.
int levelNumberOf(const std::string& path)
{
    const std::string name = std::filesystem::path(path).stem().string();
    if (name.size() < 2 || (name[0] != 'n' && name[0] != 'N') ||
        name.find_first_not_of("0123456789", 1) != std::string::npos || name.size() > 7)
        throw BadInput{path + ": a level file is named n<number>.xml"};
    return std::stoi(name.substr(1));
}

// The path of a level file inside the data folder, as the game names it.
std::string dataRelative(const std::filesystem::path& data, const std::string& level)
{
    std::error_code error;
    const std::filesystem::path full = std::filesystem::weakly_canonical(level, error);
    const std::filesystem::path root = std::filesystem::weakly_canonical(data, error);
    const std::filesystem::path relative = full.lexically_relative(root);
    if (!relative.empty() && *relative.begin() != "..")
        return relative.generic_string();
    return std::filesystem::path(level).generic_string();
}

// One play of a level by its script.
class Player
{
public:
    Player(std::string levelFile, int levelNumber, std::string keepSaves)
        : m_levelFile(std::move(levelFile)), m_levelNumber(levelNumber), m_keepSaves(std::move(keepSaves))
    {
    }

    void startFresh()
    {
        newGame();
        try
        {
            m_game->loadLevel(m_levelNumber);
        }
        catch (...)
        {
            throw BadInput{m_levelFile + ": " + failureText()};
        }
        // The play state: the flood stands still until the level starts.
        if (const cUnit::Ptr flood = m_game->getFloodBarrier())
        {
            flood->setState(eUnitState::idle, -1);
            flood->refresh();
        }
        m_game->getController().init();
    }

    // Continues the player's saved level; a save that cannot be read is removed and refused.
    void restore()
    {
        newGame();
        if (!m_game->restoreLevel())
        {
            const std::string error = m_game->getRestoreError();
            m_game.reset();
            throw BadInput{error.empty() ? "there is no saved level to continue" : error};
        }
        std::cout << "restored at " << clock() << " s\n";
    }

    void save()
    {
        if (!m_game)
            return;
        m_game->leavePlay();
        ++m_saves;
        std::cout << "saved at " << clock() << " s\n";
        if (!m_keepSaves.empty())
        {
            const std::string from = GameConfig::instance().savePath();
            std::vector<char> bytes;
            Engine::cFileSystem::instance()->readFile(from, bytes);
            const std::filesystem::path to =
                std::filesystem::path(m_keepSaves) / ("save-" + std::to_string(m_saves) + ".bin");
            std::ofstream out(to, std::ios::binary);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out)
                throw BadInput{to.string() + ": cannot be written"};
        }
        m_lastClock = m_game->getLevelTime();
        dropGame();
    }

    void click(const Command& command, bool upgrade)
    {
        const cUnit::Ptr unit = find(command.unitType, command.index);
        if (!unit)
        {
            std::cout << "at " << clock() << " s: no " << Engine::toUtf8(command.unitType) << "#"
                      << command.index << " to " << (upgrade ? "upgrade" : "click") << " (script line "
                      << command.line << ")\n";
            return;
        }
        m_clicked = label(unit);
        cUnitView* view = unit->getView();
        if (!view)
            return;
        GameController& controller = m_game->getController();
        const size_t goalsBefore = controller.getPendingGoals().size();
        m_refused = false;
        if (upgrade)
            controller.onUnitViewClick(view);
        else
            view->clickSignal(view);
        // A click the planner passes over without a problem: the waiting goals fill the list,
        // or the unit takes no goal.
        if (!m_refused && controller.getPendingGoals().size() == goalsBefore)
            std::cout << "at " << clock() << " s: " << m_clicked << " made no goal ("
                      << controller.countWaitingGoals() << " goals waiting)\n";
        m_clicked.clear();
    }

    void cancel()
    {
        if (!m_game)
            return;
        const cGameResources before = m_game->getResources();
        m_game->onCancelClick();
        // What came back: the counts that grew, as NAME:COUNT.
        std::string refund;
        for (const auto& [id, count] : m_game->getResources().getItems())
            if (count > before.getCount(id))
                refund += (refund.empty() ? "" : " ") +
                          Engine::toUtf8(GameConfig::instance().resourceNames().nameOf(id)) + ":" +
                          std::to_string(count - before.getCount(id));
        std::cout << "at " << clock() << " s: cancel, refund " << (refund.empty() ? "nothing" : refund)
                  << "\n";
    }

    // One frame: the views' step, the level's step, the deletions the frame queued.
    void frame()
    {
        if (!m_game)
            return;
        Engine::cControl::activePass();
        Engine::cControl::enabledPass();
        m_game->update();
        Engine::cControl::deletePending();
        reportGoals();
    }

    bool running() const { return static_cast<bool>(m_game); }
    bool won() const { return m_game && (m_game->isLevelOver() || m_game->isFinishPending()); }
    float clock() const { return m_game ? m_game->getLevelTime() : m_lastClock; }
    Game* game() const { return m_game.get(); }

    void finish()
    {
        dropGame();
        UnitViewLibrary::instance().clear();
        Engine::cControl::deletePending();
    }
    ~Player() { finish(); }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

private:
    void newGame()
    {
        dropGame();
        CPlayState::instance().getBriefing().clear();
        cTutorial::instance().reset();
        TooltipManager::instance().reset();
        m_game = std::make_unique<Game>();
        GameController& controller = m_game->getController();
        controller.problemSignal.connect(boost::bind(&Player::onProblem, this, _1, _2));
        controller.upgradeProblemSignal.connect(boost::bind(&Player::onProblem, this, _1, _2));
        m_goals.clear();
    }

    void dropGame()
    {
        if (!m_game)
            return;
        m_game->getController().stopAllActions();
        // The views of a unit type's states are shared by its units' views: they leave them
        // before those are deleted with the play view, as the play state's cleanup does.
        for (const auto& entry : m_game->getUnits())
            if (const cUnitView* view = entry.second->getView())
                if (const auto description = view->getDescription())
                {
                    description->detachStates();
                    description->hideStates();
                }
        m_game.reset();
        CPlayState::instance().releasePlayView(true);
        Engine::cControl::deletePending();
    }

    cUnit::Ptr find(const std::wstring& type, int index) const
    {
        if (!m_game)
            return cUnit::Ptr();
        const auto range = m_game->getUnits().equal_range(GameConfig::instance().getTypeId(type));
        int seen = 0;
        for (auto it = range.first; it != range.second; ++it)
            if (!it->second->isRemoved() && ++seen == index)
                return it->second;
        return cUnit::Ptr();
    }

public:
    // TYPE#K of a unit, as the script names it.
    std::string label(const cUnit::Ptr& unit) const
    {
        if (!unit || !m_game)
            return "?";
        const auto range = m_game->getUnits().equal_range(unit->getTypeId());
        int seen = 0;
        for (auto it = range.first; it != range.second; ++it)
            if (!it->second->isRemoved())
            {
                ++seen;
                if (it->second == unit)
                    break;
            }
        return Engine::toUtf8(unit->typeName) + "#" + std::to_string(seen);
    }

private:
    void onProblem(const cUnit::Ptr& unit, UnitProblem problem)
    {
        if (problem == NoProblem)
            return;
        m_refused = true;
        std::cout << "at " << clock() << " s: " << (m_clicked.empty() ? label(unit) : m_clicked)
                  << " refused: problem " << static_cast<int>(problem) << " " << problemName(problem) << "\n";
    }

    // Reports the goals that were queued, taken by a hero or left the list since the last frame.
    void reportGoals()
    {
        std::map<const Goal*, std::pair<int, std::string>> now;
        for (const GameController::GoalPtr& goal : m_game->getController().getPendingGoals())
        {
            const int status = goal->getStatus();
            const auto before = m_goals.find(goal.get());
            const std::string target =
                before == m_goals.end() ? label(goal->getTarget()) : before->second.second;
            now[goal.get()] = {status, target};
            if (before == m_goals.end())
                std::cout << "at " << clock() << " s: goal " << target << " queued\n";
            if (status == Goal::Assigned &&
                (before == m_goals.end() || before->second.first == Goal::Waiting))
                std::cout << "at " << clock() << " s: goal " << target << " taken by "
                          << label(goal->getHero()) << "\n";
        }
        for (const auto& [goal, entry] : m_goals)
            if (!now.count(goal))
                std::cout << "at " << clock() << " s: goal " << entry.second
                          << " left the list (done or cancelled); resources "
                          << Engine::toUtf8(m_game->getResources().toText(false)) << "\n";
        m_goals.swap(now);
    }

    std::string m_levelFile;
    int m_levelNumber;
    std::string m_keepSaves;
    std::unique_ptr<Game> m_game;
    // The goals seen in the last frame: their status and the label of their target.
    std::map<const Goal*, std::pair<int, std::string>> m_goals;
    std::string m_clicked;
    bool m_refused = false;
    int m_saves = 0;
    float m_lastClock = 0.0f;
};

struct Options
{
    std::filesystem::path data;
    unsigned seed = 1;
    float dt = 1.0f / 64.0f;
    float maxTime = 900.0f;
    std::string keepSaves;
    std::string restore;
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
        else if (!argument.empty() && argument[0] == '-')
            throw BadInput{"unknown option " + argument};
        else
            files.push_back(argument);
    }
    if (files.size() != 2)
        throw BadInput{"usage: levelplay [--data DIR] [--seed N] [--dt SECONDS] [--max-time SECONDS] "
                       "[--keep-saves DIR] [--restore SAVEFILE] LEVEL.xml SCRIPT"};
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

// A folder of its own for the saves and settings of the run, removed at the end.
class ScratchHome
{
public:
    ScratchHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "levelplay-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw BadInput{"cannot make a temporary folder"};
        m_path = pattern;
        setenv("XDG_DATA_HOME", (m_path / "share").c_str(), 1);
    }
    ~ScratchHome()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

private:
    std::filesystem::path m_path;
};

int play(const Options& options)
{
    ScratchHome home;
    Engine::cFileSystem files(Engine::fromUtf8(options.data.string() + "/"));
    Engine::cResourceManager resources;
    Engine::cConstants constants("sys/constants.xml");
    Engine::cSettings settings("sys/settings.xml");
    Test::RecordingFactory devices;
    // Nothing is drawn: the level's particle effects play without particles.
    const Test::SilentParticles particles(effectFileNames(options.data));
    Engine::cSound sound(std::make_unique<Platform::RecordingMixer>());
    FixedTimer timer(options.dt);
    Engine::seedRandom(options.seed);
    auto sounds = std::make_unique<cGameSounds>();
    Engine::cProps::clearAll();
    Engine::cProfileManager profiles(L"levelplay");

    const std::string levelFile = dataRelative(options.data, options.level);
    const int levelNumber = levelNumberOf(levelFile);
    if (!files.isKnown(levelFile))
        throw BadInput{options.level + ": no such level file in " + options.data.string()};
    CGameEngine::instance().setLevelPath(Engine::fromUtf8(levelFile));
    Engine::cProps::set<int>(L"CurrentLevel", levelNumber);
    const std::vector<Command> script = readScript(options.script);

    if (!options.keepSaves.empty())
        std::filesystem::create_directories(options.keepSaves);
    Player player(levelFile, levelNumber, options.keepSaves);
    if (!options.restore.empty())
    {
        const std::string bytes = readDiskFile(options.restore);
        const std::string savePath = GameConfig::instance().savePath();
        Engine::writeWholeFile(savePath, bytes.data(), bytes.size());
        player.restore();
    }
    else
        player.startFresh();

    size_t next = 0;
    long frames = 0;
    while (!player.won() && player.clock() < options.maxTime)
    {
        // The input step comes before the level's step, as in the game's frame.
        while (next < script.size() && script[next].time <= player.clock())
        {
            const Command& command = script[next++];
            switch (command.verb)
            {
            case Command::Click:
            case Command::Upgrade:
                if (player.running())
                    player.click(command, command.verb == Command::Upgrade);
                break;
            case Command::Cancel:
                player.cancel();
                break;
            case Command::Save:
                player.save();
                break;
            case Command::Restore:
                player.restore();
                break;
            }
        }
        if (!player.running())
        {
            // A level that was left does not move on: the next line acts at once.
            if (next >= script.size())
                break;
            if (script[next].verb != Command::Restore)
            {
                ++next;
                continue;
            }
            player.restore();
            ++next;
            continue;
        }
        player.frame();
        ++frames;
    }
    const bool won = player.won();
    const float clock = player.clock();
    Game* game = player.game();
    const int open = game ? game->countOpenGoals() : -1;
    if (game && !won)
        for (const LevelGoal& goal : game->getLevelGoals())
            if (!goal.done)
                std::cout << "open goal: " << player.label(goal.target.lock()) << "\n";
    const char* medal = "none";
    if (won)
    {
        const int kind = cStatusPanel::medalFor(clock, game->getGoldTime(), game->getSilverTime());
        medal = kind == 0 ? "gold" : kind == 1 ? "silver" : "none";
    }
    player.finish();
    char line[160];
    std::snprintf(line, sizeof line, "won=%d clock=%.3f medal=%s frames=%ld open_goals=%d", won ? 1 : 0,
                  static_cast<double>(clock), medal, frames, open);
    std::cout << line << std::endl;
    cTutorial::instance().reset();
    TooltipManager::instance().reset();
    cCheats::instance().shutdown();
    return won ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
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
