// Tutorial tips a level file gives in forms the tutorial does not expect are kept and shown as
// they are, played as a player plays the level: a message or a modal message without text, a
// pointer at a place off the screen, a tip of an event no unit reports. Only a tip of a type
// the tutorial cannot show is left out, with a note in the log.
#include "engine/ui/cMultiLineText.h"
#include "game/screens/ModalTutorState.h"
#include "game/screens/cModalTutorStateView.h"
#include "game/screens/cTutorTipView.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitTip.h"
#include "tests/game/world/played_level_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

const std::string kTownHall = "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

size_t tipsShown(FrontEnd& front)
{
    size_t shown = 0;
    for (const std::wstring& line : front.takeTraces())
        shown += line == L"Tutorial tip shown\n" ? 1 : 0;
    return shown;
}

} // namespace

TEST(KeptTips, TipsWithoutTextOffTheScreenOrOfAnUnreportedEventAreKeptAndShowAsTheyAre)
{
    PlayedLevel played;
    played.enter(986, GameFixture::levelXml(
                          kTownHall +
                              "<Unit Type=\"Rubble\" Position=\"250;50\"><Tutorial>"
                              "<Tip tip_type=\"7\" start=\"1\" text=\"no such type\"/>"
                              "<Tip start=\"1\"/>"
                              "<Tip tip_type=\"1\" start=\"2\"/>"
                              "<Tip tip_type=\"2\" start=\"3\" target=\"3000;-400\"/>"
                              "<Tip event_type=\"9\" text=\"nothing reports it\"/>"
                              "<Tip tip_type=\"2\" event_type=\"-1\" text=\"nor this\" target=\"-20;900\"/>"
                              "</Tutorial></Unit><Unit Type=\"Rubble\" Position=\"410;130\"/>"
                              // A goal left open: the level goes on.
                              "<Unit Type=\"Road\" Position=\"590;390\" TargetType=\"1\" TargetLevel=\"1\"/>",
                          "<InitialResources><Res Name=\"Money\" Count=\"10\"/></InitialResources>"));
    const cUnit::Ptr rubble = played.unit(L"Rubble");
    const cUnit::Ptr other = played.unit(L"Rubble", 2);
    ASSERT_TRUE(rubble && other);
    ASSERT_EQ(rubble->tips.size(), 5u) << "only the tip of type 7 is left out";
    std::ifstream log("level.log");
    std::ifstream errors("error.log");
    const std::string text =
        std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()) +
        std::string(std::istreambuf_iterator<char>(errors), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Tutorial tip 1 of Rubble is left out: the tip type 7 is not 0, 1 or 2"),
              std::string::npos);
    cTutorial& tutorial = cTutorial::instance();
    EXPECT_EQ(tutorial.getTimedTips().size(), 3u);
    played.front.takeTraces();

    // Second 1: the message without text.
    CGameEngine& engine = CGameEngine::instance();
    CPlayState& play = CPlayState::instance();
    ASSERT_TRUE(played.playUntil([&] { return tutorial.getTime() >= 1.0f; }, 100));
    played.front.frames(2, 0.1f);
    EXPECT_EQ(tipsShown(played.front), 1u);
    EXPECT_TRUE(tutorial.getLastMessage().empty());

    // Second 2: the modal message without text holds the level until Escape.
    ASSERT_TRUE(played.playUntil([&] { return engine.topState() == &ModalTutorState::instance(); }, 100));
    EXPECT_EQ(tipsShown(played.front), 1u);
    EXPECT_TRUE(ModalTutorState::instance().getTutorView()->isShown());
    EXPECT_TRUE(ModalTutorState::instance().getTutorView()->getTextView()->getText().empty());
    played.front.key(PlayedLevel::Escape);
    ASSERT_EQ(engine.topState(), &play);

    // Second 3: the pointer at a place off the screen; it holds the other rubble's click as any
    // pointer tip does, and the click on its own rubble ends it.
    ASSERT_TRUE(played.playUntil([&] { return tutorial.getPointedUnit() == rubble; }, 100));
    EXPECT_EQ(tipsShown(played.front), 1u);
    ASSERT_NE(tutorial.getTipView(), nullptr);
    // The arrow points from the screen's edge towards the place off it.
    EXPECT_EQ(tutorial.getTipView()->getTarget(), Engine::cVector2(1024.0f, 0.0f));
    played.click(other);
    EXPECT_EQ(played.goalsFor(other), 0);
    played.click(rubble);
    EXPECT_FALSE(tutorial.getPointedUnit());
    EXPECT_EQ(played.goalsFor(rubble), 1);

    // The tips of events no unit reports stay with their unit, never shown; the level plays on.
    played.front.frames(50, 0.1f);
    EXPECT_EQ(tipsShown(played.front), 0u);
    played.click(other);
    EXPECT_EQ(played.goalsFor(other), 1);
    EXPECT_TRUE(played.playUntil([&] { return rubble->isRemoved() && other->isRemoved(); }));
}
