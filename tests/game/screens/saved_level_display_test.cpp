// The player's unfinished level met by the real program: a level of the game given on the
// command line asks the map's question about it before it starts, and a save the game cannot
// use (it cannot be opened, it names a level the game lacks, its units do not fit its level) is
// told once and kept while the game goes on.
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

// The save with its first four bytes, the level it names, set to `level`.
std::string naming(std::string save, int level)
{
    for (size_t i = 0; i < 4 && i < save.size(); ++i)
        save[i] = static_cast<char>(level >> (8 * i));
    return save;
}

::testing::AssertionResult clickUntil(GameScreen& screen, const GameProgram& game, Engine::cVector2 at,
                                      const std::string& text)
{
    return DisplayTest::clickUntil(screen, game, static_cast<int>(at.x), static_cast<int>(at.y), text);
}

TEST(SavedLevel, ALevelOnTheCommandLineAsksFirstAboutTheUnfinishedLevel)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    for (const bool yes : {true, false})
    {
        SCOPED_TRACE(yes ? "Yes: the unfinished level goes on" : "No: the command line's level begins");
        ::Test::TempDir folder;
        const fs::path path = putPlayer(folder, wonBefore(2), save);
        GameProgram game(folder, "data/Levels/n5.xml", QUILL_SOURCE_DIR);
        ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1)) << "the map's question first";
        EXPECT_EQ(game.count("CPlayState Init\n"), 0);
        ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
        screen.moveTo(512, 384);
        ASSERT_TRUE(
            traceAfter(game, "CPlayState Resume\n", [&] { screen.key(yes ? XK_Return : XK_Escape); }));
        EXPECT_EQ(game.count("Level 5 loaded from Levels/n5.xml\n"), yes ? 0 : 1) << game.traces();
        EXPECT_EQ(game.close(), 0) << game.traces();
        // Level 1 left again, or dropped as asked (level 5 saved once its clock ran).
        const std::string left = ::Test::readFile(path).substr(0, 4);
        EXPECT_TRUE(yes ? left == save.substr(0, 4) : left.empty() || left == naming(save, 5).substr(0, 4));
        EXPECT_EQ(currentLevel(folder), yes ? 1 : 5);
    }
}

TEST(SavedLevel, ASaveThatCannotBeOpenedIsToldOnceOnTheMapAndStaysWhereItIs)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    ::Test::TempDir folder;
    const fs::path path = putPlayer(folder, wonBefore(1), unfinished(0));
    const std::string bytes = ::Test::readFile(path);
    // As root (in CI) the game runs without the capabilities that let root open any file.
    ::Test::runUnprivileged(
        folder.path(),
        [&]
        {
            ASSERT_EQ(::chmod(path.c_str(), 0), 0);
            GameScreen screen;
            ASSERT_TRUE(screen.open()) << "no X display";
            GameProgram game(folder, "", folder.path().string());
            ASSERT_TRUE(toMenu(screen, game));
            ASSERT_TRUE(traceAfter(
                game, "CMapState damaged save told\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
            // Back to the menu and to the map again: it is not told twice.
            screen.click(kMessageOkX, kMessageOkY);
            ASSERT_TRUE(
                clickUntil(screen, game, Engine::cVector2(kMapMenuX, kMapMenuY), "CMenuState Init\n"));
            ASSERT_TRUE(traceAfter(
                game, "CMapState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
            // The first level begins from its node.
            ASSERT_TRUE(clickUntil(screen, game, nodeOf(0), "CDialogState Init\n"));
            ASSERT_TRUE(
                traceAfter(game, "Level 0 loaded from Levels/n0.xml\n", [&] { screen.key(XK_Return); }));
            EXPECT_EQ(game.count("CMapState damaged save told\n"), 1) << game.traces();
            ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
            EXPECT_EQ(::Test::readFile(path), bytes) << "the save stays where it is";
            EXPECT_EQ(game.close(), 0) << game.traces();
        });
}

TEST(SavedLevel, ASaveOfNoLevelOrWhoseUnitsDoNotFitItsLevelIsToldAndKeptAside)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    // Ada has reached level 3; her save of level 1 names level 99, which the game lacks: the
    // map tells it at once.
    const fs::path path = putPlayer(folder, wonBefore(3), naming(save, 99));
    {
        GameProgram game(folder, "");
        ASSERT_TRUE(toMenu(screen, game));
        ASSERT_TRUE(traceAfter(
            game, "CMapState damaged save told\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
        EXPECT_EQ(game.count("CDialogState Init\n"), 0) << "no level 100 is offered";
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(::Test::readFile(path.string() + ".damaged"), naming(save, 99)) << "its bytes are kept aside";
    EXPECT_EQ(currentLevel(folder), 3);

    // The same units named level 2, which she has reached: offered, they do not fit its ground.
    folder.write("share/Quillmoor/profiles/00000001.save", naming(save, 2));
    GameProgram game(folder, "");
    ASSERT_TRUE(toMenu(screen, game));
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
    ASSERT_TRUE(traceAfter(game, "CPlayState damaged save told\n", [&] { screen.key(XK_Return); }));
    EXPECT_EQ(game.count("Level 2 loaded from Levels/n2.xml\n"), 1) << "level 3 starts again";
    EXPECT_EQ(::Test::readFile(path.string() + ".damaged-2"), naming(save, 2));
    EXPECT_EQ(game.close(), 0) << game.traces();
}

} // namespace
