// Something that is no regular file where a player's file belongs (a link to /dev/zero, a named
// pipe, a link that leads nowhere, a folder) is never opened and never replaced: the reader
// tells it and leaves it as it is, and no write goes over it.
#include "engine/core/FileUtils.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cSettings.h"
#include "tests/engine/core/config_test_tools.h"
#include "tests/engine/core/profile_test_tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace
{

namespace fs = std::filesystem;
using Engine::cProps;
using ProfileTest::List;
using IrregularFiles = ProfileTest::PlayerFiles;

struct Kind
{
    const char* told;
    std::function<void(const fs::path&)> make;
    std::function<bool(const fs::path&)> isThere;
};

const Kind Kinds[] = {
    {"a link to a character device", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
     [](const fs::path& at) { return fs::is_symlink(at) && fs::read_symlink(at) == "/dev/zero"; }},
    {"a named pipe", [](const fs::path& at) { ::mkfifo(at.c_str(), 0644); },
     [](const fs::path& at) { return fs::is_fifo(fs::symlink_status(at)); }},
    {"a link that leads nowhere", [](const fs::path& at) { fs::create_symlink("nowhere/at/all", at); },
     [](const fs::path& at) { return fs::is_symlink(at) && !fs::exists(at); }},
    {"a folder", [](const fs::path& at) { fs::create_directories(at / "inside"); },
     [](const fs::path& at) { return fs::is_directory(at / "inside"); }},
};

TEST_F(IrregularFiles, NoWriteGoesOverSomethingThatIsNoRegularFile)
{
    for (const Kind& kind : Kinds)
    {
        SCOPED_TRACE(kind.told);
        const fs::path at = sharedFolder() / "kept.xml";
        fs::remove_all(at);
        kind.make(at);
        EXPECT_EQ(Engine::irregularSharedFile("Kept.xml"), kind.told);
        try
        {
            Engine::writeUnicodeFile("Kept.xml", L"<new/>");
            ADD_FAILURE() << "written";
        }
        catch (const std::string& text)
        {
            // Named as the disk has it, not as asked for.
            EXPECT_EQ(text, "Can't write file \"" + at.string() + "\": " + std::string(kind.told) +
                                " is in its place, not a regular file.");
        }
        EXPECT_TRUE(kind.isThere(at));
        fs::remove_all(at);
    }
    // A link to a regular file is a regular file to read and write.
    putShared("real.xml", "old");
    fs::create_symlink(sharedFolder() / "real.xml", sharedFolder() / "kept.xml");
    EXPECT_EQ(Engine::irregularSharedFile("kept.xml"), "");
    EXPECT_EQ(Engine::irregularSharedFile("missing.xml"), "");
}

TEST_F(IrregularFiles, AValuesFileOrListThatIsNoRegularFileIsToldAndLeftAlone)
{
    twoPlayers();
    // A new player keeps off an ID with such a thing in place of its files.
    const fs::path third = sharedFolder() / "profiles/00000003.save";
    fs::create_symlink("/dev/null", third);
    restart();
    choose(L"Cid");
    EXPECT_EQ(idOf(L"Cid"), 4u);
    m_manager->deleteProfile(L"Cid");
    close();
    EXPECT_TRUE(fs::is_symlink(third));
    fs::remove(third);

    for (const Kind& kind : Kinds)
    {
        SCOPED_TRACE(kind.told);
        // Bob's values: nothing to read, nothing to write over.
        const fs::path values = sharedFolder() / "profiles/00000002.xml";
        const std::string before = shared("profiles/00000002.xml");
        fs::remove(values);
        kind.make(values);
        restart();
        Engine::resetSaveFailures();
        const size_t logged = ConfigTest::readLog("files").size();
        choose(L"Bob");
        EXPECT_TRUE(cProps::isEmpty());
        cProps::set<int>(L"CurrentLevel", 1);
        EXPECT_FALSE(m_manager->save());
        close();
        EXPECT_TRUE(kind.isThere(values));
        EXPECT_EQ(Engine::saveFailureCount(), 1);
        EXPECT_NE(ConfigTest::readLog("files").find(std::string(kind.told) + " is in its place", logged),
                  std::string::npos);
        EXPECT_FALSE(sharedExists("profiles/00000002.xml.damaged"));

        fs::remove_all(values);
        putShared("profiles/00000002.xml", before);

        // The list: the players come back from the last good list, and the list stays as it is.
        const fs::path list = sharedFolder() / List;
        fs::remove(list);
        kind.make(list);
        restart();
        EXPECT_EQ(Engine::cProfileManager::readCurrentUser(), L"Bob");
        choose(L"Bob");
        expectBothPlayers();
        close();
        EXPECT_TRUE(kind.isThere(list));
        EXPECT_NE(ConfigTest::readLog("files").find("The profile list \"" + List + "\" cannot be read (" +
                                                    kind.told + " is in its place"),
                  std::string::npos);
        fs::remove_all(list);
        fs::copy_file(sharedFolder() / (List + ".bak"), list);
        restart();
    }
}

TEST_F(IrregularFiles, SettingsThatAreNoRegularFileAreToldAndNeverReplaced)
{
    const std::string path = "sys/settings.xml";
    data(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings><Sound Music=\"0.5\"/></settings>\n");
    for (const Kind& kind : Kinds)
    {
        SCOPED_TRACE(kind.told);
        const fs::path at = sharedFolder() / path;
        fs::create_directories(at.parent_path());
        kind.make(at);
        restart();
        Engine::resetSaveFailures();
        const size_t logged = ConfigTest::readLog("files").size();
        {
            Engine::cSettings settings(path);
            float music = 0.0f;
            EXPECT_TRUE(settings.get(L"Sound", L"Music", music)) << "the game's own settings";
            EXPECT_EQ(music, 0.5f);
            settings.set(L"Sound", L"Music", std::wstring(L"0.25"));
        }
        EXPECT_TRUE(kind.isThere(at));
        EXPECT_EQ(Engine::saveFailureCount(), 1) << "told once";
        EXPECT_NE(ConfigTest::readLog("files").find(std::string(kind.told) + " is in its place", logged),
                  std::string::npos);
        fs::remove_all(at);
    }
}

} // namespace
