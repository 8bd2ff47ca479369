#include "game/world/LevelArchive.h"

#include "engine/core/cFileSystem.h"
#include "engine/core/cString.h"
#include "game/world/cUnit.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

namespace
{

std::vector<uint8_t> bytesOf(std::initializer_list<int> values)
{
    std::vector<uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<uint8_t>(v));
    return bytes;
}

LevelArchive reader(const LevelArchive& written)
{
    return LevelArchive(written.bytes(), "test.save");
}

// The message of the archive's failure, or "" when the call does not throw it.
template <class F> std::string failureOf(F&& call)
{
    try
    {
        call();
    }
    catch (const Engine::cStringA& text)
    {
        return text;
    }
    return "";
}

} // namespace

TEST(LevelArchive, EncodesEachKindLittleEndian)
{
    LevelArchive out;
    out.write1(true);
    out.write1(false);
    out.write4(int32_t(-2));
    out.write4(1.0f);
    out.write8(Engine::cPoint(3, -1));
    out.write8(Engine::cVector2(0.5f, -2.0f));
    EXPECT_EQ(out.bytes(), bytesOf({1,    0,                                        //
                                    0xFE, 0xFF, 0xFF, 0xFF,                         //
                                    0x00, 0x00, 0x80, 0x3F,                         //
                                    3,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, //
                                    0,    0,    0,    0x3F, 0,    0,    0,    0xC0}));
}

TEST(LevelArchive, StringsCountTheirBytes)
{
    LevelArchive out;
    out.writeString(std::string());
    out.writeString(std::wstring(L"abc"));
    out.writeString(std::string("xy"));
    EXPECT_EQ(out.bytes(), bytesOf({0, 0, 0, 0,                          // empty narrow text
                                    6, 0, 0, 0, 'a', 0,  'b', 0, 'c', 0, // three UTF-16 units
                                    2, 0, 0, 0, 'x', 'y'}));
}

TEST(LevelArchive, EveryValueTypeRoundTripsByteExact)
{
    const std::wstring wide = L"Quill\u00e9\u0416\U0001F600";
    LevelArchive out;
    out.write1(true);
    out.write1(uint8_t(200));
    out.write4(int32_t(INT_MIN));
    out.write4(uint32_t(0xDEADBEEF));
    out.write4(-0.0f);
    out.write4(std::numeric_limits<float>::infinity());
    out.write4(FLT_MIN / 4); // a denormal
    out.write8(Engine::cPoint(INT_MAX, -7));
    out.write8(Engine::cVector2(1e30f, -3.25f));
    out.writeString(std::string("na\xc3\xafve"));
    out.writeString(wide);

    LevelArchive in = reader(out);
    bool flag = false;
    uint8_t byte = 0;
    int32_t i = 0;
    uint32_t u = 0;
    float negativeZero = 1.0f, infinite = 0.0f, denormal = 0.0f;
    Engine::cPoint point;
    Engine::cVector2 vector;
    std::string narrow;
    std::wstring text;
    in.read1(flag);
    in.read1(byte);
    in.read4(i);
    in.read4(u);
    in.read4(negativeZero);
    in.read4(infinite);
    in.read4(denormal);
    in.read8(point);
    in.read8(vector);
    in.readString(narrow);
    in.readString(text);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_TRUE(flag);
    EXPECT_EQ(byte, 200);
    EXPECT_EQ(i, INT_MIN);
    EXPECT_EQ(u, 0xDEADBEEFu);
    EXPECT_TRUE(std::signbit(negativeZero));
    EXPECT_EQ(infinite, std::numeric_limits<float>::infinity());
    EXPECT_EQ(denormal, FLT_MIN / 4);
    EXPECT_EQ(point, Engine::cPoint(INT_MAX, -7));
    EXPECT_EQ(vector, Engine::cVector2(1e30f, -3.25f));
    EXPECT_EQ(narrow, "na\xc3\xafve");
    EXPECT_EQ(text, wide);

    // Writing back what was read gives the same bytes.
    LevelArchive again;
    again.write1(flag);
    again.write1(byte);
    again.write4(i);
    again.write4(u);
    again.write4(negativeZero);
    again.write4(infinite);
    again.write4(denormal);
    again.write8(point);
    again.write8(vector);
    again.writeString(narrow);
    again.writeString(text);
    EXPECT_EQ(again.bytes(), out.bytes());
}

TEST(LevelArchive, ShortOrDamagedInputThrowsNamingTheFile)
{
    LevelArchive in(bytesOf({1, 2, 3}), "profiles/00000003.save");
    int32_t value = 99;
    const std::string message = failureOf([&] { in.read4(value); });
    EXPECT_NE(message.find("profiles/00000003.save"), std::string::npos) << message;
    EXPECT_EQ(value, 99);

    LevelArchive badFlag(bytesOf({2}), "f");
    bool flag = false;
    EXPECT_NE(failureOf([&] { badFlag.read1(flag); }), "");

    // A string that claims more bytes than remain is refused before anything is allocated.
    LevelArchive huge(bytesOf({0xFF, 0xFF, 0xFF, 0x7F, 'a'}), "f");
    std::string text;
    EXPECT_NE(failureOf([&] { huge.readString(text); }), "");

    LevelArchive odd(bytesOf({3, 0, 0, 0, 'a', 0, 'b'}), "f");
    std::wstring wide;
    EXPECT_NE(failureOf([&] { odd.readString(wide); }), "");

    LevelArchive negative(bytesOf({0xFF, 0xFF, 0xFF, 0xFF}), "f");
    EXPECT_NE(failureOf([&] { negative.readCount(1); }), "");

    LevelArchive tooMany(bytesOf({2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}), "f");
    EXPECT_NE(failureOf([&] { tooMany.readCount(8); }), "");
    LevelArchive fits(bytesOf({1, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}), "f");
    EXPECT_EQ(fits.readCount(8), 1);
}

TEST(LevelArchive, UnitNumbers)
{
    auto first = boost::make_shared<cUnit>(0);
    auto second = boost::make_shared<cUnit>(1);
    auto stranger = boost::make_shared<cUnit>(2);
    const UnitNumbering numbering = {{first, 0}, {second, 1}};
    EXPECT_EQ(LevelArchive::findId(numbering, first), 0);
    EXPECT_EQ(LevelArchive::findId(numbering, second), 1);
    // A unit outside the numbering is written as a number no unit has, never as unit 0.
    EXPECT_EQ(LevelArchive::findId(numbering, stranger), -1);
    EXPECT_EQ(LevelArchive::findId(numbering, cUnit::Ptr()), -1);

    const std::vector<cUnit::Ptr> restored = {first, second};
    LevelArchive in(std::vector<uint8_t>(), "f");
    EXPECT_EQ(in.unitAt(restored, 1), second);
    EXPECT_EQ(in.unitAt(restored, -1), cUnit::Ptr());
    EXPECT_NE(failureOf([&] { in.unitAt(restored, 2); }), "");
    EXPECT_NE(failureOf([&] { in.unitAt(restored, -2); }), "");
}

TEST(LevelArchive, FilesOfTheFileSystem)
{
    ::Test::EngineFixture engine("QuillmoorTest");
    Engine::cFileSystem& files = engine.startFiles();
    LevelArchive out;
    out.write4(int32_t(3));
    out.writeString(std::wstring(L"saved"));
    out.writeFile("profiles/00000001.save");
    EXPECT_TRUE(files.isInCommon("profiles/00000001.save"));

    LevelArchive in = LevelArchive::readFile("profiles/00000001.save");
    EXPECT_EQ(in.bytes(), out.bytes());
    EXPECT_EQ(in.name(), "profiles/00000001.save");
    EXPECT_THROW(LevelArchive::readFile("profiles/00000002.save"), std::string);
}
