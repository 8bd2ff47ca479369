// A level run by the play state and played with the pointer alone, as a player plays it: the
// arrow beside a building raises it, its tip tells the cost, a pointer tip of the tutorial lets
// only that arrow through, a refused upgrade says why, and the highlight under a unit shows in
// the colour of what a click would meet. Every press is a button press of the scripted mouse at
// the place where the view is drawn.
#include "engine/ui/cLightButton.h"
#include "engine/ui/cPicture.h"
#include "game/heroes/GameController.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cTooltipView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/BriefState.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitLevelInfo.h"
#include "tests/game/screens/frontend_test_tools.h"

#include <gtest/gtest.h>

#include <string>

using namespace GameTest;

namespace
{

constexpr uint8_t Space = 57;

// The town hall the hero comes from, at the left of a street of free cells.
const std::string kTownHall = "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/>"
                              "</FreeCells><CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>";

std::string resources(int money, int cement)
{
    return "<InitialResources><Res Name=\"Money\" Count=\"" + std::to_string(money) +
           "\"/><Res Name=\"Cement\" Count=\"" + std::to_string(cement) + "\"/></InitialResources>";
}

class UnitPointer : public ::testing::Test
{
protected:
    ~UnitPointer() override { CGameEngine::instance().setLevelPath(L""); }

    // The level written as "levels/n<number>.xml", entered by the play state; its briefing (if
    // any) read away with keys, until the level runs on top.
    Game& enter(int number, const std::string& xml)
    {
        front.fixture.writeLevel(number, xml);
        CGameEngine& engine = CGameEngine::instance();
        engine.setLevelPath(L"levels/n" + std::to_wstring(number) + L".xml");
        CPlayState& play = CPlayState::instance();
        engine.ChangeState(&play);
        for (int i = 0; i < 500 && !(play.isRunning() && engine.topState() == &play); ++i)
        {
            if (engine.topState() == &BriefState::instance())
                front.key(Space);
            else
                front.frame();
        }
        EXPECT_TRUE(play.isRunning());
        return *play.getGame();
    }

    cUnit::Ptr unit(const wchar_t* type, int index = 1) const
    {
        Game& game = *CPlayState::instance().getGame();
        auto range = game.getUnits().equal_range(typeId(type));
        for (auto it = range.first; it != range.second; ++it)
            if (--index == 0)
                return it->second;
        return cUnit::Ptr();
    }

    // The goals the planner holds for a unit: plain ones and upgrades.
    int goalsFor(const cUnit::Ptr& target, bool upgrade) const
    {
        int count = 0;
        for (const auto& goal : CPlayState::instance().getGame()->getController().getPendingGoals())
            count += goal->getTarget() == target && goal->isUpgrade() == upgrade ? 1 : 0;
        return count;
    }

    // The highlight under the unit the pointer rests on, by colour; -1 without one.
    static int selectionColour()
    {
        const TooltipManager& tips = TooltipManager::instance();
        const Engine::cPicture* shown = tips.getCurrentSelection();
        if (!shown || !shown->isShown())
            return -1;
        for (const TooltipManager::SelectionSet& set : tips.getSelectionSets())
            for (int colour = 0; colour < TooltipManager::ColourCount; ++colour)
                if (set[static_cast<size_t>(colour)] == shown)
                    return colour;
        return -1;
    }

    static bool windowShown(TooltipManager::Window window)
    {
        const TooltipManager& tips = TooltipManager::instance();
        return tips.getCurrentWindow() == tips.getWindow(window) && tips.getWindow(window)->isShown();
    }

    FrontEnd front;
};

TEST_F(UnitPointer, TheArrowBesideABuildingShowsItsCostAndAPressRaisesTheBuilding)
{
    Game& game =
        enter(971, GameFixture::levelXml(kTownHall + "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" "
                                                     "Position=\"330;310\"/>",
                                         resources(10, 2)));
    const cUnit::Ptr market = unit(L"Market");
    Engine::cLightButton* arrow = market->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow);
    ASSERT_TRUE(arrow->isShown());
    ASSERT_FALSE(arrow->getShowDisabled()) << "the stock covers the next level";

    front.moveTo(arrow->getPosition());
    EXPECT_TRUE(windowShown(TooltipManager::UpgradeTip)) << "the arrow's tip names the cost";
    EXPECT_EQ(goalsFor(market, true), 0) << "hovering orders nothing";

    const cGameResources cost = market->getActiveLevelInfo()->upIn;
    front.clickAt(arrow->getPosition());
    EXPECT_EQ(goalsFor(market, true), 1) << "the press queued the market's upgrade";
    EXPECT_EQ(goalsFor(market, false), 0);
    EXPECT_FALSE(game.getResources().contains(cost)) << "the cost is taken for the upgrade";

    // The hero walks there and raises the market: no other call than the press.
    for (int i = 0; i < 600 && market->getLevel() < 2; ++i)
        front.frame(0.1f);
    EXPECT_EQ(market->getLevel(), 2);
    EXPECT_FALSE(arrow->isShown()) << "the last level has no arrow";

    // Away from the arrow the tip goes.
    front.moveTo(Engine::cVector2(1000.0f, 20.0f));
    EXPECT_FALSE(TooltipManager::instance().getWindow(TooltipManager::UpgradeTip)->isShown());
}

TEST_F(UnitPointer, AnArrowTheStockDoesNotCoverTellsTheCostAndTakesNoPress)
{
    enter(972, GameFixture::levelXml(kTownHall + "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" "
                                                 "Position=\"330;310\"/>",
                                     resources(4, 0)));
    const cUnit::Ptr market = unit(L"Market");
    Engine::cLightButton* arrow = market->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow && arrow->isShown());
    EXPECT_TRUE(arrow->getShowDisabled()) << "greyed while the stock lacks the cost";

    front.moveTo(arrow->getPosition());
    EXPECT_TRUE(windowShown(TooltipManager::UpgradeTip)) << "the greyed arrow still tells the cost";
    front.clickAt(arrow->getPosition());
    EXPECT_EQ(goalsFor(market, true), 0) << "a greyed arrow takes no press";
}

TEST_F(UnitPointer, APointerTipAtTheArrowHoldsEveryOtherClickUntilTheArrowIsPressed)
{
    enter(973,
          GameFixture::levelXml(
              kTownHall + "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" Position=\"330;310\"><Tutorial>"
                          "<Tip tip_type=\"2\" event_type=\"4\" text=\"Click the arrow.\" target=\"0;0\"/>"
                          "</Tutorial></Unit><Unit Type=\"Rubble\" Position=\"530;310\"/>",
              resources(12, 2)));
    const cUnit::Ptr market = unit(L"Market");
    const cUnit::Ptr rubble = unit(L"Rubble");
    ASSERT_EQ(cTutorial::instance().getPointedUnit(), market) << "the tip points at the market's arrow";
    ASSERT_TRUE(cTutorial::instance().isUpgradeRestricted());

    front.clickAt(rubble->getView()->getPosition());
    EXPECT_EQ(goalsFor(rubble, false), 0) << "the tip holds the click on the rubble";
    EXPECT_EQ(selectionColour(), -1) << "no highlight while the tip is shown";

    front.clickAt(market->getView()->getUpgradeButton()->getPosition());
    EXPECT_EQ(goalsFor(market, true), 1);
    EXPECT_FALSE(cTutorial::instance().getPointedUnit()) << "the press on the arrow ends the tip";

    front.clickAt(rubble->getView()->getPosition());
    EXPECT_EQ(goalsFor(rubble, false), 1) << "clicks go through again";
}

TEST_F(UnitPointer, ARefusedUpgradeShowsWhyAtTheBuilding)
{
    // The market stands walled in behind rubble, off the street the hero walks.
    enter(974,
          "<Level>" + freeCells(0, 0, 30, 2) + cells(0, 3, 0, 20) + resources(20, 2) + "<Buildings>" +
              kTownHall +
              "<Unit Type=\"Market\" Level=\"1\" MaxLevel=\"2\" Position=\"330;310\"/></Buildings></Level>");
    const cUnit::Ptr market = unit(L"Market");
    Engine::cLightButton* arrow = market->getView()->getUpgradeButton();
    ASSERT_TRUE(arrow && arrow->isShown() && !arrow->getShowDisabled());

    front.clickAt(arrow->getPosition());
    EXPECT_EQ(goalsFor(market, true), 0);
    EXPECT_TRUE(windowShown(TooltipManager::NoWayTip)) << "the refusal's tip at the market";
}

TEST_F(UnitPointer, TheHighlightUnderTheUnitTellsWhatAClickWouldMeet)
{
    // The rubble costs 2, the tree 3 and the kiln's building 8 of the 5 in stock.
    Game& game =
        enter(975, GameFixture::levelXml(kTownHall + "<Unit Type=\"Rubble\" Position=\"410;310\"/>"
                                                     "<Unit Type=\"BrickKiln\" Position=\"250;130\"/>"
                                                     "<Unit Type=\"FallenTree\" Position=\"250;250\"/>",
                                         resources(5, 0)));
    const cUnit::Ptr rubble = unit(L"Rubble");
    const cUnit::Ptr kiln = unit(L"BrickKiln");
    const cUnit::Ptr tree = unit(L"FallenTree");
    front.moveTo(rubble->getView()->getPosition());
    EXPECT_EQ(selectionColour(), TooltipManager::Green) << "served at once";
    front.moveTo(kiln->getView()->getPosition());
    EXPECT_EQ(selectionColour(), TooltipManager::Orange) << "the stock lacks the kiln's cost";

    // The only hero takes the rubble: the tree waits for a free hero.
    front.clickAt(rubble->getView()->getPosition());
    ASSERT_EQ(goalsFor(rubble, false), 1);
    for (int i = 0; i < 50 && game.getController().countWaitingGoals() > 0; ++i)
        front.frame();
    front.moveTo(tree->getView()->getPosition());
    EXPECT_EQ(selectionColour(), TooltipManager::Blue) << "no hero is free";
    front.moveTo(Engine::cVector2(1000.0f, 20.0f));
    EXPECT_EQ(selectionColour(), -1) << "the highlight goes with the pointer";
}

TEST_F(UnitPointer, AUnitNoHeroCanReachShowsRed)
{
    // A road cut off from the street by a wall of cells nobody may enter.
    enter(976, "<Level>" + freeCells(0, 0, 30, 2) + resources(20, 0) + "<Buildings>" + kTownHall +
                   "<Unit Type=\"Road\" Position=\"330;310\" TargetType=\"1\" TargetLevel=\"1\" "
                   "GoalCategory=\"roads\"/></Buildings></Level>");
    const cUnit::Ptr road = unit(L"Road");
    front.moveTo(road->getView()->getPosition());
    EXPECT_EQ(selectionColour(), TooltipManager::Red);
    front.clickAt(road->getView()->getPosition());
    EXPECT_EQ(goalsFor(road, false), 0);
    EXPECT_TRUE(windowShown(TooltipManager::NoWayTip));
}

} // namespace
