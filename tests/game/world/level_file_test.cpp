// Buildings read from a level file, its values read as the text conversions read them, and
// level files that would reach outside the level: each gives a clear error naming the file and
// the element, never a crash.
#include "engine/core/cFileSystem.h"
#include "game/screens/CPlayState.h"
#include "game/screens/cTutorial.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTip.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace GameTest;

namespace
{

cUnit::Ptr first(Game& game, const wchar_t* type)
{
    const auto found = game.getUnits().find(typeId(type));
    return found == game.getUnits().end() ? cUnit::Ptr() : found->second;
}

// The error text of loading a level, empty when it loads.
std::string loadError(GameFixture& fixture, const std::string& xml)
{
    try
    {
        fixture.load(940, xml);
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "";
}

} // namespace

TEST(LevelFile, BuildingsFollowTheRulesOfTheirCategoryAndFlags)
{
    GameFixture fixture;
    std::string xml = GameFixture::levelXml(
        "<Unit Type=\"TownHall\" Position=\"50;50\" FallingDelay=\"2\"><CameOffsetPoints>"
        "<Route Pos=\"10;-20\"/></CameOffsetPoints></Unit>"
        "<Unit Type=\"Workshop\" Position=\"150;150\" InFire=\"1\" IsDamaged=\"1\"/>"
        "<Unit Type=\"Market\" Position=\"190;150\" IsDamaged=\"1\" AppearOnCataclysm=\"0\"/>"
        "<Unit Type=\"Money\" Position=\"230;110\" FallingCount=\"9\"/>"
        "<Unit Type=\"Statue\" Position=\"270;110\" Level=\"1\" MaxLevel=\"1\" Angle=\"45\"/>"
        "<Unit Type=\"BarrierFlood\" Position=\"310;110\"/><Unit Type=\"hero\" Position=\"350;110\"/>"
        "<Unit Type=\"Pigeons\" Position=\"390;110\"/><Unit Type=\"BackGroundTree\"/><Unit/>",
        "<Cataclysmes><Quake Type=\"1\" StartTime=\"30\" Duration=\"5\" RichterPoints=\"4\" "
        "TopLeft=\"1;2\" "
        "BottomRight=\"9;8\"/><Quake Type=\"2\" Duration=\"3\" RichterPoints=\"2\"/></Cataclysmes>");
    xml.replace(0, 7, "<Level FloodId=\"deep\">");
    Game& game = fixture.load(941, xml);
    EXPECT_EQ(game.getUnits().count(typeId(L"BackGroundTree")), 0u);
    // The base always falls in; its first route gives the base point.
    const cUnit::Ptr townHall = first(game, L"TownHall");
    EXPECT_EQ(townHall->getState(), eUnitState::hidden);
    EXPECT_FLOAT_EQ(townHall->fallingDelay, 2.0f);
    EXPECT_EQ(game.getBasePoint(), Engine::cVector2(10.0f, -20.0f));
    EXPECT_EQ(first(game, L"Workshop")->getState(), eUnitState::fireIdle) << "fire wins over damage";
    EXPECT_EQ(first(game, L"Market")->getState(), eUnitState::hidden) << "it waits for its cataclysm";
    // A pile whose level gives 5 Money carries 5, whatever the file says.
    EXPECT_EQ(first(game, L"Money")->resources.getCount(resourceId(L"Money")), 5);
    const cUnit::Ptr statue = first(game, L"Statue");
    EXPECT_EQ(statue->getLevel(), 1);
    EXPECT_EQ(statue->getMaxLevel(), 1);
    EXPECT_EQ(statue->getAngle(), 45.0f);
    EXPECT_EQ(statue->getState(), eUnitState::idle);
    const cUnit::Ptr flood = game.getFloodBarrier();
    ASSERT_TRUE(flood);
    EXPECT_EQ(flood->getViewStateId(), L"deep");
    EXPECT_EQ(flood->getState(), eUnitState::hidden);
    EXPECT_EQ(first(game, L"hero")->getState(), eUnitState::hidden);
    EXPECT_EQ(first(game, L"Pigeons")->getState(), eUnitState::idle);
    ASSERT_EQ(game.getCataclysms().size(), 2u);
    EXPECT_EQ(game.getCataclysms()[0].bottomRight, Engine::cVector2(9.0f, 8.0f));
    EXPECT_EQ(game.getCataclysms()[1].StartTime, -1);
    EXPECT_TRUE(game.getLevelTypes().count(typeId(L"BarrierFireAttach"))) << "burning buildings show flames";
    EXPECT_TRUE(game.getLevelTypes().count(typeId(L"Hammer"))) << "the tools of the level's types";
    EXPECT_TRUE(game.mentionsLevelUnitType("Workshop in flames"));
    EXPECT_FALSE(game.mentionsLevelUnitType("BrickKiln"));

    // A copy of a unit has its settings and its own place in the tables.
    const cUnit::Ptr copy = game.cloneUnit(first(game, L"Money"));
    EXPECT_EQ(copy->resources.getCount(resourceId(L"Money")), 5);
    EXPECT_EQ(game.unitPos(copy), game.unitPos(first(game, L"Money")));
    EXPECT_EQ(game.getUnits().count(typeId(L"Money")), 2u);
}

TEST(LevelFile, TipsAndBriefingsReachTheTutorialAndTheBriefing)
{
    GameFixture fixture;
    Game& game = fixture.load(
        942, GameFixture::levelXml(
                 "<Unit Type=\"Rubble\" Position=\"150;110\"><Tutorial>"
                 "<Tip tip_type=\"0\" start=\"5\" text=\"late\"/><Tip tip_type=\"0\" start=\"2\" "
                 "text=\"early\"/><Tip tip_type=\"2\" event_type=\"2\" text=\"first\"/>"
                 "<Tip tip_type=\"2\" event_type=\"2\" text=\"second\"/></Tutorial></Unit>",
                 "<BreafData><Brief id=\"start\"><Action type=\"1\" start=\"2\" duration=\"3\" "
                 "text=\"Welcome\"/><Action type=\"0\" start=\"0\" target=\"512;384\"/></Brief>"
                 "</BreafData>"));
    const auto& briefings = CPlayState::instance().getBriefing().getBriefings();
    ASSERT_EQ(briefings.count("start"), 1u);
    ASSERT_EQ(briefings.at("start").size(), 2u);
    EXPECT_EQ(briefings.at("start")[0].type, 0u) << "sorted by start";
    EXPECT_EQ(briefings.at("start")[1].text, L"Welcome");

    const cUnit::Ptr rubble = first(game, L"Rubble");
    ASSERT_EQ(cTutorial::instance().getTimedTips().size(), 2u);
    EXPECT_EQ(cTutorial::instance().getTimedTips().front()->text, L"early");
    // Event 2 tips wait for the second failed click; then only the first is offered.
    EXPECT_FALSE(rubble->showTip(2));
    EXPECT_TRUE(rubble->showTip(2));
    EXPECT_EQ(cTutorial::instance().getPointedUnit(), rubble);
    EXPECT_EQ(rubble->tips.size(), 3u);
    // Timed tips wait while a pointer tip is shown, then appear at their time.
    fixture.run(30, 0.1f);
    EXPECT_TRUE(cTutorial::instance().getLastMessage().empty());
    cTutorial::instance().hideTip();
    fixture.run(25, 0.1f);
    EXPECT_EQ(cTutorial::instance().getLastMessage(), L"early");
    // A unit that goes takes its tips out of the tutorial.
    rubble->destroy();
    rubble->clearTips();
    EXPECT_TRUE(cTutorial::instance().getTimedTips().empty());
}

TEST(LevelFile, ABadLevelFileNamesTheFileAndTheElement)
{
    GameFixture fixture;
    const struct
    {
        std::string xml;
        std::string error;
    } cases[] = {
        {GameFixture::levelXml("<Unit Type=\"Rubble\"/><Unit Type=\"Castle\"/>"),
         "Buildings element 2 (\"Castle\"): the unit type \"Castle\" is not defined"},
        {GameFixture::levelXml("<Unit Type=\"Road\"><FreeCells><Cell Pos=\"60;3\"/></FreeCells></Unit>"),
         "lies outside the grid"},
        {"<Level><FreeCells><Cell Pos=\"-1;3\"/></FreeCells></Level>",
         "FreeCells element 1: the cell -1;3 lies outside"},
        {"<Level><CheatPoints><Cell Pos=\"3;-4\"/></CheatPoints></Level>",
         "CheatPoints element 1: the cell 3;-4 lies outside"},
        {GameFixture::levelXml("<Unit Type=\"Road\" Level=\"2\"/>"),
         "\"Level\" is 2, but the type has the levels 0 to 1"},
        {GameFixture::levelXml("<Unit Type=\"Road\" Position=\"5000;10\"/>"), "lies outside the field"},
        {GameFixture::levelXml("<Unit Type=\"Road\"><Upgrades><Level/></Upgrades></Unit>"),
         "cUnit::loadSpecificUpgrades(): на уровне задано неправильное число апгрейдов для юнита: Road"},
    };
    for (const auto& c : cases)
    {
        const std::string error = loadError(fixture, c.xml);
        EXPECT_NE(error.find("Level file \"Levels/n940.xml\""), std::string::npos) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
    // A building without "Type" and a level without a base load, and the log says so.
    EXPECT_EQ(loadError(fixture, GameFixture::levelXml("<Unit Position=\"50;50\"/>")), "");
    std::ifstream log("level.log");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Buildings element 1: no \"Type\"; the element is skipped."), std::string::npos);
    EXPECT_NE(text.find("has no unit of the category \"base\""), std::string::npos);
}

TEST(LevelFile, ValuesAreReadAsTheTextConversionsReadThem)
{
    GameFixture fixture;
    const int names = GameConfig::instance().resourceNames().size();
    std::string xml = GameFixture::levelXml(
        "<Unit Type=\"Road\" Position=\"150;110\" Level=\"x\" MaxLevel=\"1abc\" InFire=\"true\"/>"
        "<Unit Type=\"Rubble\" Position=\"190;110\" IsDamaged=\"1 \"><Tutorial><Tip tip_type=\"x\" "
        "text=\"kept\"/></Tutorial></Unit>",
        "<CheatPoints><Cell Pos=\"3\"/></CheatPoints><MetaData GoldTime=\"12abc\" SilverTime=\"soon\"/>"
        "<BackGround><Layer deep=\"5x\"><Picture position=\"30;40\" size=\"8;8\"/></Layer></BackGround>"
        "<InitialResources><Res Name=\"Money\" Count=\"7 coins\"/><Res Name=\"Gold\" Count=\"3\"/>"
        "</InitialResources>");
    xml.replace(0, 7, "<Level AutoProduceTime=\"20s\" AutomaticWater=\"2\">");
    Game& game = fixture.load(943, xml);
    const cUnit::Ptr road = first(game, L"Road");
    EXPECT_EQ(road->getLevel(), 0) << "a word keeps the default";
    EXPECT_EQ(road->getMaxLevel(), 1) << "a number as far as it goes";
    EXPECT_FALSE(road->inFire) << "a flag is 0 or 1";
    EXPECT_TRUE(first(game, L"Rubble")->isDamaged);
    ASSERT_EQ(first(game, L"Rubble")->tips.size(), 1u);
    EXPECT_EQ(first(game, L"Rubble")->tips.front()->tipType, 0);
    ASSERT_EQ(game.getCheatPoints().size(), 1u);
    EXPECT_EQ(game.getCheatPoints().front(), Engine::cPoint(3, 0)) << "one number of two";
    EXPECT_FLOAT_EQ(game.getGoldTime(), 12.0f);
    EXPECT_FLOAT_EQ(game.getSilverTime(), 120.0f);
    EXPECT_FLOAT_EQ(game.getAutoProduceTime(), 20.0f);
    EXPECT_FALSE(game.getAutomaticWater());
    EXPECT_EQ(game.getResources().getCount(resourceId(L"Money")), 7);
    // A resource the game does not name takes the next id, as every resource list does.
    EXPECT_EQ(GameConfig::instance().resourceNames().find(L"Gold"), names);
    EXPECT_EQ(game.getResources().getCount(names), 3);

    // The background picture: its layer's deep as far as it reads, and the background option on.
    ASSERT_EQ(game.getBackgroundContainer()->getChildren().size(), 1u);
    const auto* background =
        dynamic_cast<const Engine::cView*>(*game.getBackgroundContainer()->getChildren().begin());
    ASSERT_NE(background, nullptr);
    EXPECT_TRUE(background->getBackground());
    EXPECT_EQ(background->getDeep(), 5.0f);
}
