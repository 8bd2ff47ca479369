// The status panel's goal rows across leaving and continuing a level, played as a player plays
// it: a category whose goals were met before the level was left keeps its row and its tick when
// the level is continued, and the counts flash as the level gains resources.
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"
#include "engine/ui/cTextStyleButton.h"
#include "game/hud/cStatusPanel.h"
#include "game/screens/CDialogState.h"
#include "game/screens/CMapState.h"
#include "game/screens/cGameMenu.h"
#include "game/screens/cYesNoPanel.h"
#include "game/world/GameConfig.h"
#include "tests/game/world/played_level_tools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace GameTest;

namespace
{

// The town hall, a rubble pile and a fallen tree to clear ("clear") and a road to build
// ("roads"); money for the clearing only.
const std::string kLevel = GameFixture::levelXml(
    "<Unit Type=\"TownHall\" Position=\"50;50\"><FreeCells><Cell Pos=\"2;2\"/></FreeCells>"
    "<CameOffsetPoints><Route Pos=\"40;0\"/></CameOffsetPoints></Unit>"
    "<Unit Type=\"Rubble\" Position=\"250;50\" TargetType=\"2\" GoalCategory=\"clear\"/>"
    "<Unit Type=\"FallenTree\" Position=\"330;50\" TargetType=\"2\" GoalCategory=\"clear\"/>"
    "<Unit Type=\"Road\" Position=\"450;130\" TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"roads\"/>",
    "<MetaData GoldTime=\"300\" SilverTime=\"400\"/>"
    "<InitialResources><Res Name=\"Money\" Count=\"5\"/></InitialResources>");

bool readyShown(const cStatusPanel& panel, size_t row)
{
    const Engine::cView* ready = panel.getRows().at(row)->find<Engine::cView>(L"Ready");
    return ready && ready->isShown();
}

// The flashes the panel plays over a resource's count.
size_t flashesOver(const cStatusPanel& panel, const wchar_t* count)
{
    const auto* text = panel.find<Engine::cForm>(L"Resources")->find<Engine::cTextLine>(count);
    size_t flashes = 0;
    for (const Engine::cControl* child : panel.getChildren())
        if (const auto* effect = dynamic_cast<const Engine::cPyro*>(child);
            effect && effect->isShown() && effect != panel.getTaskEffect() &&
            effect != panel.getSubTaskEffect() && effect->getEmitterPosition() == text->getPosition())
            ++flashes;
    return flashes;
}

} // namespace

TEST(GoalRowsContinued, AMetCategoryKeepsItsRowAndTickWhenTheLevelIsContinued)
{
    PlayedLevel played;
    Game& game = played.enter(985, kLevel);
    cStatusPanel* panel = cStatusPanel::instance();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->getRowCategories(), (std::vector<std::string>{"clear", "roads"}));
    EXPECT_FALSE(readyShown(*panel, 0));

    // Both piles cleared by clicks; the tree's wood pays a coin, and the money count flashes.
    const cUnit::Ptr rubble = played.unit(L"Rubble");
    const cUnit::Ptr tree = played.unit(L"FallenTree");
    played.click(rubble);
    played.click(tree);
    ASSERT_EQ(played.goalsFor(rubble) + played.goalsFor(tree), 2);
    size_t moneyFlashes = 0;
    ASSERT_TRUE(played.playUntil(
        [&]
        {
            moneyFlashes = std::max(moneyFlashes, flashesOver(*panel, L"MoneyCount"));
            return rubble->isRemoved() && tree->isRemoved() && readyShown(*panel, 0);
        }))
        << "the way is cleared";
    EXPECT_EQ(moneyFlashes, 1u) << "the money count flashed as the tree's coin came in";
    EXPECT_EQ(flashesOver(*panel, L"BrickCount"), 0u);
    EXPECT_FALSE(readyShown(*panel, 1)) << "the road is still to build";
    (void)game;

    // Left for the map through the menu: the level is saved.
    played.front.key(PlayedLevel::Escape);
    const boost::shared_ptr<cGameMenu> menu = CDialogState<cGameMenu>::instance().getPanel();
    ASSERT_TRUE(menu);
    played.front.click(menu->getMapButton());
    const boost::shared_ptr<cYesNoPanel> question = CDialogState<cYesNoPanel>::instance().getPanel();
    ASSERT_TRUE(question);
    played.front.click(question->getYesButton());
    CGameEngine& engine = CGameEngine::instance();
    ASSERT_EQ(engine.topState(), &CMapState::instance());
    ASSERT_TRUE(GameConfig::instance().hasSavedLevel());

    // Continued, as the map's "continue" does: the cleared category keeps its row and its tick.
    engine.setContinueSavedLevel(true);
    engine.ChangeState(&CPlayState::instance());
    ASSERT_TRUE(played.waitForPlay());
    Game& continued = played.game();
    EXPECT_EQ(continued.getUnits().count(typeId(L"Rubble")), 0u) << "the continued level, not a fresh one";
    panel = cStatusPanel::instance();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->getRowCategories(), (std::vector<std::string>{"clear", "roads"}))
        << "the met category keeps its row";
    EXPECT_TRUE(readyShown(*panel, 0)) << "and its tick";
    EXPECT_FALSE(readyShown(*panel, 1));
    ASSERT_EQ(panel->getGoalRows().size(), 2u);
    EXPECT_EQ(panel->getGoalRows()[0].total, 2);
    EXPECT_EQ(panel->getGoalRows()[0].done, 2);
    EXPECT_FALSE(continued.isLevelOver()) << "the road is still to build";

    // Played on, the level is won by the road alone.
    cGameResources bricks;
    bricks.insert(resourceId(L"Brick"), 1);
    continued.addResources(bricks);
    played.click(played.unit(L"Road"));
    EXPECT_TRUE(played.playUntil([&] { return continued.isLevelOver(); })) << "the road finishes the level";
}
