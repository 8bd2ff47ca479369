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

// The first page whose StartIndex..EndIndex holds the level; page 0 when none does.
int mapPageOfLevel(int level);
