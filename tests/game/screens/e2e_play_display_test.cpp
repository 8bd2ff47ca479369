// The whole game played through the real program, from an empty shared folder, under an X
// server of the test's own: keys and clicks go through the X server as a player's would, the
// level is won by the clicks of its play script (data/Levels/n<N>.play) (the pause menu opened
// over its finish and closed gives back no level music; restarted from it, the level won starts
// again and its win stays), and every screen the run passes is
// kept as screenshots/game_e2e_*.png in the build folder, with a contact sheet of them side by
// side (screenshots/e2e_first_contact_sheet.png, e2e_continue_contact_sheet.png) to compare
// their look.
#include <gtest/gtest.h>

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cVector2.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "tests/support/LevelScript.h"
#include "tests/support/UnitPlaces.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"
#include "tests/game/screens/e2e_play_tools.h"
#include "tests/game/screens/screen_sheet_tools.h"

namespace
{

using namespace DisplayTest;

// Places on the 1024 x 768 screen, from the layouts.
constexpr int kMenuPlayX = 820;
constexpr int kMenuPlayY = 360;
constexpr int kMenuOptionsY = 432;
constexpr int kMenuPlayerY = 504;
constexpr int kMenuCreditsY = 576;
constexpr int kCreditsBackX = 512;
constexpr int kCreditsBackY = 640;
// The player selection's delete button, the pause menu's restart button.
constexpr int kDeleteX = 702;
constexpr int kDeleteY = 396;
constexpr int kRestartX = 512;
constexpr int kRestartY = 298;
// The question's Yes ("Common/PanelYesNo.xml").
constexpr int kYesX = 402;
constexpr int kYesY = 478;

// A first start: the logos skipped, `name` (small letters: no shift key is pressed) typed on the
// first-user panel, the main menu; the logo and the first-user panel kept in `sheet` when one is
// given.
void firstStart(GameScreen& screen, const GameProgram& game, const std::string& name, ScreenSheet* sheet)
{
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    if (sheet)
    {
        // The first logo fading in.
        ASSERT_TRUE(game.expectTrace("Logo shown\n"));
        EXPECT_TRUE(until(
            [&]
            {
                const std::vector<uint32_t> all = screen.area(0, 0, 1024, 768);
                return std::count_if(all.begin(), all.end(),
                                     [](uint32_t c) { return !near(c, 0x000000, 8); }) > 1024 * 768 / 2;
            }));
        sheet->keep(screen, "logo");
    }
    ASSERT_TRUE(skipLogos(screen, game));
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1)) << "the first-user panel";
    const std::vector<uint32_t> empty = screen.area(0, 0, 1024, 768);
    for (char c : name)
        screen.key(static_cast<KeySym>(c));
    if (sheet)
    {
        // The typed name shows; a picture for a look, so no failure when it does not.
        until([&] { return screen.area(0, 0, 1024, 768) != empty; }, 10.0);
        sheet->keep(screen, "first_user");
    }
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Return); }, true));
}

// The main menu's dialogs, each opened by its button, kept, and closed again: the options, the
// player selection with its delete question (answered No), the credits.
void visitMenuDialogs(GameScreen& screen, const GameProgram& game, ScreenSheet& sheet)
{
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuOptionsY); }, true));
    sheet.keep(screen, "options");
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));

    const std::vector<uint32_t> menu = screen.area(0, 0, 1024, 768);
    const auto selectionPlace = [&] { return screen.area(280, 270, 290, 250); };
    const std::vector<uint32_t> underMenu = selectionPlace();
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayerY); }, true));
    // The question is drawn over the selection, as it shows once the menu is gone from there.
    std::vector<uint32_t> selection;
    ASSERT_TRUE(readShown(selectionPlace, selection,
                          [&](const std::vector<uint32_t>& place) { return place != underMenu; }))
        << "the player selection shows";
    sheet.keep(screen, "player_selection", menu);
    ASSERT_TRUE(traceAfter(
        game, "Delete question shown\n", [&] { screen.click(kDeleteX, kDeleteY); }, true));
    EXPECT_TRUE(until([&] { return selectionPlace() != selection; })) << "the delete question shows";
    sheet.keep(screen, "delete_question");
    screen.key(XK_Escape);
    EXPECT_TRUE(until([&] { return selectionPlace() == selection; })) << "No keeps the player";
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));

    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuCreditsY); }, true));
    sheet.keep(screen, "credits");
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.click(kCreditsBackX, kCreditsBackY); }, true));
}

// The pause menu over the running level and the question of its restart button, kept; No and
// Escape give the level back.
void visitPauseMenu(GameScreen& screen, const GameProgram& game, ScreenSheet& sheet)
{
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    sheet.keep(screen, "pause_menu");
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kRestartX, kRestartY); }, true));
    sheet.keep(screen, "restart_question");
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Resume\n", [&] { screen.key(XK_Escape); }, true));
    ASSERT_TRUE(traceAfter(
        game, "CPlayState Resume\n", [&] { screen.key(XK_Escape); }, true));
}

// From the main menu to the map.
void openMap(GameScreen& screen, const GameProgram& game)
{
    ASSERT_TRUE(traceAfter(
        game, "CMapState Resume\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
}

// The node of a level on the first page, clicked: its question opens.
void pickLevel(GameScreen& screen, const GameProgram& game, int level)
{
    const Engine::cVector2 node = nodeOf(level);
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n",
        [&] { screen.click(static_cast<int>(node.x), static_cast<int>(node.y)); }, true))
        << "the level's question";
}

// The medal the profile holds for a level ("Level<N>" in the player's values): -1 without one.
int storedMedal(const ::Test::TempDir& folder, int level)
{
    std::string all;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(folder.path() / "share/Quillmoor/profiles"))
        if (entry.is_regular_file())
            all += ::Test::readFile(entry.path());
    // The profile files hold UTF-16 text: keep the low bytes.
    std::string text;
    for (char c : all)
        if (c != '\0')
            text += c;
    const std::string key = "Level" + std::to_string(level) + "\"";
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return -1;
    const size_t value = text.find_first_of("0123456789-", at + key.size());
    return value == std::string::npos ? -1 : std::atoi(text.c_str() + value);
}

// The unfinished levels kept in the shared folder (profiles/<player>.save).
int savedLevels(const ::Test::TempDir& folder)
{
    int count = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder.path() / "share/Quillmoor/profiles", error), end;
         !error && it != end; it.increment(error))
        count += it->path().extension() == ".save" ? 1 : 0;
    return count;
}

TEST(WholeGame, AFirstStartGoesFromTheNameToTheFirstLevelWonByItsScriptAndTheSecondLevelOpen)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    GameProgram game(folder, "");
    ASSERT_TRUE(game.started());
    ScreenSheet sheet("e2e_first");
    ASSERT_NO_FATAL_FAILURE(firstStart(screen, game, "ada", &sheet));
    sheet.keep(screen, "main_menu");
    ASSERT_NO_FATAL_FAILURE(visitMenuDialogs(screen, game, sheet));

    const Engine::cVector2 second = nodeOf(1);
    const auto secondNode = [&]
    { return screen.area(static_cast<int>(second.x) - 20, static_cast<int>(second.y) - 20, 40, 40); };
    const std::vector<uint32_t> underMenu = secondNode();
    ASSERT_NO_FATAL_FAILURE(openMap(screen, game));
    // The second level's node as the map shows it, locked.
    std::vector<uint32_t> lockedNode;
    ASSERT_TRUE(readShown(secondNode, lockedNode,
                          [&](const std::vector<uint32_t>& node) { return node != underMenu; }))
        << "the map shows";
    sheet.keep(screen, "map");
    ASSERT_NO_FATAL_FAILURE(pickLevel(screen, game, 0));
    sheet.keep(screen, "begin_question");
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));

    // The opening briefing over the loaded level, read to its end; then the level runs.
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(game.expectSettled("Briefing speaks\n", 1));
    sheet.keep(screen, "briefing");
    ASSERT_TRUE(ScriptedPlay::readBriefing(screen, game)) << game.traces();
    ASSERT_TRUE(game.expectTrace("CPlayState Resume\n", 2));

    ScriptedPlay play(screen, game, 0, 0.0f);
    std::string why;
    // The rubble is cleared about 9 s into the level and its briefing read on the way: the
    // pause menu is opened over the running level, not over that briefing (whose end Escape is).
    ASSERT_TRUE(play.playUntil(12.0f, why)) << why << "\n" << game.traces();
    ASSERT_EQ(game.count("BriefState::Init()\n"), game.count("BriefState::Cleanup()\n")) << game.traces();
    sheet.keep(screen, "level");
    ASSERT_NO_FATAL_FAILURE(visitPauseMenu(screen, game, sheet));
    // The level won, the pause menu opened over its finish (which stopped the level's music) and
    // closed: the level's music stays off, and the results come.
    ASSERT_TRUE(play.playToTheWin(why, kFinishBegun)) << why << "\n" << game.traces();
    const int panels = game.count("CDialogState Init\n");
    ASSERT_TRUE(traceAfter(game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }));
    ASSERT_EQ(game.count("Results of "), 0) << "the menu came before the results\n" << game.traces();
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Escape); }));
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n", panels + 2));
    const std::string all = game.traces();
    ASSERT_LT(all.find("Sound music/winter.ogg starts"), all.find("win recorded\n")) << "the level's music";
    const std::string afterWin = all.substr(all.find("win recorded\n"));
    EXPECT_TRUE(afterWin.find("Sound music/winter.ogg starts") == std::string::npos)
        << "the level's music again after its win:\n"
        << afterWin;
    sheet.keep(screen, "results");

    ASSERT_TRUE(traceAfter(
        game, "CMapState Resume\n", [&] { screen.click(kResultsOkX, kResultsOkY); }, true));
    sheet.keep(screen, "map_after");
    EXPECT_NE(secondNode(), lockedNode) << "the second level is open";
    ASSERT_NO_FATAL_FAILURE(pickLevel(screen, game, 1));
    sheet.keep(screen, "second_level_question");
    EXPECT_TRUE(sheet.write(why)) << why;
    EXPECT_EQ(game.close(), 0) << game.traces();
    const int medal = storedMedal(folder, 0);
    EXPECT_TRUE(medal == 0 || medal == 1) << "a gold or silver medal kept for the level: " << medal;
    EXPECT_EQ(savedLevels(folder), 0) << "a level won leaves nothing to continue";
}

TEST(WholeGame, ALevelLeftHalfPlayedIsContinuedAfterARestartAndWon)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    // The level clock the level is left at: the script's lines up to it are played before.
    float leftAt = 0.0f;
    ScreenSheet sheet("e2e_continue");
    {
        GameProgram game(folder, "");
        ASSERT_TRUE(game.started());
        ASSERT_NO_FATAL_FAILURE(firstStart(screen, game, "bo", nullptr));
        ASSERT_NO_FATAL_FAILURE(openMap(screen, game));
        ASSERT_NO_FATAL_FAILURE(pickLevel(screen, game, 0));
        ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
        ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
        ASSERT_TRUE(ScriptedPlay::readBriefing(screen, game)) << game.traces();
        ASSERT_TRUE(game.expectTrace("CPlayState Resume\n", 2));
        ScriptedPlay play(screen, game, 0, 0.0f);
        std::string why;
        ASSERT_TRUE(play.playUntil(5.0f, why)) << why << "\n" << game.traces();
        sheet.keep(screen, "left");
        leftAt = 5.0f;
        // The window's close box: the unfinished level is kept.
        EXPECT_EQ(game.close(), 0) << game.traces();
        ASSERT_EQ(savedLevels(folder), 1) << "the unfinished level kept";
    }

    GameProgram game(folder, "");
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));
    // The map, entered from the menu, asks at once whether to continue the unfinished level.
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
    ASSERT_EQ(game.count("CMapState Init\n"), 1) << game.traces();
    sheet.keep(screen, "question");
    ASSERT_TRUE(traceAfter(
        game, "CPlayState Resume\n", [&] { screen.key(XK_Return); }, true));
    sheet.keep(screen, "restored");

    ScriptedPlay play(screen, game, 0, leftAt);
    std::string why;
    ASSERT_TRUE(play.playToTheEnd(why)) << why << "\n" << game.traces();
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n"));
    sheet.keep(screen, "results");
    ASSERT_TRUE(traceAfter(
        game, "CMapState Resume\n", [&] { screen.click(kResultsOkX, kResultsOkY); }, true));
    sheet.keep(screen, "map_after");
    EXPECT_TRUE(sheet.write(why)) << why;
    EXPECT_EQ(game.close(), 0) << game.traces();
    const int medal = storedMedal(folder, 0);
    EXPECT_TRUE(medal == 0 || medal == 1) << "a gold or silver medal kept for the level: " << medal;
    EXPECT_EQ(savedLevels(folder), 0) << "the level won is no longer kept to continue";
}

// A level won and restarted from the pause menu, opened by Escape over the finish, before the
// results: the level just won starts again, by its number and from its file, and its win stays
// (medal and best time), whether the level was chosen on the map or named on the command line;
// a level file of no number starts again as that file, recording nothing.
struct RestartAfterWin
{
    const char* name;
    // The command line's level ("own": a copy of level 1 outside the data folder) and the folder
    // it is given from; none for the map.
    std::string level;
    std::string workingFolder;
    int loadedAs;
};

void PrintTo(const RestartAfterWin& row, std::ostream* out)
{
    *out << row.name;
}

class RestartAfterWinTest : public ::testing::TestWithParam<RestartAfterWin>
{
};

TEST_P(RestartAfterWinTest, ReplaysTheLevelWonAndKeepsTheWin)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    playedBefore(folder);
    const RestartAfterWin& row = GetParam();
    const bool numbered = row.loadedAs == 0;
    const std::string level =
        row.level == "own"
            ? folder.write("own/Own Street.xml", ::Test::readFile(kData + "Levels/n0.xml")).generic_string()
            : row.level;
    const std::string loaded = "Level " + std::to_string(row.loadedAs) + " loaded from " +
                               (numbered ? std::string("Levels/n0.xml") : level) + "\n";
    GameProgram game(folder, level, row.workingFolder);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    if (level.empty())
    {
        ASSERT_TRUE(skipLogos(screen, game));
        ASSERT_NO_FATAL_FAILURE(openMap(screen, game));
        ASSERT_NO_FATAL_FAILURE(pickLevel(screen, game, 0));
        ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
    }
    ASSERT_TRUE(game.expectTrace(loaded));
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    ScriptedPlay play(screen, game, 0, 0.0f);
    std::string why;
    ASSERT_TRUE(play.playToTheWin(why, kFinishBegun)) << why << "\n" << game.traces();

    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kRestartX, kRestartY); }, true));
    const int briefings = game.count("BriefState::Init()\n");
    ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.click(kYesX, kYesY); }));
    ASSERT_TRUE(game.expectTrace(" loaded from ", 2));
    EXPECT_EQ(game.count(loaded), 2) << game.traces();
    EXPECT_EQ(game.count("Results of "), 0) << "restarted before the results\n" << game.traces();
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n", briefings + 1));
    EXPECT_EQ(game.close(), 0) << game.traces();
    const int medal = storedMedal(folder, 0);
    EXPECT_TRUE(numbered ? medal == 0 || medal == 1 : medal == -1) << "the medal of level 1: " << medal;
    std::string records = ::Test::readFile(folder.path() / "share/Quillmoor/besttimes.xml");
    records.erase(std::remove(records.begin(), records.end(), '\0'), records.end());
    EXPECT_EQ(records.find("name=\"Ada\"") != std::string::npos, numbered) << records;
}

INSTANTIATE_TEST_SUITE_P(WholeGame, RestartAfterWinTest,
                         ::testing::Values(RestartAfterWin{"FromTheMap", "", "", 0},
                                           RestartAfterWin{"FromTheCommandLine", "data/Levels/n0.xml",
                                                           QUILL_SOURCE_DIR, 0},
                                           RestartAfterWin{"AFileOfNoNumber", "own", "", -1}),
                         [](const ::testing::TestParamInfo<RestartAfterWin>& test)
                         { return test.param.name; });

} // namespace
