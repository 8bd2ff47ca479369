// The player's unfinished level and values kept through what the player did not do, met by the
// real program: a save that cannot be read goes aside before a new one takes its place; a save
// the game wrote is continued whatever became of the player's values since (a level file
// outside the data folder played, the values file damaged, missing or a folder), and the player
// is told what became of the values. (A fault of the game's data that ends the run leaves the
// save where it is: fatal_error_display_test.cpp.)
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <sys/stat.h>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/e2e_play_tools.h"
#include "tests/game/screens/saved_level_tools.h"

namespace
{

using namespace DisplayTest;

namespace fs = std::filesystem;

const std::string kProfiles = "share/Quillmoor/profiles/";

// The program started without a level, up to its main menu, and Play there: until `text`.
::testing::AssertionResult playFromMenu(GameScreen& screen, const GameProgram& game, const std::string& text)
{
    if (::testing::AssertionResult menu = toMenu(screen, game); !menu)
        return menu;
    return clickUntil(screen, game, kMenuPlayX, kMenuPlayY, text);
}

// The map's question whether to continue is answered Yes: the saved level goes on as it was
// left, without a word about a damaged save.
void continuesAsLeft(GameScreen& screen, const GameProgram& game)
{
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Return); }));
    EXPECT_EQ(game.count(" loaded from "), 0) << "continued, not begun afresh\n" << game.traces();
    EXPECT_EQ(game.count("damaged save told"), 0) << game.traces();
}

TEST(SavesKept, ASaveThatCannotBeReadGoesAsideBeforeTheNextSaveTakesItsPlace)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    const std::string old = unfinished(1);
    ASSERT_GT(old.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    const fs::path path = putPlayer(folder, wonBefore(1), old);
    // As root (in CI) the game runs without root's power over permissions: root opens any file.
    ::Test::runUnprivileged(
        folder.path(),
        [&]
        {
            ASSERT_EQ(::chmod(path.c_str(), 0), 0);
            GameScreen screen;
            ASSERT_TRUE(screen.open()) << "no X display";
            GameProgram game(folder, "", folder.path().string());
            ASSERT_TRUE(playFromMenu(screen, game, "CMapState damaged save told\n"));
            EXPECT_EQ(game.count("System message MainMenu/SaveLeftMessage.xml\n"), 1) << "told that it stays";
            screen.click(kMessageOkX, kMessageOkY);
            // The first level begun and played a while; closing the program saves it.
            const Engine::cVector2 first = nodeOf(0);
            ASSERT_TRUE(clickUntil(screen, game, static_cast<int>(first.x), static_cast<int>(first.y),
                                   "CDialogState Init\n"));
            ASSERT_TRUE(traceAfter(game, "BriefState::Init()\n", [&] { screen.key(XK_Return); }));
            ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
            ASSERT_TRUE(game.expectTrace("Level clock 1\n"));
            EXPECT_EQ(game.close(), 0) << game.traces();
            ASSERT_EQ(::chmod((path.string() + ".damaged").c_str(), 0600), 0) << "the old save went aside";
            EXPECT_EQ(::Test::readFile(path.string() + ".damaged"), old);
            EXPECT_EQ(::Test::readFile(path).substr(0, 4), std::string(4, '\0'))
                << "the new save, of level 1";
        });
}

TEST(SavesKept, ALevelFileOutsideTheDataFolderLeavesThePlayersLevelAndSave)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(15);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    // As a first run on level 16, given on the command line, leaves the player: no medal yet.
    const fs::path path = putPlayer(folder, prop("CurrentLevel", 15), save);
    ::Test::TempDir elsewhere;
    const fs::path own = elsewhere.write("Market Square.xml", ::Test::readFile(kData + "Levels/n0.xml"));
    {
        GameProgram game(folder, own.string());
        ASSERT_TRUE(game.expectTrace("CPlayState Resume\n"));
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
    EXPECT_EQ(currentLevel(folder), 15) << "the player's values keep her level";

    GameProgram game(folder, "");
    ASSERT_TRUE(playFromMenu(screen, game, "CDialogState Init\n")) << "the unfinished level is offered";
    ASSERT_NO_FATAL_FAILURE(continuesAsLeft(screen, game));
    EXPECT_EQ(game.close(), 0) << game.traces();
    EXPECT_FALSE(fs::exists(path.string() + ".damaged"));
}

TEST(SavesKept, ValuesClearedAreToldAndTheUnfinishedLevelGoesOn)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    const struct
    {
        const char* damage;
        std::function<void(const fs::path&)> make;
        const char* told;
    } cases[] = {
        {"cut short", [](const fs::path& values) { fs::resize_file(values, fs::file_size(values) / 2); },
         "ValuesKeptMessage.xml"},
        {"emptied", [](const fs::path& values) { fs::resize_file(values, 0); }, "ValuesKeptMessage.xml"},
        {"deleted", [](const fs::path& values) { fs::remove(values); }, "ValuesMissingMessage.xml"},
        {"a folder in its place",
         [](const fs::path& values)
         {
             fs::remove(values);
             fs::create_directory(values);
         },
         "ValuesLeftMessage.xml"},
    };
    for (const auto& values : cases)
    {
        SCOPED_TRACE(values.damage);
        ::Test::TempDir folder;
        const fs::path path = putPlayer(folder, wonBefore(2), save);
        values.make(folder.path() / (kProfiles + "00000001.xml"));
        GameProgram game(folder, "");
        ASSERT_TRUE(playFromMenu(screen, game, "CMapState values loss told\n"));
        EXPECT_EQ(game.count(std::string("System message MainMenu/") + values.told + "\n"), 1)
            << game.traces();
        ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "CDialogState Init\n"))
            << "the unfinished level is offered after the message";
        ASSERT_NO_FATAL_FAILURE(continuesAsLeft(screen, game));
        EXPECT_EQ(game.close(), 0) << game.traces();
        EXPECT_FALSE(fs::exists(path.string() + ".damaged")) << "the save is not judged by the values";
    }
}

} // namespace
