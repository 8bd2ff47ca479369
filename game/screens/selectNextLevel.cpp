#include "game/screens/selectNextLevel.h"

#include "engine/core/cProps.h"
#include "game/world/GameConfig.h"
#include "game/world/MapPages.h"

#include <algorithm>

int getCurrentSelectedLevel()
{
    int level = 0;
    Engine::cProps::getIfPresent<int>(L"CurrentSelectedLevel", level);
    return level;
}

int setCurrentSelectedLevel(int level)
{
    if (level >= kMapLevelLimit)
        return kMapLevelLimit - 1;
    Engine::cProps::set<int>(L"CurrentSelectedLevel", level);
    return level;
}

void setCurrentMap(int page)
{
    Engine::cProps::set<int>(L"CurrentMap", page);
}

int mapIndexOfLevel(int level)
{
    fillMapPagesFromFile();
    return mapPageOfLevel(level);
}

void selectNextLevel(int levelWon)
{
    int next = levelWon + 1;
    // Past the last level the game has there is nothing to select: the selection stays on the
    // level won.
    if (next >= GameConfig::instance().getConstants().LevelsCount)
        next = std::max(levelWon, 0);
    setCurrentMap(mapIndexOfLevel(setCurrentSelectedLevel(next)));
}
