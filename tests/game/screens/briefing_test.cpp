// The briefing over a level started by the play state, on the recording render device: the
// script's order and clock, the reporters and bubbles, the keys, the end that starts the level
// once, and a goal's briefing in the middle of the level.
#include "engine/devices/cInput.h"
#include "engine/ui/cButtonCaption.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/cBriefingBubble.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitTip.h"
#include "tests/game/screens/briefing_test_tools.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kBase =
    "<Unit Type=\"TownHall\" Position=\"50;50\" BreafId=\"start\"><FreeCells><Cell Pos=\"2;2\"/>"
    "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
    "<Unit Type=\"Road\" Position=\"150;130\" TargetType=\"1\" TargetLevel=\"1\" "
    "GoalCategory=\"roads\"/>";

// The actions out of order, three that cannot be played, and a second briefing for a goal.
const std::string kBriefings =
    "<BreafData><Brief id=\"start\">"
    "<A type=\"1\" start=\"1\" duration=\"2\" text=\"Second words\"/>"
    "<A type=\"0\" start=\"0\" duration=\"0\" target=\"700;300\"/>"
    "<A type=\"2\" start=\"3.5\" duration=\"1\" target=\"300;200\"/>"
    "<A type=\"1\" start=\"0\" duration=\"0.5\" text=\"First\"/>"
    "<A type=\"7\" start=\"2\" duration=\"1\"/>"
    "<A type=\"1\" start=\"2\" duration=\"1\"/>"
    "<A type=\"0\" start=\"2\" duration=\"0\" target=\"2000;10\"/>"
    "<A type=\"3\" start=\"5\" duration=\"0\"/>"
    "<A type=\"2\" start=\"5.1\" duration=\"3\" target=\"300;350\"/>"
    "<A type=\"1\" start=\"5.2\" duration=\"1\" text=\"Last words\"/>"
    "</Brief><Brief id=\"goal\"><A type=\"1\" start=\"0\" duration=\"1\" text=\"Well done!\"/></Brief>"
    "</BreafData>";

std::wstring shownText(const cBriefingBubble& text)
{
    std::wstring all;
    for (const Engine::cTextLine* line : text.getLines())
        all += line->getText();
    return all;
}

// Frames of 0.1 s until the briefing's clock reaches `time` (at most 100).
void runTo(ScreenFixture& screen, const cBriefing& briefing, float time)
{
    for (int i = 0; i < 100 && briefing.getTime() < time; ++i)
        screen.frame(0.1f);
}

TEST(Briefing, TheOpeningBriefingPlaysInStartOrderHoldsItsClockForThePlayerAndStartsTheLevelOnce)
{
    ScreenFixture screen;
    screen.game.startProfile();
    screen.startLevel(970, GameFixture::levelXml(kBase, kBriefings));
    CGameEngine& engine = CGameEngine::instance();
    CPlayState& play = CPlayState::instance();
    cBriefing& briefing = play.getBriefing();
    ASSERT_EQ(engine.topState(), &BriefState::instance()) << "the opening briefing lies over the level";
    EXPECT_TRUE(briefing.isShown());
    EXPECT_EQ(screen.heroes(), 0u) << "the level waits for its briefing";

    // Sorted by start; the action of type 7, the speech without words and the target off the
    // screen are left out.
    std::vector<std::wstring> order;
    for (const cBriefing::Action& action : briefing.actions())
        order.push_back(std::to_wstring(action.type) + L":" + action.text);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"0:", L"1:First", L"1:Second words", L"2:", L"3:", L"2:",
                                                L"1:Last words"}));

    // The camera cut to the right half: the woman on the left speaks, in the lower bubble.
    screen.frame(0.1f);
    EXPECT_EQ(briefing.getCamera(), Engine::cVector2(700.0f, 300.0f));
    EXPECT_TRUE(briefing.getReporter(true)->isVisible());
    EXPECT_FALSE(briefing.getReporter(false)->isVisible());
    ASSERT_NE(briefing.getActive(1), nullptr);
    EXPECT_TRUE(briefing.getBubble(false)->isVisible());
    EXPECT_FALSE(briefing.getBubble(false)->getInverceX()) << "its tail towards the woman";
    EXPECT_EQ(briefing.getCameraView()->getPosition(), Engine::cVector2(700.0f, 300.0f));
    EXPECT_GT(briefing.getEyes(true)->getAnimTime(), 0.0f) << "her eyes blink";

    // While actions remain, a speech ends by itself: all its words, the lips closed.
    runTo(screen, briefing, 0.55f);
    EXPECT_EQ(briefing.getActive(1), nullptr);
    EXPECT_EQ(shownText(*briefing.getBubbleText(false)), L"First");
    EXPECT_EQ(briefing.getLips(true)->getTextureName(), briefing.getLipImages()[0].getTextureName());
    // Letters appear in proportion to the time: 12 letters over 2 s, half a second in.
    runTo(screen, briefing, 1.5f);
    const size_t shown = shownText(*briefing.getBubbleText(false)).size();
    EXPECT_GE(shown, 3u);
    EXPECT_LE(shown, 4u);

    // The pointer move glides the camera's frame; the camera's point follows at its end, where
    // the pointer shows. The point lies on the left, but the woman's words stand in her bubble
    // until it goes: she stays.
    runTo(screen, briefing, 4.0f);
    EXPECT_EQ(briefing.getCamera(), Engine::cVector2(700.0f, 300.0f));
    EXPECT_NEAR(briefing.getCameraView()->getPosition().x, 500.0f, 45.0f);
    EXPECT_TRUE(briefing.getReporter(true)->isVisible());
    EXPECT_FALSE(briefing.getReporter(false)->isVisible());
    runTo(screen, briefing, 4.6f);
    EXPECT_EQ(briefing.getCamera(), Engine::cVector2(300.0f, 200.0f));
    EXPECT_TRUE(briefing.getPointer()->isVisible());

    // The wait: the clock stands until a key; the key hides the pointer and the bubbles.
    runTo(screen, briefing, 5.0f);
    ASSERT_TRUE(briefing.isWaiting());
    const float waiting = briefing.getTime();
    screen.frames(20, 0.1f);
    EXPECT_EQ(briefing.getTime(), waiting);
    EXPECT_TRUE(briefing.getPressAnyKey()->isVisible());
    // The Alt keys (of Alt+Enter, which switches the screen) answer nothing.
    screen.key(0x38);
    screen.key(0xB8);
    EXPECT_TRUE(briefing.isWaiting());
    screen.key(57);
    EXPECT_FALSE(briefing.isWaiting());
    EXPECT_FALSE(briefing.getPointer()->isVisible());
    EXPECT_FALSE(briefing.getBubble(false)->isVisible());
    EXPECT_FALSE(briefing.getPressAnyKey()->isVisible());

    // The last pointer move begins with no bubble standing: the man, who faces its point, comes
    // at once. The last speech begins while the move runs; once it has said everything the
    // clock stands until a key ends it.
    runTo(screen, briefing, 5.1f);
    EXPECT_EQ(briefing.getActive(1), nullptr);
    EXPECT_TRUE(briefing.getReporter(false)->isVisible());
    EXPECT_FALSE(briefing.getReporter(true)->isVisible());
    runTo(screen, briefing, 5.3f);
    ASSERT_NE(briefing.getActive(1), nullptr);
    EXPECT_TRUE(briefing.getBubble(false)->getInverceX()) << "the man's bubble, its tail to the right";
    runTo(screen, briefing, 6.2f);
    const float standing = briefing.getTime();
    screen.frames(10, 0.1f);
    EXPECT_EQ(briefing.getTime(), standing);
    EXPECT_EQ(shownText(*briefing.getBubbleText(false)), L"Last words");
    EXPECT_FALSE(briefing.isFinished());
    screen.key(57);
    EXPECT_EQ(briefing.getActive(1), nullptr);
    screen.frames(5, 0.1f);
    EXPECT_GT(briefing.getTime(), standing);

    // Over: the forward button offers to play and the next key ends the briefing. The level
    // starts: the heroes come, once.
    runTo(screen, briefing, 8.2f);
    ASSERT_TRUE(briefing.isFinished());
    screen.frame(0.1f);
    EXPECT_EQ(briefing.getForwardButton()->getCaption()->getText(), L"Play!");
    EXPECT_EQ(screen.heroes(), 0u);
    screen.key(0x38);
    EXPECT_NE(engine.topState(), &play);
    screen.key(57);
    EXPECT_EQ(engine.topState(), &play);
    EXPECT_FALSE(briefing.isShown());
    const size_t heroes = screen.heroes();
    EXPECT_GT(heroes, 0u);
    ASSERT_TRUE(play.getStatusPanel());
    EXPECT_TRUE(play.getStatusPanel()->isVisible());

    // A goal's briefing in the middle of the level stops the clock and, when it ends, leaves
    // the heroes, the goals and the work as they were.
    screen.frames(10, 0.1f);
    Game* game = play.getGame();
    const size_t goals = game->getLevelGoals().size();
    const size_t chains = game->getController().runningChainCount();
    const float time = game->getLevelTime();
    play.showBriefing("goal");
    ASSERT_EQ(engine.topState(), &BriefState::instance());
    EXPECT_EQ(briefing.getForwardButton()->getCaption()->getText(), L"Skip");
    screen.frames(5, 0.1f);
    EXPECT_EQ(game->getLevelTime(), time);
    briefing.getForwardButton()->clickSignal(nullptr);
    EXPECT_EQ(engine.topState(), &play) << "the forward button ends it in the middle of the speech";
    EXPECT_EQ(screen.heroes(), heroes);
    EXPECT_EQ(game->getLevelGoals().size(), goals);
    EXPECT_EQ(game->getController().runningChainCount(), chains);
    screen.frame(0.1f);
    EXPECT_GT(game->getLevelTime(), time);
    EXPECT_EQ(briefing.getStarted(), (std::vector<std::string>{"start", "goal"}));
}

TEST(Briefing, ALevelNamingABriefingItLacksIsLoggedAndStartsAtOnce)
{
    ScreenFixture screen;
    screen.game.startProfile();
    std::string base = kBase;
    base.replace(base.find("\"start\""), 7, "\"missing\"");
    screen.startLevel(971, GameFixture::levelXml(base, kBriefings));
    EXPECT_EQ(CGameEngine::instance().topState(), &CPlayState::instance());
    EXPECT_GT(screen.heroes(), 0u);
    std::ifstream log("error.log");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("cBriefing::actions(): briefing with id = missing was not found"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Briefing \"start\", action 5 is left out: the type 7 is not 0 to 3"),
              std::string::npos);
    EXPECT_NE(text.find("action 6 is left out: the speech has no text"), std::string::npos);
    EXPECT_NE(text.find("action 7 is left out: the target 2000;10 lies off the screen"), std::string::npos);
}

TEST(Briefing, EveryShippedLevelOpensWithItsBriefingAndTheFirstOnesTeachThroughTips)
{
    ScreenFixture screen;
    screen.game.startProfile();
    std::set<std::pair<int, int>> taught; // tip type and event kind, over the first three levels
    for (int level = 0; level < 6; ++level)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::string xml =
            ::Test::readFile(QUILL_SOURCE_DIR "/data/Levels/n" + std::to_string(level) + ".xml");
        screen.startLevel(level, xml);
        ASSERT_EQ(CGameEngine::instance().topState(), &BriefState::instance())
            << "the opening briefing plays";
        const cBriefing& briefing = CPlayState::instance().getBriefing();
        EXPECT_TRUE(briefing.isPlaying());
        EXPECT_GE(briefing.actions().size(), 3u);
        // Every action of the opening briefing is played, none is left out.
        const size_t from = xml.find("<Brief id=\"start\">");
        const size_t to = xml.find("</Brief>", from);
        size_t actions = 0;
        for (size_t at = xml.find("<Action ", from); at < to; at = xml.find("<Action ", at + 1))
            ++actions;
        EXPECT_EQ(briefing.actions().size(), actions);

        // A tip offered during the briefing (the market's upgrade is paid for at once) waits
        // for the level to run.
        std::vector<UnitTip::Ptr> tips(cTutorial::instance().getWaitingTips().begin(),
                                       cTutorial::instance().getWaitingTips().end());
        for (const auto& [id, unit] : CPlayState::instance().getGame()->getUnits())
            tips.insert(tips.end(), unit->tips.begin(), unit->tips.end());
        if (level < 3)
            for (const UnitTip::Ptr& tip : tips)
                taught.insert({tip->tipType, tip->eventKind});
        size_t written = 0;
        for (size_t at = xml.find("<Tip "); at != std::string::npos; at = xml.find("<Tip ", at + 1))
            ++written;
        EXPECT_EQ(tips.size(), written);
        CGameEngine::instance().PopState();
    }
    // What to click (a timed pointer), how to upgrade (the upgrade pointer), what a refused
    // click means (messages after clicks that cannot be served), and a modal message.
    for (const std::pair<int, int>& kind : {std::pair<int, int>{2, 0}, {2, 4}, {0, 2}, {0, 3}, {1, 0}})
        EXPECT_TRUE(taught.count(kind)) << kind.first << " " << kind.second;
}

} // namespace
