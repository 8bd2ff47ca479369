// The real program plays at the player's volumes from its first sound, not at the machine's
// settings (70 and 80 in a new folder): started on a level from the command line and started
// at the main menu, its first music and its first effect start at the volumes the player saved.
#include "engine/devices/cSound.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// After the test framework: Xlib's macros clash with its names.
#include "tests/game/screens/display_test_tools.h"

namespace
{

using namespace DisplayTest;

// The volume the first sound of a group started at, from the program's traces; -1 before any.
int firstVolume(const GameProgram& game, int group)
{
    const std::string all = game.traces();
    const std::string mark = " starts in group " + std::to_string(group) + " at volume ";
    const size_t at = all.find(mark);
    return at == std::string::npos ? -1 : std::atoi(all.c_str() + at + mark.size());
}

// A level file of the source tree (or none: the logos and the main menu), the player's volumes,
// and a button whose hover sounds once the level runs or the menu stands.
struct Start
{
    const char* name;
    std::string level;
    int music, effects, buttonX, buttonY;
};

TEST(PlayerVolumes, TheFirstMusicAndTheFirstEffectStartAtThePlayersVolumes)
{
    ASSERT_TRUE(x().error.empty()) << x().error;
    GameScreen screen;
    ASSERT_TRUE(screen.open()) << "no X display";
    // The level's menu button in its status panel; the main menu's Play.
    const Start starts[] = {{"a level from the command line", "data/Levels/n3.xml", 33, 44, 992, 34},
                            {"the main menu", "", 0, 0, 820, 360}};
    for (const Start& start : starts)
    {
        SCOPED_TRACE(start.name);
        ::Test::TempDir folder;
        playedBefore(folder);
        folder.write("share/Quillmoor/profiles/00000001.xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Props>"
                     "<prop Name=\"SaveSettings\" Val=\"1\" Type=\"Bool\" />"
                     "<prop Name=\"MusicVolume\" Val=\"" +
                         std::to_string(start.music) + "\" Type=\"Int\" /><prop Name=\"SoundVolume\" Val=\"" +
                         std::to_string(start.effects) + "\" Type=\"Int\" /></Props>");
        GameProgram game(folder, start.level, start.level.empty() ? "" : QUILL_SOURCE_DIR,
                         "SDL_AUDIODRIVER=dummy");
        ASSERT_TRUE(until([&] { return screen.find("Quillmoor"); })) << "the game's window";
        if (start.level.empty())
            ASSERT_TRUE(skipLogos(screen, game));
        else
            ASSERT_TRUE(game.expectTrace("Briefing speaks\n") && readBriefing(screen, game)) << game.traces();
        // The pointer comes onto the button (again, should the first movement find it busy).
        for (int i = 0; i < 20 && firstVolume(game, Engine::cSound::SoundGroup) < 0; ++i)
        {
            screen.moveTo(start.buttonX - 200, start.buttonY + 200);
            screen.moveTo(start.buttonX, start.buttonY);
            game.waitFor(" starts in group 1 at volume ", 1, 1.0);
        }
        EXPECT_EQ(firstVolume(game, Engine::cSound::MusicGroup), Engine::cSound::groupVolumeOf(start.music))
            << game.traces();
        EXPECT_EQ(firstVolume(game, Engine::cSound::SoundGroup), Engine::cSound::groupVolumeOf(start.effects))
            << game.traces();
        EXPECT_EQ(game.close(), 0) << game.traces();
    }
}

} // namespace
