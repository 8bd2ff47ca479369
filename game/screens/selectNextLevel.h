#pragma once

// The player's place on the level map, kept in the player's values: "CurrentSelectedLevel"
// (the level selected on the map) and "CurrentMap" (the page shown). The map holds levels 0 to
// 44 at most, so no value above 44 is ever stored. A player store must exist.

constexpr int kMapLevelLimit = 45;

// "CurrentSelectedLevel"; 0 when never set.
int getCurrentSelectedLevel();
// Stores the level and returns it; a level of 45 or more stores nothing and gives 44.
int setCurrentSelectedLevel(int level);
void setCurrentMap(int page);
// The first page that shows the level; 0 when none does.
int mapIndexOfLevel(int level);

// After a won level: the selection moves to the level after the one won and "CurrentMap" to
// its page. It starts from the level won, not from the selection: the player may have selected
// another level on the map before continuing an unfinished one. The next level must be one the
// game has (the configuration's level count): after the last level the selection stays on it.
void selectNextLevel(int levelWon);
