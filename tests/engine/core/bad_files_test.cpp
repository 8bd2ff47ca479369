// Files from outside that the engine must survive without losing the player's data: settings
// whose keys the loader would read as instructions, window sizes no display has, damaged files
// in the shared folder, broken pack members and an application folder that leads elsewhere.
#include "engine/core/ErrorText.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/cSettings.h"
#include "engine/core/cString.h"
#include "tests/engine/core/config_test_tools.h"
#include "tests/support/ZipWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Engine::cSettings;

const std::string SettingsPath = "sys/settings.xml";

class BadFiles : public ConfigTest::EngineFolders
{
protected:
    void settingsFile(const std::string& groups) const
    {
        data(SettingsPath,
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings>" + groups + "</settings>\n");
    }
    static std::wstring header() { return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>"; }
};

TEST_F(BadFiles, SettingsWithLoaderKeysReadTheSameAfterEverySave)
{
    // "copy" and "remove" that are not first are plain keys; written back first, they would be
    // taken for instructions at the next start and the group lost.
    settingsFile("<graphics width=\"1024\" copy=\"\" height=\"768\" fullscreen=\"1\"/>"
                 "<Sound Music=\"70\" Sound=\"40\"/><extra copy=\"nowhere\" remove=\"3\"/>");
    start();
    cSettings::tGroups first;
    {
        cSettings settings(SettingsPath);
        first = settings.getTable();
    }
    ASSERT_EQ(first.at(L"graphics").size(), 4u);
    EXPECT_EQ(first.at(L"extra").size(), 1u);
    EXPECT_EQ(shared(SettingsPath),
              ConfigTest::utf16(header() +
                                L"<Sound Music=\"70\" Sound=\"40\" />"
                                L"<extra copy=\"/\" remove=\"3\" />"
                                L"<graphics fullscreen=\"1\" copy=\"\" height=\"768\" width=\"1024\" />"
                                L"</main>"));
    for (int run = 0; run < 2; ++run)
    {
        restart();
        cSettings settings(SettingsPath);
        EXPECT_EQ(settings.getTable(), first);
        int width = 0;
        unsigned music = 0;
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_TRUE(settings.get(L"Sound", L"Music", music));
        EXPECT_EQ(width, 1024);
        EXPECT_EQ(music, 70u);
    }
}

TEST_F(BadFiles, WindowSizesAreBoundToWhatADisplayHas)
{
    settingsFile("<graphics width=\"2147483647\" height=\"600\"/><other width=\"2147483647\"/>");
    start();
    {
        cSettings settings(SettingsPath);
        int width = 0;
        int height = 0;
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_TRUE(settings.get(L"graphics", L"height", height));
        EXPECT_EQ(width, cSettings::MaxWindowSide);
        EXPECT_EQ(height, 600);
    }
    EXPECT_EQ(shared(SettingsPath),
              ConfigTest::utf16(header() + L"<graphics height=\"600\" width=\"16384\" />"
                                           L"<other width=\"2147483647\" /></main>"));
}

TEST_F(BadFiles, ADamagedSharedFileIsLoggedAndGivesWayToTheDataCopyOnly)
{
    settingsFile("<graphics width=\"800\"/>");
    const std::string damaged = ConfigTest::utf16(header() + L"<graphics wid");
    putShared(SettingsPath, damaged);
    putShared("besttimes.xml", damaged);
    const size_t before = ConfigTest::readLog("files").size();
    start();
    {
        cSettings settings(SettingsPath);
        int width = 0;
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_EQ(width, 800);
    }
    const std::string log = ConfigTest::readLog("files").substr(before);
    EXPECT_NE(
        log.find("\"sys/settings.xml\" in the shared folder could not be read (unclosed token line 1 char"),
        std::string::npos)
        << log;
    EXPECT_NE(
        log.find("it is kept as \"sys/settings.xml.damaged\" and the data folder's copy is read instead."),
        std::string::npos);
    EXPECT_EQ(shared(SettingsPath + ".damaged"), damaged);

    // A file only the shared folder has is the player's only copy: it fails and stays.
    EXPECT_THROW(Engine::cDocumentCache::loadDocument("besttimes.xml", true), Engine::cString<std::string>);
    EXPECT_EQ(shared("besttimes.xml"), damaged);
    EXPECT_EQ(ConfigTest::readLog("files").find("besttimes", before), std::string::npos);
}

TEST_F(BadFiles, ABrokenPackMemberNamesThePack)
{
    ::Test::TempDir temp;
    {
        ::Test::ZipWriter zip(temp.path() / "ui.pack");
        zip.add("ui/broken.xml", "<a><b></a>");
    }
    data("ui.pack", ::Test::readFile(temp.path() / "ui.pack"));
    start();
    try
    {
        Engine::cDocumentCache::loadDocument("ui/broken.xml", false);
        FAIL() << "a broken member loaded";
    }
    catch (const Engine::cString<std::string>& text)
    {
        EXPECT_EQ(text.find("mismatched tag line 1 char 8 filename: ui/broken.xml in the pack '"), 0u)
            << text;
        EXPECT_EQ(text.substr(text.size() - 14), "/Data/ui.pack'") << text;
        EXPECT_EQ(Engine::getErrorString(), text);
    }
}

TEST_F(BadFiles, AnApplicationFolderLeadingOutOfTheSharedFolderIsRefused)
{
    for (const char* name :
         {"../../escape", "/escape", "Quill/../../escape", "Quill//Test", ".", "Quill\\.."})
    {
        constants(std::string("<game app_directory=\"") + name + "\"/>");
        try
        {
            start();
            FAIL() << name << " was taken";
        }
        catch (const std::string& text)
        {
            EXPECT_NE(text.find("\" must name a folder inside the shared data folder"), std::string::npos)
                << text;
        }
        stop();
    }
    EXPECT_FALSE(sharedExists("../../escape"));
    EXPECT_FALSE(sharedExists("../escape"));
}

} // namespace
