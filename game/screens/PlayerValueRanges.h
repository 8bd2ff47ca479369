#pragma once

// Gives the player's values their ranges in the engine's value store (`Engine::cProps`), so that
// a value a hand-edited or damaged profile holds outside its range is read, and written back, as
// the nearer end of it:
//   "Level" + a level number   the medal won there: 0 gold, 1 silver, 2 completed without one
//                              (a level not completed has no value)
//   "MusicVolume", "SoundVolume"  0 to the sound's largest volume
//   "CurrentMap"               a page of the map
//   "CurrentSelectedLevel"     a level the map holds
//   "CurrentLevel"             a level number (never below 0)
//   "LevelCompleteCount", "LevelGoldCompleteCount"  0 to the levels the map holds
// Run once before the first profile is read; running it again changes nothing.
void declarePlayerValueRanges();
