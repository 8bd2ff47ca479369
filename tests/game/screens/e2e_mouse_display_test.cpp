// A level won in the real program with the mouse alone, under an X server of the test's own:
// the program starts on the second shipped level (a level file on its command line), the
// briefing and the modal tip are closed with Escape, the market, the brick kiln and the road
// are clicked where they stand, and once the stock covers the market's next level the arrow
// beside it lights up and a press on it raises the market. Every step waits on what the
// program reports on its traces; the screens are kept as screenshots/game_e2e_mouse_*.png.
#include <gtest/gtest.h>

#include "tests/support/UnitPlaces.h"

#include <cstdio>
#include <filesystem>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

const std::string kData = std::string(QUILL_SOURCE_DIR) + "/data/";

// Seconds the program may take to answer an input on a loaded machine; an input it has not
// answered by then is given again, as a player would.
constexpr double kAnswer = 8.0;
constexpr int kTries = 5;

// Presses a key until the traces hold `text` once more than before.
bool keyUntil(GameScreen& screen, const GameProgram& game, KeySym key, const std::string& text)
{
    const int before = game.count(text);
    for (int i = 0; i < kTries; ++i)
    {
        screen.key(key);
        if (game.waitFor(text, before + 1, kAnswer))
            return true;
    }
    return false;
}

// Clicks a place of the screen until the traces hold `text` once more than before, without
// waiting for the screen to settle (the level goes on under it).
bool clickUntilQueued(GameScreen& screen, const GameProgram& game, int px, int py, const std::string& text)
{
    const int before = game.count(text);
    for (int i = 0; i < kTries; ++i)
    {
        if (i == 0)
            screen.click(px, py);
        else
            screen.clickAgain(px, py);
        if (game.waitFor(text, before + 1, kAnswer))
            return true;
    }
    return false;
}

// Clicks the first unit of a type where the level file and its look place it, until the
// program queues it as a goal.
bool clickUnit(GameScreen& screen, const GameProgram& game, const ::Test::UnitPlaces& places,
               const std::string& type)
{
    Engine::cVector2 place;
    return places.find(type, 1, place) &&
           clickUntilQueued(screen, game, static_cast<int>(place.x), static_cast<int>(place.y),
                            "Goal queued: " + type + "\n");
}

// The place of the arrow in the program's trace "Upgrade arrow lit: <type> at <x>;<y>".
bool arrowPlace(const std::string& traces, const std::string& type, int& px, int& py)
{
    const std::string lead = "Upgrade arrow lit: " + type + " at ";
    const size_t at = traces.rfind(lead);
    return at != std::string::npos && std::sscanf(traces.c_str() + at + lead.size(), "%d;%d", &px, &py) == 2;
}

TEST(MouseGame, TheSecondLevelIsWonWithTheMouseTheMarketRaisedByItsArrow)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    // The level file as the data folder beside the program holds it.
    const std::string level =
        (std::filesystem::path(QUILL_EXECUTABLE).parent_path() / "Data" / "Levels" / "n1.xml").string();
    playedBefore(folder);
    GameProgram game(folder, level);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.waitFor("CPlayState Init\n")) << game.traces();
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    // The pointer on the window, which then has the keys without a window manager.
    screen.moveTo(512, 384);

    ASSERT_TRUE(game.waitFor("BriefState::Init()\n")) << game.traces();
    ASSERT_TRUE(keyUntil(screen, game, XK_Escape, "BriefState::Cleanup()\n")) << game.traces();
    // The level's first tip stops the level as play begins, until it is closed.
    ASSERT_TRUE(game.waitFor("ModalTutorState::Init()\n")) << game.traces();
    ASSERT_TRUE(keyUntil(screen, game, XK_Escape, "ModalTutorState::Cleanup()\n")) << game.traces();

    const ::Test::UnitPlaces places(kData, 1);
    ASSERT_TRUE(clickUnit(screen, game, places, "Market")) << game.traces();
    ASSERT_TRUE(clickUnit(screen, game, places, "BrickKiln")) << game.traces();
    ASSERT_TRUE(clickUnit(screen, game, places, "Road")) << game.traces();
    saveShot(screen, "e2e_mouse_orders");

    // The market built and the kiln's cement in: the arrow lights up beside the market.
    ASSERT_TRUE(game.waitFor("Upgrade arrow lit: Market at ", 1, 150.0)) << game.traces();
    int arrowX = 0;
    int arrowY = 0;
    ASSERT_TRUE(arrowPlace(game.traces(), "Market", arrowX, arrowY)) << game.traces();
    saveShot(screen, "e2e_mouse_arrow");
    ASSERT_TRUE(clickUntilQueued(screen, game, arrowX, arrowY, "Goal queued: Market upgrade\n"))
        << game.traces();

    // The market raised: the level is won and its results come up.
    ASSERT_TRUE(game.waitFor("CDialogState Init\n", 1, 150.0)) << game.traces();
    saveShot(screen, "e2e_mouse_results");
    EXPECT_EQ(game.close(), 0) << game.traces();
}

} // namespace
