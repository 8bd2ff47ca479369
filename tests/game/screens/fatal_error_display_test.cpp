// A fatal error met by the real program on the way into a level: the run ends with status 1
// and leaves every file of the player as it was, the unfinished level among them.
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/saved_level_tools.h"

namespace
{

using namespace DisplayTest;

namespace fs = std::filesystem;

// Every file of the shared folder: the time it was last written and a hash of its bytes.
std::map<std::string, std::pair<std::string, size_t>> filesOf(const fs::path& folder)
{
    std::map<std::string, std::pair<std::string, size_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
    {
        struct stat status = {};
        if (entry.is_regular_file() && ::stat(entry.path().c_str(), &status) == 0)
            files[fs::relative(entry.path(), folder).string()] = {
                std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec),
                std::hash<std::string>()(::Test::readFile(entry.path()))};
    }
    return files;
}

TEST(FatalError, AContinuedLevelWhosePictureIsDamagedEndsWithStatusOneAndWritesNoPlayerFile)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    // Ada's unfinished level 1, as the game leaves it after three seconds of play.
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    putPlayer(folder, wonBefore(1), save);
    // The level's ground, whose checksum does not match its bytes, overrides the game's own.
    ::Test::ZipWriter(folder.path() / "share/Quillmoor/damaged.pack")
        .addLying("levels/ground.jpg", std::string(256, 'x'), 256, 0);

    GameProgram game(folder, "", folder.path().string());
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "no game window";
    ASSERT_TRUE(skipLogos(screen, game));
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
    auto files = filesOf(folder.path() / "share/Quillmoor");
    // Yes: the level comes (entering it writes the player's values, as every change of screen
    // does), fails on its ground and the run ends.
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
    const std::string values = "profiles/00000001.xml";
    files[values] = filesOf(folder.path() / "share/Quillmoor")[values];
    ASSERT_TRUE(until([&] { return game.ended(); })) << game.traces();
    EXPECT_EQ(game.exitCode(), 1) << game.traces();
    EXPECT_NE(game.traces().find("Error: File 'levels/ground.jpg'"), std::string::npos) << game.traces();
    // The save among them: a fault of the game's data is not the save's, which stays where it
    // is, for the data made whole.
    EXPECT_EQ(filesOf(folder.path() / "share/Quillmoor"), files)
        << "no file of the player is written or set aside on the way out\n"
        << game.traces();
}

} // namespace
