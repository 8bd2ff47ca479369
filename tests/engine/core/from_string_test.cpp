#include "engine/core/FromString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <locale>

namespace
{

using Engine::fromString;

template <class T> T read(T preset, const std::wstring& text)
{
    fromString(preset, text);
    return preset;
}

TEST(FromStringFloat, ReadsTheLeadingNumber)
{
    EXPECT_EQ(read(7.0f, L""), 7.0f);
    EXPECT_EQ(read(7.0f, L" 2.5x"), 2.5f);
    EXPECT_EQ(read(7.0f, L"abc"), 7.0f);
    EXPECT_EQ(read(7.0f, L"-"), 7.0f);
    EXPECT_EQ(read(7.0f, L"."), 7.0f);
    EXPECT_EQ(read(7.0f, L"-1.5e2"), -150.0f);
    EXPECT_EQ(read(7.0f, L"+3"), 3.0f);
    EXPECT_EQ(read(7.0f, L".5"), 0.5f);
    EXPECT_EQ(read(7.0f, L"5."), 5.0f);
    EXPECT_EQ(read(7.0f, L"1e"), 1.0f);
    EXPECT_EQ(read(7.0f, L"1e+"), 1.0f);
    EXPECT_EQ(read(7.0f, L"\t\n 1E3"), 1000.0f);
    EXPECT_EQ(read(7.0f, L"0.1"), 0.1f);
    EXPECT_EQ(read(7.0, L"0.1"), 0.1);
}

TEST(FromStringFloat, NoInfinityNanHexOrOutOfRange)
{
    EXPECT_EQ(read(7.0f, L"inf"), 7.0f);
    EXPECT_EQ(read(7.0f, L"nan"), 7.0f);
    EXPECT_EQ(read(7.0f, L"0x10"), 0.0f);
    EXPECT_EQ(read(7.0f, L"1e999"), 7.0f);
    EXPECT_EQ(read(7.0, L"1e999"), 7.0);
}

TEST(FromStringFloat, LongMantissaIsRead)
{
    const std::wstring text = L"1." + std::wstring(200, L'0') + L"1";
    EXPECT_EQ(read(7.0, text), 1.0);
}

struct CommaNumpunct : std::numpunct<wchar_t>
{
    wchar_t do_decimal_point() const override { return L','; }
};

TEST(FromStringFloat, GlobalLocaleIsIgnored)
{
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaNumpunct));
    EXPECT_EQ(read(7.0f, L"2.5"), 2.5f);
    EXPECT_EQ(read(Engine::cVector2(), L"1.5,2.5"), Engine::cVector2(1.5f, 2.5f));
    std::locale::global(saved);
}

TEST(FromStringBool, OnlyZeroAndOne)
{
    EXPECT_TRUE(read(false, L"1"));
    EXPECT_FALSE(read(true, L"0"));
    EXPECT_TRUE(read(true, L"true"));
    EXPECT_FALSE(read(false, L"true"));
    EXPECT_FALSE(read(false, L"2"));
    EXPECT_TRUE(read(true, L"2"));
    EXPECT_TRUE(read(true, L""));
    EXPECT_TRUE(read(false, L" 1"));
    EXPECT_FALSE(read(false, L"yes"));
}

TEST(FromStringInt, DecimalWithLimits)
{
    EXPECT_EQ(read(5, L""), 5);
    EXPECT_EQ(read(5, L"12abc"), 12);
    EXPECT_EQ(read(5, L"-7"), -7);
    EXPECT_EQ(read(5, L"  +42"), 42);
    EXPECT_EQ(read(5, L"1.9"), 1);
    EXPECT_EQ(read(5, L"0x10"), 0);
    EXPECT_EQ(read(5, L"x"), 5);
    EXPECT_EQ(read(5, L"2147483647"), INT_MAX);
    EXPECT_EQ(read(5, L"-2147483648"), INT_MIN);
    EXPECT_EQ(read(5, L"2147483648"), 5);
    EXPECT_EQ(read(5, L"99999999999999999999999"), 5);
}

TEST(FromStringInt, UnsignedAndWideTypes)
{
    EXPECT_EQ(read(5u, L"4294967295"), 4294967295u);
    EXPECT_EQ(read(5u, L"4294967296"), 5u);
    EXPECT_EQ(read(5u, L"-1"), 4294967295u);
    EXPECT_EQ(read<unsigned short>(5, L"65535"), 65535);
    EXPECT_EQ(read<unsigned short>(5, L"65536"), 5);
    EXPECT_EQ(read(5L, L"-9223372036854775808"), LONG_MIN);
    EXPECT_EQ(read(5LL, L"9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(read(5LL, L"9223372036854775808"), 5LL);
}

TEST(FromStringUnsignedLong, HexadecimalOnlyAfterLowerCase0x)
{
    EXPECT_EQ(read(5ul, L"0x1F"), 31ul);
    EXPECT_EQ(read(5ul, L"0X1F"), 0ul);
    EXPECT_EQ(read(5ul, L"31"), 31ul);
    EXPECT_EQ(read(5ul, L"0xffffffff"), 0xFFFFFFFFul);
    EXPECT_EQ(read(5ul, L"0x"), 5ul);
    EXPECT_EQ(read(5ul, L"0xg"), 5ul);
    EXPECT_EQ(read(5ul, L" 0x1F"), 0ul);
    EXPECT_EQ(read(5ul, L""), 5ul);
}

TEST(FromStringColor, RgbKeepsAlphaArgbSetsIt)
{
    const Engine::cColor preset(0.1f, 0.2f, 0.3f, 0.4f);
    const float k = 1.0f / 255.0f;
    EXPECT_EQ(read(preset, L"FF0000"), Engine::cColor(1.0f, 0.0f, 0.0f, 0.4f));
    EXPECT_EQ(read(preset, L"80FF0000"), Engine::cColor(1.0f, 0.0f, 0.0f, 128 * k));
    EXPECT_EQ(read(preset, L"ff8000"), Engine::cColor(1.0f, 128 * k, 0.0f, 0.4f));
    EXPECT_EQ(read(preset, L"0x00FF00"), Engine::cColor(0.0f, 1.0f, 0.0f, 0.0f));
    EXPECT_EQ(read(preset, L""), preset);
    EXPECT_EQ(read(preset, L"xyz"), preset);
    EXPECT_EQ(read(preset, L"1FFFFFFFF"), preset);
}

TEST(FromStringColor, LengthOfTheTextDecidesNotTheDigits)
{
    const Engine::cColor preset(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(read(preset, L"0xFFFFFF"), Engine::cColor(1.0f, 1.0f, 1.0f, 0.0f));
    EXPECT_EQ(read(preset, L" FF0000"), Engine::cColor(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(read(preset, L"FF"), Engine::cColor(0.0f, 0.0f, 1.0f, 0.4f));
}

TEST(FromStringVector, OneSeparatorCharacterOfAnyKind)
{
    const Engine::cVector2 preset(8.0f, 9.0f);
    EXPECT_EQ(read(preset, L"3;4"), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(read(preset, L"3,4"), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(read(preset, L"3 4"), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(read(preset, L"3; 4"), Engine::cVector2(3.0f, 4.0f));
    EXPECT_EQ(read(preset, L"-1.5e1x2"), Engine::cVector2(-15.0f, 2.0f));
}

TEST(FromStringVector, ComponentsAfterAFailureStayUnchanged)
{
    const Engine::cVector2 preset(8.0f, 9.0f);
    EXPECT_EQ(read(preset, L"3"), Engine::cVector2(3.0f, 9.0f));
    EXPECT_EQ(read(preset, L"3;"), Engine::cVector2(3.0f, 9.0f));
    EXPECT_EQ(read(preset, L"3;;4"), Engine::cVector2(3.0f, 9.0f));
    EXPECT_EQ(read(preset, L"a;4"), preset);
    EXPECT_EQ(read(preset, L""), preset);

    const Engine::cVector3 preset3(7.0f, 8.0f, 9.0f);
    EXPECT_EQ(read(preset3, L"1,2,3"), Engine::cVector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(read(preset3, L"1,2"), Engine::cVector3(1.0f, 2.0f, 9.0f));

    const Engine::cVector4 preset4(6.0f, 7.0f, 8.0f, 9.0f);
    EXPECT_EQ(read(preset4, L"1 2 3 4"), Engine::cVector4(1.0f, 2.0f, 3.0f, 4.0f));
    EXPECT_EQ(read(preset4, L"1 2 x 4"), Engine::cVector4(1.0f, 2.0f, 8.0f, 9.0f));
}

TEST(FromStringPoint, TwoIntsOneSeparator)
{
    const Engine::cPoint preset(8, 9);
    EXPECT_EQ(read(preset, L"3;4"), Engine::cPoint(3, 4));
    EXPECT_EQ(read(preset, L"-3,-4"), Engine::cPoint(-3, -4));
    EXPECT_EQ(read(preset, L"3"), Engine::cPoint(3, 9));
    // The fraction's point is the one separator character.
    EXPECT_EQ(read(preset, L"3.5;4"), Engine::cPoint(3, 5));
    EXPECT_EQ(read(preset, L"3;99999999999"), Engine::cPoint(3, 9));
}

TEST(FromStringText, WideWholeNarrowFirstWord)
{
    EXPECT_EQ(read(std::wstring(L"old"), L""), L"");
    EXPECT_EQ(read(std::wstring(L"old"), L" a b "), L" a b ");
    EXPECT_EQ(read(std::string("old"), L"a b"), "a");
    EXPECT_EQ(read(std::string("old"), L"  h\u00E9llo world"), "h\xC3\xA9llo");
    EXPECT_EQ(read(std::string("old"), L""), "old");
    EXPECT_EQ(read(std::string("old"), L" \t "), "old");
}

TEST(FromString, ValueForm)
{
    EXPECT_EQ(fromString<int>(L"5"), 5);
    EXPECT_EQ(fromString<float>(L""), 0.0f);
    EXPECT_EQ(fromString<Engine::cPoint>(L"1,2"), Engine::cPoint(1, 2));
    int target = 1;
    EXPECT_EQ(&fromString<int>(target, L"2"), &target);
    EXPECT_EQ(target, 2);
}

} // namespace
