// The players' files against damage: a profile list that is empty, zeroed, random, huge, cut
// short, unreadable or a folder comes back from what can be read, the last good list and the
// profiles' own files; a values file that cannot be read is never written over; a disk that
// fails a write costs the player nothing already on it, and the manager goes on.
#include "engine/core/ProfileFiles.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "tests/engine/core/config_test_tools.h"
#include "tests/engine/core/profile_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{

using Engine::cProfileManager;
using Engine::cProps;
using Engine::eFileStep;

using ProfileTest::Declaration;
using ProfileTest::List;
using ProfileRecovery = ProfileTest::PlayerFiles;

std::string zeroed()
{
    return std::string(4096, '\0');
}

std::string randomBytes()
{
    std::mt19937 random(29);
    std::string bytes(3000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST_F(ProfileRecovery, EveryDamagedListIsSetAsideAndItsPlayersComeBack)
{
    twoPlayers();
    const std::string whole = shared(List);
    const struct
    {
        const char* what;
        std::string bytes;
    } damages[] = {
        {"empty", ""},
        {"zeroed", zeroed()},
        {"random", randomBytes()},
        {"huge", std::string(17u << 20, '<')},
        {"cut short before Bob",
         whole.substr(0, whole.find(ConfigTest::utf16(L"<Profile Name=\"Bob", false)))},
        {"cut short in the root", whole.substr(0, 60)},
    };
    for (const auto& damage : damages)
    {
        SCOPED_TRACE(damage.what);
        damageList(damage.bytes);
        const std::string log = ConfigTest::readLog("profiles");
        // The game starts with a player: no name is asked for.
        ASSERT_EQ(cProfileManager::readCurrentUser(), L"Bob");
        EXPECT_EQ(cProfileManager::readProfileNames(), (std::list<std::wstring>{L"Ann", L"Bob"}));
        choose(L"Bob");
        expectBothPlayers();
        EXPECT_EQ(shared(List + ".damaged").size(), damage.bytes.size());
        EXPECT_EQ(shared(List + ".damaged"), damage.bytes);
        EXPECT_NE(ConfigTest::readLog("profiles").find("is damaged", log.size()), std::string::npos);
        // The list is whole again, and the next damage finds the same players.
        close();
        EXPECT_EQ(shared(List).substr(0, 2), "\xFF\xFE");
        std::filesystem::remove(sharedFolder() / (List + ".damaged"));
    }
}

TEST_F(ProfileRecovery, AListThatCannotBeReadIsLeftAloneAndNeverWrittenOver)
{
    twoPlayers();
    const std::string before = shared(List);
    {
        ::Test::DiskFaults disk({{eFileStep::read, List, EACCES}});
        EXPECT_EQ(cProfileManager::readCurrentUser(), L"Bob");
        choose(L"Ann");
        expectBothPlayers();
        cProps::set<int>(L"CurrentLevel", 3);
        EXPECT_FALSE(m_manager->save()) << "the list was not written";
        close();
        EXPECT_GT(disk.hits(), 0);
    }
    EXPECT_EQ(shared(List), before);
    EXPECT_FALSE(sharedExists(List + ".damaged"));
    EXPECT_EQ(Engine::saveFailureCount(), 1);
    EXPECT_NE(ConfigTest::readLog("files").find("cannot be read"), std::string::npos);
    // Ann's values were written: only the list was kept from the disk.
    restart();
    choose(L"Ann");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 3);
}

TEST_F(ProfileRecovery, AListUnreadableByItsPermissionsIsLeftAlone)
{
    twoPlayers();
    const std::filesystem::path path = sharedFolder() / List;
    const std::string before = shared(List);
    // As root (in CI) the test gives up root's power over permissions: root reads any file.
    ::Test::runUnprivileged(testFolder(),
                            [&]
                            {
                                ::chmod(path.c_str(), 0);
                                ASSERT_FALSE(std::ifstream(path).is_open()) << "the permissions hold";
                                restart();
                                EXPECT_EQ(cProfileManager::readCurrentUser(), L"Bob");
                                choose(L"Bob");
                                expectBothPlayers();
                                close();
                                ::chmod(path.c_str(), 0644);
                                EXPECT_EQ(shared(List), before);
                                EXPECT_GE(Engine::saveFailureCount(), 1);
                            });
}

TEST_F(ProfileRecovery, AFolderInPlaceOfTheListIsLeftAlone)
{
    twoPlayers();
    std::filesystem::remove(sharedFolder() / List);
    std::filesystem::create_directories(sharedFolder() / List / "inside");
    restart();
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"Bob");
    choose(L"Bob");
    expectBothPlayers();
    close();
    EXPECT_TRUE(std::filesystem::is_directory(sharedFolder() / List / "inside"));
    EXPECT_GE(Engine::saveFailureCount(), 1) << "the list could not be written over the folder";
}

TEST_F(ProfileRecovery, ProfileFilesNoEntryNamesAreListedByTheirId)
{
    choose(L"Ann");
    choose(L"Bob");
    cProps::set<int>(L"CurrentLevel", 7);
    close();
    // No last good list, and the list lost Bob.
    std::filesystem::remove(sharedFolder() / (List + ".bak"));
    putShared("profiles/00000005.save", "a level left by a player the list forgot");
    const std::string whole = shared(List);
    damageList(whole.substr(0, whole.find(ConfigTest::utf16(L"<Profile Name=\"Bob", false))));
    EXPECT_EQ(cProfileManager::readProfileNames(),
              (std::list<std::wstring>{L"00000002", L"00000005", L"Ann"}));
    choose(L"00000002");
    EXPECT_EQ(idOf(L"00000002"), 2u);
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 7) << "Bob's values, under his ID";
    EXPECT_EQ(idOf(L"00000005"), 5u);
    // A new player keeps off every ID that has files.
    choose(L"Alice");
    EXPECT_EQ(idOf(L"Alice"), 6u);
}

TEST_F(ProfileRecovery, ANameIsAskedForOnlyWhenNoPlayerCanBeRecovered)
{
    damageList(zeroed());
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"");
    EXPECT_TRUE(cProfileManager::readProfileNames().empty());
    choose(L"Eve");
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Eve"}));
    EXPECT_EQ(shared(List + ".damaged"), zeroed());
}

TEST_F(ProfileRecovery, AnEarlierDamagedCopyIsNeverReplaced)
{
    twoPlayers();
    damageList("first damage");
    choose(L"Bob");
    close();
    damageList("second damage");
    choose(L"Bob");
    close();
    EXPECT_EQ(shared(List + ".damaged"), "first damage");
    EXPECT_EQ(shared(List + ".damaged-2"), "second damage");
}

TEST_F(ProfileRecovery, AValuesFileThatCannotBeReadIsNeverWrittenOver)
{
    twoPlayers();
    const std::string values = shared("profiles/00000002.xml");
    {
        ::Test::DiskFaults disk({{eFileStep::read, "00000002.xml", EIO}});
        choose(L"Bob");
        EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
        cProps::set<int>(L"CurrentLevel", 1);
        EXPECT_FALSE(m_manager->save());
        close();
    }
    EXPECT_EQ(shared("profiles/00000002.xml"), values) << "Bob's level 7 is still on disk";
    EXPECT_FALSE(sharedExists("profiles/00000002.xml.damaged"));
    EXPECT_EQ(Engine::saveFailureCount(), 1);
    choose(L"Bob");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 7);
}

TEST_F(ProfileRecovery, ADamagedValuesFileThatCannotBeSetAsideIsNeverWrittenOver)
{
    twoPlayers();
    const std::string broken = ConfigTest::utf16(Declaration + L"<Props><prop Name=\"CurrentLevel\" Val=\"7");
    putShared("profiles/00000002.xml", broken);
    restart();
    {
        ::Test::DiskFaults disk({{eFileStep::remove, "00000002.xml", EROFS}});
        choose(L"Bob");
        EXPECT_TRUE(cProps::isEmpty());
        close();
    }
    EXPECT_EQ(shared("profiles/00000002.xml"), broken);
    // Set aside once it can be: the bytes are kept and the file is written again.
    choose(L"Bob");
    close();
    EXPECT_EQ(shared("profiles/00000002.xml.damaged"), broken);
    EXPECT_EQ(shared("profiles/00000002.xml").substr(0, 2), "\xFF\xFE");
}

TEST_F(ProfileRecovery, AFullDiskCostsNothingOnItAndTheManagerGoesOn)
{
    twoPlayers();
    const std::string list = shared(List);
    const std::string values = shared("profiles/00000001.xml");
    std::vector<Engine::eSavedFile> told;
    Engine::setSaveFailureListener([&](Engine::eSavedFile file, const std::string&)
                                   { told.push_back(file); });
    {
        ::Test::DiskFaults disk({{eFileStep::write, ".xml", ENOSPC}});
        EXPECT_NO_THROW(choose(L"Ann"));
        EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 2);
        cProps::set<int>(L"CurrentLevel", 5);
        EXPECT_FALSE(m_manager->save());
        EXPECT_NO_THROW(choose(L"Cid")) << "a new player, not written";
        EXPECT_NO_THROW(close());
    }
    Engine::setSaveFailureListener({});
    EXPECT_EQ(told,
              (std::vector<Engine::eSavedFile>{Engine::eSavedFile::profileList, Engine::eSavedFile::values}))
        << "each file told once";
    EXPECT_GT(Engine::saveFailureCount(), 1) << "every failure is logged";
    EXPECT_EQ(shared(List), list);
    EXPECT_EQ(shared("profiles/00000001.xml"), values);
    EXPECT_FALSE(sharedExists(List + ".tmp"));
    EXPECT_NE(ConfigTest::readLog("files").find("No space left on device"), std::string::npos);
}

TEST_F(ProfileRecovery, AReadOnlyFolderStopsNoStart)
{
    twoPlayers();
    const std::string list = shared(List);
    ::Test::DiskFaults disk({{eFileStep::create, "", EROFS}, {eFileStep::remove, "", EROFS}});
    EXPECT_NO_THROW(choose(L"Ann"));
    expectBothPlayers();
    EXPECT_NO_THROW(choose(L"Bob"));
    EXPECT_NO_THROW(close());
    EXPECT_EQ(shared(List), list);
}

TEST(ProfileDataFiles, OnlyTheFilesOfAProfileIdCount)
{
    uint32_t id = 0;
    EXPECT_TRUE(Engine::isProfileDataFileName("00000002.xml", id));
    EXPECT_EQ(id, 2u);
    EXPECT_TRUE(Engine::isProfileDataFileName("00000031.save", id));
    EXPECT_EQ(id, 31u);
    EXPECT_TRUE(Engine::isProfileDataFileName("4294967295.xml", id));
    for (const char* name : {"profiles.xml", "00000000.xml", "2.xml", "000000002.xml", "00000002.damaged",
                             "00000002.xml.damaged", "00000002.xml.bak", "0000000x.xml", "99999999999.xml"})
        EXPECT_FALSE(Engine::isProfileDataFileName(name, id)) << name;
}

} // namespace
