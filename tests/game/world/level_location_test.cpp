// A level file named by a path, as the program's command line and the tools name it: a file of
// the data folder plays as the game's own level, any other file from the disk as a level of no
// number, which leaves the player's saved level alone.
#include "game/world/LevelLocation.h"

#include "engine/core/cProps.h"
#include "game/world/LevelArchive.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

using namespace GameTest;

namespace
{

namespace fs = std::filesystem;

// The current folder changed for the life of the object.
class InFolder
{
public:
    explicit InFolder(const fs::path& folder) : m_before(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(m_before); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path m_before;
};

const std::string kData = std::string(QUILL_SOURCE_DIR) + "/data";

TEST(LevelLocation, AFileOfTheDataFolderIsTheGamesOwnLevelHoweverItIsNamed)
{
    GameFixture fixture;
    const Engine::cFileSystem& files = *fixture.files;

    LevelLocation level = LevelLocation::fromPath(kData + "/Levels/n3.xml", files);
    EXPECT_EQ(level.path, L"Levels/n3.xml");
    EXPECT_EQ(level.number, 3);
    level = LevelLocation::fromPath(kData + "/Levels/../Levels/n11.xml", files);
    EXPECT_EQ(level.path, L"Levels/n11.xml");
    EXPECT_EQ(level.number, 11);
    {
        InFolder source(QUILL_SOURCE_DIR);
        level = LevelLocation::fromPath("data/Levels/n3.xml", files);
        EXPECT_EQ(level.path, L"Levels/n3.xml") << "relative to the current folder";
        EXPECT_EQ(level.number, 3);
        level = LevelLocation::fromPath("data\\Levels\\n2.xml", files);
        EXPECT_EQ(level.path, L"Levels/n2.xml") << "backslashes";
        EXPECT_EQ(level.number, 2);
    }
    {
        // Through a link to the data folder, as the build folder's "Data" is one.
        ::Test::TempDir folder;
        fs::create_directory_symlink(kData, folder.path() / "Data");
        InFolder linked(folder.path());
        level = LevelLocation::fromPath("Data/Levels/n1.xml", files);
        EXPECT_EQ(level.path, L"Levels/n1.xml");
        EXPECT_EQ(level.number, 1);
    }
    // A name only the game's files know: a path in the data folder, from anywhere.
    {
        ::Test::TempDir elsewhere;
        InFolder away(elsewhere.path());
        level = LevelLocation::fromPath("Levels/n4.xml", files);
        EXPECT_EQ(level.path, L"Levels/n4.xml");
        EXPECT_EQ(level.number, 4);
        level = LevelLocation::fromPath("Game/Game.xml", files);
        EXPECT_EQ(level.path, L"Game/Game.xml");
        EXPECT_EQ(level.number, LevelLocation::kUnnumbered) << "not a level of the map";
    }
    EXPECT_EQ(LevelLocation::fromNumber(7).path, L"Levels/n7.xml");
    EXPECT_EQ(LevelLocation::fromNumber(7).number, 7);
}

TEST(LevelLocation, AnyOtherFileIsReadFromTheDiskAndHasNoNumber)
{
    GameFixture fixture;
    ::Test::TempDir folder;
    folder.write("my levels/street.xml", "<Level/>");
    folder.write("n3.xml", "<Level/>");
    const std::wstring street = Engine::fromUtf8((folder.path() / "my levels/street.xml").generic_string());

    LevelLocation level =
        LevelLocation::fromPath((folder.path() / "my levels/street.xml").string(), *fixture.files);
    EXPECT_EQ(level.path, street);
    EXPECT_TRUE(LevelLocation::isOnDisk(level.path));
    EXPECT_EQ(level.number, LevelLocation::kUnnumbered);
    {
        InFolder inside(folder.path() / "my levels");
        level = LevelLocation::fromPath("./street.xml", *fixture.files);
        EXPECT_EQ(level.path, street) << "relative to the current folder";
        level = LevelLocation::fromPath("../n3.xml", *fixture.files);
        EXPECT_EQ(level.path, Engine::fromUtf8((folder.path() / "n3.xml").generic_string()));
        EXPECT_EQ(level.number, LevelLocation::kUnnumbered) << "a copy named like level 3 is not level 3";
    }
    EXPECT_FALSE(LevelLocation::isOnDisk(L"Levels/n3.xml"));
}

TEST(LevelLocation, ALevelFromTheDiskPlaysAndLeavesThePlayersSavedLevelAlone)
{
    GameFixture fixture;
    fixture.startProfile();
    const std::string hall = "<Unit Type=\"TownHall\" Position=\"50;50\" Level=\"1\"><FreeCells>"
                             "<Cell Pos=\"2;2\"/></FreeCells></Unit>";
    // The player's own level 930, left half-played.
    Engine::cProps::set<int>(L"CurrentLevel", 930);
    Game& own = fixture.load(930, GameFixture::levelXml(hall));
    own.getController().init();
    fixture.run(20, 0.1f);
    own.leavePlay();
    const std::string path = GameConfig::instance().savePath();
    const std::string saved = fixture.readShared(path);
    ASSERT_FALSE(saved.empty());

    // A level of the player's own making, outside the data folder under a name of its own.
    ::Test::TempDir folder;
    folder.write(
        "Market Square.xml",
        GameFixture::levelXml(hall + "<Unit Type=\"Rubble\" Position=\"250;110\" TargetType=\"2\"/>"));
    const LevelLocation level =
        LevelLocation::fromPath((folder.path() / "Market Square.xml").string(), *fixture.files);
    level.select();
    EXPECT_EQ(LevelLocation::playedNumber(), LevelLocation::kUnnumbered);
    EXPECT_EQ(Engine::cProps::get<int>(L"CurrentLevel"), 930) << "the player's level stays hers";
    Game& game = fixture.newGame();
    game.loadLevel(level.number);
    EXPECT_EQ(game.getLevelPath(), level.path);
    ASSERT_TRUE(game.getUnits().count(typeId(L"Rubble"))) << "the file from the disk was read";
    game.getController().init();
    fixture.run(30, 0.1f);
    game.leavePlay();
    EXPECT_EQ(fixture.readShared(path), saved) << "the player's saved level is still level 930's";
    EXPECT_EQ(GameConfig::instance().savedLevelNumber(), 930);
    CGameEngine::instance().setLevelPath(L"");

    // A file that is not there fails with its path.
    CGameEngine::instance().setLevelPath(Engine::fromUtf8((folder.path() / "gone.xml").generic_string()));
    try
    {
        fixture.newGame().loadLevel(LevelLocation::kUnnumbered);
        ADD_FAILURE() << "a missing file loads";
    }
    catch (const std::string& text)
    {
        EXPECT_NE(text.find("gone.xml"), std::string::npos) << text;
    }
    CGameEngine::instance().setLevelPath(L"");
}

} // namespace
