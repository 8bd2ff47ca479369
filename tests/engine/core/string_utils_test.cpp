#include "engine/core/StringUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <locale>

namespace
{

TEST(NameHash, KnownValues)
{
    EXPECT_EQ(Engine::hashWStr(L""), 0u);
    EXPECT_EQ(Engine::hashWStr(nullptr), 0u);
    EXPECT_EQ(Engine::hashWStr(L"a"), 0x9E377A1Au);
    EXPECT_EQ(Engine::hashWString(L"a"), 0x9E377A1Au);
    EXPECT_EQ(Engine::hashStr("a"), 0x9E377A1Au);
    EXPECT_EQ(Engine::hashString("a"), 0x9E377A1Au);
    EXPECT_EQ(Engine::hashString("ab"), 0xCD94A53Bu);
    EXPECT_EQ(Engine::hashString(""), 0u);
}

TEST(NameHash, WideAndNarrowAsciiAgree)
{
    EXPECT_EQ(Engine::hashWString(L"Button"), Engine::hashString("Button"));
    EXPECT_EQ(Engine::hashWString(L"Button"), 0x95459E5Cu);
    EXPECT_EQ(Engine::hashWStr(L"sys/constants.xml"), Engine::hashStr("sys/constants.xml"));
}

TEST(NameHash, NarrowBytesAreSignExtendedWideCharactersAreNot)
{
    // The byte E9 enters as FFFFFFE9; the wide character U+00E9 as E9.
    EXPECT_EQ(Engine::hashStr("\xE9"), 0x9E3779A2u);
    EXPECT_EQ(Engine::hashWString(L"\u00E9"), 0x9E377AA2u);
    // A character past the Basic Plane enters as its code point.
    EXPECT_EQ(Engine::hashWString(L"\U0001F600"), 0x9E396FB9u);
}

TEST(NameHash, NoCaseLowersOnlyAsciiLetters)
{
    EXPECT_EQ(Engine::hashStrNoCase("HeLLo_World9"), Engine::hashStr("hello_world9"));
    EXPECT_EQ(Engine::hashStrNoCase(std::string("ABC")), Engine::hashString("abc"));
    EXPECT_EQ(Engine::hashStrNoCase("\xC9"), Engine::hashStr("\xC9"));
    EXPECT_EQ(Engine::hashStrNoCase("[@]"), Engine::hashStr("[@]"));
    EXPECT_EQ(Engine::hashStrNoCase(static_cast<const char*>(nullptr)), 0u);
}

TEST(EscapeXml, ReplacesInOrderWithoutDoubleEscaping)
{
    EXPECT_EQ(Engine::escapeXml(L"a&<\"b"), L"a&amp;&lt;&quot;b");
    EXPECT_EQ(Engine::escapeXml(L"&'><\""), L"&amp;&apos;&gt;&lt;&quot;");
    EXPECT_EQ(Engine::escapeXml(L"&amp;"), L"&amp;amp;");
    EXPECT_EQ(Engine::escapeXml(L"plain \u00E9"), L"plain \u00E9");
}

TEST(ReplaceAll, InsertedTextIsNotSearchedAgain)
{
    std::wstring text = L"aaa";
    Engine::replaceAll(text, L"a", L"aa");
    EXPECT_EQ(text, L"aaaaaa");

    text = L"abcabc";
    Engine::replaceAll(text, L"bc", L"");
    EXPECT_EQ(text, L"aa");

    text = L"abc";
    Engine::replaceAll(text, L"", L"x");
    EXPECT_EQ(text, L"abc");

    std::string narrow = "a\\b\\c";
    Engine::replaceAll(narrow, "\\", "/");
    EXPECT_EQ(narrow, "a/b/c");
}

TEST(TimeToString, MinutesAndSeconds)
{
    EXPECT_STREQ(Engine::timeToString(75.9f), L"01:15");
    EXPECT_STREQ(Engine::timeToString(0.0f), L"00:00");
    EXPECT_STREQ(Engine::timeToString(600.0f), L"10:00");
    EXPECT_STREQ(Engine::timeToString(3599.99f), L"59:59");
    EXPECT_STREQ(Engine::timeToString(5999.0f), L"99:59");
}

TEST(TimeToString, OutOfRangeIsClampedAndBufferIsShared)
{
    EXPECT_STREQ(Engine::timeToString(6000.0f), L"99:59");
    EXPECT_STREQ(Engine::timeToString(1e30f), L"99:59");
    EXPECT_STREQ(Engine::timeToString(-5.0f), L"00:00");
    EXPECT_STREQ(Engine::timeToString(std::numeric_limits<float>::quiet_NaN()), L"00:00");
    const wchar_t* first = Engine::timeToString(1.0f);
    EXPECT_EQ(Engine::timeToString(2.0f), first);
    EXPECT_STREQ(first, L"00:02");
}

// A numeric format that differs from "C" in every way that matters, to check that the
// conversions ignore the program's global locale.
struct CommaNumpunct : std::numpunct<wchar_t>
{
    wchar_t do_decimal_point() const override { return L','; }
    wchar_t do_thousands_sep() const override { return L'.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(ToString, DecimalTextInTheClassicFormat)
{
    EXPECT_EQ(Engine::toString<int>(-12), L"-12");
    EXPECT_EQ(Engine::toString<int>(0), L"0");
    EXPECT_EQ(Engine::toString<int>(INT_MIN), L"-2147483648");
    EXPECT_EQ(Engine::toString<unsigned>(4000000000u), L"4000000000");
    EXPECT_EQ(Engine::toString<long long>(-9000000000LL), L"-9000000000");

    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
    EXPECT_EQ(Engine::toString<int>(1234567), L"1234567");
    EXPECT_EQ(Engine::toString<float>(2.5f), L"2.5");
    EXPECT_EQ(Engine::toString<double>(1000000.0), L"1e+06");
    std::locale::global(saved);
}

TEST(Utf8, RoundTripIncludingCharactersPastTheBasicPlane)
{
    const std::wstring wide = L"a\u00E9\u20AC\U0001F600z";
    const std::string bytes = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(Engine::toUtf8(wide), bytes);
    EXPECT_EQ(Engine::fromUtf8(bytes), wide);
    EXPECT_EQ(toNarrowString(wide), bytes);
    EXPECT_EQ(toNarrowString(wide.c_str()), bytes);
    EXPECT_EQ(toNarrowString(static_cast<const wchar_t*>(nullptr)), "");

    std::string out = "old contents";
    Engine::toUtf8(L"x", out);
    EXPECT_EQ(out, "x");
    std::wstring wout = L"old contents";
    Engine::fromUtf8("y", wout);
    EXPECT_EQ(wout, L"y");
}

TEST(Utf8, LongTextsAreConvertedWhole)
{
    const std::wstring wide(1000, L'\u00E9');
    EXPECT_EQ(toNarrowString(wide).size(), 2000u);
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters)
{
    const wchar_t r = 0xFFFD;
    EXPECT_EQ(Engine::fromUtf8("\xFF"), std::wstring(1, r));
    EXPECT_EQ(Engine::fromUtf8("\xC0\xAF"), std::wstring(2, r));         // overlong '/'
    EXPECT_EQ(Engine::fromUtf8("\xED\xA0\x80"), std::wstring(3, r));     // a surrogate
    EXPECT_EQ(Engine::fromUtf8("\xF4\x90\x80\x80"), std::wstring(4, r)); // past U+10FFFF
    EXPECT_EQ(Engine::fromUtf8("\xE2\x82"), std::wstring(1, r));         // cut off at the end
    EXPECT_EQ(Engine::fromUtf8("\xE2\x82"
                               "A"),
              std::wstring(1, r) + L"A"); // cut off mid-text
    EXPECT_EQ(Engine::fromUtf8("\x80"
                               "b"),
              std::wstring(1, r) + L"b");

    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(Engine::toUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), replacement);
    EXPECT_EQ(Engine::toUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), replacement);
}

TEST(Utf16, SurrogatePairsAreSplitAndJoined)
{
    const std::wstring wide = L"a\u00E9\U0001F600\U0010FFFF";
    const std::u16string units = u"a\u00E9\xD83D\xDE00\xDBFF\xDFFF";
    EXPECT_EQ(Engine::toUtf16(wide), units);
    EXPECT_EQ(Engine::fromUtf16(units), wide);
    EXPECT_EQ(Engine::fromUtf16(units.data(), units.size()), wide);
    EXPECT_EQ(Engine::fromUtf16(nullptr, 4), L"");
}

TEST(Utf16, UnpairedSurrogatesBecomeReplacementCharacters)
{
    const std::wstring r(1, static_cast<wchar_t>(0xFFFD));
    EXPECT_EQ(Engine::fromUtf16(u"\xD83D"), r); // high at the end
    EXPECT_EQ(Engine::fromUtf16(u"\xDE00"
                                u"a"),
              r + L"a"); // low without high
    EXPECT_EQ(Engine::fromUtf16(u"\xD83D"
                                u"a"),
              r + L"a"); // high without low
    EXPECT_EQ(Engine::fromUtf16(u"\xD83D\xD83D\xDE00"), r + L"\U0001F600");
    EXPECT_EQ(Engine::toUtf16(std::wstring(1, static_cast<wchar_t>(0xDC00))), u"\xFFFD");
    // Only the given number of units is read, so a pair cut by the length is not joined.
    const std::u16string pair = u"\xD83D\xDE00";
    EXPECT_EQ(Engine::fromUtf16(pair.data(), 1), r);
}

TEST(ToLower, OnlyAsciiLettersChange)
{
    EXPECT_EQ(Engine::toLower(std::string("Data/Sys/A\xC3\x89.XML")), "data/sys/a\xC3\x89.xml");
    EXPECT_EQ(Engine::toLower(std::wstring(L"\u00C0Bc-Z")), L"\u00C0bc-z");
}

} // namespace
