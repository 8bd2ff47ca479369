#pragma once

#include "engine/core/cVector2.h"

#include <array>

namespace Engine
{
class cView;
}

// One page of the level map: the range of level numbers it shows and its view. The level
// map's loader fills the records; the table itself lives for the whole run.
struct MapPageInfo
{
    int startIndex = 0; // "StartIndex"
    int endIndex = 0;   // "EndIndex"
    Engine::cView* view = nullptr;
    Engine::cVector2 position;
};

constexpr int kMapPageCount = 6;

std::array<MapPageInfo, kMapPageCount>& mapPages();

// Whether a level map has filled the ranges (the map's loader sets it).
bool& mapPagesFilled();

// Fills the ranges from the map file "Map/Map.xml" ("StartIndex" and "EndIndex" of the first six
// children of "Maps") when no map has done so: a level started from the command line never
// shows the map, yet winning it moves the player's map page. A map file that cannot be read
// throws the resource manager's error.
void fillMapPagesFromFile();

// The first page whose StartIndex..EndIndex holds the level; page 0 when none does.
int mapPageOfLevel(int level);
