#include "engine/devices/cAnimation.h"

#include "engine/devices/cAnimationWriter.h"
#include "tests/support/EngineFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

using namespace Engine;

cAnimation fromText(const std::string& text)
{
    const std::string bytes = cAnimationWriter::fromText(text);
    return cAnimation(bytes.data(), bytes.size());
}

std::string errorOf(const std::string& bytes)
{
    try
    {
        cAnimation animation(bytes.data(), bytes.size());
    }
    catch (const char* text)
    {
        return text;
    }
    return "";
}

float rowLength(const cMatrix& m, int row)
{
    return std::sqrt(m(row, 0) * m(row, 0) + m(row, 1) * m(row, 1) + m(row, 2) * m(row, 2));
}

const std::vector<cMatrix> noBones;

// Keys at 0 (identity) and 1 (a move of 10 along x), duration 2.
const char* const Slide = "duration 2\ntrack\nkey 0\nkey 1 translate 10 0 0\n";

TEST(Animation, AnEmptyAnimationOfTwelveBytesLoadsAndGivesNoMatrices)
{
    const std::string bytes = cAnimationWriter::toBytes(1.0f, {});
    ASSERT_EQ(bytes.size(), 12u);
    cAnimation animation(bytes.data(), bytes.size());
    animation.evaluate(0.5f, &noBones);
    EXPECT_TRUE(animation.getOutput().empty());
}

TEST(Animation, KeysAreBlendedAndTimeWrapsOverTheDuration)
{
    EXPECT_EQ(cAnimationWriter::fromText(Slide).size(), 160u);
    cAnimation animation = fromText(Slide);
    EXPECT_EQ(animation.getLastTime(), -1.0f);

    animation.evaluate(0.5f, &noBones);
    EXPECT_FLOAT_EQ(animation.getOutput()[0](3, 0), 5.0f);
    EXPECT_NEAR(rowLength(animation.getOutput()[0], 0), 1.0f, 1e-3f);
    for (float time : {1.5f, 3.5f})
    {
        animation.evaluate(time, &noBones);
        EXPECT_EQ(animation.getOutput()[0], cMatrix::translation(10, 0, 0)) << time;
    }
    animation.evaluate(-0.5f, &noBones);
    EXPECT_FLOAT_EQ(animation.getLastTime(), 1.5f);
    EXPECT_EQ(animation.getOutput()[0], cMatrix::translation(10, 0, 0));
}

TEST(Animation, BeforeTheFirstKeyTheFirstKeyHolds)
{
    cAnimation animation = fromText("track\nkey 0.5 translate 1 2 3\nkey 1 translate 7 0 0\n");
    animation.evaluate(0.25f, &noBones);
    EXPECT_EQ(animation.getOutput()[0], cMatrix::translation(1, 2, 3));
}

TEST(Animation, AxisLengthsAreBlendedApartFromTheRows)
{
    // Half-way between an unrotated axis of length 1 and a turned one of length 3 the rows
    // have length 2, where a plain average would be shorter.
    cAnimation animation = fromText("duration 4\ntrack\nkey 0\nkey 2 scale 3 3 3 rotate z 90\n");
    animation.evaluate(1.0f, &noBones);
    const cMatrix& m = animation.getOutput()[0];
    for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(rowLength(m, row), 2.0f, 2e-3f) << row;
}

TEST(Animation, ChildTracksFollowTheirParentsAndBindPosesAreTakenOut)
{
    cAnimation animation = fromText("track parent 1\nkey 0 translate 1 0 0\n"
                                    "track\nkey 0 rotate z 90 translate 0 5 0\n"
                                    "track\n");
    const std::vector<cMatrix> bones = {cMatrix::translation(0, 0, 2)};
    animation.evaluate(0.0f, &bones);
    const std::vector<cMatrix>& out = animation.getOutput();
    ASSERT_EQ(out.size(), 3u);
    const cMatrix parent = out[1];
    cMatrix expected = cMatrix::translation(0, 0, -2) * (cMatrix::translation(1, 0, 0) * parent);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(out[0].m[i], expected.m[i], 1e-5f) << i;
    // Track 0's point (0, 0, 2) in bind pose lands where the bone puts its origin: (0, 6, 0).
    const cVector3 moved = out[0].transformPoint(cVector3(0, 0, 2));
    EXPECT_NEAR(moved.x, 0.0f, 1e-5f);
    EXPECT_NEAR(moved.y, 6.0f, 1e-5f);
    // A track without keys is the identity, also beyond the bones.
    EXPECT_EQ(out[2], cMatrix());

    // Evaluating again at the same time changes nothing.
    const std::vector<cMatrix> before = out;
    animation.evaluate(0.0f, &bones);
    EXPECT_EQ(animation.getOutput(), before);
    // Without bones nothing is evaluated.
    animation.evaluate(0.5f, nullptr);
    EXPECT_EQ(animation.getLastTime(), 0.0f);
}

TEST(Animation, BrokenFilesGiveTheLoadErrors)
{
    const std::string good = cAnimationWriter::fromText(Slide);
    std::string badEnd = good;
    badEnd[159] = 'x';
    EXPECT_EQ(errorOf(badEnd), "Invalid resource format");
    std::string badStart = good;
    badStart[0] = 'K';
    EXPECT_EQ(errorOf(badStart), "Invalid resource format");
    // Every cut ends inside some field.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_EQ(errorOf(good.substr(0, n)), "Unexpected end of source") << n;
    EXPECT_EQ(errorOf(good + "trailing bytes"), "");
}

TEST(Animation, LyingCountsAndParentsAreRefused)
{
    std::string manyTracks = cAnimationWriter::toBytes(1.0f, {});
    manyTracks[4] = manyTracks[5] = manyTracks[6] = manyTracks[7] = '\xFF';
    EXPECT_EQ(errorOf(manyTracks), "Unexpected end of source");

    std::string manyKeys = cAnimationWriter::fromText(Slide);
    manyKeys[12] = '\xFF';
    manyKeys[15] = '\x7F';
    EXPECT_EQ(errorOf(manyKeys), "Unexpected end of source");

    const std::vector<cAnimTrack> missingParent = {cAnimTrack{{}, 5}};
    EXPECT_EQ(errorOf(cAnimationWriter::toBytes(1.0f, missingParent)), "Invalid resource format");
    const std::vector<cAnimTrack> loop = {cAnimTrack{{}, 2}, cAnimTrack{{}, 0}, cAnimTrack{{}, 1}};
    EXPECT_EQ(errorOf(cAnimationWriter::toBytes(1.0f, loop)), "Invalid resource format");
    const std::vector<cAnimTrack> self = {cAnimTrack{{}, 0}};
    EXPECT_EQ(errorOf(cAnimationWriter::toBytes(1.0f, self)), "Invalid resource format");
}

TEST(Animation, ALongChainOfBonesIsComposedWithoutDeepRecursion)
{
    std::vector<cAnimTrack> chain(20000);
    for (size_t i = 0; i < chain.size(); ++i)
    {
        chain[i].parent = i + 1 < chain.size() ? static_cast<uint32_t>(i + 1) : cAnimTrack::NoParent;
        chain[i].keys.push_back(cAnimKey{cMatrix::translation(1, 0, 0), 0.0f});
    }
    const std::string bytes = cAnimationWriter::toBytes(1.0f, chain);
    cAnimation animation(bytes.data(), bytes.size());
    animation.evaluate(0.0f, &noBones);
    EXPECT_FLOAT_EQ(animation.getOutput()[0](3, 0), 20000.0f);
}

TEST(Animation, AZeroDurationHoldsTheStart)
{
    cAnimation animation = fromText("duration 1\ntrack\nkey 0\nkey 1 translate 10 0 0\n");
    std::string bytes = cAnimationWriter::toBytes(0.0f, animation.getTracks());
    cAnimation still(bytes.data(), bytes.size());
    still.evaluate(0.7f, &noBones);
    EXPECT_EQ(still.getLastTime(), 0.0f);
    EXPECT_EQ(still.getOutput()[0], cMatrix());
}

TEST(AnimationText, MistakesNameTheirLine)
{
    const auto errorOfText = [](const std::string& text)
    {
        try
        {
            cAnimationWriter::fromText(text);
        }
        catch (const std::string& error)
        {
            return error;
        }
        return std::string();
    };
    EXPECT_EQ(errorOfText("key 0\n"), "line 1: a key before the first track");
    EXPECT_EQ(errorOfText("track\n\nkey 0 spin 3\n"), "line 3: unknown transform \"spin\"");
    EXPECT_EQ(errorOfText("track\nkey 1\nkey 1\n"), "line 3: key times must rise within a track");
    EXPECT_EQ(errorOfText("track\nkey x\n"), "line 2: the key time is missing or not a number");
    EXPECT_EQ(errorOfText("track parent 3\n"), "line 1: track 0 hangs from track 3, which does not exist");
}

TEST(Animation, LoadsThroughTheFileSystem)
{
    ::Test::EngineFixture engine("Anim Test");
    engine.data("anims/slide.anim", cAnimationWriter::fromText(Slide));
    engine.startFiles();
    cAnimation animation("anims/slide.anim");
    EXPECT_EQ(animation.getTracks().size(), 1u);
    EXPECT_EQ(animation.getDuration(), 2.0f);
    EXPECT_THROW(cAnimation("anims/none.anim"), std::string);
}

} // namespace
