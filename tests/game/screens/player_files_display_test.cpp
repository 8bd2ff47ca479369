// The real program and the player's files. Killed (SIGKILL) right before each rename or
// removal it makes while a level is left and while one is won: at every such point the player
// keeps the win or the save, and every file on disk still reads. The program stops itself
// before the chosen file step (QUILLMOOR_STOP_AT_FILE_STEP) and says so in its traces; the
// test kills it there. Started on a full or read-only disk: it tells the player once of each file
// it cannot write and plays on, and nothing on the disk changes.
#include "engine/core/FileUtils.h"
#include "engine/core/ProfileFiles.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cXmlProperties.h"
#include "game/world/LevelArchive.h"
#include "tests/support/DiskFaults.h"
#include "tests/support/LevelScript.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/saved_level_tools.h"

namespace
{

using namespace DisplayTest;

namespace fs = std::filesystem;

std::string utf16File(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : Engine::toUtf16(text))
    {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The player "ada" (ID 1) on the first level, with a save of it taken a few seconds before its
// goals are done: levelplay plays the level's own script (data/Levels/n0.play) once to learn
// when it is won, then again up to a little before that, and leaves the level there.
class PlayerFolder
{
public:
    PlayerFolder()
    {
        const std::string script = ::Test::readFile(std::string(QUILL_SOURCE_DIR) + "/data/Levels/n0.play");
        const std::string won = levelplay(script);
        const size_t clock = won.find("won=1 clock=");
        if (clock == std::string::npos)
            return;
        // After the script's last click: the rest is the heroes' walking and work.
        float last = 0.0f;
        for (const ::Test::ScriptLine& line : ::Test::parseLevelScript(script, "n0.play"))
            last = std::max(last, line.time);
        const float end = std::stof(won.substr(clock + 12));
        levelplay(script + "\nat " + std::to_string(std::max(last + 1.0f, end - 4.0f)) + " save\n");
        save = ::Test::readFile(m_made.path() / "saves" / "save-1.bin");
    }

    // The player's files in the shared folder of a program's run.
    void putInto(const ::Test::TempDir& folder) const { putInto(folder.path() / "share" / "Quillmoor"); }
    void putInto(const fs::path& shared) const
    {
        writeFile(shared / "sys/settings.xml",
                  "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>");
        writeFile(shared / "profiles/profiles.xml",
                  utf16File(Engine::profilesFileText(2, L"ada", false, {{L"ada", 1}})));
        writeFile(shared / "profiles/00000001.xml",
                  utf16File(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Props>"
                            L"<prop Name=\"CurrentLevel\" Val=\"0\" Type=\"Int\" /></Props>"));
        writeFile(shared / "profiles/00000001.save", save);
    }

    std::string save;

private:
    // Runs levelplay on the first level with a script; what it printed.
    std::string levelplay(const std::string& script) const
    {
        const fs::path path = m_made.path() / "n0.play";
        writeFile(path, script);
        const fs::path out = m_made.path() / "out.txt";
        const std::string command =
            "QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 '" +
            std::string(QUILL_BINARY_DIR) + "/tools/levelplay' --keep-saves '" +
            (m_made.path() / "saves").string() + "' 0 '" + path.string() + "' >'" + out.string() + "' 2>&1";
        std::system(command.c_str());
        return ::Test::readFile(out);
    }

    ::Test::TempDir m_made;
};

// What a killed run left of the player's files.
struct LeftFiles
{
    explicit LeftFiles(const ::Test::TempDir& folder)
    {
        const fs::path profiles = folder.path() / "share" / "Quillmoor" / "profiles";
        saveExists = fs::exists(profiles / "00000001.save");
        save = ::Test::readFile(profiles / "00000001.save");
        try
        {
            const std::string list = ::Test::readFile(profiles / "profiles.xml");
            Engine::sProfilesFile file;
            Engine::readProfilesFile(
                *Engine::cXmlProperties::fromBuffer(list.data(), list.size(), "profiles.xml"), file);
            listReads = file.entries.size() == 1 && file.entries[0].name == L"ada" && file.entries[0].id == 1;
            const std::string values = ::Test::readFile(profiles / "00000001.xml");
            const Engine::tPropertiesPtr root =
                Engine::cXmlProperties::fromBuffer(values.data(), values.size(), "00000001.xml");
            valuesRead = true;
            Engine::tPropertiesList props;
            root->getChildren(props);
            for (const Engine::tPropertiesPtr& prop : props)
                if (prop->getAttribute(L"Name") == L"Level0")
                    won = true;
        }
        catch (...)
        {
        }
        // A best time of the player's (the table is UTF-16: its low bytes are read).
        for (char c : ::Test::readFile(profiles.parent_path() / "besttimes.xml"))
            if (c != '\0')
                bestTimes += c;
        bestTime = bestTimes.find("name=\"ada\"") != std::string::npos;
        if (saveExists && save.size() >= 8)
        {
            LevelArchive archive(std::vector<uint8_t>(save.begin(), save.end()), "save");
            int32_t level = -1;
            archive.read4(level);
            saveOfLevel0 = level == 0;
        }
    }

    bool saveExists = false;
    std::string save;
    bool listReads = false;
    bool valuesRead = false;
    bool won = false;
    bool saveOfLevel0 = false;
    std::string bestTimes;
    bool bestTime = false;
};

// A run of the program over the player's files, up to the level running again from its save.
// `stopAt` is the file step the program stops before (0: none).
class ContinuedRun
{
public:
    ContinuedRun(GameScreen& screen, const ::Test::TempDir& folder, long stopAt)
        : m_stop("QUILLMOOR_STOP_AT_FILE_STEP", stopAt > 0 ? std::to_string(stopAt).c_str() : nullptr),
          game(folder, "", folder.path().string()), m_screen(screen)
    {
    }

    // The logos, the menu's play button, the map's question whether to continue: yes. A
    // message told on the way (a file that cannot be written) is read and closed first.
    bool continueLevel(std::string& why)
    {
        if (!game.waitFor("CIntroState Init\n") || !until([&] { return m_screen.find("Quillmoor"); }))
            return fail(why, "the program did not open its window");
        if (!skipLogos(m_screen, game) || !game.waitFor("CMenuState Resume\n"))
            return fail(why, "the menu did not come");
        // The menu takes a click once its screen has faded in.
        for (int i = 0; i < 20 && game.count("CDialogState Init\n") == 0; ++i)
        {
            closeMessage();
            m_screen.click(kMenuPlayX, kMenuPlayY);
            game.waitFor("CDialogState Init\n", 1, 1.0);
        }
        if (game.count("CMapState Init\n") != 1 || game.count("CDialogState Init\n") != 1)
            return fail(why, "the map did not ask to continue the saved level");
        for (int i = 0; i < 20 && game.count("CPlayState Init\n") == 0; ++i)
        {
            closeMessage();
            m_screen.key(XK_Return);
            game.waitFor("CPlayState Init\n", 1, 1.0);
        }
        if (!game.waitFor("CPlayState Resume\n"))
            return fail(why, "the saved level did not continue");
        return true;
    }

    // True once the program has stopped before its file step; false when it ended, or when
    // its traces hold `otherwise` `times` times, first.
    bool stoppedBefore(const std::string& otherwise, int times, double seconds = 120.0)
    {
        until(
            [&]
            {
                return game.count("stopped before file step") > 0 ||
                       (!otherwise.empty() && game.count(otherwise) >= times) || game.ended();
            },
            seconds);
        return game.count("stopped before file step") > 0;
    }

    // The numbers of the file steps the run traced after `from`, with their lines.
    std::vector<std::pair<long, std::string>> stepsAfter(const std::string& from) const
    {
        const std::string all = game.traces();
        const size_t start = all.find(from);
        std::vector<std::pair<long, std::string>> steps;
        if (start == std::string::npos)
            return steps;
        const std::regex line("file step ([0-9]+): ([^\n]*)");
        for (auto it = std::sregex_iterator(all.begin() + static_cast<long>(start), all.end(), line);
             it != std::sregex_iterator(); ++it)
            steps.emplace_back(std::stol((*it)[1].str()), (*it)[2].str());
        return steps;
    }

private:
    // The OK of a message over everything that is open holds the input until it is clicked.
    void closeMessage()
    {
        if (game.count("System message MainMenu/") > game.count("System message closed\n"))
            clickUntil(m_screen, game, kMessageOkX, kMessageOkY, "System message closed\n");
    }

    static bool fail(std::string& why, const std::string& text)
    {
        why = text;
        return false;
    }

    ::Test::ScopedEnv m_stop;

public:
    GameProgram game;

private:
    GameScreen& m_screen;
};

TEST(KilledAtEveryFileStep, ALevelLeftKeepsTheOldSaveOrTheNewOne)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const PlayerFolder player;
    ASSERT_GT(player.save.size(), 8u) << "levelplay made no save";

    // The whole way once: the level continued, then left by closing the window.
    std::vector<std::pair<long, std::string>> steps;
    {
        ::Test::TempDir folder;
        player.putInto(folder);
        ContinuedRun run(screen, folder, 0);
        std::string why;
        ASSERT_TRUE(run.continueLevel(why)) << why << "\n" << run.game.traces();
        EXPECT_EQ(run.game.close(), 0) << run.game.traces();
        steps = run.stepsAfter("CPlayState Cleanup\n");
        const LeftFiles left(folder);
        EXPECT_TRUE(left.saveOfLevel0 && left.save != player.save) << "the level is saved anew";
    }
    ASSERT_FALSE(steps.empty());
    ASSERT_NE(steps.front().second.find("00000001.save"), std::string::npos) << steps.front().second;

    // Killed right before the save's rename, and right before the next step.
    for (size_t i = 0; i < std::min<size_t>(2, steps.size()); ++i)
    {
        SCOPED_TRACE("killed before " + steps[i].second);
        ::Test::TempDir folder;
        player.putInto(folder);
        {
            ContinuedRun run(screen, folder, steps[i].first);
            std::string why;
            ASSERT_TRUE(run.continueLevel(why)) << why << "\n" << run.game.traces();
            ::kill(run.game.pid(), SIGTERM);
            ASSERT_TRUE(run.stoppedBefore("", 0)) << run.game.traces();
        }
        const LeftFiles left(folder);
        EXPECT_TRUE(left.listReads && left.valuesRead);
        ASSERT_TRUE(left.saveExists);
        EXPECT_TRUE(left.saveOfLevel0);
        if (i == 0)
            EXPECT_EQ(left.save, player.save) << "the old save is whole";
        else
            EXPECT_NE(left.save, player.save) << "the new save is in place";
    }
}

TEST(KilledAtEveryFileStep, ALevelWonKeepsTheWinOrTheSave)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const PlayerFolder player;
    ASSERT_GT(player.save.size(), 8u) << "levelplay made no save";

    // The whole way once: the level continued and won; the results come.
    std::vector<std::pair<long, std::string>> steps;
    {
        ::Test::TempDir folder;
        player.putInto(folder);
        ContinuedRun run(screen, folder, 0);
        std::string why;
        ASSERT_TRUE(run.continueLevel(why)) << why << "\n" << run.game.traces();
        ASSERT_TRUE(run.game.waitFor("win recorded\n", 1, 120.0)) << run.game.traces();
        ASSERT_TRUE(run.game.waitFor("CDialogState Init\n", 2, 60.0)) << "the results\n" << run.game.traces();
        steps = run.stepsAfter("win recorded\n");
        EXPECT_EQ(run.game.close(), 0) << run.game.traces();
        const LeftFiles left(folder);
        EXPECT_TRUE(left.won);
        EXPECT_FALSE(left.saveExists) << "a level won leaves nothing to continue";
    }
    // Up to the removal of the save, which comes last.
    while (!steps.empty() && steps.back().second.find("remove") == std::string::npos)
        steps.pop_back();
    ASSERT_FALSE(steps.empty());
    EXPECT_NE(steps.back().second.find("00000001.save"), std::string::npos) << steps.back().second;
    // The player's values, then the best times, then the save (the player's list, and its last
    // good copy, only when the list changed: an unchanged one is not written again).
    ASSERT_GE(steps.size(), 3u);
    EXPECT_NE(steps.front().second.find("00000001.xml"), std::string::npos) << steps.front().second;

    for (const auto& [number, line] : steps)
    {
        SCOPED_TRACE("killed before " + line);
        ::Test::TempDir folder;
        player.putInto(folder);
        {
            ContinuedRun run(screen, folder, number);
            std::string why;
            ASSERT_TRUE(run.continueLevel(why)) << why << "\n" << run.game.traces();
            ASSERT_TRUE(run.stoppedBefore("CDialogState Init\n", 2)) << run.game.traces();
        }
        const LeftFiles left(folder);
        EXPECT_TRUE(left.listReads && left.valuesRead) << "every file reads";
        EXPECT_TRUE(left.won || (left.saveExists && left.save == player.save))
            << "the win or the save survives";
        EXPECT_TRUE(left.won || !left.bestTime) << "no best time without its medal: " << left.bestTimes;
    }
}

// The player's shared folder on a disk that is full, or mounted read-only.
class DiskThatTakesNothing : public ::testing::TestWithParam<bool>
{
};

TEST_P(DiskThatTakesNothing, TheGameStartsTellsThePlayerOnceOfEachFileAndKeepsEveryFile)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    ::Test::TempDir folder;
    const fs::path shared = folder.path() / "share" / "Quillmoor";
    ::Test::SmallDisk disk(shared, 256 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why() << "; the injected write failures of the unit tests stand in for it";
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const PlayerFolder player;
    player.putInto(shared);
    if (GetParam())
        ASSERT_TRUE(disk.makeReadOnly());
    else
        disk.fill();
    std::vector<std::pair<fs::path, std::string>> before;
    for (const auto& entry : fs::recursive_directory_iterator(shared))
        if (entry.is_regular_file() && entry.path().filename() != "filler")
            before.emplace_back(entry.path(), ::Test::readFile(entry.path()));

    ContinuedRun run(screen, folder, 0);
    std::string why;
    ASSERT_TRUE(run.continueLevel(why)) << why << "\n" << run.game.traces();
    // Each file that failed while the game ran (the log, in the folder it runs in, names it) is
    // told once, by its own text; one that did not fail is not told.
    const struct
    {
        const char* file;
        const char* text;
    } files[] = {
        {"profiles/profiles.xml", "ProfileListText"},
        {"profiles/00000001.xml", "ValuesText"},
        {"profiles/00000001.save", "UnfinishedLevelText"},
        {"sys/settings.xml", "SettingsText"},
        {"besttimes.xml", "BestTimesText"},
    };
    const auto told = [&](const char* text)
    { return run.game.count(std::string("CGameEngine save failure told: ") + text + "\n"); };
    const std::string log = ::Test::readFile(folder.path() / "files.log");
    int failed = 0;
    for (const auto& [file, text] : files)
    {
        SCOPED_TRACE(file);
        if (log.find("Can't write file \"" + (shared / file).string() + "\"") == std::string::npos)
        {
            EXPECT_EQ(told(text), 0) << run.game.traces();
            continue;
        }
        ++failed;
        run.game.waitFor(std::string("CGameEngine save failure told: ") + text + "\n");
        EXPECT_EQ(told(text), 1) << log << "\n" << run.game.traces();
    }
    EXPECT_GE(failed, 2) << "the player list and the progress fail as the level is continued\n" << log;
    EXPECT_EQ(run.game.close(), 0) << "the level left and the game ended on a full disk\n"
                                   << run.game.traces();
    // What fails as the game ends is logged, not told.
    for (const auto& [file, text] : files)
        EXPECT_LE(told(text), 1) << file << " told once\n" << run.game.traces();
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(::Test::readFile(path), bytes) << path;
    for (const auto& entry : fs::recursive_directory_iterator(shared))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

INSTANTIATE_TEST_SUITE_P(FullOrReadOnly, DiskThatTakesNothing, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& test)
                         { return test.param ? "ReadOnly" : "Full"; });

} // namespace
