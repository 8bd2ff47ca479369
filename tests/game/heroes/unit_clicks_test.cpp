// What a click on a unit, or on the arrow beside a building, does, played as a player plays:
// the scripted mouse clicks where the views are drawn. A pointer tip of the tutorial holds
// every click but its own unit's (a tip at an arrow holds even that unit's click); the flood
// is never ordered; an animal no open hospital can take is refused; a producing mill is
// ordered only when something lies at it or it burns; the town hall's arrow raises the hall
// at once, without a hero. A press that makes no goal is traced with why; a press held while
// the unit's look changes is still its click, and a press on a hero standing on a pile is the
// pile's, the hero walking on from under it before the release tracing nothing.
#include "engine/ui/cButtonPrototype.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPicture.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/world/played_level_tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kTownHall = "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

std::string resources(int money, int brick = 0, int cement = 0)
{
    return "<InitialResources><Res Name=\"Money\" Count=\"" + std::to_string(money) +
           "\"/><Res Name=\"Brick\" Count=\"" + std::to_string(brick) + "\"/><Res Name=\"Cement\" Count=\"" +
           std::to_string(cement) + "\"/></InitialResources>";
}

// A level of a town hall and a kitten with no hospital, entered; the kitten.
cUnit::Ptr enterWithAKitten(PlayedLevel& played, int level)
{
    played.enter(level,
                 GameFixture::levelXml(kTownHall + "<Unit Type=\"Kitten\" Position=\"250;50\"/>",
                                       resources(5) + "<MetaData GoldTime=\"300\" SilverTime=\"400\"/>"));
    return played.unit(L"Kitten");
}

// The traces of presses that made no goal, since the traces were last taken.
std::vector<std::wstring> noGoalLines(PlayedLevel& played)
{
    std::vector<std::wstring> lines;
    for (const std::wstring& line : played.front.takeTraces())
        if (line.find(L" makes no goal: ") != std::wstring::npos)
            lines.push_back(line);
    return lines;
}

// The hero's picture lies under the pointer, over the pile's.
bool heroUnderPointer(PlayedLevel& played, const cUnit::Ptr& hero, const cUnit::Ptr& pile)
{
    return hero->getView()->containsPoint(played.front.pointer->cursor) &&
           hero->getView()->getDeep() > pile->getView()->getDeep();
}

// A level of a pile and a rubble heap further on, entered, the one hero sent to the rubble; the
// pointer then stirs on the pile until the hero walks by just below it, its picture over the
// pile's, for a few moves. The pile; empty when the hero never came.
cUnit::Ptr enterWithAHeroWalkingOverAPile(PlayedLevel& played, int level)
{
    played.enter(level, GameFixture::levelXml(kTownHall + "<Unit Type=\"Money\" Position=\"250;30\"/>"
                                                          "<Unit Type=\"Rubble\" Position=\"450;50\"/>",
                                              resources(30)));
    const cUnit::Ptr pile = played.unit(L"Money");
    const cUnit::Ptr hero = played.unit(L"hero");
    played.click(played.unit(L"Rubble"));
    const Engine::cVector2 at = pile->getView()->getPosition();
    // Moves with the hero over the pile, the later ones heard with the hero well there.
    int movesOver = 0;
    for (int i = 0; i < 400 && movesOver < 5; ++i)
    {
        played.front.moveTo(at + Engine::cVector2(static_cast<float>(i % 2), 0.0f));
        movesOver = heroUnderPointer(played, hero, pile) ? movesOver + 1 : 0;
    }
    return movesOver == 5 ? pile : cUnit::Ptr();
}

// The problems the planner reported for clicked units.
struct Problems
{
    explicit Problems(Game& game)
    {
        connection = game.getController().problemSignal.connect(
            [this](cUnit::Ptr unit, UnitProblem problem) {
                seen.push_back({unit, problem});
            });
    }
    std::vector<std::pair<cUnit::Ptr, UnitProblem>> seen;
    boost::signals2::scoped_connection connection;
};

} // namespace

TEST(UnitClicks, APointerTipHoldsOtherUnitsClicksButNotTheArrowsAndItsOwnClickEndsIt)
{
    PlayedLevel played;
    played.enter(990, GameFixture::levelXml(kTownHall +
                                                "<Unit Type=\"Rubble\" Position=\"250;50\"><Tutorial>"
                                                "<Tip tip_type=\"2\" text=\"Clear me.\"/></Tutorial></Unit>"
                                                "<Unit Type=\"Rubble\" Position=\"410;130\"/>"
                                                "<Unit Type=\"Puppy\" Position=\"490;50\"/>"
                                                "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" "
                                                "Position=\"330;310\"/>",
                                            resources(30, 0, 4)));
    const cUnit::Ptr pointed = played.unit(L"Rubble");
    const cUnit::Ptr other = played.unit(L"Rubble", 2);
    const cUnit::Ptr market = played.unit(L"Market");
    cTutorial& tutorial = cTutorial::instance();
    ASSERT_TRUE(played.playUntil([&] { return tutorial.getPointedUnit() == pointed; }, 50));
    ASSERT_FALSE(tutorial.isUpgradeRestricted());

    played.front.takeTraces();
    played.click(other);
    EXPECT_EQ(played.goalsFor(other), 0) << "another unit's click is held";
    EXPECT_EQ(noGoalLines(played),
              std::vector<std::wstring>{L"Click on Rubble#2 makes no goal: the tutorial's "
                                        L"tip at Rubble#1 holds the click\n"});
    const cUnit::Ptr puppy = played.unit(L"Puppy");
    played.click(puppy);
    EXPECT_EQ(played.goalsFor(puppy), 0) << "an animal's click too";
    Engine::cLightButton* arrow = market->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow && arrow->isShown());
    played.front.clickAt(arrow->getPosition());
    EXPECT_EQ(played.goalsFor(market, true), 1) << "an arrow is not held by a tip that is no arrow's";
    EXPECT_EQ(tutorial.getPointedUnit(), pointed) << "and the tip stays";

    played.click(pointed);
    EXPECT_FALSE(tutorial.getPointedUnit()) << "the pointed unit's click ends the tip";
    EXPECT_EQ(played.goalsFor(pointed), 1) << "and is taken";
    played.click(other);
    EXPECT_EQ(played.goalsFor(other), 1);
    played.click(puppy);
    EXPECT_EQ(played.goalsFor(puppy), 1) << "the level has no hospital: the puppy is taken at once";
}

TEST(UnitClicks, ATipAtAnArrowHoldsEvenItsOwnUnitsClick)
{
    PlayedLevel played;
    played.enter(991, GameFixture::levelXml(
                          kTownHall + "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" Position=\"330;310\">"
                                      "<Tutorial><Tip tip_type=\"2\" event_type=\"4\" text=\"Raise it.\"/>"
                                      "</Tutorial></Unit>",
                          resources(30, 0, 4)));
    const cUnit::Ptr market = played.unit(L"Market");
    cTutorial& tutorial = cTutorial::instance();
    ASSERT_EQ(tutorial.getPointedUnit(), market);
    ASSERT_TRUE(tutorial.isUpgradeRestricted());
    // A heap at the market makes its click worth an order: still held.
    played.game().getController().onAutoProduced();
    ASSERT_FALSE(market->getAttached().empty());
    played.click(market);
    EXPECT_EQ(played.goalsFor(market), 0) << "the market's own click is held by the tip at its arrow";
    EXPECT_EQ(tutorial.getPointedUnit(), market);
    played.front.clickAt(market->getView()->getUpgradeButton()->getPosition());
    EXPECT_EQ(played.goalsFor(market, true), 1);
    EXPECT_FALSE(tutorial.getPointedUnit());
}

TEST(UnitClicks, TheFloodIsNeverOrderedAndAnAnimalNoOpenHospitalTakesIsRefused)
{
    PlayedLevel played;
    Game& game = played.enter(
        992, GameFixture::levelXml(kTownHall + "<Unit Type=\"BarrierFlood\" Position=\"450;210\"/>"
                                               "<Unit Type=\"Puppy\" Position=\"250;50\"/>"
                                               "<Unit Type=\"Hospital\" Position=\"330;130\"/>",
                                   resources(30, 0, 0) + "<MetaData GoldTime=\"300\" SilverTime=\"400\"/>"));
    Problems problems(game);
    const cUnit::Ptr flood = played.unit(L"BarrierFlood");
    ASSERT_TRUE(flood && flood->getView() && flood->getView()->isShown());
    played.front.takeTraces();
    played.click(flood);
    EXPECT_EQ(played.goalsFor(flood), 0);
    EXPECT_TRUE(problems.seen.empty()) << "the flood's click is no refusal the player is told";
    EXPECT_EQ(noGoalLines(played),
              std::vector<std::wstring>{L"Click on BarrierFlood#1 makes no goal: a flood is "
                                        L"drained by its pumping station, not ordered\n"});

    // The hospital is not open yet (level 0): the puppy has nowhere to go.
    const cUnit::Ptr puppy = played.unit(L"Puppy");
    const int money = game.getResources().getCount(resourceId(L"Money"));
    played.click(puppy);
    EXPECT_EQ(played.goalsFor(puppy), 0);
    ASSERT_EQ(problems.seen.size(), 1u);
    EXPECT_EQ(problems.seen.front().first, puppy);
    EXPECT_EQ(problems.seen.front().second, NoDestination);
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), money) << "nothing was paid";

    // Opened, it takes the puppy.
    played.unit(L"Hospital")->setLevelAndState(1, eUnitState::idle, false);
    played.click(puppy);
    EXPECT_EQ(played.goalsFor(puppy), 1);
}

TEST(UnitClicks, AnAnimalWhoseHospitalTheLevelLacksIsOrderedAtOnce)
{
    PlayedLevel played;
    const cUnit::Ptr kitten = enterWithAKitten(played, 993);
    played.click(kitten);
    EXPECT_EQ(played.goalsFor(kitten), 1);
}

TEST(UnitClicks, AProducingMillIsOrderedOnlyWhenSomethingLiesAtItOrItBurns)
{
    PlayedLevel played;
    Game& game = played.enter(
        994, GameFixture::levelXml(kTownHall + "<Unit Type=\"Market\" Level=\"1\" Position=\"250;50\"/>"
                                               "<Unit Type=\"Market\" Level=\"1\" InFire=\"1\" "
                                               "Position=\"450;130\"/>",
                                   resources(30)));
    const cUnit::Ptr market = played.unit(L"Market");
    const cUnit::Ptr burning = played.unit(L"Market", 2);
    played.click(market);
    EXPECT_EQ(played.goalsFor(market), 0) << "nothing lies at the market: nothing to fetch";

    played.click(burning);
    EXPECT_EQ(played.goalsFor(burning), 1) << "a burning market is ordered: the fire is put out";

    // The level's automatic production puts a heap at the market.
    game.getController().onAutoProduced();
    ASSERT_EQ(market->getAttached().size(), 1u);
    const cUnit::Ptr heap = market->getAttached().front();
    played.click(market);
    EXPECT_EQ(played.goalsFor(market), 1) << "the heap lying there is fetched";
    ASSERT_NE(heap->getView()->getGoalTick(), nullptr);
    EXPECT_TRUE(heap->getView()->getGoalTick()->isShown()) << "the tick stands on the heap";
}

TEST(UnitClicks, TheTownHallsArrowRaisesTheHallAtOnceWithoutAHero)
{
    PlayedLevel played;
    std::string townHall = kTownHall;
    townHall.insert(townHall.find(" Position"), " MaxLevel=\"3\"");
    Game& game = played.enter(995, GameFixture::levelXml(townHall, resources(12, 4)));
    const cUnit::Ptr hall = played.unit(L"TownHall");
    std::vector<UnitProblem> answers;
    boost::signals2::scoped_connection listen = game.getController().upgradeProblemSignal.connect(
        [&](cUnit::Ptr, UnitProblem problem) { answers.push_back(problem); });
    Engine::cLightButton* arrow = hall->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow);
    // The hall drops onto the field as the level begins; its arrow shows once it stands.
    ASSERT_TRUE(played.playUntil([&] { return arrow->isShown() && !arrow->getShowDisabled(); }, 200))
        << "lit: the stock covers the next level";

    const size_t heroes = game.getUnits().count(typeId(L"hero"));
    played.front.clickAt(arrow->getPosition());
    ASSERT_EQ(answers, std::vector<UnitProblem>{NoProblem});
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), 0) << "paid at once";
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Brick")), 0);
    EXPECT_TRUE(game.getController().getPendingGoals().empty()) << "no goal: no hero goes";
    EXPECT_FALSE(arrow->isShown()) << "no second press while the hall is raised";
    EXPECT_TRUE(played.playUntil([&] { return hall->getLevel() == 1; }, 300));
    EXPECT_EQ(game.getUnits().count(typeId(L"hero")), heroes + 1) << "the raised hall houses one more hero";
    // A stock that does not cover the next level greys the arrow: it takes no press.
    ASSERT_TRUE(played.playUntil([&] { return arrow->isShown(); }, 50));
    EXPECT_TRUE(arrow->getShowDisabled());
    played.front.takeTraces();
    played.front.clickAt(arrow->getPosition());
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_EQ(noGoalLines(played),
              std::vector<std::wstring>{
                  L"Upgrade click on TownHall#1 makes no goal: its arrow is greyed (told)\n"});
}

TEST(UnitClicks, AClickThatMakesNoGoalIsTracedWithWhy)
{
    PlayedLevel played;
    std::string piles;
    for (int i = 0; i < 5; ++i)
        piles += "<Unit Type=\"Money\" Position=\"" + std::to_string(250 + 80 * i) + ";210\"/>";
    Game& game = played.enter(996, GameFixture::levelXml(kTownHall + piles, resources(30)));
    Problems problems(game);
    ASSERT_EQ(game.getUnits().count(typeId(L"hero")), 1u);
    std::vector<cUnit::Ptr> pile;
    for (int i = 1; i <= 5; ++i)
        pile.push_back(played.unit(L"Money", i));
    // The one hero takes the first; three more wait, as many as a hall at its first level lets.
    for (int i = 0; i < 4; ++i)
        played.click(pile[static_cast<size_t>(i)]);
    ASSERT_EQ(game.getController().countWaitingGoals(), 3u);
    played.front.takeTraces();
    played.click(pile[4]);
    played.click(pile[1]);
    EXPECT_EQ(played.goalsFor(pile[4]), 0);
    EXPECT_EQ(noGoalLines(played), (std::vector<std::wstring>{
                                       L"Click on Money#5 makes no goal: the goal list is full (3 waiting)\n",
                                       L"Click on Money#2 makes no goal: taken by another goal\n"}));
    ASSERT_EQ(problems.seen.size(), 1u) << "the full list raises no problem";
    EXPECT_EQ(problems.seen.front().second, AlreadyTaken);
}

TEST(UnitClicks, APressHeldWhileTheUnitsLookChangesIsStillItsClick)
{
    PlayedLevel played;
    const cUnit::Ptr kitten = enterWithAKitten(played, 997);
    ASSERT_EQ(kitten->getLevel(), 0);
    played.front.moveTo(kitten->getView()->getPosition());
    // The press is held until the kitten grows, which shows it with another look.
    played.front.script->mouseButton(0, true);
    EXPECT_TRUE(played.playUntil([&] { return kitten->getLevel() == 1; }, 500, 0.02f));
    played.front.script->mouseButton(0, false);
    played.front.frame();
    EXPECT_EQ(played.goalsFor(kitten), 1) << "the release ends the press the kitten took";
}

TEST(UnitClicks, APressOnAHeroStandingOnAPileIsThePilesClick)
{
    PlayedLevel played;
    const cUnit::Ptr pile = enterWithAHeroWalkingOverAPile(played, 998);
    ASSERT_TRUE(pile);
    EXPECT_NE(Engine::cButtonPrototype::buttonUnderPointer, played.unit(L"hero")->getView())
        << "a hero never holds the pointer";
    played.front.takeTraces();
    played.front.clickInPlace();
    EXPECT_EQ(played.goalsFor(pile), 1) << "the press on the pile is its click";
    EXPECT_EQ(noGoalLines(played), std::vector<std::wstring>{});
}

TEST(UnitClicks, AHeroWalkingFromUnderAHeldPressTracesNothing)
{
    PlayedLevel played;
    const cUnit::Ptr pile = enterWithAHeroWalkingOverAPile(played, 999);
    ASSERT_TRUE(pile);
    const cUnit::Ptr hero = played.unit(L"hero");
    played.front.takeTraces();
    played.front.script->mouseButton(0, true);
    played.front.frame();
    // The press is held until the hero has walked on, well away from the pointer.
    ASSERT_TRUE(played.playUntil([&] { return !heroUnderPointer(played, hero, pile); }, 200, 0.02f));
    played.front.frames(5);
    played.front.script->mouseButton(0, false);
    played.front.frame();
    EXPECT_EQ(played.goalsFor(pile), 1) << "the release ends the press the pile took";
    EXPECT_EQ(noGoalLines(played), std::vector<std::wstring>{}) << "a hero's press makes no goal to miss";
}
