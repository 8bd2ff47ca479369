// levelcheck on levels made by hand with leveltool: a level takes a number or a file at any path;
// a goal the heroes cannot reach from the base, and a road whose only approach lies beyond it or
// on its own cells, are refused with the unit and the cell named; leveltool puts a road's
// approach on the end the heroes come from. The dead-end search refuses a level where some order
// of clicks leaves it unwinnable, naming the order and what ran out, and sees the game come to
// it too; every shipped level passes it (a test a level), and the shipped level files are the
// levels the game plays. An order the game played to every goal met without a win is refused,
// naming the level and the clicks. Each level's script is played with each goal made last, and
// the game wins every such run that meets all the goals.
#include "tests/support/TempDir.h"
#include "tools/levelplay/PlayOutcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace
{

const std::string kTools = QUILL_BINARY_DIR "/tools/";
const std::string kData = QUILL_SOURCE_DIR "/data";

struct ToolRun
{
    std::string output;
    int status = -1;
};

// Runs a command in `folder` (stdout and stderr together).
ToolRun run(const std::string& command, const std::string& folder = ".")
{
    ToolRun result;
    FILE* pipe = popen(("cd '" + folder + "' && " + command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, read);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A folder with the game's settings (its 1024 x 768 screen) and the levels of a test.
class Levels
{
public:
    Levels()
    {
        m_folder.write("share/Quillmoor/sys/settings.xml",
                       "<settings><graphics width=\"1024\" height=\"768\" fullscreen=\"0\"/></settings>");
    }

    std::string path() const { return m_folder.path().string(); }

    // Writes a level source and the level leveltool makes of it (`name`.xml).
    ToolRun make(const std::string& name, const std::string& source) const
    {
        m_folder.write(name + ".txt", source);
        return run(kTools + "leveltool --art " QUILL_SOURCE_DIR "/tools/art/manifest.txt " + name + ".txt " +
                       name + ".xml",
                   path());
    }

    ToolRun check(const std::string& arguments, const std::string& folder = "") const
    {
        return run("XDG_DATA_HOME='" + path() + "/share' " + kTools + "levelcheck --data " + kData + " " +
                       arguments,
                   folder.empty() ? path() : folder);
    }

private:
    ::Test::TempDir m_folder;
};

// The walls ("#") are trees; the base's opening briefing.
const std::string kBriefing =
    "decor # units/tree_round.png\n"
    "xml\n<BreafData><Brief id=\"start\"><Action type=\"1\" start=\"0\" duration=\"1\" "
    "text=\"Go.\"/></Brief></BreafData>\nend\n";

// A road across a wall, and beyond it the rubble to clear; the town hall stands in a pocket
// that a rubble heap closes, so the heroes reach neither end of the road at once. The stock pays
// for both heaps and the road.
std::string roadLevel(const std::string& roadExtra = "")
{
    return "resources Money=4 Brick=1\n"
           "grid\n"
           "#####################\n"
           "#..............a....#\n"
           "##########R##########\n"
           "##########R##########\n"
           "##########R##########\n"
           "#...................#\n"
           "######B##############\n"
           "#...................#\n"
           "#..HHH..............#\n"
           "#..HHH..............#\n"
           "#####################\n"
           "end\n"
           "unit H <Unit Type=\"TownHall\" BreafId=\"start\"/>\n"
           "unit B <Unit Type=\"Rubble\"/>\n"
           "unit R <Unit Type=\"Road\" MaxLevel=\"1\" TargetType=\"1\" TargetLevel=\"1\" "
           "GoalCategory=\"roads\"" +
           (roadExtra.empty() ? "/>" : ">" + roadExtra + "</Unit>") +
           "\n"
           "unit a <Unit Type=\"Rubble\" TargetType=\"2\" GoalCategory=\"clear\"/>\n" +
           kBriefing;
}

TEST(Levelcheck, ATownHallWhoseOpenSideFacesAwayLeavesItsGoalUnreachable)
{
    Levels levels;
    const ToolRun made =
        levels.make("away", "grid\n"
                            "###########\n"
                            "#.........#\n"
                            "#....a....#\n"
                            "###########\n"
                            "#####HHH###\n"
                            "#####HHH###\n"
                            "#####...###\n"
                            "###########\n"
                            "end\n"
                            "unit H <Unit Type=\"TownHall\" BreafId=\"start\"/>\n"
                            "unit a <Unit Type=\"Market\" TargetType=\"1\" TargetLevel=\"1\"/>\n" +
                                kBriefing);
    ASSERT_EQ(made.status, 0) << made.output;
    const ToolRun checked = levels.check("away.xml");
    EXPECT_EQ(checked.status, 1) << checked.output;
    EXPECT_NE(
        checked.output.find("levelcheck: " + levels.path() +
                            "/away.xml: the goal's unit Market#1 at cell 5;2 cannot be reached from the "
                            "base's route start at cell 6;"),
        std::string::npos)
        << checked.output;
}

TEST(Levelcheck, ARoadIsApproachedFromTheEndTheHeroesComeFrom)
{
    Levels levels;
    // leveltool: the near end, below the road, though the far end above comes first.
    ToolRun made = levels.make("road", roadLevel());
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_NE(::Test::readFile(levels.path() + "/road.xml").find("<CameOffsetPoints><Route Pos=\"0;40\"/>"),
              std::string::npos);
    ToolRun checked = levels.check("road.xml");
    EXPECT_EQ(checked.status, 0) << checked.output;

    // Approached from the far end, reached only over the road itself: neither the road nor the
    // rubble beyond it can be reached.
    made = levels.make("far", roadLevel("<CameOffsetPoints><Route Pos=\"0;-40\"/></CameOffsetPoints>"));
    ASSERT_EQ(made.status, 0) << made.output;
    checked = levels.check("far.xml");
    EXPECT_EQ(checked.status, 1) << checked.output;
    EXPECT_NE(
        checked.output.find("far.xml: Road#1 at cell 10;3 cannot be reached from the base's route start "
                            "at cell 4;9 (approach cell 10;1)"),
        std::string::npos)
        << checked.output;
    EXPECT_NE(checked.output.find("far.xml: Rubble#2 at cell 15;1 cannot be reached"), std::string::npos)
        << checked.output;

    // Approached on one of its own cells, which no hero stands on before the road is built.
    made = levels.make("own", roadLevel("<CameOffsetPoints><Route Pos=\"0;20\"/></CameOffsetPoints>"));
    ASSERT_EQ(made.status, 0) << made.output;
    checked = levels.check("own.xml");
    EXPECT_EQ(checked.status, 1) << checked.output;
    EXPECT_NE(checked.output.find("own.xml: Road#1 at cell 10;3 has no approach cell a hero can stand on: "
                                  "approach cell 10;4 is one of its own cells"),
              std::string::npos)
        << checked.output;
}

TEST(Levelcheck, LevelsAreNumbersOrFilesAtAnyPath)
{
    Levels levels;
    ToolRun made = levels.make("road", roadLevel());
    ASSERT_EQ(made.status, 0) << made.output;
    const ToolRun checked =
        levels.check("0 data/Levels/n1.xml " + levels.path() + "/road.xml", QUILL_SOURCE_DIR);
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_NE(checked.output.find("Level 0: Levels/n0.xml\n"), std::string::npos) << checked.output;
    EXPECT_NE(checked.output.find("Level 1: Levels/n1.xml\n"), std::string::npos) << checked.output;
    EXPECT_NE(checked.output.find("Level file: " + levels.path() + "/road.xml\n"), std::string::npos)
        << checked.output;

    const ToolRun missing = levels.check("gone.xml");
    EXPECT_EQ(missing.status, 1) << missing.output;
    EXPECT_NE(missing.output.find("gone.xml"), std::string::npos) << missing.output;
}

// A corridor with a rubble heap at either end, both goals, and money for one: the money pile lies
// at the far end, behind the west heap (`pileFirst` puts it in front of the heap). Clearing the
// east heap first spends the money that the west one, and the pile behind it, needed.
std::string corridor(bool pileFirst)
{
    return std::string("resources Money=2\n"
                       "grid\n"
                       "##############\n") +
           (pileFirst ? "#..A.m.....B.#\n" : "#m.A.......B.#\n") +
           "######....####\n"
           "######....####\n"
           "######.HHH####\n"
           "######.HHH####\n"
           "##############\n"
           "end\n"
           "unit H <Unit Type=\"TownHall\" BreafId=\"start\"/>\n"
           "unit A <Unit Type=\"Rubble\" TargetType=\"2\" GoalCategory=\"clear\"/>\n"
           "unit B <Unit Type=\"Rubble\" TargetType=\"2\" GoalCategory=\"clear\"/>\n"
           "unit m <Unit Type=\"Money\"/>\n" +
           kBriefing;
}

TEST(Levelcheck, AnOrderThatSpendsWhatAnotherGoalNeedsIsADeadEnd)
{
    Levels levels;
    ToolRun made = levels.make("corridor", corridor(false));
    ASSERT_EQ(made.status, 0) << made.output;
    ToolRun checked = levels.check("corridor.xml");
    EXPECT_EQ(checked.status, 1) << checked.output;
    // The order, as a script names its clicks, what ran out, and the way that stays shut.
    EXPECT_NE(checked.output.find("corridor.xml: a dead end: after the order click Rubble#2 the level can no "
                                  "longer be won: Money ran out: the goals left need 2 (Rubble#1 2), the "
                                  "stock holds 0"),
              std::string::npos)
        << checked.output;
    EXPECT_NE(
        checked.output.find("stock holds 0 and all that can still be gained comes to 0; more comes only "
                            "from Money#1 (cell 1;1), which cannot be reached"),
        std::string::npos)
        << checked.output;
    // Played through levelplay, the game comes to it too; the order is printed as a script.
    EXPECT_NE(checked.output.find("(played at a person's pace, the game comes to it too)"), std::string::npos)
        << checked.output;
    EXPECT_NE(checked.output.find("  the order, as a levelplay script:\n"), std::string::npos)
        << checked.output;
    EXPECT_NE(checked.output.find("    at 0 click Rubble#2\n"), std::string::npos) << checked.output;

    // Left out on request; and with the money in front of the heaps, every order wins.
    checked = levels.check("--no-search corridor.xml");
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_EQ(checked.output.find("dead-end search"), std::string::npos) << checked.output;
    made = levels.make("open", corridor(true));
    ASSERT_EQ(made.status, 0) << made.output;
    checked = levels.check("open.xml");
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_NE(checked.output.find("no dead end"), std::string::npos) << checked.output;
}

TEST(Levelcheck, KilnHillWithOneCementForThreeBendsIsADeadEnd)
{
    // Level 20 as it was: 1 cement, three broken bends that take 1 each, and the cement mill
    // behind the east bend. Mending the west bend first spends the cement for good.
    Levels levels;
    const ToolRun checked = levels.check(QUILL_SOURCE_DIR "/tests/tools/data/kiln_hill_one_cement.xml");
    EXPECT_EQ(checked.status, 1) << checked.output;
    EXPECT_NE(checked.output.find("kiln_hill_one_cement.xml: a dead end: after the order"), std::string::npos)
        << checked.output;
    EXPECT_NE(
        checked.output.find("click BrokenRoad#2 the level can no longer be won: Cement ran out: the goals "
                            "left need 2 (BrokenRoad#1 1, BrokenRoad#3 1), the stock holds 0"),
        std::string::npos)
        << checked.output;
    EXPECT_NE(checked.output.find("more comes only from CementMill#1 (cell 30;28), which cannot be reached"),
              std::string::npos)
        << checked.output;
    EXPECT_NE(
        checked.output.find("CementMill#1 (cell 30;28) and Rubble#2 (cell 24;31) can no longer be "
                            "reached: the way leads past BrokenRoad#1 (cell 37;26), which needs 1 Cement "
                            "2 Brick"),
        std::string::npos)
        << checked.output;
    EXPECT_NE(checked.output.find("(played at a person's pace, the game comes to it too)"), std::string::npos)
        << checked.output;
}

// Every level file shipped in the data folder (Levels/n<K>.xml), by number.
std::vector<int> shippedLevels()
{
    std::vector<int> numbers;
    const std::regex name(R"(n(\d+)\.xml)");
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kData + "/Levels", error))
    {
        const std::string file = entry.path().filename().string();
        std::smatch number;
        if (std::regex_match(file, number, name))
            numbers.push_back(std::stoi(number[1]));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// A shipped level, checked on its own: its search and its script's runs with each goal made last
// take up to minutes a level under the sanitizers, too long for all of them in one test.
class Levelcheck : public ::testing::TestWithParam<int>
{
};

TEST_P(Levelcheck, NoShippedLevelHasADeadEnd)
{
    const int level = GetParam();
    Levels levels;
    const auto began = std::chrono::steady_clock::now();
    const ToolRun checked = levels.check(std::to_string(level), QUILL_SOURCE_DIR);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    ASSERT_EQ(checked.status, 0) << checked.output;
    const std::regex searched(R"(\n  dead-end search: \d+ orders, \d+ states, no dead end, [0-9.]+ s\n)");
    const auto count = std::distance(
        std::sregex_iterator(checked.output.begin(), checked.output.end(), searched), std::sregex_iterator());
    const std::regex levelLine(R"((^|\n)Level \d+: )");
    const auto levelCount =
        std::distance(std::sregex_iterator(checked.output.begin(), checked.output.end(), levelLine),
                      std::sregex_iterator());
    EXPECT_EQ(levelCount, 1) << checked.output;
    EXPECT_EQ(count, levelCount) << checked.output;
    // A search that ran past its budget could have missed one.
    EXPECT_EQ(checked.output.find("cut short"), std::string::npos) << checked.output;
    // Each goal of the level made last once, in a run that the game won or that left goals open
    // (or none, where no click of the script names the goal's unit).
    int goals = 0;
    const std::regex goalCount(R"(\n  goals (\d+):)");
    for (auto it = std::sregex_iterator(checked.output.begin(), checked.output.end(), goalCount);
         it != std::sregex_iterator(); ++it)
        goals += std::stoi((*it)[1]);
    const std::regex madeLast(
        R"(\n  level \d+, [^\n]* made last: (won at |\d+ goals? open at |no line of the script))");
    EXPECT_EQ(std::distance(std::sregex_iterator(checked.output.begin(), checked.output.end(), madeLast),
                            std::sregex_iterator()),
              goals)
        << checked.output;
    std::printf("levelcheck searched level %d in %.1f s\n", level, seconds);
}

INSTANTIATE_TEST_SUITE_P(Shipped, Levelcheck, ::testing::ValuesIn(shippedLevels()),
                         [](const ::testing::TestParamInfo<int>& test)
                         { return "n" + std::to_string(test.param); });

// The levels checked one by one above are those the game plays: levelcheck, told no level, checks
// every level of "LevelsCount" and refuses a level file past them.
TEST(Levelcheck, TheShippedLevelsAreThoseTheGamePlays)
{
    Levels levels;
    const ToolRun checked = levels.check("--no-search", QUILL_SOURCE_DIR);
    ASSERT_EQ(checked.status, 0) << checked.output;
    std::vector<int> played;
    const std::regex levelLine(R"((?:^|\n)Level (\d+): )");
    for (auto it = std::sregex_iterator(checked.output.begin(), checked.output.end(), levelLine);
         it != std::sregex_iterator(); ++it)
        played.push_back(std::stoi((*it)[1]));
    EXPECT_GE(played.size(), 45u);
    EXPECT_EQ(played, shippedLevels()) << checked.output;
}

TEST(Levelcheck, HallSquareIsWonWhicheverGoalIsMetLast)
{
    // Hall Square's script with the clicks on each goal's unit made last: the hall's own upgrade
    // meets the last goal after every other goal is done, and the game wins the level.
    Levels levels;
    const ToolRun checked = levels.check("40", QUILL_SOURCE_DIR);
    EXPECT_EQ(checked.status, 0) << checked.output;
    EXPECT_NE(checked.output.find("\n  level 40, reach level TownHall#1 made last: won at "),
              std::string::npos)
        << checked.output;
    const std::regex run(R"(\n  level 40, [^\n]* made last: ([^\n]*))");
    int runs = 0;
    int won = 0;
    for (auto it = std::sregex_iterator(checked.output.begin(), checked.output.end(), run);
         it != std::sregex_iterator(); ++it, ++runs)
        won += (*it)[1].str().rfind("won at ", 0) == 0;
    EXPECT_EQ(runs, 8) << checked.output;
    EXPECT_GE(won, 4) << checked.output;
}

TEST(Levelcheck, AnOrderPlayedToEveryGoalMetWithoutAWinIsRefused)
{
    // The end of levelplay --pace --judge's run of an order, and whether levelcheck refuses the
    // level for it: every goal met and no win, whatever the judgement said; not for goals left
    // open, a win or a run that never ended.
    const std::pair<std::string, bool> runs[] = {
        {"judge: can still be won\nwon=0 clock=900.000 medal=none frames=57607 open_goals=0\n", true},
        {"judge: every goal is met, but the game has not won the level\nwon=0 clock=1 medal=none frames=64 "
         "open_goals=0\n",
         true},
        {"judge: can still be won\nwon=0 clock=161.062 medal=none frames=10315 open_goals=1\n", false},
        {"won=1 clock=210.078 medal=none frames=13452 open_goals=0\n", false},
        {"levelplay: order.play:1: unknown verb\n", false}};
    for (const auto& [output, refused] : runs)
        EXPECT_EQ(!LevelPlay::goalsMetNotWon("level 40", "", LevelPlay::PlayOutcome::read(output)).empty(),
                  refused)
            << output;
    EXPECT_EQ(
        LevelPlay::goalsMetNotWon("level 40", "click Workshop#1, upgrade TownHall#1",
                                  LevelPlay::PlayOutcome::read(runs[0].first)),
        "level 40: after the order click Workshop#1, upgrade TownHall#1 every goal is met, but the game did "
        "not win the level (played at a person's pace: won=0 open_goals=0, judge: can still be won)");
}

} // namespace
