// The saved levels the save fuzzers start from are continued on the shipped level each names:
// a seed made on a level that has changed since is refused at the first check of the restore,
// and every input the fuzzer makes from it with it. fuzz/make_level_seeds.sh makes them again.
#include "engine/core/FileUtils.h"
#include "engine/core/cProps.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>

using namespace GameTest;

namespace
{

TEST(LevelSeeds, EverySeedOfTheSaveFuzzersIsContinuedOnTheLevelItsNameGives)
{
    GameFixture fixture;
    fixture.startProfile();
    // Every level won, as the fuzzers' player has: a save of any level is the player's.
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
        Engine::cProps::set<int>(L"Level" + std::to_wstring(level), 0);
    const std::string path = GameConfig::instance().savePath();
    int seeds = 0;
    for (const char* corpus : {"saved_level", "controller_restore"})
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUILL_SOURCE_DIR) /
                                                                     "fuzz" / "corpus" / corpus))
        {
            const std::string name = entry.path().filename().string();
            SCOPED_TRACE(std::string(corpus) + "/" + name + " (remake it with fuzz/make_level_seeds.sh)");
            std::smatch level;
            if (!std::regex_match(name, level, std::regex("n([0-9]+)_.*\\.save")))
            {
                ADD_FAILURE() << "a seed's name begins with its level";
                continue;
            }
            const std::string bytes = ::Test::readFile(entry.path());
            int32_t saved = -1;
            std::memcpy(&saved, bytes.data(), std::min(bytes.size(), sizeof saved));
            EXPECT_EQ(saved, std::stoi(level[1]));
            Engine::writeWholeFile(path, bytes.data(), bytes.size());
            Game& game = fixture.newGame();
            EXPECT_TRUE(game.restoreLevel()) << game.getRestoreError();
            fixture.game.reset();
            if (fixture.files->isKnown(path + ".damaged"))
                fixture.files->removeFile(path + ".damaged");
            ++seeds;
        }
    EXPECT_GE(seeds, 2);
}

} // namespace
