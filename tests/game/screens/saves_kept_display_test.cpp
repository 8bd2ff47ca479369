// The player's unfinished level and values kept through what the player did not do, met by the
// real program: a save that cannot be read goes aside before a new one takes its place; a save
// the game wrote is continued whatever became of the player's values since (a level file
// outside the data folder played, the values file damaged, missing or a folder), and the player
// is told what became of the values, each message alone, and of damaged best times and settings,
// set aside; a folder in place of the save is told and stays. (A fault of the game's data that
// ends the run leaves the save where it is: fatal_error_display_test.cpp.)
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/e2e_play_tools.h"
#include "tests/game/screens/saved_level_tools.h"

namespace
{

using namespace DisplayTest;

namespace fs = std::filesystem;

const std::string kProfiles = "share/Quillmoor/profiles/";

// The program started without a level, up to its main menu, and Play there: until `text`.
::testing::AssertionResult playFromMenu(GameScreen& screen, const GameProgram& game, const std::string& text)
{
    if (::testing::AssertionResult menu = toMenu(screen, game); !menu)
        return menu;
    return clickUntil(screen, game, kMenuPlayX, kMenuPlayY, text);
}

// The map's question whether to continue is answered Yes: the saved level goes on as it was
// left, without a word about a damaged save.
void continuesAsLeft(GameScreen& screen, const GameProgram& game)
{
    ASSERT_TRUE(traceAfter(game, "CPlayState Resume\n", [&] { screen.key(XK_Return); }));
    EXPECT_EQ(game.count(" loaded from "), 0) << "continued, not begun afresh\n" << game.traces();
    EXPECT_EQ(game.count("damaged save told"), 0) << game.traces();
}

TEST(SavesKept, ASaveThatCannotBeReadGoesAsideBeforeTheNextSaveTakesItsPlace)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    const std::string old = unfinished(1);
    ASSERT_GT(old.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    const fs::path path = putPlayer(folder, wonBefore(1), old);
    // As root (in CI) the game runs without root's power over permissions: root opens any file.
    ::Test::runUnprivileged(
        folder.path(),
        [&]
        {
            ASSERT_EQ(::chmod(path.c_str(), 0), 0);
            GameScreen screen;
            ASSERT_TRUE(screen.open()) << "no X display";
            GameProgram game(folder, "", folder.path().string());
            ASSERT_TRUE(playFromMenu(screen, game, "CMapState damaged save told\n"));
            EXPECT_EQ(game.count("System message MainMenu/SaveLeftMessage.xml\n"), 1) << "told that it stays";
            screen.click(kMessageOkX, kMessageOkY);
            // The first level begun and played a while; closing the program saves it.
            const Engine::cVector2 first = nodeOf(0);
            ASSERT_TRUE(clickUntil(screen, game, static_cast<int>(first.x), static_cast<int>(first.y),
                                   "CDialogState Init\n"));
            ASSERT_TRUE(traceAfter(game, "BriefState::Init()\n", [&] { screen.key(XK_Return); }));
            ASSERT_TRUE(readBriefing(screen, game)) << game.traces();
            ASSERT_TRUE(game.expectTrace("Level clock 1\n"));
            EXPECT_EQ(game.close(), 0) << game.traces();
            ASSERT_EQ(::chmod((path.string() + ".damaged").c_str(), 0600), 0) << "the old save went aside";
            EXPECT_EQ(::Test::readFile(path.string() + ".damaged"), old);
            EXPECT_EQ(::Test::readFile(path).substr(0, 4), std::string(4, '\0'))
                << "the new save, of level 1";
        });
}

TEST(SavesKept, ALevelFileOutsideTheDataFolderLeavesThePlayersLevelAndSave)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(15);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    // As a first run on level 16, given on the command line, leaves the player: no medal yet.
    const fs::path path = putPlayer(folder, prop("CurrentLevel", 15), save);
    ::Test::TempDir elsewhere;
    const fs::path own = elsewhere.write("Market Square.xml", ::Test::readFile(kData + "Levels/n0.xml"));
    {
        GameProgram game(folder, own.string());
        ASSERT_TRUE(game.expectTrace("CPlayState Resume\n"));
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
    EXPECT_EQ(currentLevel(folder), 15) << "the player's values keep her level";

    GameProgram game(folder, "");
    ASSERT_TRUE(playFromMenu(screen, game, "CDialogState Init\n")) << "the unfinished level is offered";
    ASSERT_NO_FATAL_FAILURE(continuesAsLeft(screen, game));
    EXPECT_EQ(game.close(), 0) << game.traces();
    EXPECT_FALSE(fs::exists(path.string() + ".damaged"));
}

// How many of the dark pixels of a message's text box (its text is dark brown on light paper)
// in `ink` are dark in `pixels` too; all of them without `ink`.
size_t darkOf(const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& ink = {})
{
    const auto dark = [](uint32_t pixel)
    { return ((pixel >> 16) & 0xFF) < 0x80 && ((pixel >> 8) & 0xFF) < 0x80 && (pixel & 0xFF) < 0x80; };
    size_t count = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        count += dark(pixels[i]) && (ink.empty() || dark(ink[i])) ? 1 : 0;
    return count;
}

// The messages' text box, from their layouts.
std::vector<uint32_t> textBoxOf(GameScreen& screen)
{
    return screen.area(302, 288, 416, 136);
}

// A player whose values file is a folder, with an unfinished level: the values that cannot be
// written are told over the main menu, and that they could not be read over the map. Each
// message stands alone and holds what lies under it: Play under the first opens nothing.
TEST(SavesKept, TheMessagesOfValuesThatCannotBeReadComeOneAfterTheOtherEachAlone)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    ::Test::TempDir folder;
    putPlayer(folder, wonBefore(2), save);
    const fs::path values = folder.path() / (kProfiles + "00000001.xml");
    fs::remove(values);
    fs::create_directory(values);
    const auto textBox = [&] { return textBoxOf(screen); };

    GameProgram game(folder, "");
    ASSERT_TRUE(toMenu(screen, game));
    ASSERT_TRUE(game.expectSettled("System message MainMenu/SaveFailedMessage.xml\n", 1));
    // Drawn, once the screen has come up from black: a few dark letters on light paper.
    const auto drawn = [](const std::vector<uint32_t>& box)
    { return darkOf(box) > 500 && darkOf(box) < box.size() / 4; };
    std::vector<uint32_t> first;
    ASSERT_TRUE(readShown(textBox, first, drawn)) << "the message's text is drawn";
    screen.click(kMenuPlayX, kMenuPlayY);
    screen.clickAgain(kMenuPlayX, kMenuPlayY);
    EXPECT_TRUE(textBox() == first) << "the message stands as it was";
    // The program takes the clicks in their order: by the OK's, it has taken Play's.
    ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "System message closed\n"));
    EXPECT_EQ(game.count("CMapState Init\n"), 0) << "Play under the message opens nothing\n" << game.traces();

    ASSERT_TRUE(
        clickUntil(screen, game, kMenuPlayX, kMenuPlayY, "System message MainMenu/ValuesLeftMessage.xml\n"));
    std::vector<uint32_t> second;
    ASSERT_TRUE(readShown(textBox, second,
                          [&](const std::vector<uint32_t>& box) { return box != first && drawn(box); }));
    // The first text is gone from under the second: of its dark pixels, only those where the
    // second text happens to lie are dark.
    EXPECT_LT(darkOf(second, first) * 2, darkOf(first)) << "the first text shows through the second";
    saveShot(screen, "values_left_over_the_map");
    ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "CDialogState Init\n"))
        << "the unfinished level is offered after the message";
    EXPECT_EQ(game.close(), 0) << game.traces();
}

// The values file and the unfinished level are each a folder: over the map the player is told
// that her progress could not be read, and then that her unfinished level could not be read. The
// second message comes where the first stood, under the pointer that closed the first: its OK is
// drawn hovered, as the first's was, and a click that does not move closes it. The map's Menu and
// Play buttons look disabled under both messages, and light up after the last.
TEST(SavesKept, TheNextMessageComesUnderTheStillPointerAndTakesItsClick)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    putPlayer(folder, wonBefore(2), "");
    for (const char* file : {"00000001.xml", "00000001.save"})
    {
        fs::remove(folder.path() / (kProfiles + file));
        fs::create_directory(folder.path() / (kProfiles + file));
    }
    const auto okArea = [&] { return screen.area(kMessageOkX - 80, kMessageOkY - 30, 160, 60); };
    const auto textBox = [&] { return textBoxOf(screen); };
    // The OK is green, but for its greyed look; its caption moves as it lights up.
    const auto green = [](const std::vector<uint32_t>& pixels)
    {
        return std::count_if(pixels.begin(), pixels.end(),
                             [](uint32_t pixel)
                             {
                                 const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF,
                                           b = pixel & 0xFF;
                                 return g > r + 40 && g > b + 40;
                             });
    };

    // The map's Menu and Play buttons (Play at 924;712).
    const auto buttons = [&]
    {
        std::vector<uint32_t> both = screen.area(kMapMenuX - 80, kMapMenuY - 30, 160, 60);
        const std::vector<uint32_t> play = screen.area(924 - 80, kMapMenuY - 30, 160, 60);
        both.insert(both.end(), play.begin(), play.end());
        return green(both);
    };

    GameProgram game(folder, "");
    ASSERT_TRUE(toMenu(screen, game));
    ASSERT_TRUE(game.expectSettled("System message MainMenu/SaveFailedMessage.xml\n", 1));
    ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "System message closed\n"));
    // The menu's buttons where the map's will be: the map shows once they are gone.
    const auto onMenu = buttons();
    ASSERT_TRUE(
        clickUntil(screen, game, kMenuPlayX, kMenuPlayY, "System message MainMenu/ValuesLeftMessage.xml\n"));
    auto underFirst = onMenu;
    ASSERT_TRUE(readShown(buttons, underFirst, [&](auto lit) { return lit != onMenu; }))
        << "the map under the first message";
    // The pointer moves onto the first one's OK, which lights up.
    const std::vector<uint32_t> away = okArea();
    const std::vector<uint32_t> firstText = textBox();
    screen.moveTo(kMessageOkX, kMessageOkY);
    std::vector<uint32_t> hovered;
    ASSERT_TRUE(readShown(okArea, hovered, [&](const std::vector<uint32_t>& ok) { return ok != away; }))
        << "the OK lights up under the pointer";
    ASSERT_TRUE(traceAfter(
        game, "System message MainMenu/SaveBlockedMessage.xml\n", [&] { screen.clickInPlace(); }, true));
    // The second message's text in the place of the first's.
    std::vector<uint32_t> text;
    ASSERT_TRUE(readShown(textBox, text, [&](const std::vector<uint32_t>& box) { return box != firstText; }))
        << "the next message shows";
    EXPECT_TRUE(until([&] { return green(okArea()) * 5 >= green(hovered) * 4; }))
        << "the next OK is drawn greyed";
    const auto underSecond = buttons();
    EXPECT_LE(underSecond, underFirst + underFirst / 10)
        << "the map's buttons look disabled, as under the first";
    ASSERT_TRUE(traceAfter(
        game, "System message closed\n", [&] { screen.clickInPlace(); }, true))
        << "a click without a move closes it\n"
        << game.traces();
    EXPECT_EQ(game.count("System message closed\n"), 3) << game.traces();
    EXPECT_TRUE(until([&] { return darkOf(textBox(), text) * 2 < darkOf(text); })) << "the message is gone";
    EXPECT_TRUE(until([&] { return buttons() > underFirst + underFirst / 4; }))
        << "the buttons light up: " << underFirst << ", " << underSecond << ", " << buttons();
    EXPECT_EQ(game.close(), 0) << game.traces();
}

const std::string kValues = kProfiles + "00000001.xml";
const std::string kSaved = kProfiles + "00000001.save";
const std::string kSettings = "share/Quillmoor/sys/settings.xml";
const std::string kBestTimes = "share/Quillmoor/besttimes.xml";

// The player's values, her save, the settings or the best times damaged in one way.
enum First
{
    notFirst,
    overMenu,
    atStart
};
struct Damage
{
    const char* damage;
    std::string file;
    std::function<void(const fs::path&)> make;
    // Told over the map; nothing when null.
    const char* told;
    // What will not be written, or the settings kept aside, is told first: over the main
    // menu, or (the settings, read as the program starts) over the logos; the message told.
    First toldFirst;
    const char* first;
    // The unfinished level is offered after the message.
    bool offered;
};

void PrintTo(const Damage& damage, std::ostream* out)
{
    *out << damage.damage;
}

// Every damage, as a test of its own: each plays the program up to the unfinished level.
std::vector<Damage> damages()
{
    const auto aFolder = [](const fs::path& file)
    {
        fs::remove(file);
        fs::create_directory(file);
    };
    // The best times as the game writes them (UTF-16), cut in half, random bytes, or nothing.
    std::string table = "\xFF\xFE";
    std::string random;
    std::mt19937 bytes(7);
    for (const char c :
         std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?><BestTimes><level "
                     "time=\"100\" name=\"Ann\" /><level time=\"101\" name=\"Bob\" /></BestTimes>"))
    {
        table += std::string{c, '\0'};
        random += std::string{static_cast<char>(bytes()), static_cast<char>(bytes())};
    }
    const auto writing = [](const std::string& text)
    { return [text](const fs::path& file) { std::ofstream(file, std::ios::binary) << text; }; };
    return {
        {"values cut short", kValues,
         [](const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); },
         "ValuesKeptMessage.xml", notFirst, nullptr, true},
        {"values emptied", kValues, [](const fs::path& file) { fs::resize_file(file, 0); },
         "ValuesKeptMessage.xml", notFirst, nullptr, true},
        {"values deleted", kValues, [](const fs::path& file) { fs::remove(file); },
         "ValuesMissingMessage.xml", notFirst, nullptr, true},
        {"a folder in place of the values", kValues, aFolder, "ValuesLeftMessage.xml", overMenu,
         "SaveFailedMessage.xml", true},
        {"a folder in place of the save", kSaved, aFolder, "SaveBlockedMessage.xml", notFirst, nullptr,
         false},
        {"settings that cannot be read", kSettings, [](const fs::path& file) { ::chmod(file.c_str(), 0); },
         nullptr, atStart, "SettingsLeftMessage.xml", true},
        {"settings of random bytes", kSettings, writing(random), nullptr, atStart, "SettingsKeptMessage.xml",
         true},
        {"best times cut in half", kBestTimes, writing(table.substr(0, table.size() / 4 * 2)),
         "BestTimesKeptMessage.xml", notFirst, nullptr, true},
        {"best times of random bytes", kBestTimes, writing(random), "BestTimesKeptMessage.xml", notFirst,
         nullptr, true},
        {"best times emptied", kBestTimes, writing(""), "BestTimesKeptMessage.xml", notFirst, nullptr, true},
    };
}

// The damage in words as the test's name: "values cut short" is ValuesCutShort.
std::string nameOf(const ::testing::TestParamInfo<Damage>& test)
{
    std::string name;
    std::istringstream words(test.param.damage);
    for (std::string word; words >> word;)
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(word[0]))) + word.substr(1);
    return name;
}

class SavesKept : public ::testing::TestWithParam<Damage>
{
};

TEST_P(SavesKept, ValuesClearedAreToldAndTheUnfinishedLevelGoesOn)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    const std::string save = unfinished(1);
    ASSERT_GT(save.size(), 8u) << "levelplay made no save";
    const std::string ownSettings =
        "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>";
    const Damage& damaged = GetParam();
    SCOPED_TRACE(damaged.damage);
    ::Test::TempDir folder;
    const fs::path path = putPlayer(folder, wonBefore(2), save);
    folder.write(kSettings, ownSettings);
    damaged.make(folder.path() / damaged.file);
    const std::string made = fs::is_regular_file(folder.path() / damaged.file)
                                 ? ::Test::readFile(folder.path() / damaged.file)
                                 : "";
    // Settings kept aside are told as such; what will not be written, as a failed write.
    const bool keptAside = damaged.first && std::string(damaged.first) == "SettingsKeptMessage.xml";
    const std::string firstTold =
        keptAside ? "CGameEngine settings loss told\n" : "CGameEngine save failure told: ";
    // As root (in CI) the game runs without root's power over permissions.
    ::Test::runUnprivileged(
        folder.path(),
        [&]
        {
            GameScreen screen;
            ASSERT_TRUE(screen.open()) << "no X display";
            GameProgram game(folder, "");
            const auto toldFirst = [&]
            {
                ASSERT_TRUE(game.expectTrace(firstTold));
                ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); }));
                ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "System message closed\n"));
                // Settings that were not read are told as such, not as a write that failed.
                EXPECT_EQ(game.count(std::string("MainMenu/") + damaged.first + "\n"), 1) << game.traces();
            };
            if (damaged.toldFirst == atStart)
            {
                ASSERT_NO_FATAL_FAILURE(toldFirst());
            }
            ASSERT_TRUE(toMenu(screen, game));
            if (damaged.toldFirst == overMenu)
            {
                ASSERT_NO_FATAL_FAILURE(toldFirst());
            }
            const std::string told =
                damaged.told ? std::string("System message MainMenu/") + damaged.told + "\n" : "";
            if (damaged.told)
            {
                ASSERT_TRUE(clickUntil(screen, game, kMenuPlayX, kMenuPlayY, told));
                EXPECT_EQ(game.count(told), 1) << game.traces();
            }
            if (damaged.offered)
            {
                ASSERT_TRUE(clickUntil(screen, game, damaged.told ? kMessageOkX : kMenuPlayX,
                                       damaged.told ? kMessageOkY : kMenuPlayY, "CDialogState Init\n"))
                    << "the unfinished level is offered after the message";
                ASSERT_NO_FATAL_FAILURE(continuesAsLeft(screen, game));
                if (damaged.told)
                {
                    EXPECT_EQ(game.count(told), 1) << "told once\n" << game.traces();
                }
            }
            else
            {
                ASSERT_TRUE(clickUntil(screen, game, kMessageOkX, kMessageOkY, "System message closed\n"));
                // Back to the menu and to the map again: told once.
                ASSERT_TRUE(clickUntil(screen, game, kMapMenuX, kMapMenuY, "CMenuState Init\n"));
                ASSERT_TRUE(clickUntil(screen, game, kMenuPlayX, kMenuPlayY, "CMapState Init\n"));
                EXPECT_EQ(game.count(told), 1) << game.traces();
                EXPECT_EQ(game.count("CDialogState Init\n"), 0) << "nothing to continue\n" << game.traces();
            }
            EXPECT_EQ(game.close(), 0) << game.traces();
            EXPECT_EQ(game.count("CGameEngine save failure told: "),
                      damaged.toldFirst != notFirst && !keptAside ? 1 : 0)
                << game.traces();
            EXPECT_EQ(game.count("CGameEngine settings loss told\n"), keptAside ? 1 : 0) << "told once\n"
                                                                                         << game.traces();
        });
    EXPECT_FALSE(fs::exists(path.string() + ".damaged")) << "nothing set aside";
    if (!damaged.offered)
    {
        EXPECT_TRUE(fs::is_directory(path)) << "the folder in place of the save stays as it is";
    }
    if (damaged.file == kBestTimes)
    {
        EXPECT_TRUE(fs::exists(folder.path() / (kBestTimes + ".damaged")));
        EXPECT_EQ(::Test::readFile(folder.path() / (kBestTimes + ".damaged")), made) << "set aside";
    }
    if (damaged.file == kSettings && keptAside)
    {
        EXPECT_EQ(::Test::readFile(folder.path() / (kSettings + ".damaged")), made) << "set aside";
        const std::string written = ::Test::readFile(folder.path() / kSettings);
        EXPECT_TRUE(!written.empty() && written != made) << "the game's own settings written in their place";
    }
    else if (damaged.file == kSettings)
    {
        ::chmod((folder.path() / kSettings).c_str(), 0600);
        EXPECT_EQ(::Test::readFile(folder.path() / kSettings), ownSettings)
            << "the settings stay as they are";
    }
}

INSTANTIATE_TEST_SUITE_P(Damaged, SavesKept, ::testing::ValuesIn(damages()), nameOf);

} // namespace
