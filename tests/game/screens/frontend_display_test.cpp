// The real program from an empty shared folder under an X server of the test's own, driven as a
// first-time player would: the logos skipped, a name typed, the main menu with that name, the
// music volume set in the options, the map with only the first level open, the begin question
// starting the level; then a second start that remembers the player and the volume and ends
// through the exit question.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// Places on the 1024 x 768 screen, from the layouts.
constexpr int kBoardX = 820;
constexpr int kNameY = 274;
constexpr int kPlayY = 360;
constexpr int kOptionsY = 432;
constexpr int kCreditsY = 576;
constexpr int kSliderY = 288;
constexpr int kSoundSliderY = 360;

// SDL's sound driver that plays to no device: the game has sound, so its sliders work on any
// machine; and a driver that does not exist, as on a machine without a sound device.
const std::string kDummySound = "SDL_AUDIODRIVER=dummy";
const std::string kNoSound = "SDL_AUDIODRIVER=none-here";

// How many pixels of an area are near a colour.
int countNear(const std::vector<uint32_t>& pixels, uint32_t colour, int tolerance)
{
    int count = 0;
    for (uint32_t pixel : pixels)
        count += near(pixel, colour, tolerance) ? 1 : 0;
    return count;
}

// A text as the profile files hold it: UTF-16, little end first.
std::string utf16(const std::string& ascii)
{
    std::string bytes;
    for (char c : ascii)
    {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(FrontEndProgram, AFirstPlayerIsAskedTheNameSetsTheMusicAndStartsTheFirstLevelFromTheMap)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    std::vector<uint32_t> namePlate;
    std::vector<uint32_t> slider;
    {
        GameProgram game(folder, "", "", kDummySound);
        ASSERT_TRUE(game.started());
        ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
        ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
        ASSERT_TRUE(game.expectTrace("Logo shown\n"));
        EXPECT_TRUE(
            until([&] { return countNear(screen.area(0, 0, 1024, 768), 0x000000, 8) < 1024 * 768 / 2; }))
            << "a logo fading in";
        saveShot(screen, "logo");
        ASSERT_TRUE(skipLogos(screen, game));

        // No player yet: the name first, over the menu's backdrop.
        ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1));
        saveShot(screen, "first_user");
        const std::vector<uint32_t> empty = screen.area(0, 0, 1024, 768);
        for (char c : std::string("tester7"))
            screen.key(static_cast<KeySym>(c));
        // The typed name shows; a picture for a look, so no failure when it does not.
        until([&] { return screen.area(0, 0, 1024, 768) != empty; }, 10.0);
        saveShot(screen, "first_user_typed");
        const auto plate = [&] { return screen.area(kBoardX - 140, kNameY - 16, 280, 32); };
        const auto musicSlider = [&] { return screen.area(400, kSliderY - 24, 350, 48); };
        ASSERT_TRUE(traceAfter(
            game, "CMenuState Resume\n", [&] { screen.key(XK_Return); }, true));
        // The plate once the panel has gone from over it.
        ASSERT_TRUE(readShown(plate, namePlate));
        saveShot(screen, "main_menu");
        EXPECT_GT(countNear(namePlate, 0xF4E9D0, 30), 40) << "the name in light letters on the plate";
        const std::string profiles =
            ::Test::readFile(folder.path() / "share/Quillmoor/profiles/profiles.xml");
        EXPECT_NE(profiles.find(utf16("CurrentUser=\"tester7\"")), std::string::npos) << profiles;

        // Options: the music slider a third of the way.
        const std::vector<uint32_t> menu = musicSlider();
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { screen.click(kBoardX, kOptionsY); }, true));
        std::vector<uint32_t> before;
        ASSERT_TRUE(
            readShown(musicSlider, before, [&](const std::vector<uint32_t>& place) { return place != menu; }))
            << "the options show";
        screen.click(412 + 96, kSliderY);
        std::vector<uint32_t> lit;
        EXPECT_TRUE(
            readShown(musicSlider, lit, [&](const std::vector<uint32_t>& place) { return place != before; }))
            << "the slider moves to the click";
        saveShot(screen, "options");
        // The knob lit under the pointer goes back to its look at rest once the pointer leaves.
        screen.moveTo(kBoardX, kOptionsY);
        until([&] { return musicSlider() != lit; }, 5.0);
        ASSERT_TRUE(readShown(musicSlider, slider));
        ASSERT_TRUE(traceAfter(
            game, "CMenuState Resume\n", [&] { screen.click(512, 534); }, true));

        // The map: only level 0 open, the other pages locked. The strip under the buttons,
        // where no cloud passes, shows the map once it no longer shows the menu; it would move
        // with a slide.
        const auto bottom = [&] { return screen.area(0, 752, 1024, 16); };
        const std::vector<uint32_t> underMenu = bottom();
        ASSERT_TRUE(traceAfter(
            game, "CMapState Resume\n", [&] { screen.click(kBoardX, kPlayY); }, true));
        std::vector<uint32_t> strip;
        ASSERT_TRUE(
            readShown(bottom, strip, [&](const std::vector<uint32_t>& place) { return place != underMenu; }))
            << "the map shows";
        saveShot(screen, "map");
        const std::vector<uint32_t> pageZero = screen.area(322 - 10, 712 - 10, 20, 20);
        const std::vector<uint32_t> pageOne = screen.area(398 - 10, 712 - 10, 20, 20);
        const std::vector<uint32_t> pageTwo = screen.area(474 - 10, 712 - 10, 20, 20);
        EXPECT_EQ(pageOne, pageTwo) << "locked pages look alike";
        EXPECT_NE(pageZero, pageOne) << "the shown page is not locked";
        // The locked page's arrow, then the first level: the program takes the clicks in turn, so
        // once the level asks to begin, the arrow's click has been taken too.
        screen.click(794, 712);
        // The first level's node: the first place of the map's first page ("Map/Map.xml").
        ASSERT_TRUE(traceAfter(
            game, "CDialogState Init\n", [&] { screen.click(105, 560); }, true))
            << "the selected level asks to begin";
        EXPECT_EQ(game.count("Map slides to page"), 0) << "the next page is not open: no slide";
        EXPECT_EQ(bottom(), strip) << "no slide";
        saveShot(screen, "begin_question");
        ASSERT_TRUE(traceAfter(game, "CPlayState Init\n", [&] { screen.key(XK_Return); }));
        ASSERT_TRUE(game.expectSettled("CPlayState Resume\n", 1));
        saveShot(screen, "first_level");
        EXPECT_EQ(game.close(), 0) << game.traces();
    }

    // The second start: no name asked, the same player and volume; the exit question ends it.
    GameProgram game(folder, "", "", kDummySound);
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));
    ASSERT_TRUE(game.expectSettled("CMenuState Resume\n", 1));
    EXPECT_EQ(game.traces().find("CDialogState Init\n"), std::string::npos) << "no name asked";
    // The screen may show the settled frame a moment after the program traced it.
    EXPECT_TRUE(until([&] { return screen.area(kBoardX - 140, kNameY - 16, 280, 32) == namePlate; }))
        << "the same player's name";
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kBoardX, kOptionsY); }, true));
    EXPECT_TRUE(until([&] { return screen.area(400, kSliderY - 24, 350, 48) == slider; }))
        << "the music volume kept";
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Escape); }, true))
        << "Escape closes the options";
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kBoardX, kCreditsY); }, true));
    saveShot(screen, "credits");
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.click(512, 640); }, true))
        << "the credits fade out and the menu comes back";
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.key(XK_Escape); }, true))
        << "Escape asks whether to leave";
    saveShot(screen, "exit_question");
    screen.click(402, 512);
    ASSERT_TRUE(until([&] { return game.ended(); })) << "yes ends the program";
    EXPECT_EQ(game.exitCode(), 0) << game.traces();
}

TEST(FrontEndProgram, WithoutASoundDeviceTheVolumeSlidersAreGreyAndStayWhereTheyAre)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    GameProgram game(folder, "", "", kNoSound);
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));
    ASSERT_TRUE(game.expectSettled("CDialogState Init\n", 1));
    for (char c : std::string("mute"))
        screen.key(static_cast<KeySym>(c));
    ASSERT_TRUE(traceAfter(
        game, "CMenuState Resume\n", [&] { screen.key(XK_Return); }, true));
    const auto musicSlider = [&] { return screen.area(400, kSliderY - 24, 350, 48); };
    std::vector<uint32_t> menu;
    ASSERT_TRUE(readShown(musicSlider, menu));
    ASSERT_TRUE(traceAfter(
        game, "CDialogState Init\n", [&] { screen.click(kBoardX, kOptionsY); }, true));
    std::vector<uint32_t> options;
    ASSERT_TRUE(
        readShown(musicSlider, options, [&](const std::vector<uint32_t>& place) { return place != menu; }))
        << "the options show";
    saveShot(screen, "options_without_sound");
    for (int y : {kSliderY, kSoundSliderY})
    {
        // The groove is grey, not the wood of a working slider: no red above its green and blue.
        const uint32_t groove = screen.pixel(572 + 100, y - 6);
        const int red = static_cast<int>((groove >> 16) & 0xFF);
        const int blue = static_cast<int>(groove & 0xFF);
        EXPECT_LT(red - blue, 24) << std::hex << groove << " a greyed slider";
        const std::vector<uint32_t> still = screen.area(400, y - 24, 350, 48);
        screen.click(572 + 60, y);
        observe(1.0);
        EXPECT_EQ(screen.area(400, y - 24, 350, 48), still) << "a click moves nothing";
    }
    EXPECT_EQ(game.close(), 0) << game.traces();
}

} // namespace
