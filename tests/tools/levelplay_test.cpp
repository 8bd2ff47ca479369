// levelplay over the game's own levels, played through the play state by the pointer and the
// keys: each is won with gold by the script beside it at a person's pace and as the script is
// written, at the same clock, and a sample of them also when the player leaves the level and
// continues it at several times; at a person's pace a
// click waits for the click before it and for what it clicks, the script is written again with
// the times its clicks came at, and the level is judged where the script leaves it; a level left and
// continued is the same level again; a level file is played from any folder under any name, or by its number;
// an empty script wins nothing; a refused click names its problem; a click a player could not make goes
// nowhere and says what lay there; a cancel gives the cost back; a bad script or save file is refused
// with its name; a level won a little past a medal time that the clock still shows wins the medal;
// and a level whose last goal the town hall's own upgrade meets is won.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kLevelplay = QUILL_BINARY_DIR "/tools/levelplay";
const std::string kData = QUILL_SOURCE_DIR "/data";

struct PlayRun
{
    std::string output;
    int status = -1;
};

// `environment` is put before the command, as "NAME='value' ".
PlayRun levelplay(const std::string& arguments, const std::string& environment = std::string())
{
    PlayRun run;
    FILE* pipe =
        popen((environment + kLevelplay + " --data " + kData + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, read);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string level(int n)
{
    return kData + "/Levels/n" + std::to_string(n) + ".xml";
}

// The level clock of the last line, -1 without one.
float clockOf(const std::string& output)
{
    std::smatch match;
    static const std::regex last("won=(\\d) clock=([0-9.]+) medal=(\\w+) frames=(\\d+) open_goals=(-?\\d+)");
    if (!std::regex_search(output, match, last))
        return -1.0f;
    return std::stof(match[2]);
}

struct Line
{
    float time;
    std::string text;
};

// The script's commands with their times, comments dropped.
std::vector<Line> readScript(const std::string& path)
{
    std::ifstream in(path);
    std::vector<Line> lines;
    std::string text;
    while (std::getline(in, text))
    {
        std::istringstream words(text);
        std::string at;
        float time = 0.0f;
        if (words >> at && at == "at" && words >> time)
            lines.push_back({time, text});
    }
    return lines;
}

// The script with more commands put in at their times.
std::string withCommands(const std::vector<Line>& script, const std::vector<Line>& extra)
{
    std::vector<Line> all = script;
    for (const Line& line : extra)
    {
        auto at = all.begin();
        while (at != all.end() && at->time <= line.time)
            ++at;
        all.insert(at, line);
    }
    std::string text;
    for (const Line& line : all)
        text += line.text + "\n";
    return text;
}

// The number of levels the game ships ("LevelsCount" of "Game/Game.xml").
int shippedLevels()
{
    const std::string game = ::Test::readFile(kData + "/Game/Game.xml");
    std::smatch match;
    if (!std::regex_search(game, match, std::regex("<LevelsCount>(\\d+)</LevelsCount>")))
        return 0;
    return std::stoi(match[1]);
}

// The medal times a level file gives, in seconds.
struct MedalTimes
{
    float gold = -1.0f;
    float silver = -1.0f;
};

MedalTimes medalTimesOf(int n)
{
    const std::string xml = ::Test::readFile(level(n));
    std::smatch match;
    MedalTimes times;
    if (std::regex_search(xml, match, std::regex(R"re(GoldTime="([0-9.]+)")re")))
        times.gold = std::stof(match[1]);
    if (std::regex_search(xml, match, std::regex(R"re(SilverTime="([0-9.]+)")re")))
        times.silver = std::stof(match[1]);
    return times;
}

// Every level is played; a sample of them is also left and continued on the way, which takes
// twice as long: every fourth level, the first with an upgrade and the last.
struct ShippedRun
{
    int level;
    bool leftAndContinued;
};

void PrintTo(const ShippedRun& run, std::ostream* out)
{
    *out << "level " << run.level << (run.leftAndContinued ? ", left and continued" : "");
}

std::vector<ShippedRun> shippedRuns()
{
    const int count = shippedLevels();
    std::vector<ShippedRun> runs;
    for (int n = 0; n < count; ++n)
        runs.push_back({n, n % 4 == 0 || n == 1 || n == count - 1});
    return runs;
}

class ShippedLevel : public ::testing::TestWithParam<ShippedRun>
{
};

} // namespace

TEST_P(ShippedLevel, IsWonWithGoldByItsScriptAtAPersonsPaceAndAsWritten)
{
    const int n = GetParam().level;
    const std::string script = kData + "/Levels/n" + std::to_string(n) + ".play";
    const PlayRun paced = levelplay("--pace " + level(n) + " " + script);
    ASSERT_EQ(paced.status, 0) << paced.output;
    EXPECT_NE(paced.output.find("won=1"), std::string::npos) << paced.output;
    EXPECT_NE(paced.output.find("open_goals=0"), std::string::npos) << paced.output;
    const float clock = clockOf(paced.output);
    ASSERT_GT(clock, 0.0f);

    // The medal times follow the script at a person's pace: a player who plays as well as it at
    // that pace gets gold, and gold is not given away; silver is about a third more.
    EXPECT_NE(paced.output.find("medal=gold"), std::string::npos) << paced.output;
    const MedalTimes medals = medalTimesOf(n);
    EXPECT_LE(medals.gold, clock * 1.2f + 5.0f)
        << "the gold time of level " << n << " is far above its script's " << clock << " s";
    EXPECT_GE(medals.silver, medals.gold * 1.2f) << "level " << n;
    EXPECT_LE(medals.silver, medals.gold * 1.5f) << "level " << n;

    // Played as written, without the pace, the script makes the same clicks at the times they
    // came at that pace (it is written again with them) and wins at the same clock.
    const PlayRun written = levelplay(level(n) + " " + script);
    ASSERT_EQ(written.status, 0) << written.output;
    EXPECT_NE(written.output.find("won=1"), std::string::npos) << written.output;
    EXPECT_NEAR(clockOf(written.output), clock, 1.0f / 64.0f + 0.001f)
        << "level " << n << ": write its script again with --pace --write-script";
    if (!GetParam().leftAndContinued)
        return;

    // Left and continued at a quarter, half and three quarters of the way: still won, and a
    // level continued and left again at once saves the same level again. The saved clock holds
    // whole seconds, so the level is left on a whole second.
    const std::vector<Line> lines = readScript(script);
    ::Test::TempDir folder;
    std::vector<Line> extra;
    for (float part : {0.25f, 0.5f, 0.75f})
    {
        const float at = std::floor(clock * part);
        const std::string t = std::to_string(static_cast<int>(at));
        for (const char* verb : {" save", " restore", " save", " restore"})
            extra.push_back({at, "at " + t + verb});
    }
    const std::string saving = (folder.path() / "saving.play").string();
    std::ofstream(saving) << withCommands(lines, extra);
    const std::string saves = (folder.path() / "saves").string();
    const PlayRun resumed = levelplay("--keep-saves " + saves + " " + level(n) + " " + saving);
    ASSERT_EQ(resumed.status, 0) << resumed.output;
    EXPECT_NE(resumed.output.find("won=1"), std::string::npos) << resumed.output;
    for (int pair = 0; pair < 3; ++pair)
    {
        const std::string first = ::Test::readFile(saves + "/save-" + std::to_string(2 * pair + 1) + ".bin");
        const std::string second = ::Test::readFile(saves + "/save-" + std::to_string(2 * pair + 2) + ".bin");
        ASSERT_FALSE(first.empty());
        // A continued level runs the frame it opens in before any key can reach it: what walks
        // has walked a step, a work may have ended. The level and its whole-second clock stay.
        EXPECT_EQ(first.substr(0, 8), second.substr(0, 8))
            << "save " << 2 * pair + 1 << " restored and saved again";
    }
    // Each level continued at the clock it was left at, one frame on.
    std::vector<float> left;
    std::vector<float> continued;
    std::smatch match;
    static const std::regex line("(saved|restored) at ([0-9.]+) s");
    for (auto at = resumed.output.cbegin(); std::regex_search(at, resumed.output.cend(), match, line);
         at = match.suffix().first)
        (match[1] == "saved" ? left : continued).push_back(std::stof(match[2]));
    ASSERT_EQ(left.size(), 6u);
    ASSERT_EQ(continued.size(), 6u);
    for (size_t i = 0; i < left.size(); ++i)
    {
        EXPECT_GE(continued[i], std::floor(left[i])) << "continue " << i + 1;
        EXPECT_LE(continued[i], std::floor(left[i]) + 1.0f / 64.0f + 0.001f) << "continue " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Levelplay, ShippedLevel, ::testing::ValuesIn(shippedRuns()),
                         [](const ::testing::TestParamInfo<ShippedRun>& test)
                         {
                             return "n" + std::to_string(test.param.level) +
                                    (test.param.leftAndContinued ? "_LeftAndContinued" : "");
                         });

TEST(Levelplay, AnEmptyScriptWinsNothingAndRefusalsAndCancelsAreReported)
{
    ::Test::TempDir folder;
    const std::string empty = (folder.path() / "empty.play").string();
    std::ofstream(empty) << "# nothing\n";
    const PlayRun idle = levelplay("--max-time 60 " + level(0) + " " + empty);
    EXPECT_EQ(idle.status, 1) << idle.output;
    EXPECT_NE(idle.output.find("won=0 clock=60"), std::string::npos) << idle.output;
    EXPECT_NE(idle.output.find("medal=none"), std::string::npos);

    // The road lies behind the rubble: refused for want of a route (once the rubble, which the
    // level's first tip points at, has been clicked). The rubble costs 2 Money, given back by a
    // cancel before a hero reaches it.
    const std::string refused = (folder.path() / "refused.play").string();
    std::ofstream(refused) << "at 0.5 click Rubble  # queued\nat 1 click Road\nat 1.5 cancel\n";
    const PlayRun run = levelplay("--max-time 5 " + level(0) + " " + refused);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("Road#1 refused: problem 1 NoRoute"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("goal Rubble#1 queued"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("cancel, refund Money:2"), std::string::npos) << run.output;
}

// The run's saves and settings go to a folder of their own under TMPDIR when it names one, and
// the folder is gone at the end; a TMPDIR that cannot hold it stops the run with a message.
TEST(Levelplay, TheRunsFolderGoesUnderTmpdirAndIsRemovedAtTheEnd)
{
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "leave.play").string();
    std::ofstream(script) << "at 1 save\n";
    const std::filesystem::path scratch = folder.path() / "scratch";
    std::filesystem::create_directories(scratch);
    const PlayRun run =
        levelplay("--max-time 2 " + level(0) + " " + script, "TMPDIR='" + scratch.string() + "' ");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("saved at"), std::string::npos) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(scratch)) << "the run's folder was left behind";

    const PlayRun nowhere = levelplay("--max-time 2 " + level(0) + " " + script,
                                      "TMPDIR='" + (folder.path() / "missing").string() + "' ");
    EXPECT_EQ(nowhere.status, 2) << nowhere.output;
    EXPECT_EQ(nowhere.output.rfind("levelplay: ", 0), 0u) << nowhere.output;
}

TEST(Levelplay, ALevelFileIsPlayedFromAnyFolderUnderAnyNameOrByItsNumber)
{
    ::Test::TempDir folder;
    const std::string copy = (folder.path() / "my levels" / "first-street.xml").string();
    std::filesystem::create_directories(folder.path() / "my levels");
    std::ofstream(copy, std::ios::binary) << ::Test::readFile(level(0));
    const std::string script = kData + "/Levels/n0.play";
    const PlayRun byFile = levelplay("'" + copy + "' " + script);
    EXPECT_EQ(byFile.status, 0) << byFile.output;
    EXPECT_NE(byFile.output.find("won=1"), std::string::npos) << byFile.output;

    const PlayRun byNumber = levelplay("0 " + script);
    EXPECT_EQ(byNumber.status, 0) << byNumber.output;
    EXPECT_EQ(clockOf(byNumber.output), clockOf(byFile.output)) << "the same level, the same play";

    const PlayRun missing = levelplay("98 " + script);
    EXPECT_EQ(missing.status, 2) << missing.output;
}

TEST(Levelplay, AClickAPlayerCouldNotMakeGoesNowhereAndATutorialTipHoldsTheOthers)
{
    // The market is not built yet: it has no arrow to press. Once the stock covers its next
    // level, its tip lets only the arrow through.
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "arrow.play").string();
    std::ofstream(script) << "at 0.5 upgrade Market\nat 0.5 click Market\nat 0.5 click BrickKiln\n"
                             "at 0.5 click Road\nat 30 click Cement#2\nat 33 upgrade Market\n";
    const PlayRun run = levelplay(level(1) + " " + script);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("upgrade Market#1 went nowhere: its upgrade button is not shown; at its place: "
                              "Market#1"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Cement#2 made no goal (the tutorial's tip at Market#1's upgrade button holds "
                              "the click)"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("goal Market#1 queued"), std::string::npos) << "the arrow's press";
}

TEST(Levelplay, AClickIsToldAsAGoalWhenAnotherGoalLeavesTheListInTheSameFrame)
{
    // On level 33 the brick a hero fetched comes in at 12.06 s, the frame the fire on the lower
    // lane is clicked: the list is as long after the press as before it, and the fire's goal
    // is still the press's own.
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "frame.play").string();
    std::ofstream(script) << "at 0 click FallenTree#2\nat 0 click Money#1\nat 1 click Brick#1\n"
                             "at 2 click FallenTree#1\nat 12 click BarrierFire\n";
    const PlayRun run = levelplay("--max-time 14 " + level(33) + " " + script);
    EXPECT_NE(run.output.find("goal BarrierFire#1 queued"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("BarrierFire#1 made no goal"), std::string::npos) << run.output;
}

TEST(Levelplay, ABadScriptOrSaveIsRefusedWithItsName)
{
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "bad.play").string();
    std::ofstream(script) << "at 1 click Rubble\nat 2 jump\n";
    PlayRun run = levelplay(level(0) + " " + script);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("bad.play:2: unknown verb \"jump\""), std::string::npos) << run.output;

    std::ofstream(script) << "at 1 click Dragon\n";
    run = levelplay(level(0) + " " + script);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("bad.play:1:"), std::string::npos) << run.output;

    run = levelplay(kData + "/Levels/n99.xml " + script);
    EXPECT_EQ(run.status, 2) << run.output;

    // A save whose planner block names units the level does not have.
    const std::string saves = (folder.path() / "saves").string();
    std::ofstream(script) << "at 3 click Rubble\nat 4 save\n";
    run = levelplay("--keep-saves " + saves + " " + level(0) + " " + script);
    std::string bytes = ::Test::readFile(saves + "/save-1.bin");
    ASSERT_GT(bytes.size(), 64u);
    // The level's resources end with the planner's block; its last goal names its target
    // first: an unknown unit there.
    const std::string broken = (folder.path() / "broken.bin").string();
    for (size_t i = bytes.size() - 40; i < bytes.size() - 8; ++i)
        bytes[i] = static_cast<char>(0x7F);
    std::ofstream(broken, std::ios::binary) << bytes;
    std::ofstream(script) << "";
    run = levelplay("--restore " + broken + " " + level(0) + " " + script);
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("cannot be continued"), std::string::npos) << run.output;
}

// When a unit's goal was queued, from "at T s: goal UNIT queued"; -1 when it never was.
float queuedAt(const std::string& output, const std::string& unit)
{
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("at ([0-9.]+) s: goal " + unit + " queued")))
        return -1.0f;
    return std::stof(match[1]);
}

float doneAt(const std::string& output, const std::string& unit)
{
    std::smatch match;
    if (!std::regex_search(output, match, std::regex("at ([0-9.]+) s: goal " + unit + " left the list")))
        return -1.0f;
    return std::stof(match[1]);
}

TEST(Levelplay, AtAPersonsPaceAClickWaitsForTheOneBeforeAndForWhatItClicks)
{
    // Level 0: the rubble, the bricks beside the town hall, and the road behind the rubble, all
    // asked for at once. A click is a press and a release after the pointer has come: its goal is
    // queued four frames after the click began.
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "rush.play").string();
    std::ofstream(script) << "at 0 click Rubble\nat 0 click Brick\nat 0 click Road\n";
    const float frames = 4.0f / 64.0f + 0.001f;

    // Without the pace the three come one after the other, and the road has no way yet.
    const PlayRun rushed = levelplay("--max-time 3 " + level(0) + " " + script);
    EXPECT_NE(rushed.output.find("Road#1 refused: problem 1 NoRoute (script line 3)"), std::string::npos)
        << rushed.output;

    const std::string written = (folder.path() / "written.play").string();
    const PlayRun paced = levelplay("--pace --write-script " + written + " " + level(0) + " " + script);
    ASSERT_EQ(paced.status, 0) << paced.output;
    const float rubble = queuedAt(paced.output, "Rubble#1");
    const float brick = queuedAt(paced.output, "Brick#1");
    const float road = queuedAt(paced.output, "Road#1");
    const float cleared = doneAt(paced.output, "Rubble#1");
    ASSERT_GT(rubble, 0.0f) << paced.output;
    // The rubble can be clicked from the start: a second after it.
    EXPECT_GE(rubble, 1.0f) << paced.output;
    EXPECT_LE(rubble, 1.0f + frames + 0.02f) << paced.output;
    // 1.5 s after the click before.
    EXPECT_NEAR(brick - rubble, 1.5f, 0.02f) << paced.output;
    // The road only once the rubble is gone, and a second after that.
    ASSERT_GT(cleared, brick) << paced.output;
    EXPECT_GE(road, cleared + 1.0f) << paced.output;
    EXPECT_LE(road, cleared + 1.0f + frames + 0.02f) << paced.output;
    EXPECT_EQ(paced.output.find("refused"), std::string::npos) << paced.output;

    // The medal times that pace gives: gold 10% above the clock, silver a third above gold.
    const float clock = clockOf(paced.output);
    const int gold = static_cast<int>(std::ceil(clock * 1.1f - 0.001f));
    EXPECT_NE(paced.output.find("medal times at this pace GoldTime=\"" + std::to_string(gold) +
                                "\" SilverTime=\"" + std::to_string((gold * 4 + 2) / 3) + "\""),
              std::string::npos)
        << paced.output;

    // Written with the times its clicks came at, the script makes the same clicks without the
    // pace and wins at the same clock.
    const std::string again = ::Test::readFile(written);
    EXPECT_NE(again.find("at 1.01 click Rubble\n"), std::string::npos) << again;
    EXPECT_NE(again.find("at 2.51 click Brick\n"), std::string::npos) << again;
    const PlayRun replayed = levelplay(level(0) + " " + written);
    EXPECT_EQ(replayed.status, 0) << replayed.output;
    EXPECT_EQ(clockOf(replayed.output), clock) << replayed.output;
}

TEST(Levelplay, ALevelIsJudgedWhereTheScriptLeavesIt)
{
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "west.play").string();
    std::ofstream(script) << "at 0 click BrokenRoad#2  # the west bend first\n";
    // Kiln Hill as it was, with one cement: the west bend takes it, and the mill that makes
    // more lies behind the east bend.
    const PlayRun stuck =
        levelplay("--pace --judge " QUILL_SOURCE_DIR "/tests/tools/data/kiln_hill_one_cement.xml " + script);
    EXPECT_EQ(stuck.status, 1) << stuck.output;
    EXPECT_NE(stuck.output.find("goal BrokenRoad#2 left the list"), std::string::npos) << stuck.output;
    EXPECT_NE(stuck.output.find("judge: dead end: Cement ran out: the goals left need 2"), std::string::npos)
        << stuck.output;
    // The level as it ships has a cement for each bend.
    const PlayRun mended = levelplay("--pace --judge " + level(20) + " " + script);
    EXPECT_EQ(mended.status, 1) << mended.output;
    EXPECT_NE(mended.output.find("judge: can still be won"), std::string::npos) << mended.output;
}

// The medal is judged on the whole seconds the clock shows: level 0 won a little past its silver
// time shows that time, and silver is won.
TEST(Levelplay, TheMedalIsJudgedOnTheWholeSecondsTheClockShows)
{
    ::Test::TempDir folder;
    const std::string script = (folder.path() / "late.play").string();
    std::ofstream(script) << "at 1.01 click Rubble\nat 2.51 click Brick\nat 50 click Road\n";
    const PlayRun late = levelplay(level(0) + " " + script);
    ASSERT_EQ(late.status, 0) << late.output;
    const float clock = clockOf(late.output);
    const float silver = medalTimesOf(0).silver;
    ASSERT_TRUE(clock > silver && clock < silver + 1.0f)
        << "won within the second after silver: " << late.output;
    EXPECT_NE(late.output.find("medal=silver"), std::string::npos) << late.output;
}

TEST(Levelplay, ALevelWhoseLastGoalTheTownHallsOwnUpgradeMeetsIsWon)
{
    // Hall Square with the hall's upgrade clicked at 200 s, after every goal of the list is done;
    // judged once the script is done, the level waits for the upgrade, which wins it.
    const PlayRun run = levelplay("--pace --judge " + level(40) +
                                  " " QUILL_SOURCE_DIR "/tests/tools/data/hall_square_hall_last.play");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("won=1"), std::string::npos) << run.output;
    EXPECT_GT(clockOf(run.output), 200.0f) << run.output;
    const size_t lastDone = run.output.rfind(" left the list");
    ASSERT_NE(lastDone, std::string::npos) << run.output;
    EXPECT_LT(std::stof(run.output.substr(run.output.rfind("at ", lastDone) + 3)), 200.0f) << run.output;
}
