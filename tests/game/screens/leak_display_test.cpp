// The real program with the leak check on, through a short session as a first-time player plays
// it: the logos skipped, a name typed, the main menu, the map, the first level begun, its menu
// opened and closed, and the window closed. Whatever the program made and lost on the way is
// reported by the leak check when it ends; a report fails the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// Places on the 1024 x 768 screen, from the layouts.
constexpr int kBoardX = 820;
constexpr int kPlayY = 360;

// The software GL driver the X server of the test gets, from the folders Mesa looks in.
std::string softwareDriver()
{
    std::vector<std::string> folders;
    if (const char* path = std::getenv("LIBGL_DRIVERS_PATH"))
        for (std::string rest = path; !rest.empty();)
        {
            const size_t colon = rest.find(':');
            folders.push_back(rest.substr(0, colon));
            rest = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
        }
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib64/dri", "/usr/lib/dri"})
        folders.emplace_back(folder);
    for (const std::string& folder : folders)
        if (std::filesystem::exists(folder + "/swrast_dri.so"))
            return folder + "/swrast_dri.so";
    return std::string();
}

// The settings the program started by the test reads: the leak check on. The GL driver would be
// unloaded before the check runs, leaving what it keeps with no module to name in a suppression:
// it is loaded with the program, so that it stays.
class LeakCheckOn
{
public:
    LeakCheckOn()
    {
        for (const char* name : {"ASAN_OPTIONS", "LD_PRELOAD"})
            if (const char* value = std::getenv(name))
                m_saved.emplace_back(name, value);
        ::setenv("ASAN_OPTIONS", "detect_leaks=1", 1);
        const std::string driver = softwareDriver();
        if (!driver.empty())
            ::setenv("LD_PRELOAD", driver.c_str(), 1);
    }
    ~LeakCheckOn()
    {
        ::unsetenv("ASAN_OPTIONS");
        ::unsetenv("LD_PRELOAD");
        for (const auto& [name, value] : m_saved)
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    LeakCheckOn(const LeakCheckOn&) = delete;
    LeakCheckOn& operator=(const LeakCheckOn&) = delete;

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

TEST(LeakCheck, AShortSessionFromTheMenuThroughALevelLeavesNothingUnfreed)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    const LeakCheckOn leakCheck;
    GameProgram game(folder, "");
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));

    // The name of the first player, then the main menu.
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1));
    for (char c : std::string("leaks"))
        screen.key(static_cast<KeySym>(c));
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Return); }, true));

    // The map, the first level's node ("Map/Map.xml"), and its begin question.
    ASSERT_TRUE(traceAfter(
        game, "CMapState Resume\n", [&] { screen.click(kBoardX, kPlayY); }, true));
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(105, 560); }, true));
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
    // The opening briefing over the loaded level, read to its end; then the level runs.
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    ASSERT_TRUE(game.expectSettled("CPlayState Resume\n", 2));
    ASSERT_TRUE(game.expectTrace("Level clock ")) << "the level runs";

    // The level's menu over it, and back.
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Escape); }));

    // The window closed: the program shuts down, then the leak check runs and ends the program
    // with its own exit code when it finds anything.
    const int code = game.close();
    const std::string traces = game.traces();
    EXPECT_EQ(traces.find("LeakSanitizer"), std::string::npos) << traces;
    EXPECT_EQ(code, 0) << traces;
    EXPECT_NE(traces.find("CPlayState Cleanup\n"), std::string::npos) << "the level went with the program";
}

} // namespace
