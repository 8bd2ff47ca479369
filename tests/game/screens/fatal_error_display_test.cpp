// A fatal error met by the real program: on the way into a level the run ends with status 1
// and leaves every file of the player as it was, the unfinished level among them; without a
// display it says why on stderr.
#include "tests/support/FreeDisplay.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
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

// Without a display the player reads the reason where the game was started, a terminal: in the
// failure's own words and what would help, not buried under what SDL's video drivers say on each
// try for a display that does not answer (Wayland's client library, without XDG_RUNTIME_DIR, a
// line a try: a root, sudo or ssh shell that kept WAYLAND_DISPLAY).
TEST(FatalError, WithoutADisplayStderrSaysWhyInAFewLines)
{
    const std::string display = ::Test::freeDisplay();
    ASSERT_FALSE(display.empty());
    const std::string wayland = "wayland-quillmoor-absent";
    const std::string unfound =
        "the display " + wayland + " cannot be found: XDG_RUNTIME_DIR, the folder of its socket, ";
    const std::string deadX = "the display " + display + " did not answer in 5 s.";
    const struct
    {
        const char* what;
        std::string x;       // DISPLAY, unset when empty
        std::string wayland; // WAYLAND_DISPLAY, unset when empty
        std::string runtime; // XDG_RUNTIME_DIR, unset when empty
        std::string reason;
    } cases[] = {
        {"no display named", "", "", "", "neither DISPLAY nor WAYLAND_DISPLAY names one."},
        {"a display that never answers", display, "", "", deadX},
        {"a Wayland display without XDG_RUNTIME_DIR", "", wayland, "", unfound + "is not set."},
        {"that and an X display that never answers", display, wayland, "", deadX},
        // Wayland's library looks for no socket in a folder that is no absolute path either.
        {"a Wayland display with a relative XDG_RUNTIME_DIR", "", wayland, "run/user",
         unfound + "is not an absolute path (run/user)."},
    };
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.what);
        ::Test::TempDir folder;
        const std::string root = folder.path().string();
        // A player's terminal: nothing of the test run's own display or settings.
        const pid_t game = ::Test::startShell(
            "cd '" + root +
            "' && exec env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER "
            "-u QUILLMOOR_HEADLESS -u QUILLMOOR_TRACE " +
            (row.x.empty() ? std::string() : "DISPLAY=" + row.x + " ") +
            (row.wayland.empty() ? std::string() : "WAYLAND_DISPLAY=" + row.wayland + " ") +
            (row.runtime.empty() ? std::string() : "XDG_RUNTIME_DIR=" + row.runtime + " ") +
            "XDG_DATA_HOME='" + root + "/share' '" + QUILL_EXECUTABLE + "' 2>'" + root + "/stderr.txt'");
        ASSERT_GT(game, 0);
        int status = 0;
        const bool ended = until([&] { return ::waitpid(game, &status, WNOHANG) == game; });
        if (!ended)
            ::Test::endChild(game, SIGKILL);
        ASSERT_TRUE(ended) << "the program goes on without a display";
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -2, 1);
        const std::string said = folder.read("stderr.txt");
        EXPECT_NE(said.find("Error: No display to show the window on: " + row.reason +
                            "\nStart the game from a desktop session, or set DISPLAY (or WAYLAND_DISPLAY) to "
                            "a running display.\n"),
                  std::string::npos)
            << said;
        std::istringstream lines(said);
        int count = 0;
        for (std::string line; std::getline(lines, line);)
            ++count;
        EXPECT_LE(count, 4) << said;
        EXPECT_NE(folder.read("error.log").find(row.reason), std::string::npos);
    }
}

} // namespace
