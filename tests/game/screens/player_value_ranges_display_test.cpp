// The real program started by a player whose values file holds values out of their ranges (a
// hand-edited or damaged profile): it goes to the main menu and ends. The player's files are
// written back within the ranges and with the modes a player's own files have.
#include "engine/core/ProfileFiles.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path)
{
    struct stat status
    {
    };
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

TEST(PlayerValueRangesProgram, ValuesOutOfRangeAreWrittenBackAsTheNearerEndInFilesOfTheirOwnersMode)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    ::Test::TempDir folder;
    const fs::path shared = folder.path() / "share/Quillmoor";
    const fs::path list =
        folder.write("share/Quillmoor/profiles/profiles.xml",
                     ConfigTest::utf16(Engine::profilesFileText(2, L"ada", false, {{L"ada", 1}})));
    const fs::path values =
        folder.write("share/Quillmoor/profiles/00000001.xml",
                     ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Props>"
                                       L"<prop Name=\"Level0\" Val=\"-5\" Type=\"Int\" />"
                                       L"<prop Name=\"Level1\" Val=\"77\" Type=\"Int\" />"
                                       L"<prop Name=\"MusicVolume\" Val=\"500\" Type=\"Int\" />"
                                       L"<prop Name=\"Big\" Val=\"99999999999\" Type=\"UInt\" />"
                                       L"<prop Name=\"Minus\" Val=\"-1\" Type=\"UInt\" />"
                                       L"<prop Name=\"SaveSettings\" Val=\"1\" Type=\"Bool\" /></Props>"));
    // Written again, the list stays open to the group; the values stay the owner's alone.
    fs::permissions(list, static_cast<fs::perms>(0640));
    fs::permissions(values, static_cast<fs::perms>(0600));

    // Without a umask, only the program decides the mode of the files it makes.
    const mode_t umaskBefore = ::umask(0);
    GameProgram game(folder, "", "", "SDL_AUDIODRIVER=dummy");
    ::umask(umaskBefore);
    ASSERT_TRUE(game.expectTrace("CIntroState Init\n"));
    ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
    ASSERT_TRUE(skipLogos(screen, game));
    EXPECT_EQ(game.close(), 0) << game.traces();

    const std::string saved = ::Test::readFile(values);
    for (const wchar_t* prop : {L"<prop Name=\"Level0\" Val=\"0\" Type=\"Int\" />",
                                L"<prop Name=\"Level1\" Val=\"2\" Type=\"Int\" />",
                                L"<prop Name=\"MusicVolume\" Val=\"100\" Type=\"Int\" />",
                                L"<prop Name=\"Big\" Val=\"4294967295\" Type=\"UInt\" />",
                                L"<prop Name=\"Minus\" Val=\"0\" Type=\"UInt\" />"})
        EXPECT_NE(saved.find(ConfigTest::utf16(prop, false)), std::string::npos) << prop;
    EXPECT_EQ(modeOf(shared / "sys/settings.xml"), 0600u) << "a file the program made";
    EXPECT_EQ(modeOf(list), 0640u);
    EXPECT_EQ(modeOf(values), 0600u);
}

} // namespace
