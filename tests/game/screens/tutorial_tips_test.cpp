// The tutorial's tips as a player meets them in the play state, the level played with the
// scripted pointer and keys: a polled tip that comes once its unit can be served, panels that
// never cover what they speak of and stay on the screen, one text at a time (a tip raised while
// a message stands waits for it, and is dropped once its occasion has passed), and tips the
// level's data gives of an event no unit raises or aimed off the screen.
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cLightButton.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/heroes/GameController.h"
#include "game/heroes/UnitProblem.h"
#include "game/hud/TipPlacement.h"
#include "game/hud/UnitViewDescription.h"
#include "game/hud/UnitViewLibrary.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/CPlayState.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cMiniBriefing.h"
#include "game/screens/cModalTutorStateView.h"
#include "game/screens/cTutorTipView.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTip.h"
#include "tests/game/screens/drawn_texts.h"
#include "tests/game/screens/frontend_test_tools.h"
#include "tests/game/screens/unit_bar_box.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// The town hall the heroes come from, at the left of a street of free cells.
const std::string kTownHall = "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

// A click on a unit of the level at its place on the screen, some seconds after the click
// before, or after the barrier it waits for has gone.
struct Click
{
    const wchar_t* type;
    float after;
    const wchar_t* once = nullptr;
};

class TutorialTips : public ::testing::Test
{
protected:
    ~TutorialTips() override { CGameEngine::instance().setLevelPath(L""); }

    // The level at `path` entered by the play state, its opening briefing read away with keys,
    // until the level runs on top.
    Game& enter(const std::wstring& path)
    {
        front.fixture.startProfile();
        EXPECT_TRUE(front.playLevel(path));
        return *CPlayState::instance().getGame();
    }
    Game& enter(int number, const std::string& xml)
    {
        front.fixture.writeLevel(number, xml);
        return enter(L"levels/n" + std::to_wstring(number) + L".xml");
    }

    static cUnit::Ptr unit(const wchar_t* type, int index = 1)
    {
        Game& game = *CPlayState::instance().getGame();
        auto range = game.getUnits().equal_range(typeId(type));
        for (auto it = range.first; it != range.second; ++it)
            if (--index == 0)
                return it->second;
        return cUnit::Ptr();
    }

    // Runs frames of level time until `done` holds, for at most `seconds`.
    bool playUntil(const std::function<bool()>& done, float seconds, float dt = 0.05f)
    {
        for (float t = 0.0f; t < seconds; t += dt)
        {
            if (done())
                return true;
            front.frame(dt);
        }
        return done();
    }

    // The level begun as a player begins it: its opening briefing skipped, its first pointer
    // tip's unit clicked, then the clicks in turn. `check` runs on every frame the clicks wait
    // (they stop once it holds).
    void playClicks(
        const wchar_t* level, const std::vector<Click>& clicks,
        const std::function<bool()>& check = [] { return false; })
    {
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(level);
        engine.ChangeState(&CPlayState::instance());
        ASSERT_TRUE(playUntil([&] { return engine.topState() == &BriefState::instance(); }, 30.0f));
        front.click(BriefState::instance().getBriefing().getForwardButton());
        ASSERT_TRUE(playUntil([] { return cTutorial::instance().getPointedUnit() != nullptr; }, 5.0f));
        front.click(cTutorial::instance().getPointedUnit()->getView());
        for (const Click& click : clicks)
        {
            const auto gone = [&]
            {
                const cUnit::Ptr barrier = click.once ? unit(click.once) : cUnit::Ptr();
                return !barrier || barrier->isRemoved();
            };
            playUntil([&] { return check() || gone(); }, 30.0f);
            if (playUntil(check, click.after))
                return;
            front.click(unit(click.type)->getView());
        }
    }

    // The short messages on the play view that a frame draws.
    static std::vector<cMiniBriefing*> messages()
    {
        std::vector<cMiniBriefing*> shown;
        for (Engine::cControl* child : getPlayView()->getChildren())
            if (auto* message = dynamic_cast<cMiniBriefing*>(child))
                if (message->isShown() && !Engine::cControl::isQueuedForDeletion(message))
                    shown.push_back(message);
        return shown;
    }

    static bool onScreen(const TipPlacement::Box& box)
    {
        const Engine::cVector2 screen = cTooltipView::screenSize();
        return box.left >= -0.5f && box.top >= -0.5f && box.right <= screen.x + 0.5f &&
               box.bottom <= screen.y + 0.5f;
    }

    FrontEnd front;
};

TEST_F(TutorialTips, APolledTipComesOnceTheWayToItsUnitIsOpen)
{
    // "Paws": the fallen tree blocks the way to the puppy; the puppy's tip is polled.
    enter(L"levels/n3.xml");
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr tree = unit(L"FallenTree");
    const cUnit::Ptr puppy = unit(L"Puppy");
    ASSERT_TRUE(tree && puppy && tree->getView() && puppy->getView());
    ASSERT_EQ(tutorial.getPolledTips().size(), 1u);
    ASSERT_TRUE(playUntil([&] { return tutorial.getPointedUnit() == tree; }, 5.0f))
        << "the tree's own tip points at it from the start";
    // Level time passes and the way stays shut: the puppy's tip waits.
    front.frames(40, 0.05f);
    EXPECT_EQ(tutorial.getPointedUnit(), tree);

    front.click(tree->getView());
    EXPECT_NE(tutorial.getPointedUnit(), tree) << "the tree's click takes its tip away";
    ASSERT_TRUE(playUntil([&] { return tutorial.getPointedUnit() == puppy; }, 60.0f))
        << "once a hero has cleared the tree, the polled tip points at the puppy";
    EXPECT_TRUE(tutorial.getPolledTips().empty());
    cTutorTipView* view = tutorial.getTipView();
    ASSERT_TRUE(view && view->isShown());
    EXPECT_NE(view->getTextView()->getText().find(L"puppy"), std::wstring::npos);
    EXPECT_FALSE(TipPlacement::boxOf(*view).overlaps(TipPlacement::boxOf(*puppy->getView())))
        << "the panel leaves the puppy in sight";

    // The player follows the tip: the puppy's click goes through and the tip goes.
    front.click(puppy->getView());
    EXPECT_FALSE(tutorial.getPointedUnit());
}

TEST_F(TutorialTips, TheSupplyDropTellsOfItsCratesOnceAndHighWaterOfItsFloodWithNoClickOnIt)
{
    // The times each text came up as the tutorial reports its tips, over `seconds` of play.
    const auto shownTexts = [&](float seconds)
    {
        std::map<std::wstring, int> shown;
        playUntil(
            [&]
            {
                for (const std::wstring& line : front.takeTraces())
                    if (line == L"Tutorial tip shown\n")
                        ++shown[cTutorial::instance().getLastMessage()];
                return false;
            },
            seconds);
        return shown;
    };
    // "Supply drop": two crates of bricks fall at twelve seconds, and the level says so once.
    enter(L"levels/n6.xml");
    front.takeTraces();
    const std::map<std::wstring, int> supply = shownTexts(40.0f);
    const auto crates = std::find_if(supply.begin(), supply.end(),
                                     [](const auto& text) { return text.first.find(L"Crates") == 0; });
    ASSERT_NE(crates, supply.end()) << "the crates' message";
    EXPECT_EQ(crates->second, 1);
    CGameEngine::instance().PopState();

    // "High water": the player takes the junk's pointer and never clicks the flood; its message
    // comes by itself.
    ASSERT_TRUE(front.playLevel(L"levels/n5.xml"));
    const cUnit::Ptr junk = unit(L"JunkPile");
    ASSERT_TRUE(playUntil([&] { return cTutorial::instance().getPointedUnit() == junk; }, 5.0f));
    front.click(junk->getView());
    front.takeTraces();
    const std::map<std::wstring, int> flood = shownTexts(20.0f);
    EXPECT_TRUE(std::any_of(flood.begin(), flood.end(),
                            [](const auto& text) { return text.first.find(L"This much water") == 0; }));
}

TEST_F(TutorialTips, APanelNeverCoversTheBuildingItSpeaksOfAndStaysOnTheScreen)
{
    // "The works" points at the steel works as it starts.
    enter(L"levels/n2.xml");
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr works = unit(L"SteelWorks");
    ASSERT_TRUE(playUntil([&] { return tutorial.getPointedUnit() == works; }, 5.0f))
        << "time " << tutorial.getTime() << " timed " << tutorial.getTimedTips().size() << " message "
        << (cMiniBriefing::shown() != nullptr) << " pointed " << (tutorial.getPointedUnit() != nullptr)
        << " waiting " << tutorial.getWaitingTips().size() << " level "
        << CPlayState::instance().getGame()->getLevelTime();
    cTutorTipView* view = tutorial.getTipView();
    const TipPlacement::Box panel = TipPlacement::boxOf(*view);
    EXPECT_FALSE(panel.overlaps(TipPlacement::boxOf(*works->getView())));
    EXPECT_TRUE(onScreen(panel));
    // The arrow stays between the panel and the building, pointing at it.
    const Engine::cVector2 arrow = view->getPointer()->getPosition();
    const TipPlacement::Box building = TipPlacement::boxOf(*works->getView());
    EXPECT_GE(arrow.y, building.bottom - 1.0f);
    EXPECT_LE(arrow.y, panel.top + 1.0f);

    // Targets anywhere on the screen, a tall view round them: the panel never covers the view
    // and never leaves the screen.
    const Engine::cVector2 screen = cTooltipView::screenSize();
    for (float x : {30.0f, 300.0f, 512.0f, 700.0f, 990.0f})
        for (float y : {40.0f, 200.0f, 384.0f, 500.0f, 740.0f})
        {
            UnitTip tip{cUnit::Ptr()};
            tip.tipType = 2;
            tip.text = L"A tip of a few words.";
            tip.target = Engine::cVector2(x, y);
            view->showTip(tip);
            const TipPlacement::Box placed = TipPlacement::boxOf(*view);
            EXPECT_TRUE(onScreen(placed)) << x << ";" << y;
            EXPECT_FALSE(placed.overlaps(TipPlacement::boxAt(Engine::cVector2(x, y), {2.0f, 2.0f})))
                << x << ";" << y << " under the panel";
        }
    (void)screen;
    tutorial.hideTip();
}

TEST_F(TutorialTips, APanelLeavesTheBarOfWorkOverItsUnitInSightWhereverItPoints)
{
    // "High water": the bar of the pumping work on the flood stands above the flood's picture.
    enter(L"levels/n5.xml");
    const cUnit::Ptr flood = unit(L"BarrierFlood");
    ASSERT_TRUE(flood && flood->getView());
    const ScreenBox spoken = unitWithItsBar(flood);
    ASSERT_LT(spoken.top, boxOf(*flood->getView()).top);
    cTutorTipView view(nullptr);
    Engine::loadLayout(view, "UI/ModalTutorView.xml");
    // The flood's tip pointing anywhere down the column above it and below it.
    UnitTip tip{flood};
    tip.tipType = 2;
    tip.text = L"This much water is too much for a hand pump.";
    const float x = flood->getView()->getPosition().x;
    for (float y = 0.0f; y <= 768.0f; y += 2.0f)
    {
        tip.target = Engine::cVector2(x, y);
        view.showTip(tip);
        ScreenBox panel = boxOf(view);
        panel = {panel.left + 0.5f, panel.top + 0.5f, panel.right - 0.5f, panel.bottom - 0.5f};
        EXPECT_FALSE(panel.meets(spoken)) << "pointing at " << x << ";" << y;
    }
}

TEST_F(TutorialTips, TheModalMessageOfTheMarketLeavesTheMarketInSight)
{
    // "Market day": a message as play begins that holds the level until OK.
    enter(L"levels/n1.xml");
    const cUnit::Ptr market = unit(L"Market");
    CGameEngine& engine = CGameEngine::instance();
    ModalTutorState& modal = ModalTutorState::instance();
    ASSERT_TRUE(playUntil([&] { return engine.topState() == &modal; }, 10.0f));
    cModalTutorStateView* view = modal.getTutorView();
    ASSERT_TRUE(view->isShown());
    EXPECT_FALSE(TipPlacement::boxOf(*view).overlaps(TipPlacement::boxOf(*market->getView())));
    EXPECT_TRUE(onScreen(TipPlacement::boxOf(*view)));
    front.click(view->getOkButton());
    EXPECT_EQ(engine.topState(), &CPlayState::instance());
}

TEST_F(TutorialTips, MessagesComeOneAtATimeEachForItsTimeAndBesideWhatTheySpeakOf)
{
    // Two timed messages half a second apart, and a rubble heap right under the place where
    // messages stand.
    enter(990, GameFixture::levelXml(kTownHall +
                                     "<Unit Type=\"Rubble\" Position=\"560;150\"><Tutorial>"
                                     "<Tip start=\"1\" text=\"The first message, about the heap.\"/>"
                                     "<Tip start=\"1.5\" text=\"The second message, about the heap too.\"/>"
                                     "</Tutorial></Unit>"));
    const cUnit::Ptr heap = unit(L"Rubble");
    ASSERT_TRUE(playUntil([] { return !messages().empty(); }, 3.0f));
    cMiniBriefing* first = messages().front();
    EXPECT_EQ(first->getText()->getText(), L"The first message, about the heap.");
    EXPECT_FALSE(TipPlacement::boxOf(*first).overlaps(TipPlacement::boxOf(*heap->getView())))
        << "the message moved off the heap";
    EXPECT_TRUE(onScreen(TipPlacement::boxOf(*first)));
    const float shownAt = CPlayState::instance().getGame()->getLevelTime();
    float secondAt = -1.0f;
    for (int i = 0; i < 400 && secondAt < 0.0f; ++i)
    {
        front.frame(0.05f);
        const std::vector<cMiniBriefing*> shown = messages();
        ASSERT_LE(shown.size(), 1u) << "two texts at once";
        if (!shown.empty() && shown.front()->getText()->getText() != L"The first message, about the heap.")
            secondAt = CPlayState::instance().getGame()->getLevelTime();
    }
    ASSERT_GE(secondAt, 0.0f) << "the second message comes after the first";
    EXPECT_GE(secondAt - shownAt, 4.9f) << "the first stays up for its time";
}

// The second level as a player starts it: the briefing skipped and the first tip's OK clicked,
// then the bonus, the ruined market and the road within two seconds. The market's upgrade arrow
// lights up while the cement mill's message stands: its pointer tip waits for the message to go,
// and the player who clicks the arrow meanwhile never sees it. No frame draws two texts.
TEST_F(TutorialTips, TheMarketsArrowTipWaitsForTheMillsMessageAndGoesOnceItsUpgradeIsTaken)
{
    const std::wstring marketTip = L"The market can rise: click the arrow beside it.";
    front.fixture.startProfile();
    for (const bool clickArrowMeanwhile : {false, true})
    {
        SCOPED_TRACE(clickArrowMeanwhile ? "the arrow clicked while the tip waits" : "the tip waited for");
        front.takeTraces();
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(L"levels/n1.xml");
        engine.ChangeState(&CPlayState::instance());
        ASSERT_TRUE(playUntil([&] { return engine.topState() == &BriefState::instance(); }, 30.0f));
        front.click(BriefState::instance().getBriefing().getForwardButton());
        ModalTutorState& modal = ModalTutorState::instance();
        ASSERT_TRUE(playUntil([&] { return engine.topState() == &modal; }, 10.0f));
        front.click(modal.getTutorView()->getOkButton());
        ASSERT_EQ(engine.topState(), &CPlayState::instance());
        for (const Engine::cVector2 place :
             {Engine::cVector2(350.0f, 305.0f), Engine::cVector2(460.0f, 236.0f),
              Engine::cVector2(750.0f, 420.0f)})
        {
            front.clickAt(place);
            front.frames(10);
        }
        const cUnitView* market = unit(L"Market")->getView();
        Game& game = *CPlayState::instance().getGame();
        float litAt = -1.0f;
        float tipAt = -1.0f;
        for (int i = 0; i < 1200 && tipAt < 0.0f; ++i)
        {
            front.frame(0.05f);
            const std::vector<DrawnText> texts = drawnTexts();
            ASSERT_LE(texts.size(), 1u)
                << "at " << game.getLevelTime() << " s: " << Engine::toUtf8(texts[0].text) << " and "
                << Engine::toUtf8(texts[1].text);
            if (litAt < 0.0f && market->isUpgradeLit())
            {
                litAt = game.getLevelTime();
                ASSERT_EQ(texts.size(), 1u) << "a message stands as the arrow lights up";
                EXPECT_EQ(texts[0].speaker, "short message");
                if (clickArrowMeanwhile)
                    front.click(market->getUpgradeButton());
            }
            if (!texts.empty() && texts[0].text == marketTip)
                tipAt = game.getLevelTime();
            if (clickArrowMeanwhile && litAt >= 0.0f && !cMiniBriefing::shown())
                break;
        }
        ASSERT_GE(litAt, 0.0f) << "the arrow lights up";
        if (!clickArrowMeanwhile)
        {
            EXPECT_GT(tipAt, litAt + 1.0f) << "the tip waited for the message";
            EXPECT_EQ(cTutorial::instance().getPointedUnit(), unit(L"Market"));
            continue;
        }
        front.frames(20, 0.05f);
        EXPECT_LT(tipAt, 0.0f) << "the tip of an upgrade taken is never shown";
        const auto count = [&](const wchar_t* line)
        { return std::count(front.traces.begin(), front.traces.end(), line); };
        EXPECT_EQ(count(L"Goal queued: Market upgrade\n"), 1);
        EXPECT_EQ(count(L"Tutorial tip dropped\n"), 1);
        EXPECT_FALSE(cTutorial::instance().getPointedUnit()) << "no tip holds the player's clicks";
    }
}

// A short message that stands as a briefing opens over the level steps aside, its time
// standing, and comes back once the briefing is over; under a message told over every screen
// its time stands until the message's OK.
TEST_F(TutorialTips, AShortMessageStepsAsideForABriefingAndWaitsUnderAMessageOverTheScreen)
{
    enter(992,
          GameFixture::levelXml(kTownHall + "<Unit Type=\"Rubble\" Position=\"560;400\"><Tutorial>"
                                            "<Tip start=\"1\" text=\"A message about the heap.\"/>"
                                            "</Tutorial></Unit>",
                                "<BreafData><Brief id=\"over\"><Action type=\"1\" start=\"0\" duration=\"1\" "
                                "text=\"A speech over the level.\" target=\"512;384\"/><Action type=\"3\" "
                                "start=\"1\" duration=\"0\"/></Brief></BreafData>"));
    ASSERT_TRUE(playUntil([] { return cMiniBriefing::shown(); }, 3.0f));
    cMiniBriefing* message = cMiniBriefing::shown();
    CGameEngine& engine = CGameEngine::instance();
    struct Cover
    {
        const char* what;
        std::function<void()> open;
        std::function<bool()> stands;
        std::function<void()> close;
        bool hidesTheMessage;
    };
    const Cover covers[] = {
        {"a briefing", [] { CPlayState::instance().showBriefing("over"); },
         [&] { return engine.topState() == &BriefState::instance(); },
         [&] { front.click(BriefState::instance().getBriefing().getForwardButton()); }, true},
        {"a message over every screen", [] { CGameEngine::tellWindowRefused(); },
         [&] { return engine.isTelling(); }, [&] { front.clickAt(Engine::cVector2(512.0f, 472.0f)); }, false},
    };
    for (const Cover& cover : covers)
    {
        SCOPED_TRACE(cover.what);
        const float left = message->getCountdown();
        cover.open();
        for (int i = 0; i < 40; ++i)
        {
            front.frame(0.05f);
            ASSERT_TRUE(cover.stands());
            ASSERT_EQ(message->isShown(), !cover.hidesTheMessage);
            ASSERT_LE(drawnTexts().size(), cover.hidesTheMessage ? 1u : 2u);
        }
        EXPECT_EQ(message->getCountdown(), left) << "the message's time stands";
        cover.close();
        ASSERT_TRUE(playUntil([&] { return !cover.stands(); }, 3.0f));
        front.frame(0.05f);
        EXPECT_EQ(cMiniBriefing::shown(), message);
        EXPECT_TRUE(message->isShown()) << "the message is back";
        EXPECT_LT(message->getCountdown(), left);
    }
}

// A message said for a refused click stands as something comes over the level, and comes back
// afterwards only while it still holds. The levels as a player plays them: the briefing skipped,
// the pointer tip's unit clicked, then the units the rows give, each some time after the one
// before, the last twice, refused for want of a way there. On the first level that is the road
// beyond the rubble: the cleared rubble opens its briefing, and once the player clicks Play the
// way is open and the message has nothing true left to say; the pause menu comes and goes with
// the rubble still there, and the message comes back. On the third level the broken road is
// mended while a message over every screen stands, and the bridge's message goes with its OK.
TEST_F(TutorialTips, AMessageThatSteppedAsideComesBackOnlyWhileItStillHolds)
{
    CGameEngine& engine = CGameEngine::instance();
    BriefState& brief = BriefState::instance();
    const auto notOnTop = [&] { return engine.topState() != &CPlayState::instance(); };
    struct Row
    {
        const char* what;
        const wchar_t* level;
        // The units clicked after the pointer tip's.
        std::vector<Click> clicks;
        // Opens what comes over the level (unless the level does), and waits for it to stand.
        std::function<void()> open;
        std::function<void()> close;
        bool holds;
    };
    const Row rows[] = {
        {"the briefing of the cleared rubble",
         L"levels/n0.xml",
         {{L"Road", 4.7f}, {L"Road", 0.0f}},
         [&] { ASSERT_TRUE(playUntil(notOnTop, 20.0f)); },
         [&]
         {
             // Play, once the briefing has said everything.
             ASSERT_TRUE(playUntil([&] { return brief.getBriefing().isFinished(); }, 30.0f));
             front.clickAt(Engine::cVector2(512.0f, 726.0f));
         },
         false},
        {"the pause menu",
         L"levels/n0.xml",
         {{L"Road", 4.7f}, {L"Road", 0.0f}},
         [&]
         {
             front.key(1);
             ASSERT_TRUE(notOnTop());
         },
         [&] { front.key(1); },
         true},
        {"a message over every screen",
         L"levels/n2.xml",
         {{L"BrokenRoad", 1.5f}, {L"Bridge", 1.5f}, {L"Bridge", 0.0f}},
         [&]
         {
             CGameEngine::tellWindowRefused();
             const cUnit::Ptr bridge = unit(L"Bridge");
             cGameResources cost;
             Engine::cPoint blocked;
             ASSERT_TRUE(playUntil(
                 [&] {
                     return Game::instance()->getController().getUnitProblem(bridge, cost, blocked) !=
                            NoRoute;
                 },
                 60.0f))
                 << "the broken road is mended under the message";
         },
         [&] { front.clickAt(Engine::cVector2(512.0f, 472.0f)); },
         false},
    };
    front.fixture.startProfile();
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        // The refused click's message, read off its unit before the unit hands it on.
        std::wstring said;
        playClicks(row.level, row.clicks,
                   [&]
                   {
                       if (said.empty())
                           said = unit(row.clicks.back().type)->tips.front()->text;
                       return false;
                   });
        const auto saying = [&]
        {
            const std::vector<DrawnText> texts = drawnTexts();
            return std::any_of(texts.begin(), texts.end(),
                               [&](const DrawnText& text) { return text.text == said; });
        };
        ASSERT_TRUE(playUntil(saying, 3.0f)) << "the refused click's message";
        row.open();
        front.takeTraces();
        row.close();
        ASSERT_TRUE(playUntil([&] { return !notOnTop() && !engine.isTelling(); }, 3.0f));
        front.frame(0.05f);
        EXPECT_EQ(saying(), row.holds);
        EXPECT_EQ(std::count(front.traces.begin(), front.traces.end(), L"Tutorial tip dropped\n"),
                  row.holds ? 0 : 1);
    }
}

// Levels 5 and 6 as a player plays them: the briefing skipped, the pointer tip's unit clicked,
// then the units the rows give, at the paces they give. On every frame each tip drawn is true: it
// names no barrier the field no longer has and tells the player to click no unit they have taken
// already, and a short message covers no unit that a tip said before it named while the player
// has not taken that unit since.
TEST_F(TutorialTips, EveryTipHoldsWhenItIsSaidAndLeavesWhatAnEarlierOneNamedInSight)
{
    struct Row
    {
        const char* what;
        const wchar_t* level;
        std::vector<Click> clicks;
        float playOn;
    };
    const Row rows[] = {
        {"level 5: the workshop, the batteries and the market",
         L"levels/n4.xml",
         {{L"Accum", 1.5f}, {L"Market", 1.5f}},
         10.0f},
        {"level 5: the workshop and the batteries only", L"levels/n4.xml", {{L"Accum", 1.5f}}, 30.0f},
        {"level 6: the junk, and the pumping station twice once it is gone",
         L"levels/n5.xml",
         {{L"PipeStation", 0.5f, L"JunkPile"}, {L"PipeStation", 0.0f}},
         15.0f},
    };
    GameConfig& config = GameConfig::instance();
    front.fixture.startProfile();
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.what);
        // Each tip the level gives by its text, and the barriers it places by the first word of
        // their hover names, read as play begins.
        std::map<std::wstring, UnitTip::Ptr> tips;
        std::map<int, std::wstring> barriers;
        // The tips drawn so far whose units the player has not taken since.
        std::vector<UnitTip::Ptr> awaited;
        // The first tip found untrue; the row plays no further.
        std::string fault;
        const auto check = [&]
        {
            Game& game = *CPlayState::instance().getGame();
            for (const auto& [id, placed] : game.getUnits())
            {
                for (const UnitTip::Ptr& tip : placed->tips)
                    tips.emplace(tip->text, tip);
                if (config.isOfCategory(id, UnitCategory::barrier) ||
                    config.isOfCategory(id, UnitCategory::barrierroad))
                {
                    const std::wstring name = UnitViewLibrary::instance().findOrLoad(id)->getName();
                    barriers.emplace(id, name.substr(0, name.find(L' ')));
                }
            }
            awaited.erase(std::remove_if(awaited.begin(), awaited.end(),
                                         [](const UnitTip::Ptr& tip)
                                         {
                                             const cUnit::Ptr unit = tip->unit.lock();
                                             return !unit || unit->isRemoved() || unit->isTaken();
                                         }),
                          awaited.end());
            for (const DrawnText& drawn : drawnTexts())
            {
                const auto found = tips.find(drawn.text);
                if (found == tips.end() || !fault.empty())
                    continue;
                const UnitTip::Ptr& tip = found->second;
                const cUnit::Ptr own = tip->unit.lock();
                const std::string at =
                    " at " + std::to_string(game.getLevelTime()) + " s: " + Engine::toUtf8(drawn.text);
                for (const auto& [id, word] : barriers)
                {
                    const auto range = game.getUnits().equal_range(id);
                    if (std::regex_search(drawn.text,
                                          std::wregex(L"\\b" + word + L"\\b", std::regex::icase)) &&
                        std::all_of(range.first, range.second,
                                    [](const auto& unit) { return unit.second->isRemoved(); }))
                        fault = "names the cleared " + Engine::toUtf8(word) + at;
                }
                if (std::regex_search(drawn.text, std::wregex(L"click it", std::regex::icase)) && own &&
                    own->isTaken())
                    fault = "asks for a click the player made" + at;
                if (drawn.speaker == "short message")
                    for (const UnitTip::Ptr& earlier : awaited)
                        if (earlier->unit.lock() != own && TipPlacement::boxOf(*cMiniBriefing::shown())
                                                               .overlaps(cTutorTipView::coveredBy(*earlier)))
                            fault = "covers what \"" + Engine::toUtf8(earlier->text) + "\" named" + at;
                if (std::find(awaited.begin(), awaited.end(), tip) == awaited.end())
                    awaited.push_back(tip);
            }
            return !fault.empty();
        };
        playClicks(row.level, row.clicks, check);
        playUntil(check, row.playOn);
        EXPECT_EQ(fault, "");
    }
}

TEST_F(TutorialTips, TipsOfAnEventNoUnitRaisesOrAimedOffTheScreenNeitherStopNorHideTheLevel)
{
    enter(991, GameFixture::levelXml(kTownHall + "<Unit Type=\"Rubble\" Position=\"450;300\"/>"));
    cTutorial& tutorial = cTutorial::instance();
    const cUnit::Ptr heap = unit(L"Rubble");
    const auto offer = [&](int tipType, int eventKind, const std::wstring& text, Engine::cVector2 target)
    {
        auto tip = boost::make_shared<UnitTip>(heap);
        tip->tipType = tipType;
        tip->eventKind = eventKind;
        tip->text = text;
        tip->target = target;
        heap->tips.push_back(tip);
        tutorial.addTip(tip);
        return tip;
    };
    // A message of an event no unit raises is never shown.
    offer(0, 9, L"never raised", Engine::cVector2(0.0f, 0.0f));
    front.frames(20, 0.1f);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(CGameEngine::instance().topState(), &CPlayState::instance());
    EXPECT_FALSE(tutorial.getPointedUnit());

    // A pointer tip aimed off the screen: its panel and arrow stay on it.
    offer(2, 3, L"Over there.", Engine::cVector2(3000.0f, -400.0f));
    EXPECT_FALSE(heap->showTip(3));
    EXPECT_TRUE(heap->showTip(3));
    ASSERT_EQ(tutorial.getPointedUnit(), heap);
    cTutorTipView* view = tutorial.getTipView();
    EXPECT_TRUE(onScreen(TipPlacement::boxOf(*view)));
    const Engine::cVector2 screen = cTooltipView::screenSize();
    EXPECT_LE(view->getTarget().x, screen.x);
    EXPECT_GE(view->getTarget().y, 0.0f);
    front.frames(10, 0.1f);
    // The player clicks the heap the tip is about, and plays on.
    front.click(heap->getView());
    EXPECT_FALSE(tutorial.getPointedUnit());
}

} // namespace
