// A player keeps the ID that names the player's files: an entry of the list whose ID is lost,
// changed or given to another player too gets it back from the last good list, or from the
// files no one else can hold; the last good list is never replaced by a list that lost an ID,
// and a player the list lost comes back from it.
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "tests/engine/core/config_test_tools.h"
#include "tests/engine/core/profile_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <list>
#include <string>

namespace
{

using Engine::cProfileManager;
using Engine::cProps;
using ProfileTest::List;
using ProfileIds = ProfileTest::PlayerFiles;

std::string utf16(const std::wstring& text)
{
    return ConfigTest::utf16(text, false);
}

// The list's bytes with one entry's text replaced.
std::string replaced(std::string list, const std::wstring& entry, const std::wstring& by)
{
    const std::string from = utf16(entry);
    const size_t at = list.find(from);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos)
        list.replace(at, from.size(), utf16(by));
    return list;
}

bool holds(const std::string& list, const std::wstring& entry)
{
    return list.find(utf16(entry)) != std::string::npos;
}

const std::wstring Ann = L"<Profile Name=\"Ann\" ID=\"1\" />";
const std::wstring Bob = L"<Profile Name=\"Bob\" ID=\"2\" />";

TEST_F(ProfileIds, AnEntryThatLostItsIdGetsItBackFromTheLastGoodList)
{
    twoPlayers();
    const std::string whole = shared(List);
    const std::string lastGood = shared(List + ".bak");
    ASSERT_TRUE(holds(lastGood, Ann) && holds(lastGood, Bob));
    const struct
    {
        const char* what;
        std::string list;
    } damages[] = {
        {"Ann's ID missing", replaced(whole, Ann, L"<Profile Name=\"Ann\" />")},
        {"Ann's ID a letter", replaced(whole, Ann, L"<Profile Name=\"Ann\" ID=\"q\" />")},
        {"Ann's ID 0", replaced(whole, Ann, L"<Profile Name=\"Ann\" ID=\"0\" />")},
        {"Ann's ID with a letter after it", replaced(whole, Ann, L"<Profile Name=\"Ann\" ID=\"1q\" />")},
        {"Ann's ID another number", replaced(whole, Ann, L"<Profile Name=\"Ann\" ID=\"9\" />")},
        {"Bob's ID Ann's", replaced(whole, Bob, L"<Profile Name=\"Bob\" ID=\"1\" />")},
        {"Ann's ID Bob's", replaced(whole, Ann, L"<Profile Name=\"Ann\" ID=\"2\" />")},
        {"Bob's entry without its name", replaced(whole, Bob, L"<Profile Nbme=\"Bob\" ID=\"2\" />")},
        {"Bob's entry gone", replaced(whole, Bob, L"")},
    };
    for (const auto& damage : damages)
    {
        SCOPED_TRACE(damage.what);
        damageList(damage.list);
        EXPECT_EQ(cProfileManager::readProfileNames(), (std::list<std::wstring>{L"Ann", L"Bob"}));
        choose(L"Ann");
        expectBothPlayers();
        choose(L"Bob");
        expectBothPlayers();
        close();
        EXPECT_FALSE(sharedExists("profiles/00000003.xml")) << "no player was given a new ID";
        // The last good list still ties both players to their files, and the list is whole again.
        EXPECT_TRUE(holds(shared(List + ".bak"), Ann) && holds(shared(List + ".bak"), Bob));
        EXPECT_TRUE(holds(shared(List), Ann) && holds(shared(List), Bob));
    }
    EXPECT_NE(ConfigTest::readLog("profiles").find("which it takes back"), std::string::npos);
}

TEST_F(ProfileIds, WithoutALastGoodListTheOnlyFilesNobodyHoldsAreTheLostId)
{
    twoPlayers();
    std::filesystem::remove(sharedFolder() / (List + ".bak"));
    damageList(replaced(shared(List), Ann, L"<Profile Name=\"Ann\" ID=\"x\" />"));
    choose(L"Ann");
    expectBothPlayers();
    close();
    EXPECT_NE(ConfigTest::readLog("profiles").find("which no other profile holds, are taken as its own"),
              std::string::npos);

    // Two players without an ID and two IDs with files: which is whose cannot be told, so neither
    // is given another's progress; their files stay for them.
    const std::string values = shared("profiles/00000001.xml");
    std::filesystem::remove(sharedFolder() / (List + ".bak"));
    damageList(
        replaced(replaced(shared(List), Ann, L"<Profile Name=\"Ann\" />"), Bob, L"<Profile Name=\"Bob\" />"));
    choose(L"Ann");
    EXPECT_GT(idOf(L"Ann"), 2u);
    EXPECT_GT(idOf(L"Bob"), 2u);
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
    close();
    EXPECT_EQ(shared("profiles/00000001.xml"), values);
}

TEST_F(ProfileIds, ADeletedProfileDoesNotComeBackFromTheLastGoodList)
{
    twoPlayers();
    choose(L"Cid");
    m_manager->deleteProfile(L"Bob");
    choose(m_manager->currentUserName());
    close();
    EXPECT_FALSE(holds(shared(List + ".bak"), Bob));
    damageList(std::string(100, '\0'));
    EXPECT_EQ(cProfileManager::readProfileNames(), (std::list<std::wstring>{L"Ann", L"Cid"}));
}

TEST_F(ProfileIds, AListThatLostAnIdNeverReplacesTheLastGoodList)
{
    twoPlayers();
    const std::string lastGood = shared(List + ".bak");
    damageList(replaced(shared(List), Ann, L"<Profile Name=\"Ann\" />"));
    {
        // The list cannot be written in this run: the damaged one stays, and the last good list is
        // the one place that still gives Ann her files.
        ::Test::DiskFaults disk({{Engine::eFileStep::create, "profiles.xml", EROFS}});
        choose(L"Ann");
        expectBothPlayers();
        close();
        EXPECT_GT(disk.hits(), 0);
    }
    EXPECT_EQ(shared(List + ".bak"), lastGood);
    EXPECT_FALSE(holds(shared(List), Ann));
    restart();
    choose(L"Ann");
    expectBothPlayers();
}

} // namespace
