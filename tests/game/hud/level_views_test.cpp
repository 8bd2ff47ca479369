// The views and the sound table the level drives: unit views following their units, the
// status panel's rows and clock, and the game sounds' cooldowns.
#include "engine/core/cXmlProperties.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cUnitView.h"
#include "game/world/cGameSounds.h"
#include "tests/game/screens/screen_test_tools.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

using namespace GameTest;

TEST(LevelViews, AUnitViewFollowsItsUnitAndGoesWithIt)
{
    GameFixture fixture;
    Game& game = fixture.load(950, GameFixture::levelXml("<Unit Type=\"Road\" Position=\"110;130\"/>"
                                                         "<Unit Type=\"Rubble\" Position=\"150;130\"/>"));
    const cUnit::Ptr road = game.getUnits().find(typeId(L"Road"))->second;
    cUnitView* view = road->getView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->getUnit(), road);
    EXPECT_EQ(view->getParent(), getPlayView());
    // Roads lie in layer 4: deep 4000 + the unit's y on the field.
    EXPECT_FLOAT_EQ(view->getDeep(), 4130.0f);
    EXPECT_EQ(view->getPosition(), Engine::cVector2(110.0f, 130.0f));
    EXPECT_TRUE(view->isShown());

    road->setFallOffset(30.0f);
    EXPECT_EQ(view->getPosition(), Engine::cVector2(110.0f, 100.0f)) << "a falling unit is drawn higher";
    EXPECT_FLOAT_EQ(view->getDeep(), 4130.0f) << "but keeps its place in depth";
    road->setState(eUnitState::hidden, -1);
    EXPECT_FALSE(view->isShown());
    road->setState(eUnitState::idle, -1);
    EXPECT_TRUE(view->isShown());

    const cUnit::Ptr rubble = game.getUnits().find(typeId(L"Rubble"))->second;
    EXPECT_FLOAT_EQ(rubble->getView()->getDeep(), 5130.0f);
    rubble->destroy();
    Engine::cControl::deletePending();
    // The view went with its unit, and the unit no longer points at it.
    EXPECT_EQ(rubble->getView(), nullptr);
}

TEST(LevelViews, TheStatusPanelShowsTheClockTheResourcesAndAGoalRowPerCategory)
{
    SilentEffects effects;
    GameFixture fixture;
    Game& game = fixture.load(
        951, GameFixture::levelXml(
                 "<Unit Type=\"Road\" Position=\"110;130\" TargetType=\"1\" TargetLevel=\"1\" "
                 "GoalCategory=\"roads\"/><Unit Type=\"Road\" Position=\"150;130\" Level=\"1\" "
                 "TargetType=\"1\" TargetLevel=\"1\" GoalCategory=\"roads\"/>"
                 "<Unit Type=\"Rubble\" Position=\"190;130\" TargetType=\"2\" GoalCategory=\"clear\"/>",
                 "<MetaData GoldTime=\"60\" SilverTime=\"90\"/>"
                 "<InitialResources><Res Name=\"Brick\" Count=\"7\"/></InitialResources>"));
    auto* panel = new cStatusPanel(getPlayView());
    panel->show();
    panel->enable();
    game.buildLevelGoals();
    game.loadResourceTexts();
    EXPECT_EQ(panel->getResourceText(L"Brick"), L"7");
    ASSERT_EQ(panel->getGoalRows().size(), 2u);
    EXPECT_EQ(panel->getGoalRows()[0].category, "clear");
    EXPECT_EQ(panel->getGoalRows()[1].total, 2);
    EXPECT_EQ(panel->getGoalRows()[1].done, 1);

    cGameResources more;
    const std::string list = "<R><Res Name=\"Brick\" Count=\"2\"/></R>";
    more.loadXML(Engine::cXmlProperties::fromBuffer(list.data(), list.size(), "more"));
    game.addResources(more);
    EXPECT_EQ(panel->getResourceText(L"Brick"), L"9") << "the counters follow every change";

    fixture.run(1, 75.5f);
    EXPECT_EQ(panel->getTimeText(), L"01:15");
    EXPECT_EQ(panel->getMedalState(), 1) << "past gold, within silver";
}

TEST(LevelViews, GameSoundsPlayByIdWithACooldownPerId)
{
    GameFixture fixture;
    fixture.newGame();
    cGameSounds& sounds = *fixture.sounds;
    const int plays = fixture.mixer->count("play");
    sounds.playSingle("give_resource", 0.2f, 0.0f);
    sounds.playSingle("give_resource", 0.2f, 0.0f);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 1) << "the second waits for the cooldown";
    sounds.play("give_resource");
    EXPECT_EQ(fixture.mixer->count("play"), plays + 2) << "a plain play ignores it";
    fixture.timer.frameTime = 0.1f;
    sounds.updateCooldowns();
    sounds.playSingle("give_resource", 0.2f, 0.0f);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 2);
    sounds.updateCooldowns();
    EXPECT_EQ(sounds.getCooldown("give_resource"), 0.0f);
    sounds.playSingle("give_resource", 0.2f, 0.0f);
    EXPECT_EQ(fixture.mixer->count("play"), plays + 3);

    try
    {
        sounds.playSingle("thunder", 0.0f, 0.0f);
        ADD_FAILURE();
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "cGameSounds::playSingle(): unknown sound id: thunder");
    }
    try
    {
        sounds.play("thunder");
        ADD_FAILURE();
    }
    catch (const std::string& text)
    {
        EXPECT_EQ(text, "Unknown sound id: thunder");
    }
}
