// The real program under a window manager (Debian's openbox, started by the test on an X server
// of the test's own size): full screen switched with Alt+Enter on a screen where a window of the
// game's size fits with its frame and on one where it does not, the first click after the window
// went to the back and came to the front again, a level that stands still while its window is
// at the back, with no menu over it, and goes on when the window comes to the front, a click
// after the window changed under a still pointer, Alt+Enter over a question, and Escape on the
// question whether to continue the unfinished level. Back from full screen the window stands
// where the player had moved it; the options' own message is the one queue's.
#include <gtest/gtest.h>

#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellChild.h"
#include "tests/support/TempDir.h"
#include "tests/support/UnitPlaces.h"
#include "tests/support/ZipWriter.h"

#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"
#include "tests/game/screens/saved_level_tools.h"

namespace
{

using namespace DisplayTest;

// Where the main menu's options button stands on the game's 1024 x 768 screen, and the players
// panel's button below it.
constexpr int kOptionsX = 820;
constexpr int kOptionsY = 432;
constexpr int kPlayersY = 504;
// The players panel's delete button.
constexpr int kDeleteX = 702;
constexpr int kDeleteY = 396;
// The OK of the message that a window does not fit.
constexpr int kMessageOkX = 512;
constexpr int kMessageOkY = 472;
// The options panel's full-screen box.
constexpr int kFullScreenBoxX = 662;
constexpr int kFullScreenBoxY = 432;

// openbox on the screen's server, running until the object goes.
class WindowManager
{
public:
    explicit WindowManager(GameScreen& screen)
    {
        if (!screen.open())
            return;
        m_pid = ::Test::startShell("exec openbox --sm-disable >/dev/null 2>&1");
        // A window manager owns the screen's manager selection once it runs.
        const Atom selection = x().internAtom(screen.display(), "WM_S0", False);
        m_running = m_pid > 0 && until([&] { return x().selectionOwner(screen.display(), selection) != 0; });
    }
    ~WindowManager() { ::Test::endChild(m_pid); }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool running() const { return m_running; }

private:
    pid_t m_pid = -1;
    bool m_running = false;
};

// A player of an earlier run at a desktop: a screen of the test's size ("WIDTHxHEIGHTxDEPTH")
// with openbox on it, and her shared folder.
struct Desktop
{
    explicit Desktop(const std::string& size = "1280x1024x24") : screen(size), manager(screen)
    {
        playedBefore(folder);
    }
    ::testing::AssertionResult ready() const
    {
        if (!x().error.empty())
            return ::testing::AssertionFailure() << x().error;
        if (!screen.open())
            return ::testing::AssertionFailure() << "no X display";
        if (!manager.running())
            return ::testing::AssertionFailure() << "openbox (Debian: openbox) is needed";
        return ::testing::AssertionSuccess();
    }

    GameScreen screen;
    WindowManager manager;
    ::Test::TempDir folder;
};

bool fullScreen(GameScreen& screen)
{
    GameScreen::Placement place;
    return screen.placement("Quillmoor", place) && place.left == 0 && place.top == 0 &&
           place.right == screen.screenWidth() && place.bottom == screen.screenHeight();
}

// A window of the game's size where the game places it, centred on the screen (openbox keeps no
// panel, so the work area is the whole screen), with its frame wholly on the screen. Leaving full
// screen passes through other places on the way there (the size is set before the position): a
// click must wait for the last.
bool windowOnScreen(GameScreen& screen)
{
    GameScreen::Placement place;
    return screen.placement("Quillmoor", place) && place.width() == 1024 && place.height() == 768 &&
           place.left == (screen.screenWidth() - 1024) / 2 &&
           place.top == (screen.screenHeight() - 768) / 2 && place.frameLeft >= 0 && place.frameTop >= 0 &&
           place.frameRight <= screen.screenWidth() && place.frameBottom <= screen.screenHeight() &&
           place.frameTop < place.top;
}

std::string placementText(GameScreen& screen)
{
    GameScreen::Placement p;
    if (!screen.placement("Quillmoor", p))
        return "no window";
    return "content " + std::to_string(p.left) + "," + std::to_string(p.top) + " " +
           std::to_string(p.width()) + "x" + std::to_string(p.height()) + ", frame " +
           std::to_string(p.frameLeft) + "," + std::to_string(p.frameTop) + " to " +
           std::to_string(p.frameRight) + "," + std::to_string(p.frameBottom);
}

// Moves the pointer to a point of the game's 1024 x 768 screen wherever the game shows it: in a
// window, or scaled into the largest 4:3 area of the screen in full screen.
void pointGame(GameScreen& screen, int vx, int vy)
{
    GameScreen::Placement p;
    ASSERT_TRUE(screen.placement("Quillmoor", p));
    const double scale = std::min(p.width() / 1024.0, p.height() / 768.0);
    const double left = p.left + (p.width() - 1024.0 * scale) / 2.0;
    const double top = p.top + (p.height() - 768.0 * scale) / 2.0;
    screen.moveOnScreen(static_cast<int>(left + vx * scale), static_cast<int>(top + vy * scale));
}

// Clicks a point of the game's screen wherever the game shows it.
void clickGame(GameScreen& screen, int vx, int vy)
{
    ASSERT_NO_FATAL_FAILURE(pointGame(screen, vx, vy));
    screen.clickInPlace();
}

// Opens the options from the main menu and reads whether full screen is ticked; Escape closes
// them again.
void expectOption(GameScreen& screen, const GameProgram& game, bool ticked)
{
    const std::string line = ticked ? "Options full screen ticked\n" : "Options full screen not ticked\n";
    const int before = game.count(line);
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { clickGame(screen, kOptionsX, kOptionsY); }, true));
    EXPECT_EQ(game.count(line), before + 1) << game.traces();
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));
}

// The game started for a player of an earlier run, its logos skipped: the main menu.
void toTheMenu(GameScreen& screen, const GameProgram& game)
{
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << placementText(screen);
    ASSERT_TRUE(skipLogos(screen, game));
}

// The game started for a player of an earlier run, its logos skipped: the main menu, in a window
// where the game places it.
void toTheMenuInAWindow(GameScreen& screen, const GameProgram& game)
{
    ASSERT_TRUE(game.started());
    ASSERT_NO_FATAL_FAILURE(toTheMenu(screen, game));
    ASSERT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
}

// A file of the game's shared folder, its UTF-16 text read as its low bytes.
std::string sharedText(const ::Test::TempDir& folder, const std::string& file = "sys/settings.xml")
{
    std::string text;
    for (char c : ::Test::readFile(folder.path() / "share/Quillmoor" / file))
        if (c != '\0')
            text += c;
    return text;
}

bool adaKept(const ::Test::TempDir& folder)
{
    return sharedText(folder, "profiles/profiles.xml").find("Name=\"Ada\"") != std::string::npos;
}

// The window manager moves the game's window (in a window) so that the point (vx, vy) of the
// game's screen comes under the pointer, which stays where it stands.
void bringUnderPointer(GameScreen& screen, int vx, int vy)
{
    GameScreen::Placement p;
    ASSERT_TRUE(screen.placement("Quillmoor", p));
    int px = 0;
    int py = 0;
    screen.pointer(px, py);
    const int left = px - vx;
    const int top = py - vy;
    ASSERT_TRUE(screen.moveWindowBy("Quillmoor", left - p.left, top - p.top));
    EXPECT_TRUE(until([&] { return screen.placement("Quillmoor", p) && p.left == left && p.top == top; }))
        << "awaited the window at " << left << "," << top << ": " << placementText(screen);
}

TEST(WindowManager, OnAScreenWhereTheWindowDoesNotFitTheGameStaysFullScreenAndSaysSo)
{
    Desktop desktop("1024x768x24");
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const ::Test::TempDir& folder = desktop.folder;
    {
        GameProgram game(folder, "");
        ASSERT_TRUE(game.started());
        ASSERT_NO_FATAL_FAILURE(toTheMenu(screen, game));
        // Framed, the window would not fit: the game is in full screen.
        EXPECT_TRUE(until([&] { return fullScreen(screen); })) << placementText(screen);
        ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, true));
        for (int press = 0; press < 2; ++press)
        {
            ASSERT_TRUE(traceAfter(
                game, "CGameEngine window refused\n", [&] { screen.chord(XK_Alt_L, XK_Return); }, true));
            EXPECT_TRUE(fullScreen(screen)) << placementText(screen);
            ASSERT_TRUE(traceAfter(
                game, "System message closed\n", [&] { clickGame(screen, kMessageOkX, kMessageOkY); }, true));
            ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, true));
            EXPECT_TRUE(fullScreen(screen)) << placementText(screen);
        }
        // Three quick presses: the message stands after the first, and is not told again.
        const int told = game.count("CGameEngine window refused\n");
        for (int press = 0; press < 3; ++press)
            screen.chord(XK_Alt_L, XK_Return);
        ASSERT_TRUE(game.expectSettled("CGameEngine window refused\n", told + 1));
        ASSERT_TRUE(traceAfter(
            game, "System message closed\n", [&] { clickGame(screen, kMessageOkX, kMessageOkY); }, true));
        // The options open over no other message (the presses came before the click).
        ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, true));
        EXPECT_EQ(game.count("CGameEngine window refused\n"), told + 1) << game.traces();
        EXPECT_EQ(game.count("System message closed\n"), 3) << game.traces();
        // The options' own message, and Alt+Enter while it stands: one message, which a click
        // without a move closes; the options then take Escape.
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { clickGame(screen, kOptionsX, kOptionsY); }, true));
        ASSERT_TRUE(traceAfter(
            game, "Options window refused\n", [&] { clickGame(screen, kFullScreenBoxX, kFullScreenBoxY); },
            true));
        ASSERT_NO_FATAL_FAILURE(pointGame(screen, kMessageOkX, kMessageOkY));
        screen.chord(XK_Alt_L, XK_Return);
        ASSERT_TRUE(traceAfter(
            game, "System message closed\n", [&] { screen.clickInPlace(); }, true));
        ASSERT_TRUE(traceAfter(
            game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));
        EXPECT_EQ(game.count("System message MainMenu/SystemMessage.xml\n"), 4) << game.traces();
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
    EXPECT_NE(sharedText(folder).find("fullscreen=\"1\""), std::string::npos) << sharedText(folder);
}

TEST(WindowManager, OnALargerScreenAltEnterSwitchesToFullScreenAndBackToAWindowOnTheScreen)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const ::Test::TempDir& folder = desktop.folder;
    {
        GameProgram game(folder, "");
        ASSERT_TRUE(game.started());
        ASSERT_NO_FATAL_FAILURE(toTheMenu(screen, game));
        EXPECT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
        ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, false));

        screen.chord(XK_Alt_L, XK_Return);
        EXPECT_TRUE(until([&] { return fullScreen(screen); })) << placementText(screen);
        ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, true));

        screen.chord(XK_Alt_L, XK_Return);
        EXPECT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
        ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, false));

        // Moved by the player, the window comes back from full screen where she left it.
        GameScreen::Placement moved;
        ASSERT_TRUE(screen.placement("Quillmoor", moved));
        ASSERT_TRUE(screen.moveWindowBy("Quillmoor", 97, -83));
        const auto atMoved = [&]
        {
            GameScreen::Placement p;
            return screen.placement("Quillmoor", p) && p.left == moved.left + 97 && p.top == moved.top - 83 &&
                   p.width() == 1024;
        };
        ASSERT_TRUE(until(atMoved)) << placementText(screen);
        screen.chord(XK_Alt_L, XK_Return);
        EXPECT_TRUE(until([&] { return fullScreen(screen); })) << placementText(screen);
        screen.chord(XK_Alt_L, XK_Return);
        EXPECT_TRUE(until(atMoved)) << placementText(screen);
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
    EXPECT_NE(sharedText(folder).find("fullscreen=\"0\""), std::string::npos) << sharedText(folder);
}

// Alt+Enter held for two seconds in a window, the key repeating: the screen switches once, to
// full screen, and stays there.
TEST(WindowManager, AltEnterHeldSwitchesTheScreenOnce)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    GameProgram game(desktop.folder, "");
    ASSERT_NO_FATAL_FAILURE(toTheMenuInAWindow(screen, game));
    int switches = 0;
    bool full = false;
    // Counts the switches it sees; true while the screen is in a window.
    const auto watch = [&]
    {
        const bool now = fullScreen(screen);
        switches += now != full ? 1 : 0;
        full = now;
        return !full;
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    screen.chord(XK_Alt_L, XK_Return, false,
                 [&]
                 {
                     watch();
                     return std::chrono::steady_clock::now() < end;
                 });
    ASSERT_TRUE(until([&] { return !watch(); })) << placementText(screen);
    // The repeats came before the click that opens the options: the setting is read after all.
    ASSERT_NO_FATAL_FAILURE(expectOption(screen, game, true));
    watch();
    EXPECT_EQ(switches, 1) << placementText(screen);
    EXPECT_EQ(game.close(), 0) << game.traces();
}

// A level whose briefing layout is a damaged pack member fails once the game's window is up, in a
// window and in full screen: the box that says so stands above the window, and Return ends the run.
TEST(WindowManager, AFatalErrorsBoxStandsAboveTheGameInAWindowAndInFullScreen)
{
    for (const bool full : {false, true})
    {
        SCOPED_TRACE(full ? "full screen" : "in a window");
        Desktop desktop(full ? "1024x768x24" : "1280x1024x24");
        ASSERT_TRUE(desktop.ready());
        GameScreen& screen = desktop.screen;
        const ::Test::TempDir& folder = desktop.folder;
        ::Test::ZipWriter(folder.path() / "share/Quillmoor/art.pack")
            .addLying("UI/BreafPanel.xml", "<Layout/>", 9, 0);
        const ::Test::ScopedEnv boxes("QUILLMOOR_HEADLESS", nullptr); // shown as to a player
        GameProgram game(folder, "Levels/n0.xml");
        ASSERT_TRUE(game.started());
        ASSERT_TRUE(until([&] { return screen.stacksAbove("Error", "Quillmoor"); }))
            << "no box above the game's window\n"
            << game.traces();
        observe(1.0);
        EXPECT_TRUE(screen.stacksAbove("Error", "Quillmoor")) << "the box went below the game's window";
        EXPECT_TRUE(full ? fullScreen(screen) : windowOnScreen(screen)) << placementText(screen);
        screen.key(XK_Return);
        ASSERT_TRUE(until([&] { return game.ended(); })) << game.traces();
        EXPECT_EQ(game.exitCode(), 1) << game.traces();
    }
}

TEST(WindowManager, TheClickThatBringsTheWindowBackToTheFrontIsNotLost)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const ::Test::TempDir& folder = desktop.folder;
    GameProgram game(folder, "");
    ASSERT_NO_FATAL_FAILURE(toTheMenuInAWindow(screen, game));
    for (int round = 0; round < 3; ++round)
    {
        // The window goes to the back; one click on the options button brings it to the front
        // and opens them.
        screen.dropFocus();
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { clickGame(screen, kOptionsX, kOptionsY); }, true))
            << "round " << round;
        ASSERT_TRUE(traceAfter(
            game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));
    }
    EXPECT_EQ(game.close(), 0) << game.traces();
}

TEST(WindowManager, ALevelStandsStillWhileItsWindowIsAtTheBackAndGoesOnAtTheFront)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    playedBefore(folder);
    GameProgram game(folder, "data/Levels/n0.xml", QUILL_SOURCE_DIR);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); }));
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    screen.moveTo(512, 384);
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    ASSERT_TRUE(game.expectTrace("Level clock 2\n"));
    const int dialogs = game.count("CDialogState Init\n");

    screen.dropFocus();
    ASSERT_TRUE(game.expectTrace("CPlayState stands: the window went to the back\n"));
    const int clock = game.count("Level clock ");
    observe(1.5);
    EXPECT_EQ(game.count("Level clock "), clock) << "the level's clock stands";
    EXPECT_EQ(game.count("CDialogState Init\n"), dialogs) << "no menu opens";

    screen.giveFocus("Quillmoor");
    ASSERT_TRUE(game.expectTrace("CPlayState goes on: the window came to the front\n"));
    EXPECT_TRUE(game.expectTrace("Level clock ", clock + 1)) << "the clock goes on";
    EXPECT_EQ(game.count("CDialogState Init\n"), dialogs);
    EXPECT_EQ(game.close(), 0) << game.traces();
}

// The pointer rests on a menu button while the window changes under it, and the window manager
// then moves the window so that the options button stands under the pointer: a click that does
// not move the pointer opens the options. In the second case the window goes to full screen and
// back first, and SDL puts the pointer back at its place in the window as each switch ends,
// wherever the window manager has the window at that moment: the test asks the X server where
// the pointer has come to rest.
TEST(WindowManager, AClickAfterTheWindowChangedUnderAStillPointerIsTakenWhereThePointerStandsNow)
{
    struct Change
    {
        const char* what;
        int restX; // where the pointer rests, over the players panel's button
        int restY;
        std::function<void(GameScreen&)> change;
    };
    const Change changes[] = {
        {"the window manager moves the window", kOptionsX, kPlayersY, [](GameScreen&) {}},
        {"full screen and back", 880, 530,
         [](GameScreen& screen)
         {
             screen.chord(XK_Alt_L, XK_Return);
             ASSERT_TRUE(until([&] { return fullScreen(screen); })) << placementText(screen);
             screen.chord(XK_Alt_L, XK_Return);
             ASSERT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
         }},
    };
    for (const Change& c : changes)
    {
        SCOPED_TRACE(c.what);
        Desktop desktop;
        ASSERT_TRUE(desktop.ready());
        GameScreen& screen = desktop.screen;
        const ::Test::TempDir& folder = desktop.folder;
        GameProgram game(folder, "");
        ASSERT_NO_FATAL_FAILURE(toTheMenuInAWindow(screen, game));
        ASSERT_NO_FATAL_FAILURE(pointGame(screen, c.restX, c.restY));
        ASSERT_NO_FATAL_FAILURE(c.change(screen));
        ASSERT_NO_FATAL_FAILURE(bringUnderPointer(screen, kOptionsX, kOptionsY));
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { screen.clickInPlace(); }, true));
        EXPECT_EQ(game.count("Options full screen not ticked\n"), 1) << game.traces();
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
}

// On the field: the pointer rests on a pile of bricks while the window manager moves the window
// and brings a pile of cement under it; the click without a move queues the cement.
TEST(WindowManager, AClickOnTheFieldAfterTheWindowMovedUnderAStillPointerTakesTheUnitNowUnderIt)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const ::Test::TempDir& folder = desktop.folder;
    GameProgram game(folder, "data/Levels/n1.xml", QUILL_SOURCE_DIR);
    ASSERT_TRUE(game.started());
    ASSERT_TRUE(game.expectTrace("BriefState::Init()\n"));
    ASSERT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
    ASSERT_NO_FATAL_FAILURE(pointGame(screen, 512, 384));
    ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
    // The level's first tip stops it until Escape closes it.
    ASSERT_TRUE(game.expectSettled("ModalTutorState::Init()\n", 1));
    ASSERT_TRUE(traceAfter(
        game, "ModalTutorState::Cleanup()\n", [&] { screen.key(XK_Escape); }, true));

    const ::Test::UnitPlaces places(std::string(QUILL_SOURCE_DIR) + "/data/", 1);
    Engine::cVector2 bricks;
    Engine::cVector2 cement;
    ASSERT_TRUE(places.find("Brick", 1, bricks) && places.find("Cement", 1, cement));
    ASSERT_NO_FATAL_FAILURE(pointGame(screen, static_cast<int>(bricks.x), static_cast<int>(bricks.y)));
    ASSERT_NO_FATAL_FAILURE(
        bringUnderPointer(screen, static_cast<int>(cement.x), static_cast<int>(cement.y)));
    ASSERT_TRUE(traceAfter(game, "Goal queued: ", [&] { screen.clickInPlace(); }));
    const std::string traces = game.traces();
    const size_t goal = traces.rfind("Goal queued: ");
    EXPECT_EQ(traces.substr(goal, traces.find('\n', goal) - goal), "Goal queued: Cement") << traces;
    EXPECT_EQ(game.close(), 0) << traces;
}

// Alt+Enter on a question whose Return answers it: the screen switches, and the question stays
// open, answered by nothing, whichever key is let go first. Escape on the main menu asks whether
// to leave the game; the players panel's delete button asks whether to delete the player.
TEST(WindowManager, AltEnterOnAQuestionSwitchesTheScreenAndAnswersNothing)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const ::Test::TempDir& folder = desktop.folder;
    GameProgram game(folder, "");
    ASSERT_NO_FATAL_FAILURE(toTheMenuInAWindow(screen, game));

    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true));
    screen.chord(XK_Alt_L, XK_Return);
    ASSERT_TRUE(until([&] { return fullScreen(screen); })) << placementText(screen);
    // No answers the question, which the game would have left on Yes.
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true));

    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { clickGame(screen, kOptionsX, kPlayersY); }, true));
    ASSERT_TRUE(traceAfter(
        game, "Delete question shown\n", [&] { clickGame(screen, kDeleteX, kDeleteY); }, true));
    screen.chord(XK_Alt_L, XK_Return, true);
    ASSERT_TRUE(until([&] { return windowOnScreen(screen); })) << placementText(screen);
    EXPECT_TRUE(adaKept(folder)) << sharedText(folder, "profiles/profiles.xml");
    // Return alone answers the question, still open: Yes deletes the player.
    screen.key(XK_Return);
    EXPECT_TRUE(until([&] { return !adaKept(folder); })) << sharedText(folder, "profiles/profiles.xml");
    EXPECT_EQ(game.close(), 0) << game.traces();
}

// Escape on the map's question whether to continue the unfinished level puts the question aside
// and keeps the level byte for byte: back to the main menu and to Play, it is asked again, and
// Yes continues it.
TEST(WindowManager, EscapeOnTheQuestionToContinueKeepsTheUnfinishedLevel)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.ready());
    GameScreen& screen = desktop.screen;
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    const std::filesystem::path path = putPlayer(desktop.folder, wonBefore(2), save);
    GameProgram game(desktop.folder, "");
    ASSERT_NO_FATAL_FAILURE(toTheMenuInAWindow(screen, game));
    for (const bool escape : {true, false})
    {
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { clickGame(screen, kMenuPlayX, kMenuPlayY); }, true))
            << "the map asks whether to continue";
        if (escape)
        {
            ASSERT_TRUE(traceAfter(
                game, "CMapState Resume\n", [&] { screen.key(XK_Escape); }, true));
            EXPECT_EQ(::Test::readFile(path), save) << "the unfinished level stays";
            ASSERT_TRUE(traceAfter(
                game, "CMenuState Init\n", [&] { clickGame(screen, kMapMenuX, kMapMenuY); }, true));
        }
    }
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Return); }));
    EXPECT_EQ(game.count(" loaded from "), 0) << "continued, not begun afresh\n" << game.traces();
    EXPECT_EQ(game.close(), 0) << game.traces();
}

} // namespace
