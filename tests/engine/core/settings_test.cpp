#include "engine/core/cConstants.h"
#include "engine/core/cSettings.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

using Engine::cColor;
using Engine::cSettings;
using Engine::cVector3;

const std::string SettingsPath = "sys/settings.xml";

class Settings : public ConfigTest::EngineFolders
{
protected:
    void settingsFile(const std::string& groups) const
    {
        data(SettingsPath,
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<settings>\n" + groups + "\n</settings>\n");
    }
    std::string saved() const { return shared(SettingsPath); }
};

TEST_F(Settings, WritesTheTableBackInCodeUnitOrder)
{
    settingsFile(
        "\t<graphics width=\"800\" height=\"600\" fullscreen=\"0\"/>\n\t<Sound Music=\"0.5\" Sound=\"1\"/>");
    start();
    std::make_unique<cSettings>(SettingsPath).reset();
    EXPECT_EQ(saved(),
              ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>"
                                L"<Sound Music=\"0.5\" Sound=\"1\" />"
                                L"<graphics fullscreen=\"0\" height=\"600\" width=\"800\" /></main>"));
    EXPECT_FALSE(sharedExists(SettingsPath + ".tmp"));
}

TEST_F(Settings, MissingKeyAnswersFalseAndIsWrittenEmpty)
{
    settingsFile("<Sound Music=\"0.5\"/>");
    start();
    {
        cSettings settings(SettingsPath);
        int width = 640;
        EXPECT_FALSE(settings.get(L"graphics", L"width", width));
        EXPECT_EQ(width, 640);
        // The entry exists now, with no value to read.
        EXPECT_TRUE(settings.get(L"graphics", L"width", width));
        EXPECT_EQ(width, 640);
    }
    EXPECT_EQ(saved(), ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>"
                                         L"<Sound Music=\"0.5\" /><graphics width=\"\" /></main>"));
}

TEST_F(Settings, TextsThatDoNotConvertKeepTheTarget)
{
    settingsFile("<g word=\"abc\" hex=\"0x10\" flag=\"2\" num=\" 12abc\" colour=\"zz\"/>");
    start();
    cSettings settings(SettingsPath);
    int i = 7;
    EXPECT_TRUE(settings.get(L"g", L"word", i));
    EXPECT_EQ(i, 7);
    bool b = true;
    EXPECT_TRUE(settings.get(L"g", L"flag", b));
    EXPECT_TRUE(b);
    // A stream reads "0x10" as 0 and stops at the x.
    unsigned long ul = 5;
    EXPECT_TRUE(settings.get(L"g", L"hex", ul));
    EXPECT_EQ(ul, 0u);
    long l = 0;
    EXPECT_TRUE(settings.get(L"g", L"num", l));
    EXPECT_EQ(l, 12);
    cColor c(0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_TRUE(settings.get(L"g", L"colour", c));
    EXPECT_EQ(c, cColor(0.5f, 0.5f, 0.5f, 0.5f));
}

TEST_F(Settings, WholeNumbersOutsideTheirTypeReadAsItsNearerEnd)
{
    settingsFile("<g big=\"99999999999\" small=\"-99999999999\" minus=\"-1\"/>");
    start();
    cSettings settings(SettingsPath);
    int i = 7;
    unsigned u = 7;
    EXPECT_TRUE(settings.get(L"g", L"big", i));
    EXPECT_EQ(i, 2147483647);
    EXPECT_TRUE(settings.get(L"g", L"small", i));
    EXPECT_EQ(i, -2147483647 - 1);
    EXPECT_TRUE(settings.get(L"g", L"big", u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_TRUE(settings.get(L"g", L"minus", u));
    EXPECT_EQ(u, 0u);
}

TEST_F(Settings, SetterTexts)
{
    settingsFile("");
    start();
    cSettings settings(SettingsPath);
    settings.set(L"c", L"red", cColor(1, 0, 0, 1));
    settings.set(L"c", L"clear", cColor(0, 0, 1, 0));
    settings.set(L"f", L"tenth", 0.1f);
    settings.set(L"f", L"million", 1000000.0f);
    settings.set(L"f", L"width", 800.0f);
    settings.set(L"v", L"scale", cVector3{1.5f, 2.0f, 0.25f});
    settings.set(L"n", L"minus", -3);
    settings.set(L"n", L"big", 4000000000ul);
    settings.set(L"n", L"flag", true);
    settings.set(L"n", L"literal", L"text");
    EXPECT_EQ(*settings.findText(L"c", L"red"), L"0xffff0000");
    // Eight digits always: "0xff" would read back as RRGGBB and keep the old alpha.
    EXPECT_EQ(*settings.findText(L"c", L"clear"), L"0x000000ff");
    EXPECT_EQ(*settings.findText(L"f", L"tenth"), L"0.1");
    EXPECT_EQ(*settings.findText(L"f", L"million"), L"1e+06");
    EXPECT_EQ(*settings.findText(L"f", L"width"), L"800");
    EXPECT_EQ(*settings.findText(L"v", L"scale"), L"1.5 2 0.25");
    EXPECT_EQ(*settings.findText(L"n", L"minus"), L"-3");
    EXPECT_EQ(*settings.findText(L"n", L"big"), L"4000000000");
    EXPECT_EQ(*settings.findText(L"n", L"flag"), L"1");
    EXPECT_EQ(*settings.findText(L"n", L"literal"), L"text");
}

// Every type written, saved, read by a new instance: the same value comes back, also for texts
// that need escaping and characters past ASCII.
TEST_F(Settings, TypedValuesRoundTripThroughTheFile)
{
    settingsFile("<graphics width=\"800\"/>");
    start();
    const std::wstring wide = L"Ann \"<&>\" 'x'\ttab\nline Ĳssel 日本 \U0001F600";
    const std::string narrow = "Grüße \"<&>\" \U0001F600";
    {
        cSettings settings(SettingsPath);
        settings.set(L"t", L"colour", cColor::fromARGB(0x0a2040ff));
        settings.set(L"t", L"transparent", cColor(0, 0, 1, 0));
        settings.set(L"t", L"wide", wide);
        settings.set(L"t", L"narrow", narrow);
        settings.set(L"t", L"vector", cVector3{-1.5f, 0.125f, 3e7f});
        settings.set(L"t", L"float", 0.75f);
        settings.set(L"t", L"ulong", 4000000000ul);
        settings.set(L"t", L"long", -70000L);
        settings.set(L"t", L"uint", 3000000000u);
        settings.set(L"t", L"int", -12);
        settings.set<bool>(L"graphics", L"fullscreen", true);
    }
    restart();
    cSettings settings(SettingsPath);
    cColor colour;
    cColor transparent(1, 1, 1, 1);
    std::wstring w;
    std::string n;
    cVector3 v;
    float f = 0;
    unsigned long ul = 0;
    long l = 0;
    unsigned u = 0;
    int i = 0;
    bool b = false;
    int width = 0;
    EXPECT_TRUE(settings.get(L"t", L"colour", colour));
    EXPECT_EQ(colour, cColor::fromARGB(0x0a2040ff));
    EXPECT_TRUE(settings.get(L"t", L"transparent", transparent));
    EXPECT_EQ(transparent, cColor(0, 0, 1, 0));
    EXPECT_TRUE(settings.get(L"t", L"wide", w));
    EXPECT_EQ(w, wide);
    EXPECT_TRUE(settings.get(L"t", L"narrow", n));
    EXPECT_EQ(n, narrow);
    EXPECT_TRUE(settings.get(L"t", L"vector", v));
    EXPECT_EQ(v.x, -1.5f);
    EXPECT_EQ(v.y, 0.125f);
    EXPECT_EQ(v.z, 3e7f);
    EXPECT_TRUE(settings.get(L"t", L"float", f));
    EXPECT_EQ(f, 0.75f);
    EXPECT_TRUE(settings.get(L"t", L"ulong", ul));
    EXPECT_EQ(ul, 4000000000ul);
    EXPECT_TRUE(settings.get(L"t", L"long", l));
    EXPECT_EQ(l, -70000L);
    EXPECT_TRUE(settings.get(L"t", L"uint", u));
    EXPECT_EQ(u, 3000000000u);
    EXPECT_TRUE(settings.get(L"t", L"int", i));
    EXPECT_EQ(i, -12);
    EXPECT_TRUE(settings.get<bool>(L"graphics", L"fullscreen", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(settings.get(L"graphics", L"width", width));
    EXPECT_EQ(width, 800);
}

TEST_F(Settings, NamesThatCannotBeWrittenAreLeftOut)
{
    settingsFile("<Sound Music=\"1\"/>");
    start();
    {
        cSettings settings(SettingsPath);
        settings.set(L"", L"key", 1);
        settings.set(L"two words", L"key", 1);
        settings.set(L"Sound", L"1st", 1);
        settings.set(L"Sound", L"Volume", 2);
    }
    EXPECT_EQ(saved(), ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main>"
                                         L"<Sound Music=\"1\" Volume=\"2\" /></main>"));
}

TEST_F(Settings, OneInstanceAtATime)
{
    settingsFile("");
    start();
    cSettings settings(SettingsPath);
    try
    {
        cSettings second(SettingsPath);
        FAIL() << "a second instance was made";
    }
    catch (const char* text)
    {
        EXPECT_STREQ(text, "Object already exist.");
    }
    EXPECT_EQ(cSettings::instance(), &settings);
}

// A settings file damaged in the shared folder gives way to the shipped one.
TEST_F(Settings, DamagedSavedSettingsFallBackToTheDataCopy)
{
    settingsFile("<graphics width=\"800\"/>");
    putShared(SettingsPath,
              ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><main><graphics wid"));
    start();
    cSettings settings(SettingsPath);
    int width = 0;
    EXPECT_TRUE(settings.get(L"graphics", L"width", width));
    EXPECT_EQ(width, 800);
    // Kept aside, for the player to be told once.
    EXPECT_TRUE(settings.takeKeptAside());
    EXPECT_FALSE(settings.takeKeptAside());
}

TEST_F(Settings, ConstantsReadGroupsAndKeys)
{
    constants("<game app_directory=\"Quill Test\"/><Time MinFps=\"15\" MaxFps=\"200\"/>"
              "<graphics only_windowed=\"1\"/><Time MaxFps=\"120\"/>");
    start();
    Engine::cConstants* constants = Engine::cConstants::instance();
    ASSERT_NE(constants, nullptr);
    float minFps = 0;
    float maxFps = 0;
    bool windowed = false;
    EXPECT_TRUE(constants->get(L"Time", L"MinFps", minFps));
    EXPECT_TRUE(constants->get(L"Time", L"MaxFps", maxFps));
    EXPECT_TRUE(constants->get<bool>(L"graphics", L"only_windowed", windowed));
    EXPECT_EQ(minFps, 15.0f);
    EXPECT_EQ(maxFps, 120.0f); // a later element of the same name adds to the group
    EXPECT_TRUE(windowed);
    std::string dir;
    EXPECT_TRUE(constants->get(L"game", L"app_directory", dir));
    EXPECT_EQ(dir, "Quill Test");
}

} // namespace
