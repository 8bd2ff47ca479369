// The best times: read from the shared "besttimes.xml" or the levels' own times, written back
// byte for byte as UTF-16, and never lost to a damaged file.
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "game/world/BestTimes.h"
#include "game/world/GameConfig.h"
#include "tests/game/world/game_test_tools.h"
#include "tests/support/DiskFaults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

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
    // The table holds a row for each level the game ships.
    EXPECT_FALSE(times.getBestTime(GameConfig::instance().getConstants().LevelsCount).isSet())
        << "beyond the table";
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
    // The shipped levels past the first two keep their own times under a blank name.
    std::string others;
    for (int level = 2; times.getBestTime(level).isSet(); ++level)
        others += "<level time=\"" + std::to_string(times.getBestTime(level).time) + "\" name=\" \" />";
    ASSERT_FALSE(others.empty());
    const unsigned third = times.getBestTime(2).time;
    times.setBestTime(0, BestTimeRecord(L"Ann \"<Q&A>\" O'Neil", 95));
    times.setBestTime(1, BestTimeRecord(L"", 0));
    times.saveIfChanged();
    EXPECT_FALSE(times.isChanged());
    const std::string expected =
        utf16File("<?xml version=\"1.0\" encoding=\"UTF-16\"?><BestTimes>"
                  "<level time=\"95\" name=\"Ann &quot;&lt;Q&amp;A&gt;&quot; O&apos;Neil\" />"
                  "<level time=\"0\" name=\"\" />" +
                  others + "</BestTimes>");
    EXPECT_EQ(fixture.readShared("besttimes.xml"), expected);

    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(0).name, L"Ann \"<Q&A>\" O'Neil") << "an odd name survives the round trip";
    EXPECT_EQ(times.getBestTime(0).time, 95u);
    EXPECT_FALSE(times.getBestTime(1).isSet());
    EXPECT_EQ(times.getBestTime(2).time, third);
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
    EXPECT_FALSE(Engine::cFileSystem::instance()->isInCommon("besttimes.xml"))
        << "an empty file is set aside";
    EXPECT_TRUE(Engine::cFileSystem::instance()->isInCommon("besttimes.xml.damaged-2"));
}

// The table as the game writes it, for levels 0 to 11 with times 100 + level.
std::string twelveTimes()
{
    std::string table = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><BestTimes>";
    for (int level = 0; level < 12; ++level)
        table +=
            "<level time=\"" + std::to_string(100 + level) + "\" name=\"P" + std::to_string(level) + "\" />";
    return table + "</BestTimes>";
}

TEST(BestTimes, AHalfCutTableKeepsEveryTimeThatReads)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    const std::string whole = utf16File(twelveTimes());
    // Cut in the name of the sixth level: five whole records are left.
    const std::string cut = whole.substr(0, whole.find(utf16File("P5").substr(2)) + 2);
    Engine::writeWholeFile("besttimes.xml", cut.data(), cut.size());
    restartResources(fixture);
    times.reload();
    for (int level = 0; level < 5; ++level)
    {
        EXPECT_EQ(times.getBestTime(level).time, 100u + static_cast<unsigned>(level)) << level;
        EXPECT_EQ(times.getBestTime(level).name, L"P" + std::to_wstring(level));
    }
    EXPECT_EQ(times.getBestTime(5).name, L" ") << "the level's own time";
    EXPECT_EQ(fixture.readShared("besttimes.xml.damaged"), cut);
    times.saveIfChanged();
    EXPECT_NE(fixture.readShared("besttimes.xml").find(utf16File("name=\"P4\"").substr(2)),
              std::string::npos);
}

TEST(BestTimes, TimesAreWholeNumbersOfSecondsOrNothing)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    std::string table = twelveTimes();
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"\"101\"", "\"-100\""},
                                   {"\"102\"", "\"1e400\""},
                                   {"\"103\"", "\"12abc\""}})
        table.replace(table.find(from), from.size(), to);
    const std::string bytes = utf16File(table);
    Engine::writeWholeFile("besttimes.xml", bytes.data(), bytes.size());
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(0).time, 100u);
    for (int level : {1, 2, 3})
    {
        EXPECT_EQ(times.getBestTime(level).name, L" ") << "level " << level << " keeps its own time";
        EXPECT_LT(times.getBestTime(level).time, 100000u);
    }
    EXPECT_EQ(times.getBestTime(4).time, 104u);
    EXPECT_EQ(fixture.readShared("besttimes.xml.damaged"), bytes) << "the refused numbers are kept";
}

TEST(BestTimes, ATableThatCannotBeReadIsNeverWrittenOver)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    const std::string bytes = utf16File(twelveTimes());
    Engine::writeWholeFile("besttimes.xml", bytes.data(), bytes.size());
    restartResources(fixture);
    Engine::resetSaveFailures();
    {
        ::Test::DiskFaults disk({{Engine::eFileStep::read, "besttimes.xml", EIO}});
        EXPECT_NO_THROW(times.reload());
        EXPECT_EQ(times.getBestTime(0).name, L" ");
        times.setBestTime(0, BestTimeRecord(L"New", 5));
        times.saveIfChanged();
    }
    EXPECT_EQ(fixture.readShared("besttimes.xml"), bytes);
    EXPECT_EQ(Engine::saveFailureCount(), 1);
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(0).name, L"P0");
}

TEST(BestTimes, ATableThatCannotBeWrittenIsToldByTheFileOnDisk)
{
    // None yet, or one whose name on disk is in another case (an older copy's, the player's).
    for (const std::string onDisk : {"", "BestTimes.xml"})
    {
        SCOPED_TRACE(onDisk);
        GameFixture fixture;
        const std::string folder = Engine::toUtf8(Engine::cFileSystem::instance()->getCommonFolder());
        if (!onDisk.empty())
        {
            std::ofstream(folder + onDisk, std::ios::binary) << utf16File(twelveTimes());
            // A file system made anew finds it.
            fixture.resources.reset();
            fixture.files.reset();
            fixture.files = std::make_unique<Engine::cFileSystem>(QUILL_SOURCE_DIR L"/data/");
            fixture.resources = std::make_unique<Engine::cResourceManager>();
        }
        BestTimes& times = BestTimes::instance();
        times.reload();
        Engine::resetSaveFailures();
        std::string told;
        Engine::setSaveFailureListener([&](Engine::eSavedFile, const std::string& text) { told = text; });
        {
            ::Test::DiskFaults disk({{Engine::eFileStep::write, ".xml", ENOSPC}});
            times.setBestTime(0, BestTimeRecord(L"New", 5));
            times.saveIfChanged();
        }
        Engine::setSaveFailureListener({});
        const std::string file = folder + (onDisk.empty() ? "besttimes.xml" : onDisk);
        EXPECT_NE(told.find("Can't write file \"" + file + "\": No space left on device"), std::string::npos)
            << told;
        EXPECT_TRUE(times.isChanged()) << "the next save tries again";
    }
}

TEST(BestTimes, ALevelsOwnTimeIsWhatTheWholeLevelFileSays)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    // Read at a glance; a later element of the name re-opens the first and changes its time; a
    // level without the element has no time of its own; a broken copy in the shared folder
    // gives way to the shipped level, as the level's load does.
    fixture.writeLevel(0, "<Level><FreeCells/><MetaData GoldTime='4' BestTime='55'/><Buildings/></Level>");
    fixture.writeLevel(1, "<Level><MetaData BestTime='50'/><FreeCells/><MetaData BestTime='61'/></Level>");
    fixture.writeLevel(2, "<Level><FreeCells><MetaData BestTime='9'/></FreeCells></Level>");
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(0).time, 55u);
    EXPECT_EQ(times.getBestTime(1).time, 61u);
    EXPECT_FALSE(times.getBestTime(2).isSet());
    EXPECT_EQ(times.getBestTime(3).time, 260u) << "the shipped Levels/n3.xml";

    fixture.writeLevel(2, "<Level><MetaData BestTime='9'/><FreeCells>");
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(2).time, 360u) << "the shipped Levels/n2.xml";
    EXPECT_FALSE(fixture.readShared("levels/n2.xml.damaged").empty()) << "the broken copy is kept aside";
}

TEST(BestTimes, ATableAskedForOneLevelIsWrittenWithEveryLevelsOwnTime)
{
    GameFixture fixture;
    BestTimes& times = BestTimes::instance();
    fixture.writeLevel(4, "<Level><FreeCells/><MetaData BestTime='77'/></Level>");
    restartResources(fixture);
    times.reload();
    // A won level asks for its own record; the levels never asked for are written all the same.
    EXPECT_EQ(times.getBestTime(0).time, 200u);
    times.setBestTime(1, BestTimeRecord(L"Di", 30));
    times.saveIfChanged();
    EXPECT_FALSE(times.isChanged());
    const std::string file = fixture.readShared("besttimes.xml");
    EXPECT_NE(file.find(utf16File("<level time=\"77\" name=\" \" />").substr(2)), std::string::npos);

    // Read back, the file's time stands over the level's new one.
    fixture.writeLevel(4, "<Level><FreeCells/><MetaData BestTime='88'/></Level>");
    restartResources(fixture);
    times.reload();
    EXPECT_EQ(times.getBestTime(4).time, 77u);
    EXPECT_EQ(times.getBestTime(1).name, L"Di");

    // Nothing asked and no file: the first save still writes the levels' own times.
    fixture.files->removeFile("besttimes.xml");
    restartResources(fixture);
    times.reload();
    EXPECT_TRUE(times.isChanged());
    times.saveIfChanged();
    EXPECT_NE(
        fixture.readShared("besttimes.xml").find(utf16File("<level time=\"88\" name=\" \" />").substr(2)),
        std::string::npos);
}

} // namespace
