#pragma once
// What the display tests of the player's unfinished level share: a save made by levelplay, the
// level the program last wrote into the player's values, and the way to the main menu.
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace DisplayTest
{

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
