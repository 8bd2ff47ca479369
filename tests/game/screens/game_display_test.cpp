// The real program on a test level under the X server of the test run, with input pushed as a
// player's would come and what it shows read back from the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// A level on the screen's middle: the town hall with its crew and a rubble heap to clear,
// the one goal of the level.
std::string levelXml()
{
    std::string cells;
    for (int cx = 10; cx <= 40; ++cx)
        for (int cy = 15; cy <= 25; ++cy)
            cells += "<Cell Pos=\"" + std::to_string(cx) + ";" + std::to_string(cy) + "\"/>";
    return "<Level><FreeCells>" + cells +
           "</FreeCells><MetaData GoldTime=\"60\" SilverTime=\"90\"/><Buildings>"
           "<Unit Type=\"TownHall\" Position=\"400;400\" BreafId=\"start\"/>"
           "<Unit Type=\"Rubble\" Position=\"600;400\" TargetType=\"2\" GoalCategory=\"clear\"/>"
           "</Buildings><InitialResources><Res Name=\"Money\" Count=\"20\"/></InitialResources></Level>";
}

TEST(GameProgram, ALevelLoadsIsDrawnPausesUnderTheMenuAndTheProgramEndsCleanly)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    folder.write("share/Quillmoor/levels/test.xml", levelXml());
    // A long resource log: the loading screen stays up while the entries are read.
    std::string log = "<ResLog>";
    for (int i = 0; i < 360; ++i)
    {
        const std::string path = "fx/Rubble_" + std::to_string(i) + ".xml";
        folder.write("share/Quillmoor/" + path, "<fx/>");
        log += "<Res Path=\"" + path + "\"/>";
    }
    folder.write("share/Quillmoor/res_log.xml", log + "</ResLog>");

    playedBefore(folder);
    GameProgram game(folder, "levels/test.xml");
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace("CPlayState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";

    // The loading screen: the town in the morning, the bar's wooden frame on the board below.
    EXPECT_TRUE(until([&] { return near(screen.pixel(310, 704), 0x8A5E36, 60); }))
        << std::hex << screen.pixel(310, 704) << " the loading screen's bar";
    saveShot(screen, "loading");
    const uint32_t sky = screen.pixel(20, 20);
    ASSERT_TRUE(game.expectSettled("CPlayState Resume\n", 1));

    // The level: the head-up display on the kit's plates (the clock plate at the top left, the
    // resource plate with the coin in its first well, the round menu button at the top right,
    // the goal row with its blue button), and the field's views.
    EXPECT_TRUE(until([&] { return !near(screen.pixel(20, 20), sky, 30); })) << "the loading screen went";
    EXPECT_TRUE(near(screen.pixel(240, 24), 0xF4E9D0, 40))
        << std::hex << screen.pixel(240, 24) << " the clock plate";
    EXPECT_TRUE(near(screen.pixel(374, 30), 0xE8C547, 70))
        << std::hex << screen.pixel(374, 30) << " the coin";
    EXPECT_TRUE(near(screen.pixel(992, 20), 0xF5A830, 70))
        << std::hex << screen.pixel(992, 20) << " the menu button";
    EXPECT_TRUE(near(screen.pixel(775, 86), 0x7090C8, 70))
        << std::hex << screen.pixel(775, 86) << " the goal row's button";

    const std::vector<uint32_t> rubble = screen.area(580, 385, 40, 25);
    EXPECT_TRUE(std::any_of(rubble.begin(), rubble.end(), [](uint32_t c) { return !near(c, 0x000000, 40); }))
        << "the rubble on the field";

    // The pointer on the rubble: its tip opens beside it, towards the screen's centre (up and
    // to the left of a unit right of and below the centre).
    screen.moveTo(600, 398);
    EXPECT_TRUE(until([&] { return near(screen.pixel(470, 330), 0xF4E9D0, 24); }))
        << std::hex << screen.pixel(470, 330) << " the rubble's tip";
    saveShot(screen, "level");
    screen.moveTo(300, 650);
    EXPECT_TRUE(until([&] { return !near(screen.pixel(470, 330), 0xF4E9D0, 24); }))
        << "the tip goes with the pointer";

    // Escape: the menu over the level, and the clock stands still under it.
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    EXPECT_TRUE(until([&] { return near(screen.pixel(360, 580), 0xF4E9D0, 40); }))
        << std::hex << screen.pixel(360, 580) << " the menu's panel";
    // The clock as it stands under the menu, once the level has dimmed under it.
    std::vector<uint32_t> clock;
    ASSERT_TRUE(readShown([&] { return screen.area(150, 10, 90, 32); }, clock));
    const int seconds = game.count("Level clock ");
    saveShot(screen, "menu");
    observe(2.2);
    EXPECT_EQ(screen.area(150, 10, 90, 32), clock) << "the clock stands while the menu is open";
    EXPECT_EQ(game.count("Level clock "), seconds) << "the level's own clock too";
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Escape); }));
    ASSERT_TRUE(game.expectTrace("Level clock ", seconds + 1)) << "the clock runs again";
    EXPECT_TRUE(until([&] { return screen.area(150, 10, 90, 32) != clock; })) << "the shown clock runs again";

    EXPECT_EQ(game.close(), 0) << game.traces();
    EXPECT_TRUE(game.expectTrace("CPlayState Cleanup\n"));
}

} // namespace
