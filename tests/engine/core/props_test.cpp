#include "engine/core/cProps.h"
#include "engine/core/cXmlProperties.h"
#include "tests/engine/core/config_test_tools.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Engine::cColor;
using Engine::cProps;
using Engine::cVector2;

const std::wstring Declaration = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>";

class Props : public ::testing::Test
{
protected:
    void SetUp() override { cProps::clearAll(); }
    void TearDown() override
    {
        cProps::clearAll();
        cProps::clearRanges();
    }

    // The values of a property file text, as the profile manager reads them.
    static void load(const std::wstring& text)
    {
        const std::string bytes = ConfigTest::utf16(text);
        cProps::readFile(*Engine::cXmlProperties::fromBuffer(bytes.data(), bytes.size(), "00000001.xml"));
    }
};

TEST_F(Props, OnlyValuesThatWereSetAreWritten)
{
    EXPECT_EQ(cProps::get<int>(L"Level7"), 0);
    EXPECT_EQ(cProps::fileText(), Declaration + L"<Props></Props>");
    cProps::set<int>(L"CurrentLevel", 3);
    EXPECT_EQ(cProps::fileText(),
              Declaration + L"<Props><prop Name=\"CurrentLevel\" Val=\"3\" Type=\"Int\" /></Props>");
    cProps::clearAll();
    EXPECT_TRUE(cProps::isEmpty());
    EXPECT_EQ(cProps::get<int>(L"CurrentLevel"), 0);
    EXPECT_EQ(cProps::fileText(), Declaration + L"<Props></Props>");
}

TEST_F(Props, GroupedByTypeAndSortedByName)
{
    cProps::set<cVector2>(L"Pos", cVector2(1.5f, 2.0f));
    cProps::set<int>(L"b", 2);
    cProps::set<int>(L"B", 1);
    cProps::set<float>(L"Ratio", 0.1234567f);
    cProps::set<bool>(L"Sound", true);
    EXPECT_EQ(cProps::fileText(), Declaration + L"<Props>"
                                                L"<prop Name=\"Ratio\" Val=\"0.123457\" Type=\"Float\" />"
                                                L"<prop Name=\"B\" Val=\"1\" Type=\"Int\" />"
                                                L"<prop Name=\"b\" Val=\"2\" Type=\"Int\" />"
                                                L"<prop Name=\"Sound\" Val=\"1\" Type=\"Bool\" />"
                                                L"<prop Name=\"Pos\" Val=\"1.5 2\" Type=\"Vector2\" />"
                                                L"</Props>");
}

// Every one of the 13 types through the file text and back, names and texts past ASCII and
// with characters that must be escaped included.
TEST_F(Props, AllTypesRoundTripThroughTheFile)
{
    const std::wstring wide = L"Ann \"<&>\" 'q'\ttab\nline Ĳssel 日本 \U0001F600";
    const std::string narrow = "Grüße \"<&>\" \U0001F600 " + std::string(300, 'x');
    const cColor colour = cColor::fromARGB(0x0a2040ff);
    cProps::set<float>(L"Float é", 0.75f);
    cProps::set<double>(L"Double", -1.0e-12);
    cProps::set<int>(L"Int", -2147483647 - 1);
    cProps::set<unsigned int>(L"UInt", 4294967295u);
    cProps::set<long>(L"Long", -70000L);
    cProps::set<unsigned long>(L"ULong", 4000000000ul);
    cProps::set<long long>(L"LongLong", -9000000000000000000LL);
    cProps::set<cColor>(L"DXColor", colour);
    cProps::set<cColor>(L"Clear", cColor(0, 0, 1, 0));
    cProps::set<bool>(L"Bool", true);
    cProps::set<unsigned short>(L"UInt16", 65535);
    cProps::set<cVector2>(L"Vector2", cVector2(-0.5f, 1e-3f));
    cProps::set<std::string>(L"String", narrow);
    cProps::set<std::wstring>(L"Name \"<&>\" 日本", wide);
    const std::wstring text = cProps::fileText();

    cProps::clearAll();
    load(text);
    EXPECT_EQ(cProps::get<float>(L"Float é"), 0.75f);
    EXPECT_EQ(cProps::get<double>(L"Double"), -1.0e-12);
    EXPECT_EQ(cProps::get<int>(L"Int"), -2147483647 - 1);
    EXPECT_EQ(cProps::get<unsigned int>(L"UInt"), 4294967295u);
    EXPECT_EQ(cProps::get<long>(L"Long"), -70000L);
    EXPECT_EQ(cProps::get<unsigned long>(L"ULong"), 4000000000ul);
    EXPECT_EQ(cProps::get<long long>(L"LongLong"), -9000000000000000000LL);
    EXPECT_EQ(cProps::get<cColor>(L"DXColor"), colour);
    EXPECT_EQ(cProps::get<cColor>(L"Clear"), cColor(0, 0, 1, 0));
    EXPECT_TRUE(cProps::get<bool>(L"Bool"));
    EXPECT_EQ(cProps::get<unsigned short>(L"UInt16"), 65535);
    EXPECT_EQ(cProps::get<cVector2>(L"Vector2"), cVector2(-0.5f, 1e-3f));
    EXPECT_EQ(cProps::get<std::string>(L"String"), narrow);
    EXPECT_EQ(cProps::get<std::wstring>(L"Name \"<&>\" 日本"), wide);
    // Read back, everything is recorded again: a second save writes the same file.
    EXPECT_EQ(cProps::fileText(), text);
}

TEST_F(Props, UnknownTypesAndUnreadableValues)
{
    load(Declaration + L"<Props>"
                       L"<prop Name=\"A\" Val=\"5\" Type=\"Integer\" />"
                       L"<prop Name=\"B\" Val=\"\" Type=\"Int\" />"
                       L"<prop Name=\"C\" Val=\"0x10\" Type=\"ULong\" />"
                       L"<prop Name=\"D\" Val=\"4294967296\" Type=\"Long\" />"
                       L"<prop Name=\"E\" Val=\"2\" Type=\"Bool\" />"
                       L"<prop Name=\"G\" Val=\"-1\" Type=\"UInt\" />"
                       L"<prop Name=\"H\" Val=\"-1\" Type=\"UInt16\" />"
                       L"<item Type=\"Int\" Val=\"9\" Name=\"F\" />"
                       L"</Props>");
    int a = -1;
    EXPECT_FALSE(cProps::getIfPresent(L"A", a));
    EXPECT_EQ(a, -1);
    EXPECT_TRUE(cProps::getIfPresent(L"B", a));
    EXPECT_EQ(a, 0);
    EXPECT_EQ(cProps::get<unsigned long>(L"C"), 16u);
    EXPECT_EQ(cProps::get<long>(L"D"), 2147483647L); // past 32 bits: the largest
    EXPECT_FALSE(cProps::get<bool>(L"E"));
    EXPECT_EQ(cProps::get<int>(L"F"), 9);           // any element name
    EXPECT_EQ(cProps::get<unsigned int>(L"G"), 0u); // never wrapped
    EXPECT_EQ(cProps::get<unsigned short>(L"H"), 0u);
}

TEST_F(Props, TypesAreSeparateTables)
{
    cProps::set<int>(L"Level", 4);
    bool flag = true;
    EXPECT_FALSE(cProps::getIfPresent(L"Level", flag));
    EXPECT_TRUE(flag);
    int level = 0;
    EXPECT_TRUE(cProps::getIfPresent(L"Level", level));
    EXPECT_EQ(level, 4);
    // A value only read is there afterwards (as 0) but not written.
    cProps::get<bool>(L"Read");
    EXPECT_TRUE(cProps::getIfPresent(L"Read", flag));
    EXPECT_FALSE(flag);
    EXPECT_EQ(cProps::fileText(),
              Declaration + L"<Props><prop Name=\"Level\" Val=\"4\" Type=\"Int\" /></Props>");
}

// A number outside its type, or outside the range the program declared for its name, is read
// as the nearer end and written back so; what the program sets is written within the range too.
TEST_F(Props, ValuesOutOfRangeAreReadAndWrittenAsTheNearerEnd)
{
    cProps::setNumberedRange<int>(L"Level", 0, 2);
    cProps::setRange<int>(L"Volume", 0, 100);
    // Type, name, text read, text written; in the order of the file.
    const struct
    {
        const wchar_t* type;
        const wchar_t* name;
        const wchar_t* read;
        const wchar_t* written;
    } rows[] = {
        {L"Int", L"Big", L"99999999999", L"2147483647"},
        {L"Int", L"Level0", L"-5", L"0"},
        {L"Int", L"Level1", L"77", L"2"},
        {L"Int", L"Level12", L"1", L"1"},
        {L"Int", L"LevelCount", L"77", L"77"},
        {L"Int", L"Small", L"-99999999999", L"-2147483648"},
        {L"Int", L"Volume", L"500", L"100"},
        {L"UInt", L"Big", L"99999999999", L"4294967295"},
        {L"UInt", L"Minus", L"-1", L"0"},
        {L"Long", L"Small", L"-4294967296", L"-2147483648"},
        {L"ULong", L"Hex", L"0x1ffffffff", L"4294967295"},
        {L"ULong", L"Minus", L"-1", L"0"},
        {L"LongLong", L"Big", L"99999999999999999999", L"9223372036854775807"},
        {L"UInt16", L"Big", L"70000", L"65535"},
    };
    std::wstring file = Declaration + L"<Props>";
    std::wstring expected = file;
    for (const auto& row : rows)
    {
        const std::wstring end = L"\" Type=\"" + std::wstring(row.type) + L"\" />";
        file += L"<prop Name=\"" + std::wstring(row.name) + L"\" Val=\"" + row.read + end;
        expected += L"<prop Name=\"" + std::wstring(row.name) + L"\" Val=\"" + row.written + end;
    }
    load(file + L"</Props>");
    EXPECT_EQ(cProps::get<int>(L"Level1"), 2);
    EXPECT_EQ(cProps::fileText(), expected + L"</Props>");

    // Set by the program: kept in memory, written within the range.
    cProps::set<int>(L"Level3", 9);
    EXPECT_EQ(cProps::get<int>(L"Level3"), 9);
    EXPECT_NE(cProps::fileText().find(L"Name=\"Level3\" Val=\"2\""), std::wstring::npos);
    // A range declared after the values were read brings them within at once; the ranges
    // outlive the profile's values.
    cProps::set<int>(L"Late", -3);
    cProps::setRange<int>(L"Late", 1, 5);
    EXPECT_EQ(cProps::get<int>(L"Late"), 1);
    cProps::clearAll();
    load(Declaration + L"<Props><prop Name=\"Level0\" Val=\"-1\" Type=\"Int\" /></Props>");
    EXPECT_EQ(cProps::get<int>(L"Level0"), 0);
}

} // namespace
