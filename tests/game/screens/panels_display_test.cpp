// The panels of a run as the real program draws them, under an X server of the test's own: the
// yes/no question is drawn from the kit's parchment wherever it comes (over the level's menu, and
// as the map's continue question after the level was left), and the options opened from the
// level's menu lie over the menu, which stays with its heading clear above theirs.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// Places on the game's 1024 x 768 screen, from the layouts.
constexpr int kPauseMainMenuX = 512;
constexpr int kPauseMainMenuY = 426;
constexpr int kPauseOptionsX = 512;
constexpr int kPauseOptionsY = 490;
constexpr int kMenuPlayX = 820;
constexpr int kMenuPlayY = 360;
// Inside the yes/no panel ("Common/PanelYesNo.xml"): in the question's box, clear of its
// letters (the box runs from (302, 284) to (718, 424)).
constexpr int kParchmentX = 308;
constexpr int kParchmentY = 290;
// The pause menu's heading plate ("Paused", "UI/GameMenu.xml") and the options' ("Options",
// "MainMenu/Options.xml").
constexpr int kHeadingLeft = 372;
constexpr int kHeadingTop = 114;
constexpr int kOptionsHeadingLeft = 362;
constexpr int kOptionsHeadingTop = 181;

void startInTheFirstLevel(GameScreen& screen, ::Test::TempDir& folder, std::unique_ptr<GameProgram>& game)
{
    playedBefore(folder);
    game = std::make_unique<GameProgram>(folder, "data/Levels/n0.xml", QUILL_SOURCE_DIR);
    ASSERT_TRUE(game->started());
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); }));
    ASSERT_TRUE(game->expectTrace("BriefState::Init()\n"));
    screen.moveTo(512, 384);
    ASSERT_TRUE(readBriefing(screen, *game)) << game->traces();
    ASSERT_TRUE(game->expectTrace("Level clock 1\n"));
}

TEST(PanelsOnScreen, TheMapsContinueQuestionAfterALevelWasLeftIsDrawnFromTheKit)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    std::unique_ptr<GameProgram> game;
    ASSERT_NO_FATAL_FAILURE(startInTheFirstLevel(screen, folder, game));

    // The pause menu, its main-menu button: the question, drawn over the menu.
    const auto parchmentPlace = [&] { return screen.pixel(kParchmentX, kParchmentY); };
    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    const uint32_t underQuestion = parchmentPlace();
    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Init\n", [&] { screen.click(kPauseMainMenuX, kPauseMainMenuY); }, true));
    uint32_t parchment = 0;
    ASSERT_TRUE(readShown(parchmentPlace, parchment, [&](uint32_t at) { return at != underQuestion; }))
        << "the question shows";
    EXPECT_FALSE(near(parchment, 0xFFFFFF, 24)) << std::hex << parchment;
    ASSERT_TRUE(traceAfter(
        *game, "CMenuState Init\n", [&] { screen.key(XK_Return); }, true));

    // The main menu's Play: the map asks at once about the level left.
    const uint32_t onMenu = parchmentPlace();
    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Init\n", [&] { screen.click(kMenuPlayX, kMenuPlayY); }, true));
    ASSERT_EQ(game->count("CMapState Init\n"), 1) << game->traces();
    uint32_t question = 0;
    ASSERT_TRUE(readShown(parchmentPlace, question, [&](uint32_t at) { return at != onMenu; }))
        << "the question shows";
    EXPECT_FALSE(near(question, 0xFFFFFF, 24)) << std::hex << question;
    EXPECT_TRUE(near(question, parchment))
        << std::hex << question << " where the kit's parchment is " << parchment;
    saveShot(screen, "continue_question_after_a_level");
    EXPECT_EQ(game->close(), 0) << game->traces();
}

TEST(PanelsOnScreen, OptionsOpenedFromThePauseMenuLeaveItsHeadingShowingAboveTheirs)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    std::unique_ptr<GameProgram> game;
    ASSERT_NO_FATAL_FAILURE(startInTheFirstLevel(screen, folder, game));
    const auto heading = [&] { return screen.area(kHeadingLeft, kHeadingTop, 280, 52); };
    const auto optionsHeading = [&] { return screen.area(kOptionsHeadingLeft, kOptionsHeadingTop, 300, 50); };
    const std::vector<uint32_t> level = heading();
    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    // The frames before the settled one (the level dimming, the menu coming) differ from the
    // level too: the plate is read once it holds still.
    std::vector<uint32_t> paused;
    EXPECT_TRUE(
        readShown(heading, paused, [&](const std::vector<uint32_t>& plate) { return plate != level; }))
        << "the menu's heading shows";
    const std::vector<uint32_t> menu = optionsHeading();

    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Init\n", [&] { screen.click(kPauseOptionsX, kPauseOptionsY); }, true));
    std::vector<uint32_t> options;
    EXPECT_TRUE(
        readShown(optionsHeading, options, [&](const std::vector<uint32_t>& plate) { return plate != menu; }))
        << "the options' heading shows";
    saveShot(screen, "options_over_the_pause_menu");
    EXPECT_EQ(heading(), paused) << "the menu stays under the options, its heading whole";
    ASSERT_TRUE(traceAfter(
        *game, "CDialogState Resume\n", [&] { screen.key(XK_Escape); }, true));
    EXPECT_TRUE(until([&] { return optionsHeading() == menu; })) << "the options go, the menu is as before";
    EXPECT_EQ(game->close(), 0) << game->traces();
}

} // namespace
