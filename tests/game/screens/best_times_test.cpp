// The best times: read from the shared "besttimes.xml" or the levels' own times, written back
// byte for byte as UTF-16, and never lost to a damaged file.
#include "game/screens/BestTimes.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

// The UTF-16 little-endian bytes of an ASCII text, after the byte-order mark.
std::string utf16File(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text)
    {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// A new resource manager: the old one keeps the document it read first.
void restartResources(GameFixture& fixture)
{
    fixture.resources.reset();
    fixture.resources = std::make_unique<Engine::cResourceManager>();
}

TEST(BestTimes, WithoutAFileTheLevelsOwnTimesStandUnderABlankName)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    times.reload();
    const BestTimeRecord first = times.getBestTime(0);
    EXPECT_EQ(first.name, L" ");
    EXPECT_EQ(first.time, 200u) << "\"BestTime\" of Levels/n0.xml";
    EXPECT_TRUE(first.isSet());
    EXPECT_FALSE(times.getBestTime(40).isSet()) << "beyond the table";
    EXPECT_FALSE(times.getBestTime(-1).isSet());
    EXPECT_TRUE(times.isChanged()) << "the first save of a run writes the table";

    times.setBestTime(7, BestTimeRecord(L"Bo", 41));
    EXPECT_EQ(times.getBestTime(7).time, 41u) << "the table grows";
    times.setBestTime(0, BestTimeRecord(L"Cy", 900));
    EXPECT_EQ(times.getBestTime(0).name, L"Cy") << "set replaces whatever the times";
}

TEST(BestTimes, TheFileIsUtf16WithEscapedNamesAndReadsBackTheSame)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    times.reload();
    times.setBestTime(0, BestTimeRecord(L"Ann \"<Q&A>\" O'Neil", 95));
    times.setBestTime(1, BestTimeRecord(L"", 0));
    times.saveIfChanged();
    EXPECT_FALSE(times.isChanged());
    const std::string expected =
        utf16File("<?xml version=\"1.0\" encoding=\"UTF-16\"?><BestTimes>"
                  "<level time=\"95\" name=\"Ann &quot;&lt;Q&amp;A&gt;&quot; O&apos;Neil\" />"
                  "<level time=\"0\" name=\"\" />"
                  "<level time=\"360\" name=\" \" /><level time=\"260\" name=\" \" />"
                  "<level time=\"320\" name=\" \" /><level time=\"360\" name=\" \" /></BestTimes>");
    EXPECT_EQ(fixture.readShared("besttimes.xml"), expected);

    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(0).name, L"Ann \"<Q&A>\" O'Neil") << "an odd name survives the round trip";
    EXPECT_EQ(times.getBestTime(0).time, 95u);
    EXPECT_FALSE(times.getBestTime(1).isSet());
    EXPECT_EQ(times.getBestTime(2).time, 360u);
}

TEST(BestTimes, ADamagedFileFallsBackToTheLevelsAndAnEmptyOneGoes)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    const std::string damaged = "<BestTimes><level time=\"12\" name=\"x";
    Engine::writeWholeFile("besttimes.xml", damaged.data(), damaged.size());
    restartResources(fixture);
    EXPECT_NO_THROW(times.reload());
    EXPECT_EQ(times.getBestTime(0).time, 200u);
    EXPECT_EQ(times.getBestTime(0).name, L" ");
    times.saveIfChanged();
    EXPECT_EQ(fixture.readShared("besttimes.xml").substr(0, 2), "\xFF\xFE") << "the next save mends the file";

    Engine::writeWholeFile("besttimes.xml", "", 0);
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(3).time, 260u);
    EXPECT_FALSE(Engine::cFileSystem::instance()->isInCommon("besttimes.xml")) << "an empty file is deleted";
}

} // namespace
