// The player's saved level against the disk and against saves no play makes: a save that
// cannot be opened (also by its permissions, proven without root's power over them where the
// tests run as root) or that is no regular file stays as it is, a clock no play reaches is
// refused, a level beyond the player's values is continued, and leaving a level on a disk that
// cannot take the save keeps the old one and the game going.
#include "engine/core/FileUtils.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cProps.h"
#include "game/world/LevelArchive.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kLevel = GameFixture::roadLevelXml();

class SaveFaults : public ::testing::Test
{
protected:
    SaveFaults()
    {
        Engine::resetSaveFailures();
        fixture.startProfile();
        Engine::cProps::set<int>(L"CurrentLevel", 940);
        Game& game = fixture.load(940, kLevel);
        game.getController().init();
        fixture.run(30, 0.1f);
        saved = game.saveLevelBytes();
        fixture.game.reset();
        path = GameConfig::instance().savePath();
    }

    void put(const std::vector<uint8_t>& bytes) const
    {
        Engine::writeWholeFile(path, bytes.data(), bytes.size());
    }
    std::string onDisk() const { return fixture.readShared(path); }
    std::filesystem::path diskPath() const
    {
        return std::filesystem::path(Engine::toUtf8(fixture.files->getCommonFolder())) / path;
    }

    GameFixture fixture;
    std::vector<uint8_t> saved;
    std::string path;
};

TEST_F(SaveFaults, ASaveThatCannotBeOpenedIsLeftAsItIs)
{
    put(saved);
    {
        ::Test::DiskFaults disk({{Engine::eFileStep::read, ".save", EACCES}});
        Game& game = fixture.newGame();
        EXPECT_FALSE(game.restoreLevel());
        EXPECT_NE(game.getRestoreError().find("cannot be read"), std::string::npos) << game.getRestoreError();
        EXPECT_NE(game.getRestoreError().find("it is left as it is"), std::string::npos);
        EXPECT_NE(game.getRestoreError().find("Permission denied"), std::string::npos);
        fixture.game.reset();
    }
    EXPECT_TRUE(fixture.files->isKnown(path));
    EXPECT_EQ(onDisk(), std::string(saved.begin(), saved.end()));
    EXPECT_FALSE(fixture.files->isKnown(path + ".damaged"));
    // Readable again, it is continued.
    EXPECT_TRUE(fixture.newGame().restoreLevel()) << fixture.game->getRestoreError();
}

TEST_F(SaveFaults, ASaveUnreadableByItsPermissionsIsLeftAsItIs)
{
    put(saved);
    // As root (in CI) the test gives up root's power over permissions: root reads any file.
    const std::filesystem::path home = std::filesystem::path(Engine::toUtf8(fixture.files->getCommonFolder()))
                                           .parent_path()
                                           .parent_path()
                                           .parent_path();
    ::Test::runUnprivileged(home,
                            [&]
                            {
                                ::chmod(diskPath().c_str(), 0);
                                ASSERT_FALSE(std::ifstream(diskPath()).is_open()) << "the permissions hold";
                                Game& game = fixture.newGame();
                                EXPECT_FALSE(game.restoreLevel());
                                EXPECT_NE(game.getRestoreError().find("Permission denied"), std::string::npos)
                                    << game.getRestoreError();
                                fixture.game.reset();
                                ::chmod(diskPath().c_str(), 0644);
                                EXPECT_EQ(onDisk(), std::string(saved.begin(), saved.end()));
                                EXPECT_FALSE(fixture.files->isKnown(path + ".damaged"));
                            });
}

TEST_F(SaveFaults, ASaveThatIsNoRegularFileIsNeverReplaced)
{
    std::filesystem::create_symlink("/dev/zero", diskPath());
    EXPECT_FALSE(GameConfig::instance().hasSavedLevel());
    Game& game = fixture.load(940, kLevel);
    game.getController().init();
    fixture.run(10, 0.1f);
    EXPECT_FALSE(game.saveLevel());
    EXPECT_TRUE(std::filesystem::is_symlink(diskPath()));
    EXPECT_EQ(std::filesystem::read_symlink(diskPath()), "/dev/zero");
    EXPECT_EQ(Engine::saveFailureCount(), 1);
}

TEST_F(SaveFaults, AClockNoPlayReachesIsRefusedOnReading)
{
    std::vector<uint8_t> bytes = saved;
    for (size_t i = 4; i < 8; ++i)
        bytes[i] = 0xFF;
    put(bytes);
    Game& game = fixture.newGame();
    EXPECT_FALSE(game.restoreLevel());
    EXPECT_NE(game.getRestoreError().find("a level clock of 4294967295 seconds"), std::string::npos)
        << game.getRestoreError();
    EXPECT_EQ(fixture.readShared(path + ".damaged"), std::string(bytes.begin(), bytes.end()));

    // The longest clock a save holds is taken and saved again as it is.
    bytes = saved;
    const uint32_t longest = Game::MaxSavedClock;
    for (size_t i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<uint8_t>(longest >> (8 * i));
    fixture.game.reset();
    Game& again = fixture.newGame();
    ASSERT_NO_THROW(again.restoreLevelBytes(bytes, path));
    EXPECT_EQ(again.saveLevelBytes(), bytes);
}

TEST_F(SaveFaults, ASaveOfALevelBeyondThePlayersValuesIsContinued)
{
    // The save the game wrote outlives values cleared since: its level becomes the player's.
    put(saved);
    Engine::cProps::set<int>(L"CurrentLevel", 0);
    Engine::cProps::set<int>(L"Level0", 1);
    EXPECT_TRUE(fixture.newGame().restoreLevel()) << fixture.game->getRestoreError();
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 940);
}

TEST_F(SaveFaults, LeavingALevelOnAFullDiskKeepsTheOldSaveAndTheGameGoesOn)
{
    put(saved);
    Game& game = fixture.newGame();
    ASSERT_TRUE(game.restoreLevel()) << game.getRestoreError();
    fixture.run(40, 0.1f);
    int told = 0;
    Engine::setSaveFailureListener([&](Engine::eSavedFile, const std::string&) { ++told; });
    {
        ::Test::DiskFaults disk({{Engine::eFileStep::write, ".save", ENOSPC}});
        EXPECT_NO_THROW(game.leavePlay());
        EXPECT_FALSE(game.saveLevel());
    }
    Engine::setSaveFailureListener({});
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Engine::saveFailureCount(), 2);
    EXPECT_EQ(onDisk(), std::string(saved.begin(), saved.end())) << "the save from before is whole";
    EXPECT_FALSE(std::filesystem::exists(diskPath().string() + ".tmp"));
    // With room again, the level is saved.
    EXPECT_TRUE(game.saveLevel());
    EXPECT_NE(onDisk(), std::string(saved.begin(), saved.end()));
}

} // namespace
