// The level model's grid: cells blocked and freed as units are added, upgraded, hidden and
// removed; field positions; the level file's settings and the gold and silver times.
#include "game/hud/cUnitView.h"
#include "game/world/UnitTypeInfo.h"
#include "tests/game/world/game_test_tools.h"

#include <gtest/gtest.h>

using namespace GameTest;

namespace
{

bool blocked(Game& game, int x, int y)
{
    return game.getOccupancy().getCellFlags(Engine::cPoint(x, y)) & kCellBlocked;
}

} // namespace

TEST(LevelCells, UnitsBlockAndFreeTheirCellsByLevelHidingAndRemoval)
{
    GameFixture fixture;
    // A road blocks its cell until built (level 1 frees it); a rubble blocks until removed;
    // a money pile ("FreeCell" 2) leaves its cell as it is.
    Game& game = fixture.load(
        900, GameFixture::levelXml("<Unit Type=\"Road\" Position=\"110;110\"><FreeCells><Cell Pos=\"5;5\"/>"
                                   "</FreeCells></Unit>"
                                   "<Unit Type=\"Rubble\" Position=\"150;110\"><FreeCells><Cell Pos=\"7;5\"/>"
                                   "<Cell Pos=\"7;6\"/></FreeCells></Unit>"
                                   "<Unit Type=\"Money\" Position=\"190;110\"><FreeCells><Cell Pos=\"9;5\"/>"
                                   "</FreeCells></Unit>"));
    EXPECT_TRUE(blocked(game, 5, 5));
    EXPECT_TRUE(blocked(game, 7, 5));
    EXPECT_TRUE(blocked(game, 7, 6));
    EXPECT_FALSE(blocked(game, 9, 5));
    EXPECT_FALSE(blocked(game, 6, 5));
    EXPECT_TRUE(blocked(game, 31, 5)) << "cells the level does not list stay blocked";

    // The ground grid knows the level's cells and the buildings' cells, free.
    EXPECT_FALSE(game.getGround().getCellFlags(Engine::cPoint(5, 5)) & kCellBlocked);

    const cUnit::Ptr road = game.getUnits().find(typeId(L"Road"))->second;
    road->setLevelAndState(1, eUnitState::idle, false);
    EXPECT_FALSE(blocked(game, 5, 5)) << "a built road opens its cell";
    road->setLevelAndState(0, eUnitState::idle, false);
    EXPECT_TRUE(blocked(game, 5, 5));
    road->setState(eUnitState::hidden, -1);
    EXPECT_FALSE(blocked(game, 5, 5)) << "a hidden unit covers nothing";
    road->setState(eUnitState::idle, -1);
    EXPECT_TRUE(blocked(game, 5, 5)) << "back from hidden, its level's rule applies again";

    const cUnit::Ptr rubble = game.getUnits().find(typeId(L"Rubble"))->second;
    rubble->destroy();
    EXPECT_FALSE(blocked(game, 7, 5));
    EXPECT_FALSE(blocked(game, 7, 6));
    EXPECT_EQ(game.getUnits().count(typeId(L"Rubble")), 0u);
    EXPECT_EQ(game.getUnitsByCategory().count(GameConfig::instance().getCategoryId(L"barrier")), 0u);
}

TEST(LevelCells, AStateChangeThatChangesNoCellLeavesTheOverlay)
{
    GameFixture fixture;
    Game& game =
        fixture.load(901, GameFixture::levelXml("<Unit Type=\"Road\" Position=\"110;110\"><FreeCells>"
                                                "<Cell Pos=\"5;5\"/></FreeCells></Unit>"));
    game.loadResourceTexts();
    Engine::cControl* overlay = game.getFreeCellOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_FALSE(overlay->isVisible()) << "the overlay is a hidden aid";
    // 31 x 21 free cells, less the road's.
    EXPECT_EQ(overlay->getChildren().size(), 31u * 21u - 1u);

    const cUnit::Ptr road = game.getUnits().find(typeId(L"Road"))->second;
    road->setState(eUnitState::upgrade, -1);
    road->setState(eUnitState::idle, -1);
    EXPECT_EQ(game.getFreeCellOverlay(), overlay) << "no cell changed: the overlay stays";

    road->setLevelAndState(1, eUnitState::idle, false);
    Engine::cControl* rebuilt = game.getFreeCellOverlay();
    EXPECT_NE(rebuilt, overlay);
    EXPECT_EQ(rebuilt->getChildren().size(), 31u * 21u);
}

TEST(LevelCells, FieldPositionsAndCells)
{
    GameFixture fixture;
    Game& game = fixture.load(902, "<Level FieldOffset=\"10;-20\"/>");
    EXPECT_EQ(game.cellToPos(Engine::cPoint(2, 3)), Engine::cVector2(60.0f, 50.0f));
    EXPECT_EQ(game.posToCell(Engine::cVector2(60.0f, 50.0f)), Engine::cPoint(2, 3));
    // Truncation toward zero: just left of the field is still column 0.
    EXPECT_EQ(game.posToCell(Engine::cVector2(9.5f, 0.0f)), Engine::cPoint(0, 1));
    Engine::cPoint cell;
    Engine::cVector2 offset;
    game.posToCellAndOffset(Engine::cVector2(75.0f, 41.0f), cell, offset);
    EXPECT_EQ(cell, Engine::cPoint(3, 3));
    EXPECT_EQ(offset, Engine::cVector2(-5.0f, -9.0f));
}

TEST(LevelCells, TheLevelFileSetsTimesCellsAndCheatPoints)
{
    GameFixture fixture;
    Game& game =
        fixture.load(903, "<Level><FreeCells><Cell Pos=\"3;7\" Offset=\"2;-3\"/><Cell Pos=\"0;12\"/><Cell "
                          "Pos=\"3;7\" Offset=\"9;9\"/>"
                          "</FreeCells><CheatPoints><Cell Pos=\"4;4\"/><Cell Pos=\"1;2\"/></CheatPoints>"
                          "<MetaData GoldTime=\"100\" SilverTime=\"110\"/></Level>");
    // "GoldSilverDeltaParam" 0.2 of the game's rules: (110 - 100) / 110 < 0.2, so the silver
    // time becomes 100 / 0.8.
    EXPECT_FLOAT_EQ(game.getGoldTime(), 100.0f);
    EXPECT_FLOAT_EQ(game.getSilverTime(), 125.0f);
    EXPECT_EQ(game.getFreeCellOffsets().size(), 2u);
    EXPECT_EQ(game.getFreeCellOffsets().at(3007), Engine::cPoint(2, -3)) << "the first entry's offset stays";
    EXPECT_EQ(game.getFreeCellOffsets().count(12), 1u);
    EXPECT_EQ(game.freeCellPos(Engine::cPoint(3, 7)), Engine::cVector2(72.0f, 147.0f));
    ASSERT_EQ(game.getCheatPoints().size(), 2u);
    EXPECT_EQ(game.getCheatPoints()[1], Engine::cPoint(1, 2));

    // 130 lies far enough above the gold time.
    EXPECT_FLOAT_EQ(
        fixture.load(905, "<Level><MetaData GoldTime=\"100\" SilverTime=\"130\"/></Level>").getSilverTime(),
        130.0f);
    // A root-only level keeps the default times.
    Game& empty = fixture.load(904, "<Level/>");
    EXPECT_FLOAT_EQ(empty.getGoldTime(), 60.0f);
    EXPECT_FLOAT_EQ(empty.getSilverTime(), 120.0f);
    EXPECT_TRUE(empty.getUnits().empty());
}
