#include "engine/core/ProfileFiles.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

namespace
{

using Engine::cProfileManager;
using Engine::cProps;

const std::wstring Declaration = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>";

class Profiles : public ConfigTest::EngineFolders
{
protected:
    void SetUp() override
    {
        EngineFolders::SetUp();
        start();
    }

    // A new manager for `name`, the old one deleted first (which saves it), as the game does.
    cProfileManager& choose(const std::wstring& name)
    {
        m_manager.reset();
        m_manager = std::make_unique<cProfileManager>(name);
        return *m_manager;
    }
    void close() { m_manager.reset(); }

    std::string list() const { return shared("profiles/profiles.xml"); }
    std::string props(const std::string& id) const { return shared("profiles/" + id + ".xml"); }
    static std::string listText(const std::wstring& head, const std::wstring& profiles)
    {
        return ConfigTest::utf16(Declaration + L"\n" + head + L"\n" + profiles + L"</Profiles>");
    }
    // A "profiles.xml" as another program left it; the file system is made again to see it.
    void putList(const std::string& bytes)
    {
        close();
        putShared("profiles/profiles.xml", bytes);
        restart();
    }
    std::list<std::wstring> names() const
    {
        std::list<std::wstring> out;
        m_manager->getProfileNames(out);
        return out;
    }
    uint32_t idOf(const std::wstring& name) const { return m_manager->getProfiles().at(name); }

    void TearDown() override
    {
        close();
        EngineFolders::TearDown();
    }

    std::unique_ptr<cProfileManager> m_manager;
};

TEST_F(Profiles, FirstStartWritesTheListAndAnEmptyPropertyFile)
{
    EXPECT_FALSE(cProfileManager::profilesFileExists());
    cProfileManager& manager = choose(L"Ann");
    EXPECT_EQ(list(), listText(L"<Profiles NextID=\"2\" CurrentUser=\"Ann\" NowPlaying=\"1\" >",
                               L"<Profile Name=\"Ann\" ID=\"1\" />\n"));
    EXPECT_EQ(manager.getCurrentProfileId(), "00000001");
    EXPECT_TRUE(cProfileManager::profilesFileExists());
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"Ann");
    close();
    EXPECT_EQ(list(), listText(L"<Profiles NextID=\"2\" CurrentUser=\"Ann\" NowPlaying=\"0\" >",
                               L"<Profile Name=\"Ann\" ID=\"1\" />\n"));
    EXPECT_EQ(props("00000001"), ConfigTest::utf16(Declaration + L"<Props></Props>"));
    EXPECT_FALSE(sharedExists("profiles/profiles.xml.tmp"));
}

TEST_F(Profiles, ValuesAreSavedPerProfile)
{
    choose(L"Ann");
    cProps::set<int>(L"CurrentLevel", 3);
    m_manager->save();
    EXPECT_EQ(props("00000001"),
              ConfigTest::utf16(Declaration +
                                L"<Props><prop Name=\"CurrentLevel\" Val=\"3\" Type=\"Int\" /></Props>"));

    choose(L"Bob");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0); // a new profile starts empty
    cProps::set<int>(L"CurrentLevel", 8);
    choose(L"Ann");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 3);
    choose(L"Bob");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 8);
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann", L"Bob"}));

    // Names are compared exactly.
    choose(L"ann");
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann", L"Bob", L"ann"}));
    EXPECT_EQ(idOf(L"ann"), 3u);
}

TEST_F(Profiles, NamesThatNeedEscapingRoundTrip)
{
    const std::wstring odd = L"Ann \"<&>\" 'q'";
    const std::wstring foreign = L"Zoë 日本 \U0001F600";
    choose(odd);
    choose(foreign);
    EXPECT_EQ(list(),
              listText(L"<Profiles NextID=\"3\" CurrentUser=\"Zoë 日本 \U0001F600\" NowPlaying=\"1\" >",
                       L"<Profile Name=\"Ann &quot;&lt;&amp;&gt;&quot; &apos;q&apos;\" ID=\"1\" />\n"
                       L"<Profile Name=\"Zoë 日本 \U0001F600\" ID=\"2\" />\n"));
    close();
    restart();
    EXPECT_EQ(cProfileManager::readCurrentUser(), foreign);
    choose(odd);
    EXPECT_EQ(names(), (std::list<std::wstring>{odd, foreign}));
    EXPECT_EQ(idOf(odd), 1u);
}

TEST_F(Profiles, DeletingTheCurrentUserRemovesItsFilesAndNeverReusesItsId)
{
    choose(L"Ann");
    choose(L"Bob");
    choose(L"Cid");
    choose(L"Bob");
    putShared("profiles/00000002.save", "saved level");
    putShared("profiles/000000021.save", "not Bob's");
    restart();
    choose(L"Bob");
    ASSERT_TRUE(sharedExists("profiles/00000002.xml"));
    cProps::set<int>(L"CurrentLevel", 5);

    m_manager->deleteProfile(L"Bob");
    EXPECT_EQ(m_manager->currentUserName(), L"Ann");
    EXPECT_FALSE(sharedExists("profiles/00000002.xml"));
    EXPECT_FALSE(sharedExists("profiles/00000002.save"));
    EXPECT_TRUE(sharedExists("profiles/000000021.save"));
    EXPECT_EQ(list(), listText(L"<Profiles NextID=\"4\" CurrentUser=\"Ann\" NowPlaying=\"1\" >",
                               L"<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Cid\" ID=\"3\" />\n"));
    // The manager of a deleted profile saves nothing: Bob's values never reach Ann's file.
    const std::string annBefore = props("00000001");
    m_manager->save();
    close();
    EXPECT_EQ(props("00000001"), annBefore);

    choose(L"Dan");
    EXPECT_EQ(idOf(L"Dan"), 4u);
    m_manager->deleteProfile(L"Nobody");
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann", L"Cid", L"Dan"}));
}

TEST_F(Profiles, DeletingTheLastProfileRemovesTheList)
{
    choose(L"Ann");
    m_manager->deleteProfile(L"Ann");
    EXPECT_EQ(m_manager->currentUserName(), L"");
    close();
    EXPECT_FALSE(cProfileManager::profilesFileExists());
    EXPECT_FALSE(sharedExists("profiles/profiles.xml"));
    EXPECT_FALSE(sharedExists("profiles/00000001.xml"));
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"");
}

TEST_F(Profiles, AnEmptyNameReadsAndWritesNothing)
{
    choose(L"Ann");
    close();
    const std::string before = list();
    cProfileManager& manager = choose(L"");
    EXPECT_TRUE(names().empty());
    try
    {
        manager.getCurrentProfileId();
        FAIL() << "an ID for no profile";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "ProfileID error.");
    }
    manager.save();
    close();
    // Destroying it neither rewrites nor removes the list.
    EXPECT_EQ(list(), before);
}

// A hand-edited NextID at or below an ID in use must not give a new profile that ID.
TEST_F(Profiles, ALowNextIdIsRaisedAboveTheIdsInUse)
{
    putList(listText(L"<Profiles NextID=\"1\" CurrentUser=\"Ann\" NowPlaying=\"0\" >",
                     L"<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Bob\" ID=\"7\" />\n"));
    choose(L"Cid");
    EXPECT_EQ(idOf(L"Cid"), 8u);
    EXPECT_EQ(idOf(L"Ann"), 1u);
    EXPECT_EQ(m_manager->getNextId(), 9u);
}

TEST_F(Profiles, TwoProfilesNeverShareFiles)
{
    putShared("profiles/00000001.xml",
              ConfigTest::utf16(Declaration +
                                L"<Props><prop Name=\"CurrentLevel\" Val=\"4\" Type=\"Int\" /></Props>"));
    putList(listText(L"<Profiles NextID=\"abc\" CurrentUser=\"Ann\" NowPlaying=\"1\" >",
                     L"<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Bob\" ID=\"1\" />\n"
                     L"<Profile Name=\"Cid\" />\n<Profile Name=\"Ann\" ID=\"2\" />\n<Profile ID=\"3\" />\n"));
    const std::string before = ConfigTest::readLog("profiles");
    choose(L"Bob");
    // Ann keeps ID 1 and its values; IDs 2 and 3 are named in the list, so never handed out.
    EXPECT_EQ(idOf(L"Ann"), 1u);
    EXPECT_EQ(idOf(L"Bob"), 4u);
    EXPECT_EQ(idOf(L"Cid"), 5u);
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
    EXPECT_EQ(list(), listText(L"<Profiles NextID=\"6\" CurrentUser=\"Bob\" NowPlaying=\"1\" >",
                               L"<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Bob\" ID=\"4\" />\n"
                               L"<Profile Name=\"Cid\" ID=\"5\" />\n"));
    choose(L"Ann");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 4);
    const std::string log = ConfigTest::readLog("profiles");
    ASSERT_GT(log.size(), before.size());
    EXPECT_NE(log.find("\"Bob\" has the ID of another profile", before.size()), std::string::npos) << log;
}

// The list is lost but the files of its profiles are still there: a new profile keeps off
// their IDs.
TEST_F(Profiles, FilesWithoutAListAreLeftAlone)
{
    putShared("profiles/00000001.xml", ConfigTest::utf16(Declaration + L"<Props></Props>"));
    putShared("profiles/00000002.save", "saved level");
    restart();
    choose(L"Eve");
    EXPECT_EQ(idOf(L"Eve"), 3u);
    EXPECT_EQ(m_manager->getNextId(), 4u);
}

TEST_F(Profiles, AProfileWithoutAPropertyFileStartsEmpty)
{
    putList(listText(L"<Profiles NextID=\"3\" CurrentUser=\"Ann\" NowPlaying=\"0\" >",
                     L"<Profile Name=\"Ann\" ID=\"1\" />\n<Profile Name=\"Bob\" ID=\"2\" />\n"));
    cProps::set<int>(L"CurrentLevel", 0);
    choose(L"Bob");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
    EXPECT_EQ(idOf(L"Bob"), 2u);
}

TEST_F(Profiles, ADamagedListKeepsTheProfilesThatCanBeRead)
{
    // Cut short in the third profile, as a crash of another writer might leave it.
    const std::string whole =
        listText(L"<Profiles NextID=\"4\" CurrentUser=\"Bob\" NowPlaying=\"1\" >",
                 L"<Profile Name=\"Ann &amp; Co\" ID=\"1\" />\n<Profile Name=\"Bob\" ID=\"2\" />\n"
                 L"<Profile Name=\"Cid\" ID=\"3\" />\n");
    const std::string damaged = whole.substr(0, whole.find(ConfigTest::utf16(L"\"Cid\"", false)) + 4);
    putShared("profiles/00000002.xml",
              ConfigTest::utf16(Declaration +
                                L"<Props><prop Name=\"CurrentLevel\" Val=\"9\" Type=\"Int\" /></Props>"));
    putList(damaged);
    EXPECT_EQ(cProfileManager::readCurrentUser(), L"Bob");
    const std::string before = ConfigTest::readLog("profiles");
    choose(L"Bob");
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann & Co", L"Bob"}));
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 9);
    EXPECT_EQ(shared("profiles/profiles.xml.damaged"), damaged);
    EXPECT_NE(ConfigTest::readLog("profiles").find("is damaged", before.size()), std::string::npos);
    // Cid's ID 3 was lost with the damage; NextID still keeps a new profile off it.
    choose(L"Dan");
    EXPECT_EQ(idOf(L"Dan"), 4u);
}

TEST_F(Profiles, ADamagedPropertyFileFallsBackToEmptyValues)
{
    choose(L"Ann");
    cProps::set<int>(L"CurrentLevel", 2);
    choose(L"Bob");
    cProps::set<int>(L"CurrentLevel", 7);
    close();
    const std::string broken = ConfigTest::utf16(Declaration + L"<Props><prop Name=\"CurrentLevel\" Val=\"7");
    putShared("profiles/00000002.xml", broken);
    restart();
    const std::string before = ConfigTest::readLog("profiles");
    cProps::set<int>(L"Stale", 1);
    choose(L"Bob");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
    EXPECT_TRUE(cProps::isEmpty());
    EXPECT_EQ(shared("profiles/00000002.xml.damaged"), broken);
    EXPECT_NE(ConfigTest::readLog("profiles").find("00000002.xml", before.size()), std::string::npos);
    choose(L"Ann");
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 2);
    EXPECT_EQ(names(), (std::list<std::wstring>{L"Ann", L"Bob"}));
}

TEST(ProfileFiles, IdTextsAndFileNames)
{
    EXPECT_EQ(Engine::profileIdText(1), "00000001");
    EXPECT_EQ(Engine::profileIdText(123456789), "123456789");
    EXPECT_TRUE(Engine::isProfileFileName("00000002.xml", "00000002"));
    EXPECT_TRUE(Engine::isProfileFileName("00000002.save", "00000002"));
    EXPECT_TRUE(Engine::isProfileFileName("00000002", "00000002"));
    EXPECT_FALSE(Engine::isProfileFileName("000000021.save", "00000002"));
    EXPECT_FALSE(Engine::isProfileFileName("0000000.xml", "00000002"));
}

TEST(ProfileFiles, SalvageReadsCompleteTags)
{
    Engine::sProfilesFile file;
    Engine::salvageProfilesFile(
        "<Profiles NextID='0x10' CurrentUser=\"A&#233;&#x1F600;\">"
        "<Profile Name=\"x\" ID=\"5\"/><Profile Name=\"y\"/><Profile Name=\"z\" ID=\"6",
        file);
    EXPECT_TRUE(file.hasNextId);
    EXPECT_EQ(file.nextId, 16u);
    EXPECT_EQ(file.currentUser, L"Aé\U0001F600");
    ASSERT_EQ(file.entries.size(), 3u);
    EXPECT_EQ(file.entries[0].name, L"x");
    EXPECT_TRUE(file.entries[0].hasId);
    EXPECT_EQ(file.entries[0].id, 5u);
    EXPECT_FALSE(file.entries[1].hasId);
    EXPECT_EQ(file.entries[2].name, L"z");
    EXPECT_FALSE(file.entries[2].hasId);
}

} // namespace
