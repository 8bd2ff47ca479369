#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"

// The numeric rules of "Game/Game.xml", each the text of the root's child element of that
// name; a missing key keeps the default given here.
struct GameConstants
{
    int LevelsCount = 1;
    int CellWidth = 20; // side of a grid cell in field units
    // Grid size in cells, computed from the window size (the file's value has no effect).
    Engine::cPoint MapSize = Engine::cPoint(40, 20);
    float HeroSpeed = 2.0f;
    float HeroSpeedMan = 1.0f;
    float kSlowCellSpeed = 0.75f;
    float kFastCellSpeed = 1.5f;
    float kHeroBonusSpeed = 1.0f;
    float kManBonusSpeed = 1.0f;
    float kMillBonusSpeed = 1.0f;
    float kUpgradeBonusSpeed = 1.0f;
    float HeroAttachDelay = 0.0f;
    int GoalsListLimit = 1;
    float FinishLevelTime = 3.0f;
    int CheatResourcesPartsNumber = 10;
    float CheatResourcesDelay = 10.0f;
    int TutorialClicksNumber = 2;
    float UnitSoundDelay = 0.1f;
    float GarbageDisapperSpeed = 1.0f; // fade speed of the garbage pictures
    float ObstacleShowTime = 1.0f;
    float GoldSilverDeltaParam = 1.0f;
    Engine::cVector2 FunHeroesOffset = Engine::cVector2(10.0f, 0.0f);

    // Derived once the files are read (single-precision products).
    float heroSlowSpeed = 1.5f; // HeroSpeed × kSlowCellSpeed
    float heroFastSpeed = 3.0f; // HeroSpeed × kFastCellSpeed
    float manSlowSpeed = 0.75f; // HeroSpeedMan × kSlowCellSpeed
    float manFastSpeed = 1.5f;  // HeroSpeedMan × kFastCellSpeed
};
