#include "engine/core/Random.h"
#include "engine/core/cColor.h"
#include "engine/core/cSingleton.h"
#include "engine/core/cString.h"
#include "engine/core/cVector2.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

class Registry : public Engine::cSingleton<Registry>
{
};

TEST(Singleton, SecondInstanceThrowsAndDestructionClears)
{
    EXPECT_EQ(Registry::instance(), nullptr);
    {
        Registry first;
        EXPECT_EQ(Registry::instance(), &first);
        try
        {
            Registry second;
            FAIL() << "a second instance was constructed";
        }
        catch (const char* text)
        {
            EXPECT_STREQ(text, "Object already exist.");
        }
        EXPECT_EQ(Registry::instance(), &first);
    }
    EXPECT_EQ(Registry::instance(), nullptr);
}

TEST(EngineString, IsCaughtAsItsOwnType)
{
    try
    {
        throw Engine::cString<std::string>("failed");
    }
    catch (const std::wstring&)
    {
        FAIL();
    }
    catch (const Engine::cString<std::string>& e)
    {
        EXPECT_EQ(e, "failed");
    }
}

TEST(Vector2, DivisionUsesTheFloatReciprocalAndEqualityIsExact)
{
    const Engine::cVector2 v(1.0f, 3.0f);
    const Engine::cVector2 q = v / 3.0f;
    const float r = 1.0f / 3.0f;
    EXPECT_EQ(q.x, 1.0f * r);
    EXPECT_EQ(q.y, 3.0f * r);
    EXPECT_EQ(Engine::cVector2(Engine::cPoint(2, -5)), Engine::cVector2(2.0f, -5.0f));
    EXPECT_NE(Engine::cVector2(0.1f, 0.0f), Engine::cVector2(0.1f + 1e-7f, 0.0f));
}

TEST(Color, PacksWithClampingAndRounding)
{
    const Engine::cColor c(1.5f, 0.5f, -0.2f, 1.0f);
    EXPECT_EQ(c.toARGB(), 0xFFFF8000u);
    EXPECT_EQ(c.toABGR(), 0xFF0080FFu);
    const Engine::cColor back = Engine::cColor::fromARGB(0x80FF0000u);
    EXPECT_FLOAT_EQ(back.a, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(back.r, 1.0f);
    EXPECT_EQ(Engine::cColor::fromARGB(0x12345678u).toARGB(), 0x12345678u);

    // Only the colour changes: the alpha stays, whatever the top byte holds.
    Engine::cColor mixed(0.0f, 0.0f, 0.0f, 0.25f);
    mixed.fromRGB(0xFF336699u);
    EXPECT_EQ(mixed.toARGB(), 0x40336699u);
    EXPECT_FLOAT_EQ(mixed.r, 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(mixed.a, 0.25f);
}

TEST(Random, IsFifteenBitAndRepeatableFromASeed)
{
    Engine::seedRandom(7);
    int first[8];
    for (int& v : first)
    {
        v = Engine::random15();
        EXPECT_GE(v, 0);
        EXPECT_LE(v, Engine::kRandomMax);
    }
    Engine::seedRandom(7);
    for (int v : first)
        EXPECT_EQ(Engine::random15(), v);
}

TEST(Random, RangesStayInsideTheirBounds)
{
    Engine::seedRandom(1);
    for (int i = 0; i < 2000; ++i)
    {
        const float f = randomRange(-2.0f, 3.0f);
        EXPECT_GE(f, -2.0f);
        EXPECT_LE(f, 3.0f);
        const int n = randomInt(0, 4);
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 4);
    }
    EXPECT_EQ(randomInt(5, 5), 5);
}

} // namespace
