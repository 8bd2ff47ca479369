// The real program started by a player whose stored values are out of range (a hand-edited
// profile and settings file): the settings it writes hold them within range.
#include "engine/core/ProfileFiles.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

TEST(PlayerValuesProgram, VolumesAndSpriteCountOutOfRangeAreSavedWithinIt)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    const std::string shared = "share/Quillmoor/";
    folder.write(shared + "sys/settings.xml",
                 "<settings><graphics width=\"1024\" height=\"768\" "
                 "reserve_sprite_count=\"-1\"/><Sound Music=\"70\" Sound=\"80\"/></settings>");
    folder.write(shared + "profiles/profiles.xml",
                 ConfigTest::utf16(Engine::profilesFileText(2, L"ada", false, {{L"ada", 1}})));
    folder.write(shared + "profiles/00000001.xml",
                 ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Props>"
                                   L"<prop Name=\"SaveSettings\" Val=\"1\" Type=\"Bool\" />"
                                   L"<prop Name=\"MusicVolume\" Val=\"500\" Type=\"Int\" />"
                                   L"<prop Name=\"SoundVolume\" Val=\"64\" Type=\"Int\" /></Props>"));

    GameProgram game(folder, "", "", "SDL_AUDIODRIVER=dummy");
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));
    EXPECT_EQ(game.close(), 0) << game.traces();
    const std::string saved = ::Test::readFile(folder.path() / shared / "sys/settings.xml");
    for (const wchar_t* value : {L"Music=\"100\"", L"Sound=\"64\"", L"reserve_sprite_count=\"1\""})
        EXPECT_NE(saved.find(ConfigTest::utf16(value, false)), std::string::npos) << value;
}

} // namespace
