#include "engine/core/cString.h"
#include "engine/core/cStrings.h"
#include "engine/core/cXmlProperties.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

using Engine::cStrings;

class Strings : public ConfigTest::EngineFolders
{
protected:
    void dumping(bool on) const
    {
        constants(std::string("<game app_directory=\"Quill Test\"") + (on ? " DumpStrings=\"1\"" : "") +
                  "/>");
    }
    void stringsFile(const std::string& entries) const
    {
        data("sys/strings.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n" + entries + "</Strings>\n");
    }
};

TEST_F(Strings, WithoutAFileEveryTextShowsAsItIs)
{
    start();
    cStrings strings;
    EXPECT_FALSE(strings.isDumping());
    EXPECT_EQ(strings.translate(L"Play"), L"Play");
    const std::wstring empty;
    EXPECT_EQ(&strings.translate(empty), &empty);
    EXPECT_TRUE(strings.getMissing().empty());
}

TEST_F(Strings, TranslatesThroughTheTable)
{
    stringsFile("\t<s>\n\t\t<text>Play</text>\n\t\t<translation>Spielen</translation>\n\t</s>\n"
                "\t<s><text>Exit</text></s>\n"
                "\t<s><text>Zoë &amp; 日本</text><translation>Zoë &lt;ok&gt;</translation></s>\n"
                "\t<s><text>Play</text><translation>Jouer</translation></s>\n");
    start();
    cStrings strings;
    EXPECT_EQ(strings.translate(L"Play"), L"Jouer"); // the later entry replaces the earlier
    EXPECT_EQ(strings.translate(L"Exit"), L"");      // no translation element: shown empty
    EXPECT_EQ(strings.translate(L"Zoë & 日本"), L"Zoë <ok>");
    EXPECT_EQ(strings.translate(L"Options"), L"Options");
}

TEST_F(Strings, DumpsTheMissingTextsWithoutAByteOrderMark)
{
    dumping(true);
    stringsFile("<s><text>Exit</text><translation>Ende</translation></s>");
    start();
    {
        cStrings strings;
        EXPECT_TRUE(strings.isDumping());
        EXPECT_EQ(strings.translate(L"Play"), L"!!!!!!!Play");
        EXPECT_EQ(strings.translate(L"Play"), L"!!!!!!!Play");
        EXPECT_EQ(strings.translate(L"Exit"), L"Ende");
    }
    EXPECT_EQ(
        shared("strdubp.xml"),
        ConfigTest::utf16(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<Strings><s>\n<text>Play</text>\n"
                          L"<translation>Play</translation>\n</s></Strings>",
                          false));
}

// The dump escapes what it must and loads again as a strings file.
TEST_F(Strings, DumpedTextsReadBack)
{
    dumping(true);
    start();
    const std::wstring odd = L"a<b & \"c\" 'd' Ĳ \U0001F600";
    {
        cStrings strings;
        strings.translate(odd);
        strings.translate(L"Zebra");
        strings.translate(L"apple");
    }
    const std::string bytes = shared("strdubp.xml");
    const auto root = Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "strdubp.xml");
    ASSERT_EQ(root->getChildCount(), 3u);
    std::wstring text;
    std::wstring translation;
    Engine::tPropertiesPtr entry;
    // Code-unit order: upper case first, "<" before letters.
    ASSERT_TRUE(root->getChildAt(0, entry));
    EXPECT_TRUE(entry->get(L"text", text));
    EXPECT_EQ(text, L"Zebra");
    ASSERT_TRUE(root->getChildAt(1, entry));
    EXPECT_TRUE(entry->get(L"text", text));
    EXPECT_TRUE(entry->get(L"translation", translation));
    EXPECT_EQ(text, odd);
    EXPECT_EQ(translation, odd);
}

TEST_F(Strings, WithoutDumpingNothingIsRecorded)
{
    start();
    {
        cStrings strings;
        const std::wstring& shown = strings.translate(L"Play");
        EXPECT_EQ(shown, L"Play");
        // The result handed back as the next argument.
        EXPECT_EQ(strings.translate(shown), L"Play");
        EXPECT_TRUE(strings.getMissing().empty());
        strings.setDumping(true);
        const std::wstring& again = strings.translate(L"Play");
        EXPECT_EQ(strings.translate(again), L"!!!!!!!!!!!!!!Play");
        EXPECT_EQ(strings.getMissing().size(), 2u);
        strings.setDumping(false);
    }
    EXPECT_FALSE(sharedExists("strdubp.xml"));
}

TEST_F(Strings, AMalformedFileFailsNamingIt)
{
    stringsFile("<s><text>Play</text>");
    start();
    try
    {
        cStrings strings;
        FAIL() << "a malformed strings file loaded";
    }
    catch (const Engine::cString<std::string>& error)
    {
        EXPECT_NE(error.find("sys/strings.xml"), std::string::npos) << error;
    }
    EXPECT_EQ(cStrings::instance(), nullptr);
}

} // namespace
