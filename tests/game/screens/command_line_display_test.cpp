// The program started with a level file on its command line, under an X server of the test's
// own: a path relative to the current folder or absolute, to a copy of a level under a name of
// its own or to the game's own level, is the level the program loads and plays at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// Starts the program on `level` in `workingFolder`, waits until `loaded` is traced and the level
// runs, and closes it.
void playsAtOnce(const std::string& level, const std::string& workingFolder, const std::string& loaded)
{
    ::Test::TempDir folder;
    GameProgram game(folder, level, workingFolder);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace(loaded));
    ASSERT_TRUE(game.expectTrace("CPlayState Resume\n"));
    EXPECT_EQ(game.traces().find("CIntroState Init\n"), std::string::npos) << "no logos: the level at once";
    EXPECT_EQ(game.count(" loaded from "), 1) << game.traces();
    EXPECT_EQ(game.close(), 0) << game.traces();
}

TEST(CommandLine, ALevelFileUnderANameOfItsOwnPlaysByARelativeAndByAnAbsolutePath)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir copies;
    const std::filesystem::path copy = copies.path() / "my levels" / "First Street.xml";
    std::filesystem::create_directories(copy.parent_path());
    std::filesystem::copy_file(std::string(QUILL_SOURCE_DIR) + "/data/Levels/n0.xml", copy);

    ASSERT_NO_FATAL_FAILURE(playsAtOnce("my levels/First Street.xml", copies.path().string(),
                                        "Level -1 loaded from " + copy.generic_string() + "\n"));
    ASSERT_NO_FATAL_FAILURE(
        playsAtOnce(copy.string(), "", "Level -1 loaded from " + copy.generic_string() + "\n"));
}

TEST(CommandLine, TheGamesOwnLevelFilePlaysAsItsLevel)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ASSERT_NO_FATAL_FAILURE(
        playsAtOnce("data/Levels/n3.xml", QUILL_SOURCE_DIR, "Level 3 loaded from Levels/n3.xml\n"));
    ASSERT_NO_FATAL_FAILURE(playsAtOnce(std::string(QUILL_SOURCE_DIR) + "/data/Levels/n1.xml", "",
                                        "Level 1 loaded from Levels/n1.xml\n"));
}

} // namespace
