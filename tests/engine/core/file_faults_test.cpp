// Writes and reads the disk refuses: a failed write at any step keeps the old file and leaves
// no temporary one, a crash's temporary files go at the next start, a damaged file is set aside
// without replacing an earlier copy, a shared copy that cannot be opened gives way to the
// data's, and the settings are bounded, written when they change and never written over a file
// that could not be read.
#include "engine/core/FileUtils.h"
#include "engine/core/FromString.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cAtomicFileStream.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "tests/engine/core/config_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace
{

using Engine::cSettings;
using Engine::eFileStep;

const std::string SettingsPath = "sys/settings.xml";

class FileFaults : public ConfigTest::EngineFolders
{
protected:
    void SetUp() override
    {
        EngineFolders::SetUp();
        Engine::resetSaveFailures();
    }
    void settingsFile(const std::string& groups) const
    {
        data(SettingsPath,
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings>" + groups + "</settings>\n");
    }
    // Writes through the program's one writer; the reason when it fails.
    static std::string write(const std::string& path, const std::string& bytes)
    {
        try
        {
            Engine::writeWholeFile(path, bytes.data(), bytes.size());
            return std::string();
        }
        catch (const std::string& reason)
        {
            return reason;
        }
    }
    void expectOnly(const std::string& path, const std::string& bytes) const
    {
        EXPECT_EQ(shared(path), bytes);
        EXPECT_FALSE(sharedExists(path + ".tmp"));
    }
};

TEST_F(FileFaults, AWriteThatFailsAtAnyStepKeepsTheOldFile)
{
    // Named in another case on disk than the game asks for it: the failure names it as on disk.
    putShared("saves/Kept.XML", "old");
    start();
    ASSERT_EQ(write("saves/a.save", "old"), "");
    const struct
    {
        eFileStep step;
        int error;
        const char* reason;
    } failures[] = {
        {eFileStep::create, EROFS, "Read-only file system"},
        {eFileStep::write, ENOSPC, "No space left on device"},
        {eFileStep::sync, EIO, "Input/output error"},
        {eFileStep::rename, EACCES, "Permission denied"},
    };
    for (const std::string onDisk : {"saves/a.save", "saves/Kept.XML"})
        for (const auto& failure : failures)
        {
            SCOPED_TRACE(onDisk + ": " + failure.reason);
            ::Test::DiskFaults disk({{failure.step, onDisk, failure.error}});
            const std::string reason = write(Engine::normalizePath(onDisk), "new");
            EXPECT_NE(reason.find("Can't write file \"" + (sharedFolder() / onDisk).string() + "\""),
                      std::string::npos)
                << reason;
            EXPECT_NE(reason.find(failure.reason), std::string::npos) << reason;
            EXPECT_EQ(disk.hits(), 1);
            expectOnly(onDisk, "old");
        }
    restart();
    EXPECT_TRUE(Engine::cFileSystem::instance()->isKnown("saves/a.save"));
}

// The kernel's own full disk: the temporary file is the device that is always full.
TEST_F(FileFaults, ARealFullDiskKeepsTheOldFile)
{
    start();
    ASSERT_EQ(write("saves/a.save", "old"), "");
    std::filesystem::create_symlink("/dev/full", sharedFolder() / "saves/a.save.tmp");
    const std::string reason = write("saves/a.save", std::string(100000, 'n'));
    EXPECT_NE(reason.find("No space left on device"), std::string::npos) << reason;
    expectOnly("saves/a.save", "old");
}

TEST_F(FileFaults, AFullSmallDiskKeepsTheOldFile)
{
    ::Test::TempDir folder;
    ::Test::SmallDisk disk(folder.path() / "disk", 64 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << disk.why() << "; the injected and the device's full disk stand in for it";
    const std::string path = (folder.path() / "disk" / "a.save").string();
    {
        Engine::cAtomicFileStream old(path);
        old.write("old", 3);
    }
    disk.fill();
    Engine::cAtomicFileStream stream(path);
    const std::string bytes(200000, 'n');
    stream.write(bytes.data(), static_cast<unsigned>(bytes.size()));
    stream.close();
    EXPECT_FALSE(stream.committed());
    EXPECT_EQ(stream.failureText(), "No space left on device");
    EXPECT_EQ(::Test::readFile(path), "old");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(FileFaults, TheTemporaryFilesOfACrashGoAtTheNextStart)
{
    putShared("profiles/profiles.xml", "list");
    putShared("profiles/profiles.xml.tmp", "half a list");
    putShared("profiles/00000001.save.tmp", "half a save");
    putShared("besttimes.xml.tmp", "");
    start();
    EXPECT_FALSE(sharedExists("profiles/profiles.xml.tmp"));
    EXPECT_FALSE(sharedExists("profiles/00000001.save.tmp"));
    EXPECT_FALSE(sharedExists("besttimes.xml.tmp"));
    EXPECT_EQ(shared("profiles/profiles.xml"), "list");
    EXPECT_FALSE(Engine::cFileSystem::instance()->isKnown("profiles/profiles.xml.tmp"));
    EXPECT_NE(ConfigTest::readLog("files").find(
                  "profiles.xml.tmp\", left by a write that did not end, was removed"),
              std::string::npos);
}

TEST_F(FileFaults, ADamagedFileIsSetAsideBesideItsEarlierCopies)
{
    data("sys/thing.xml", "shipped");
    putShared("sys/thing.xml", "first");
    start();
    Engine::cFileSystem& files = *Engine::cFileSystem::instance();
    EXPECT_EQ(files.setAside("sys/thing.xml"), "sys/thing.xml.damaged");
    EXPECT_FALSE(files.isInCommon("sys/thing.xml"));
    EXPECT_TRUE(files.isKnown("sys/thing.xml")) << "the data copy is seen again";
    EXPECT_TRUE(files.isInCommon("sys/thing.xml.damaged"));
    ASSERT_EQ(write("sys/thing.xml", "second"), "");
    EXPECT_EQ(files.setAside("sys/thing.xml"), "sys/thing.xml.damaged-2");
    EXPECT_EQ(shared("sys/thing.xml.damaged"), "first");
    EXPECT_EQ(shared("sys/thing.xml.damaged-2"), "second");
    EXPECT_THROW(files.setAside("sys/thing.xml"), std::string) << "only the shared folder's files";
    {
        ::Test::DiskFaults disk({{eFileStep::remove, "", EROFS}});
        ASSERT_EQ(write("sys/thing.xml", "third"), "");
        EXPECT_THROW(files.setAside("sys/thing.xml"), std::string);
    }
    EXPECT_EQ(shared("sys/thing.xml"), "third");
}

TEST_F(FileFaults, ASharedCopyThatCannotBeOpenedGivesWayToTheDataCopy)
{
    settingsFile("<graphics width=\"1024\" height=\"768\"/>");
    const std::string players =
        ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>"
                          L"<graphics fullscreen=\"1\" height=\"600\" width=\"800\" /></main>");
    putShared(SettingsPath, players);
    start();
    {
        ::Test::DiskFaults disk({{eFileStep::read, SettingsPath, EACCES}});
        cSettings settings(SettingsPath);
        int width = 0;
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_EQ(width, 1024);
        settings.set(L"graphics", L"fullscreen", false);
    }
    EXPECT_EQ(shared(SettingsPath), players) << "never written over";
    EXPECT_EQ(Engine::saveFailureCount(), 1) << "the player is told that his settings are not saved";
    EXPECT_NE(
        ConfigTest::readLog("files").find("it is left as it is and the data folder's copy is read instead"),
        std::string::npos);
    // Readable again, it is the player's once more.
    restart();
    cSettings settings(SettingsPath);
    int width = 0;
    settings.get(L"graphics", L"width", width);
    EXPECT_EQ(width, 800);
}

TEST_F(FileFaults, AFolderInPlaceOfTheSettingsIsLeftAlone)
{
    settingsFile("<graphics width=\"1024\" height=\"768\"/>");
    std::filesystem::create_directories(sharedFolder() / SettingsPath / "inside");
    start();
    {
        cSettings settings(SettingsPath);
        int width = 0;
        settings.get(L"graphics", L"width", width);
        EXPECT_EQ(width, 1024);
        EXPECT_NO_THROW(settings.set(L"graphics", L"fullscreen", true));
    }
    EXPECT_TRUE(std::filesystem::is_directory(sharedFolder() / SettingsPath / "inside"));
    EXPECT_GE(Engine::saveFailureCount(), 1);
}

TEST_F(FileFaults, WindowSizesThatAreNoSizesTakeTheShippedOne)
{
    for (const char* sizes :
         {"width=\"1024\" height=\"1\"", "width=\"1e300\" height=\"768\"", "width=\"800\" height=\"abc\"",
          "width=\"\" height=\"600\"", "width=\"-800\" height=\"600\"",
          "width=\"99999999999999999999\" height=\"600\""})
    {
        SCOPED_TRACE(sizes);
        settingsFile(std::string("<graphics ") + sizes + "/>");
        std::filesystem::remove(sharedFolder() / SettingsPath);
        start();
        {
            cSettings settings(SettingsPath);
            int width = 0;
            int height = 0;
            settings.get(L"graphics", L"width", width);
            settings.get(L"graphics", L"height", height);
            EXPECT_EQ(width, cSettings::DefaultWindowWidth);
            EXPECT_EQ(height, cSettings::DefaultWindowHeight);
        }
        EXPECT_NE(shared(SettingsPath).find(ConfigTest::utf16(L"height=\"768\" width=\"1024\"", false)),
                  std::string::npos);
        stop();
    }
    settingsFile("<graphics width=\"240\" height=\"300\"/>");
    std::filesystem::remove(sharedFolder() / SettingsPath);
    start();
    cSettings settings(SettingsPath);
    int width = 0;
    settings.get(L"graphics", L"width", width);
    EXPECT_EQ(width, cSettings::MinWindowSide) << "the smallest side is taken";
}

TEST_F(FileFaults, ASettingIsWrittenWhenItChanges)
{
    settingsFile("<graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/>");
    start();
    cSettings settings(SettingsPath);
    EXPECT_FALSE(sharedExists(SettingsPath));
    settings.set(L"graphics", L"fullscreen", false);
    EXPECT_FALSE(sharedExists(SettingsPath)) << "nothing changed";
    settings.set(L"graphics", L"fullscreen", true);
    EXPECT_NE(shared(SettingsPath).find(ConfigTest::utf16(L"fullscreen=\"1\"", false)), std::string::npos)
        << "a crash from now on keeps the change";
    {
        ::Test::DiskFaults disk({{eFileStep::write, "settings.xml", ENOSPC}});
        EXPECT_NO_THROW(settings.set(L"graphics", L"fullscreen", false));
    }
    EXPECT_EQ(Engine::saveFailureCount(), 1);
    EXPECT_NE(shared(SettingsPath).find(ConfigTest::utf16(L"fullscreen=\"1\"", false)), std::string::npos);
}

// The player's settings as the game would not write them (blanks of its own): a file that
// keeps them was not written again.
std::string handWrittenSettings(bool fullscreen)
{
    return ConfigTest::utf16(
        std::wstring(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main><graphics  fullscreen=\"") +
        (fullscreen ? L"1" : L"0") + L"\"  height=\"768\" width=\"1024\"/></main>");
}

TEST_F(FileFaults, SettingsAreWrittenAtExitOnlyWhenTheFileLacksAChange)
{
    settingsFile("<graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/>");
    putShared(SettingsPath, handWrittenSettings(true));
    start();
    // Nothing changed: the player's file is not written.
    {
        cSettings settings(SettingsPath);
        int width = 0;
        settings.get(L"graphics", L"width", width);
    }
    EXPECT_EQ(shared(SettingsPath), handWrittenSettings(true));
    stop();

    // Written when it changed, and not again at exit.
    start();
    {
        cSettings settings(SettingsPath);
        settings.set(L"graphics", L"fullscreen", false);
        EXPECT_NE(shared(SettingsPath).find(ConfigTest::utf16(L"fullscreen=\"0\"", false)),
                  std::string::npos);
        putShared(SettingsPath, handWrittenSettings(false));
    }
    EXPECT_EQ(shared(SettingsPath), handWrittenSettings(false)) << "not written again at exit";
    stop();

    // A change whose write failed is written at exit.
    putShared(SettingsPath, handWrittenSettings(true));
    start();
    {
        cSettings settings(SettingsPath);
        {
            ::Test::DiskFaults disk({{eFileStep::write, "settings.xml", ENOSPC}});
            settings.set(L"graphics", L"fullscreen", false);
        }
        EXPECT_EQ(shared(SettingsPath), handWrittenSettings(true));
    }
    EXPECT_NE(shared(SettingsPath).find(ConfigTest::utf16(L"fullscreen=\"0\"", false)), std::string::npos)
        << "the change the disk did not take is written at exit";
}

TEST(FromStringExact, OnlyAWholeNumberOfTheType)
{
    unsigned time = 7;
    EXPECT_TRUE(Engine::fromStringExact(time, L" 95 "));
    EXPECT_EQ(time, 95u);
    for (const wchar_t* text : {L"-100", L"1e400", L"12abc", L"", L" ", L"4294967296", L"0x10", L"1.5"})
    {
        time = 7;
        EXPECT_FALSE(Engine::fromStringExact(time, text)) << Engine::toUtf8(text);
        EXPECT_EQ(time, 7u);
    }
    int side = 0;
    EXPECT_TRUE(Engine::fromStringExact(side, L"-5"));
    EXPECT_EQ(side, -5);
    long long big = 0;
    EXPECT_TRUE(Engine::fromStringExact(big, L"2147483648"));
    EXPECT_FALSE(Engine::fromStringExact(big, L"1e300"));
}

} // namespace
