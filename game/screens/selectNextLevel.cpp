#include "game/screens/selectNextLevel.h"

#include "engine/core/cProps.h"
#include "game/world/MapPages.h"

void selectNextLevel()
{
    const int next = Engine::cProps::get<int>(L"CurrentSelectedLevel") + 1;
    if (next < 45)
        Engine::cProps::set<int>(L"CurrentSelectedLevel", next);
    const int selected = Engine::cProps::get<int>(L"CurrentSelectedLevel");
    Engine::cProps::set<int>(L"CurrentMap", mapPageOfLevel(selected));
}
