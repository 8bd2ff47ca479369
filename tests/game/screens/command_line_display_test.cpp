// The program started with a level file on its command line, under an X server of the test's
// own: a path relative to the current folder or absolute, to a copy of a level under a name of
// its own or to the game's own level, is the level the program loads and plays at once; it is
// the first level of the player's ordinary run, nothing more.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"
#include "tests/game/screens/e2e_play_tools.h"

namespace
{

using namespace DisplayTest;

// Starts the program on `level` in `workingFolder`, waits until `loaded` is traced and the level
// runs, and closes it.
void playsAtOnce(const std::string& level, const std::string& workingFolder, const std::string& loaded)
{
    ::Test::TempDir folder;
    // A player who played before.
    playedBefore(folder);
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

// The text of a UTF-16 file of the game made readable: its low bytes.
std::string lowBytes(const std::string& utf16)
{
    std::string text;
    for (char c : utf16)
        if (c != '\0')
            text += c;
    return text;
}

TEST(CommandLine, ALevelFromTheCommandLineIsTheFirstOfThePlayersOrdinaryRun)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    GameProgram game(folder, "data/Levels/n0.xml", QUILL_SOURCE_DIR);
    ASSERT_TRUE(game.started());
    // A first start: the player's name before the level.
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1)) << "the name is asked first";
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    screen.moveTo(512, 384);
    for (char c : std::string("ada"))
        screen.key(static_cast<KeySym>(c));
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
    ASSERT_TRUE(game.expectTrace("Level 0 loaded from Levels/n0.xml\n"));

    // The level won by its script, its opening briefing read on the way.
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    ScriptedPlay play(screen, game, 0, 0.0f);
    std::string why;
    ASSERT_TRUE(play.playToTheEnd(why)) << why << "\n" << game.traces();
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n"));
    const std::string records = lowBytes(::Test::readFile(folder.path() / "share/Quillmoor/besttimes.xml"));
    EXPECT_NE(records.find("name=\"ada\""), std::string::npos) << "the best time is named: " << records;

    // The map of the player, with the next level open: its node chosen asks about level 2.
    ASSERT_TRUE(traceAfter(
        game, "CMapState Resume\n", [&] { screen.click(kResultsOkX, kResultsOkY); }, true));
    const Engine::cVector2 second = nodeOf(1);
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n",
        [&] { screen.click(static_cast<int>(second.x), static_cast<int>(second.y)); }, true))
        << "the second level is open to the player";
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
    EXPECT_TRUE(game.expectTrace("Level 1 loaded from Levels/n1.xml\n"))
        << "the level chosen, not the command line's";
    EXPECT_EQ(game.count(" loaded from "), 2) << game.traces();
    EXPECT_EQ(game.close(), 0) << game.traces();
}

TEST(CommandLine, ALevelFileOfItsOwnIsTitledByItsNameAndRecordsNothing)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir copies;
    const std::filesystem::path copy = copies.path() / "First Street.xml";
    std::filesystem::copy_file(kData + "Levels/n0.xml", copy);
    ::Test::TempDir folder;
    playedBefore(folder);
    // The player's unfinished level is neither asked about nor touched.
    const std::filesystem::path save = folder.write("share/Quillmoor/profiles/00000001.save", "half-played");
    GameProgram game(folder, copy.string());
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace("Level -1 loaded from " + copy.generic_string() + "\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    ScriptedPlay play(screen, game, 0, 0.0f);
    std::string why;
    ASSERT_TRUE(play.playToTheEnd(why)) << why << "\n" << game.traces();
    EXPECT_TRUE(game.expectTrace("Results of First Street\n")) << "titled by the file's own name";
    EXPECT_EQ(game.traces().find("win recorded"), std::string::npos)
        << "a level of no number records nothing";
    EXPECT_EQ(game.close(), 0) << game.traces();
    EXPECT_EQ(::Test::readFile(save), "half-played");
}

} // namespace
