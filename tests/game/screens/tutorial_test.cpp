// The tutorial's tips on levels over the game's data with the recording render device: their
// order and clock, the failed clicks they wait for, the poll, the pointer tip's place and the
// clicks it lets through, the modal message above the level, and the tip records shared with
// their units.
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cUnitView.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cModalTutorStateView.h"
#include "game/screens/cTutorTipView.h"
#include "game/world/UnitTip.h"
#include "tests/game/screens/briefing_test_tools.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

cUnit::Ptr unitAt(Game& game, const wchar_t* type, float x)
{
    for (const auto& [id, unit] : game.getUnits())
        if (unit->typeName == type && game.unitPos(unit).x == x)
            return unit;
    return nullptr;
}

// The texts of the short messages on the play view.
std::vector<std::wstring> messages()
{
    std::vector<std::wstring> texts;
    for (Engine::cControl* child : getPlayView()->getChildren())
        if (auto* message = dynamic_cast<cMiniBriefing*>(child))
            if (!Engine::cControl::isQueuedForDeletion(message))
                texts.push_back(message->getText()->getText());
    return texts;
}

std::string rubble(float x, const std::string& tips, const std::string& more = "")
{
    return "<Unit Type=\"Rubble\" Position=\"" + std::to_string(static_cast<int>(x)) + ";110\"" + more +
           "><Tutorial>" + tips + "</Tutorial></Unit>";
}

TEST(Tutorial, TimedTipsAppearInStartOrderAsMessagesThatGoByThemselves)
{
    GameFixture fixture;
    Game& game = fixture.load(
        960, GameFixture::levelXml(rubble(150, "<Tip start=\"2\" text=\"b\"/><Tip start=\"1\" text=\"a\"/>"
                                               "<Tip start=\"2\" text=\"c\"/>")));
    cTutorial& tutorial = cTutorial::instance();
    std::vector<std::wstring> order;
    for (const auto& tip : tutorial.getTimedTips())
        order.push_back(tip->text);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"a", L"c", L"b"}))
        << "a later tip goes before an equal start";
    (void)game;

    fixture.run(9, 0.1f);
    EXPECT_TRUE(messages().empty());
    fixture.run(2, 0.1f);
    EXPECT_EQ(messages(), std::vector<std::wstring>{L"a"});
    // The others are due too, and wait: one message at a time, each for its time.
    std::vector<std::wstring> seen{L"a"};
    int frames = 0;
    for (; frames < 300 && !(seen.size() == 3 && messages().empty()); ++frames)
    {
        fixture.run(1, 0.1f);
        const std::vector<std::wstring> shown = messages();
        ASSERT_LE(shown.size(), 1u) << "two messages at once";
        if (!shown.empty() && shown.front() != seen.back())
            seen.push_back(shown.front());
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"a", L"c", L"b"}));
    EXPECT_GE(frames, 140) << "each message stays up for its time before the next";
    EXPECT_EQ(tutorial.getLastMessage(), L"b");
    EXPECT_TRUE(messages().empty()) << "each message goes after its time";
}

TEST(Tutorial, FailedClicksCountTowardsTheirTipsAndAPointerTipHoldsTheOthers)
{
    GameFixture fixture;
    Game& game = fixture.load(
        961, GameFixture::levelXml(
                 rubble(150, "<Tip tip_type=\"2\" event_type=\"2\" text=\"Pay for it first.\"/>") +
                 rubble(450, "<Tip event_type=\"3\" text=\"No way there.\"/>"
                             "<Tip start=\"1\" text=\"later\"/>")));
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr first = unitAt(game, L"Rubble", 150.0f);
    const cUnit::Ptr second = unitAt(game, L"Rubble", 450.0f);
    ASSERT_TRUE(first && second && first->getView());

    EXPECT_FALSE(first->showTip(2)) << "the first failed click";
    EXPECT_TRUE(first->showTip(2)) << "the second";
    EXPECT_EQ(tutorial.getPointedUnit(), first);
    EXPECT_TRUE(first->tips.empty()) << "a shown tip leaves its unit";
    cTutorTipView* view = tutorial.getTipView();
    ASSERT_TRUE(view && view->isShown());
    EXPECT_EQ(view->getTextView()->getText(), L"Pay for it first.");
    // Target (0, 0): the unit's view. Up and to the left of the screen's centre, the panel
    // opens to the right and below, the arrow not mirrored.
    const Engine::cVector2 target = first->getView()->getPosition();
    EXPECT_EQ(view->getTarget(), target);
    EXPECT_GT(view->getPosition().x, target.x);
    EXPECT_GT(view->getPosition().y, target.y);
    EXPECT_FALSE(view->getPointer()->getInverceX());

    // While the pointer tip is shown no other tip shows and the tutorial's clock stands; the
    // refused clicks still count.
    fixture.run(20, 0.1f);
    EXPECT_EQ(tutorial.getTime(), 0.0f);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(second->showTip(3));
    EXPECT_FALSE(second->showTip(3));
    tutorial.hideTip();
    EXPECT_FALSE(view->isShown());
    EXPECT_TRUE(second->showTip(3)) << "counted while refused";
    EXPECT_EQ(messages(), std::vector<std::wstring>{L"No way there."});

    // A target right of and below the centre: the panel to the left and above, the arrow
    // mirrored both ways.
    view->setTarget(Engine::cVector2(900.0f, 600.0f));
    EXPECT_LT(view->getPosition().x, 900.0f);
    EXPECT_LT(view->getPosition().y, 600.0f);
    EXPECT_TRUE(view->getPointer()->getInverceX());
    EXPECT_TRUE(view->getPointer()->getInverceY());
}

TEST(Tutorial, AnUpgradeTipPointsAtTheUpgradeButtonAndLetsOnlyItsClickThrough)
{
    GameFixture fixture;
    Game& game = fixture.load(
        962, GameFixture::levelXml(
                 "<Unit Type=\"TownHall\" Position=\"500;250\" MaxLevel=\"2\"><Tutorial><Tip tip_type=\"2\" "
                 "event_type=\"4\" text=\"Upgrade the hall.\"/></Tutorial></Unit>" +
                     rubble(150, "<Tip tip_type=\"2\" event_type=\"2\" text=\"Clear it.\"/>"),
                 "<InitialResources><Res Name=\"Money\" Count=\"12\"/><Res Name=\"Brick\" Count=\"4\"/>"
                 "</InitialResources>"));
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr hall = unitAt(game, L"TownHall", 500.0f);
    const cUnit::Ptr heap = unitAt(game, L"Rubble", 150.0f);
    ASSERT_TRUE(hall && heap && hall->getView() && hall->getView()->getUpgradeButton());
    // Once the hall stands idle on the field (it falls in first) with its upgrade paid for, its
    // upgrade button offers the tip.
    hall->setState(eUnitState::idle, -1);
    hall->getView()->refreshUpgradeButtonState();

    ASSERT_EQ(tutorial.getPointedUnit(), hall) << "the hall's upgrade is paid for";
    EXPECT_TRUE(tutorial.isUpgradeRestricted());
    EXPECT_EQ(tutorial.getTipView()->getTarget(), hall->getView()->getUpgradeButton()->getPosition());

    EXPECT_FALSE(tutorial.allowsClick(heap, false));
    EXPECT_FALSE(tutorial.allowsClick(hall, false)) << "even the hall's own click waits for the upgrade";
    EXPECT_FALSE(tutorial.allowsClick(heap, true));
    EXPECT_EQ(tutorial.getPointedUnit(), hall);
    EXPECT_TRUE(tutorial.allowsClick(hall, true)) << "the hall's upgrade goes on and the tip goes";
    EXPECT_FALSE(tutorial.getPointedUnit());
    EXPECT_FALSE(tutorial.isUpgradeRestricted());
    EXPECT_FALSE(tutorial.getTipView()->isShown());

    // A pointer tip without the upgrade: only its unit's click goes on, upgrades are free.
    ASSERT_FALSE(heap->showTip(2));
    ASSERT_TRUE(heap->showTip(2));
    EXPECT_TRUE(tutorial.allowsClick(hall, true));
    EXPECT_FALSE(tutorial.allowsClick(hall, false));
    EXPECT_TRUE(tutorial.allowsClick(heap, false));
    EXPECT_FALSE(tutorial.getPointedUnit());
    EXPECT_TRUE(tutorial.allowsClick(hall, false)) << "no tip, no restriction";
}

TEST(Tutorial, PolledTipsAreTriedEveryPollPeriodOnlyForUnitsThatCanBeServed)
{
    GameFixture fixture;
    Game& game =
        fixture.load(963, GameFixture::levelXml(rubble(150, "<Tip event_type=\"5\" text=\"Now you can.\"/>") +
                                                rubble(450, "<Tip event_type=\"5\" text=\"Burning.\"/>")));
    const cUnit::Ptr heap = unitAt(game, L"Rubble", 150.0f);
    const cUnit::Ptr burning = unitAt(game, L"Rubble", 450.0f);
    burning->inFire = true;
    cTutorial& tutorial = cTutorial::instance();
    std::vector<cUnit::Ptr> asked;
    int problem = 1;
    tutorial.setProblemQuery(
        [&](const cUnit::Ptr& unit)
        {
            asked.push_back(unit);
            return problem;
        });
    fixture.run(20, 0.05f);
    EXPECT_GE(asked.size(), 4u);
    EXPECT_LE(asked.size(), 5u) << "at most every 0.2 s";
    EXPECT_EQ(std::count(asked.begin(), asked.end(), burning), 0) << "a burning unit is passed over";
    EXPECT_TRUE(messages().empty());

    problem = 2;
    fixture.run(5, 0.05f);
    EXPECT_EQ(messages(), std::vector<std::wstring>{L"Now you can."}) << "no free hero yet still counts";
    EXPECT_TRUE(heap->tips.empty());
    EXPECT_EQ(tutorial.getPolledTips().size(), 1u);
    tutorial.setProblemQuery({});
}

TEST(Tutorial, TipRecordsAreSharedWithTheirUnitsAndOnlyTipsOfAnUnknownTypeAreLeftOut)
{
    GameFixture fixture;
    Game& game = fixture.load(
        964, GameFixture::levelXml(
                 rubble(150, "<Tip tip_type=\"4\" text=\"bad type\"/>"
                             "<Tip event_type=\"9\" text=\"bad event\"/>"
                             "<Tip start=\"1\"/>"
                             "<Tip tip_type=\"2\" event_type=\"2\" text=\"far\" target=\"3000;10\"/>"
                             "<Tip start=\"3\" text=\"timed\"/>"
                             "<Tip event_type=\"5\" text=\"polled\"/>"
                             "<Tip tip_type=\"2\" event_type=\"3\" text=\"point\"/>"
                             "<Tip tip_type=\"1\" event_type=\"3\" text=\"modal\" target=\"3000;10\"/>")));
    const cUnit::Ptr heap = unitAt(game, L"Rubble", 150.0f);
    EXPECT_EQ(heap->tips.size(), 7u) << "an unknown event, no text, a target off the screen are kept";
    EXPECT_EQ(heap->tips.back()->text, L"modal");
    std::ifstream log("error.log");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Tutorial tip 1 of Rubble is left out: the tip type 4 is not 0, 1 or 2"),
              std::string::npos);

    cTutorial& tutorial = cTutorial::instance();
    ASSERT_EQ(tutorial.getTimedTips().size(), 2u) << "the tip without text is timed too";
    ASSERT_EQ(tutorial.getPolledTips().size(), 1u);
    const cTutorial::TipPtr timed = tutorial.getTimedTips().back();
    ASSERT_FALSE(heap->showTip(3));
    ASSERT_TRUE(heap->showTip(3));
    EXPECT_EQ(tutorial.getPointedUnit(), heap);
    // The unit drops its tips (a saved level restores them, the unit goes): the tutorial lets
    // go of the timed and the polled one; the pointer tip at a unit that went goes too.
    heap->clearTips();
    EXPECT_TRUE(tutorial.getTimedTips().empty());
    EXPECT_TRUE(tutorial.getPolledTips().empty());
    EXPECT_EQ(timed->text, L"timed") << "a record someone still holds stays whole";
    heap->destroy();
    fixture.run(1, 0.1f);
    EXPECT_FALSE(tutorial.getTipView()->isShown());
}

TEST(Tutorial, AModalTipWaitsForTheLevelToRunThenHoldsItUntilOk)
{
    ScreenFixture screen;
    screen.game.startProfile();
    screen.startLevel(965, GameFixture::levelXml(
                               "<Unit Type=\"TownHall\" Position=\"50;50\" BreafId=\"start\"><FreeCells>"
                               "<Cell Pos=\"2;2\"/></FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/>"
                               "</CameOffsetPoints></Unit>" +
                                   rubble(450, "<Tip tip_type=\"1\" event_type=\"1\" text=\"Read me.\"/>"),
                               "<BreafData><Brief id=\"start\"><A type=\"1\" start=\"0\" duration=\"1\" "
                               "text=\"Hello\"/></Brief></BreafData>"));
    CGameEngine& engine = CGameEngine::instance();
    CPlayState& play = CPlayState::instance();
    ASSERT_EQ(engine.topState(), &BriefState::instance());
    const cUnit::Ptr heap = unitAt(*play.getGame(), L"Rubble", 450.0f);
    ASSERT_TRUE(heap->showTip(1)) << "taken while the level waits";
    EXPECT_EQ(cTutorial::instance().getWaitingTips().size(), 1u);
    EXPECT_EQ(engine.getStateCount(), 2u);

    screen.key(1);
    ASSERT_EQ(engine.topState(), &play) << "Escape ends the briefing";
    screen.frame(0.1f);
    ModalTutorState& modal = ModalTutorState::instance();
    ASSERT_EQ(engine.topState(), &modal) << "the level runs: the message comes";
    EXPECT_TRUE(modal.getTutorView()->isShown());
    EXPECT_EQ(modal.getTutorView()->getTextView()->getText(), L"Read me.");
    const float time = play.getGame()->getLevelTime();
    screen.frames(5, 0.1f);
    EXPECT_EQ(play.getGame()->getLevelTime(), time) << "the level stands under the message";
    modal.getTutorView()->getOkButton()->clickSignal(nullptr);
    modal.getTutorView()->getOkButton()->clickSignal(nullptr);
    EXPECT_EQ(engine.topState(), &play);
    EXPECT_EQ(engine.getStateCount(), 1u) << "a second OK does nothing";
    EXPECT_FALSE(modal.getTutorView()->isShown());
    screen.frame(0.1f);
    EXPECT_GT(play.getGame()->getLevelTime(), time);
}

} // namespace
