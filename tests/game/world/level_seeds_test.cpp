// The saved levels the save fuzzers start from are continued on the shipped level each names:
// a seed made on a level that has changed since is refused at the first check of the restore,
// and every input the fuzzer makes from it with it. fuzz/make_level_seeds.sh makes them again.
// Beside them lie inputs that once broke the restore, each a seed with one record changed: each
// is still refused for what it holds, not for a level that no longer fits it.
#include "engine/core/FileUtils.h"
#include "engine/core/cProps.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

using namespace GameTest;

namespace
{

// The findings and the check that refuses each.
const std::map<std::string, std::string> kFindings = {
    {"saved_level/hero-offset-off-the-grid", "a unit stands outside the grid"},
    {"controller_restore/goal-route-off-the-grid", "a goal whose route leaves the grid"},
};

TEST(LevelSeeds, EverySeedOfTheSaveFuzzersIsContinuedOnItsLevelAndEveryFindingRefusedForWhatItHolds)
{
    GameFixture fixture;
    fixture.startProfile();
    // Every level won, as the fuzzers' player has: a save of any level is the player's.
    for (int level = 0; level < GameConfig::instance().getConstants().LevelsCount; ++level)
        Engine::cProps::set<int>(L"Level" + std::to_wstring(level), 0);
    const std::string path = GameConfig::instance().savePath();
    int seeds = 0;
    size_t findings = 0;
    for (const char* corpus : {"saved_level", "controller_restore"})
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUILL_SOURCE_DIR) /
                                                                     "fuzz" / "corpus" / corpus))
        {
            const std::string name = std::string(corpus) + "/" + entry.path().filename().string();
            SCOPED_TRACE(name);
            const std::string bytes = ::Test::readFile(entry.path());
            Engine::writeWholeFile(path, bytes.data(), bytes.size());
            Game& game = fixture.newGame();
            const bool continued = game.restoreLevel();
            const std::string error = game.getRestoreError();
            fixture.game.reset();
            if (fixture.files->isKnown(path + ".damaged"))
                fixture.files->removeFile(path + ".damaged");
            if (const auto finding = kFindings.find(name); finding != kFindings.end())
            {
                EXPECT_FALSE(continued);
                EXPECT_NE(error.find(finding->second), std::string::npos)
                    << error << "\n(make it again from a seed of the level as it is now)";
                ++findings;
                continue;
            }
            std::smatch level;
            const std::string file = entry.path().filename().string();
            if (!std::regex_match(file, level, std::regex("n([0-9]+)_.*\\.save")))
            {
                ADD_FAILURE() << "a seed's name begins with its level; a finding is listed above";
                continue;
            }
            int32_t saved = -1;
            std::memcpy(&saved, bytes.data(), std::min(bytes.size(), sizeof saved));
            EXPECT_EQ(saved, std::stoi(level[1]));
            EXPECT_TRUE(continued) << error << "\n(make the seeds again with fuzz/make_level_seeds.sh)";
            ++seeds;
        }
    EXPECT_GE(seeds, 2);
    EXPECT_EQ(findings, kFindings.size());
}

} // namespace
