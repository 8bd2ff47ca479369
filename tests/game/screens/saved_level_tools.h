#pragma once
// What the display tests of the player's unfinished level share: the places they click, a player
// with her values and save, a save made by levelplay, the level the program last wrote into the
// player's values, and the way to the main menu.
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace DisplayTest
{

// Places on the 1024 x 768 screen, from the layouts: the main menu's play button, the map's
// button back to the menu, the OK of a message.
constexpr int kMenuPlayX = 820;
constexpr int kMenuPlayY = 360;
constexpr int kMapMenuX = 100;
constexpr int kMapMenuY = 712;
constexpr int kMessageOkX = 512;
constexpr int kMessageOkY = 472;

// A whole number of a player's values file.
inline std::string prop(const std::string& name, int value)
{
    return "<prop Name=\"" + name + "\" Val=\"" + std::to_string(value) + "\" Type=\"Int\"/>";
}

// Values that have won every level before `reached` (with no medal) and stand at it.
inline std::string wonBefore(int reached)
{
    std::string values = prop("CurrentLevel", reached);
    for (int won = 0; won < reached; ++won)
        values += prop("Level" + std::to_string(won), 0);
    return values;
}

// Ada (ID 1) plays now, with `values` (the props of her values file) and `save` as her
// unfinished level. The path of the save.
inline std::filesystem::path putPlayer(const ::Test::TempDir& folder, const std::string& values,
                                       const std::string& save)
{
    playedBefore(folder);
    folder.write("share/Quillmoor/profiles/00000001.xml",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Props>" + values + "</Props>");
    return folder.write("share/Quillmoor/profiles/00000001.save", save);
}

// The unfinished `level` as the game leaves it after three seconds of play (made by levelplay,
// which ends with 1: the level was not won); empty when levelplay made none.
inline std::string unfinished(int level)
{
    ::Test::TempDir made;
    const std::filesystem::path script = made.write("left.play", "at 3 save\n");
    const std::string command = "QUILLMOOR_HEADLESS=1 SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 '" +
                                std::string(QUILL_BINARY_DIR) + "/tools/levelplay' --keep-saves '" +
                                (made.path() / "saves").string() + "' " + std::to_string(level) + " '" +
                                script.string() + "' >/dev/null 2>&1";
    std::system(command.c_str());
    const std::filesystem::path save = made.path() / "saves" / "save-1.bin";
    return std::filesystem::exists(save) ? ::Test::readFile(save) : std::string();
}

// "CurrentLevel" as the program last wrote Ada's (ID 1) values (UTF-16: their low bytes are
// read); -100 when they hold none.
inline int currentLevel(const ::Test::TempDir& folder)
{
    std::string text;
    for (char c : folder.read("share/Quillmoor/profiles/00000001.xml"))
        if (c != '\0')
            text += c;
    std::smatch found;
    return std::regex_search(text, found, std::regex("Name=\"CurrentLevel\" Val=\"(-?[0-9]+)\""))
               ? std::stoi(found[1])
               : -100;
}

// The program started without a level, up to its main menu.
inline ::testing::AssertionResult toMenu(GameScreen& screen, const GameProgram& game)
{
    if (::testing::AssertionResult started = game.expectTrace("CIntroState Init\n"); !started)
        return started;
    if (!until([&] { return screen.find("Quillmoor"); }))
        return ::testing::AssertionFailure() << "no game window";
    return skipLogos(screen, game);
}

} // namespace DisplayTest
