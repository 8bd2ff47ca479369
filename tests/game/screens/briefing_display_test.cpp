// The real program on a level with an opening briefing and tutorial tips, under an X server of
// the test's own: keys and clicks go through the X server as a player's would, and what the
// screen shows is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

using namespace DisplayTest;

namespace
{

// The town hall up to the right, a rubble heap on the left that no route reaches (its cells
// are walled off; its tip tells why clicks on it are refused) and one that the heroes can clear. The briefing
// looks at the walled heap, asks the player to go on, then looks at the other.
std::string levelXml()
{
    std::string cells;
    for (int cx = 6; cx <= 44; ++cx)
        for (int cy = 10; cy <= 24; ++cy)
            if (cx > 12)
                cells += "<Cell Pos=\"" + std::to_string(cx) + ";" + std::to_string(cy) + "\"/>";
    return "<Level><FreeCells>" + cells +
           "</FreeCells><MetaData GoldTime=\"60\" SilverTime=\"90\"/><Buildings>"
           "<Unit Type=\"TownHall\" Position=\"700;200\" BreafId=\"start\"/>"
           "<Unit Type=\"Rubble\" Position=\"190;260\" TargetType=\"2\" GoalCategory=\"clear\"><Tutorial>"
           "<Tip tip_type=\"0\" event_type=\"3\" text=\"No road leads there yet.\"/></Tutorial></Unit>"
           "<Unit Type=\"Rubble\" Position=\"620;420\" TargetType=\"2\" GoalCategory=\"clear\"><Tutorial>"
           "<Tip tip_type=\"0\" event_type=\"0\" start=\"1\" text=\"Click the rubble to clear it.\"/>"
           "</Tutorial></Unit>"
           "</Buildings><InitialResources><Res Name=\"Money\" Count=\"20\"/></InitialResources>"
           "<BreafData><Brief id=\"start\">"
           "<Action type=\"0\" start=\"0\" duration=\"0\" target=\"190;260\"/>"
           "<Action type=\"1\" start=\"0.2\" duration=\"6\" text=\"The storm left rubble all over the town, "
           "and some of it blocks the way.\"/>"
           "<Action type=\"3\" start=\"6.5\" duration=\"0\"/>"
           "<Action type=\"0\" start=\"6.6\" duration=\"0\" target=\"620;420\"/>"
           "<Action type=\"1\" start=\"6.8\" duration=\"2\" text=\"Start with this heap.\"/>"
           "</Brief></BreafData></Level>";
}

// Whether any pixel of an area differs from a colour.
bool anyOtherThan(const std::vector<uint32_t>& pixels, uint32_t colour, int tolerance = 30)
{
    return std::any_of(pixels.begin(), pixels.end(), [&](uint32_t c) { return !near(c, colour, tolerance); });
}

TEST(Briefing, TheOpeningBriefingPlaysToItsEndThenTheLevelStartsAndItsTimedAndRefusedClickTipsAppear)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    folder.write("share/Quillmoor/levels/brief.xml", levelXml());
    playedBefore(folder);
    GameProgram game(folder, "levels/brief.xml");
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";

    // The camera looks at the left heap: the man on the right speaks, in the lower bubble,
    // and his words appear letter by letter.
    EXPECT_TRUE(until([&] { return near(screen.pixel(896, 560), 0xF0C8A0, 60); }))
        << std::hex << screen.pixel(896, 560) << " the man's face";
    EXPECT_FALSE(near(screen.pixel(128, 560), 0xF0C8A0, 60)) << "the woman is silent";
    const auto hallPlace = [&] { return screen.area(640, 150, 120, 110); };
    std::vector<uint32_t> hall;
    ASSERT_TRUE(readShown(hallPlace, hall)) << "the hall before the heroes";
    EXPECT_TRUE(until([&] { return near(screen.pixel(512, 520), 0xF4E9D0, 30); }))
        << std::hex << screen.pixel(512, 520) << " the lower bubble";
    const std::vector<uint32_t> early = screen.area(280, 530, 470, 100);
    EXPECT_TRUE(until([&] { return screen.area(280, 530, 470, 100) != early; })) << "letters appear";
    saveShot(screen, "briefing_speech");

    // A key: the whole speech at once, and the briefing waits for the player. The screen may
    // show the speech as it was before the key for a moment: it changes once more at most.
    ASSERT_TRUE(traceAfter(
        game, "Briefing speech said whole\n", [&] { screen.key(XK_space); }, true));
    std::vector<uint32_t> seen;
    int changes = -1;
    const auto speech = [&]
    {
        std::vector<uint32_t> now = screen.area(280, 530, 470, 100);
        if (now != seen)
            ++changes;
        seen = now;
        return now;
    };
    std::vector<uint32_t> whole;
    ASSERT_TRUE(readShown(speech, whole));
    EXPECT_LE(changes, 1) << "the whole speech at once";
    observe(1.5);
    EXPECT_EQ(screen.area(280, 530, 470, 100), whole) << "nothing more to reveal";
    ASSERT_TRUE(game.expectSettled("Briefing waits\n", 1));
    // The wait: the camera stays on the left heap however long the player takes.
    EXPECT_TRUE(until(
        [&]
        {
            return anyOtherThan(screen.area(360, 440, 300, 30), 0x000000, 250) &&
                   !near(screen.pixel(512, 455), screen.pixel(512, 200), 10);
        }));
    const std::vector<uint32_t> camera = screen.area(60, 160, 260, 200);
    saveShot(screen, "briefing_wait");
    observe(2.5);
    EXPECT_EQ(screen.area(60, 160, 260, 200), camera) << "the camera holds while the briefing waits";
    EXPECT_EQ(hallPlace(), hall) << "no heroes yet";
    ASSERT_TRUE(traceAfter(game, "Briefing goes on\n", [&] { screen.key(XK_Return); }));
    EXPECT_TRUE(until([&] { return screen.area(60, 160, 260, 200) != camera; }))
        << "a key ends the wait and the camera moves on";
    // The second speech looks at the other heap, low on the right: the woman speaks, in the
    // upper bubble.
    ASSERT_TRUE(game.expectSettled("Briefing speaks\n", 2));
    EXPECT_TRUE(until([&] { return near(screen.pixel(128, 560), 0xF0C8A0, 60); }))
        << std::hex << screen.pixel(128, 560) << " the woman's face";
    EXPECT_TRUE(until([&] { return near(screen.pixel(512, 170), 0xF4E9D0, 30); }))
        << std::hex << screen.pixel(512, 170) << " the upper bubble";
    saveShot(screen, "briefing_second");
    EXPECT_EQ(game.count("CPlayState Resume\n"), 1) << "the level waits for the briefing";

    // The forward button ends the briefing; the level starts and its heroes come.
    ASSERT_TRUE(traceAfter(game, "BriefState::Cleanup()\n", [&] { screen.click(512, 726); }));
    ASSERT_TRUE(game.expectTrace("CPlayState Resume\n", 2));
    EXPECT_TRUE(until([&] { return hallPlace() != hall; })) << "the heroes at the hall";

    // The timed tip, a second into the level.
    ASSERT_TRUE(game.expectSettled("Tutorial tip shown\n", 1));
    EXPECT_TRUE(until([&] { return near(screen.pixel(560, 110), 0xF4E9D0, 30); }))
        << std::hex << screen.pixel(560, 110) << " the tip's bubble";
    saveShot(screen, "tutorial_tip");

    // Clicks on the walled heap are refused for want of a way: the first passes quietly, the
    // second brings the heap's tip in the same bubble once the timed one has gone.
    EXPECT_TRUE(until([&] { return !near(screen.pixel(560, 110), 0xF4E9D0, 30); }))
        << "the timed tip goes after its time";
    ASSERT_TRUE(traceAfter(
        game, "Tutorial counts a refused click\n", [&] { screen.click(190, 252); }, true));
    EXPECT_EQ(game.count("Tutorial tip shown\n"), 1) << "no tip after one refused click";
    EXPECT_FALSE(near(screen.pixel(560, 110), 0xF4E9D0, 30)) << "no tip after one refused click";
    ASSERT_TRUE(traceAfter(
        game, "Tutorial tip shown\n", [&] { screen.click(190, 252); }, true));
    EXPECT_TRUE(until([&] { return near(screen.pixel(560, 110), 0xF4E9D0, 30); }))
        << std::hex << screen.pixel(560, 110) << " the tip after the second refused click";
    saveShot(screen, "tutorial_refused_tip");

    EXPECT_EQ(game.close(), 0) << game.traces();
}

} // namespace
