#pragma once

#include <string>

namespace Engine
{
class cFileSystem;
}

// A level file named by a path, as the game reads it: the path `Game::loadLevel` loads and the
// level number it plays as.
//
// - A file inside the data folder is read by its path there, as the game reads its own levels
//   (the shared folder's copies and the packs come first, as for every data file); "Levels/n<K>.xml"
//   there plays as level K, with the medal, best time and saved game of level K.
// - Any other file, under any name, is read from the disk by its absolute path and plays as a
//   level without a number: nothing of it is kept as a level of the map (no saved game to
//   continue, no medal, no best time), so that it never takes the place of the player's own.
struct LevelLocation
{
    // The number of a level that is none of the map's levels.
    static constexpr int kUnnumbered = -1;

    // A file at `path`: relative to the current folder or absolute, "\" read as "/". A relative
    // path that names no file from the current folder, but one the game's files know, names that
    // one (a path in the data folder).
    static LevelLocation fromPath(const std::string& path, const Engine::cFileSystem& files);
    // The game's own level `number` ("Levels/n<number>.xml").
    static LevelLocation fromNumber(int number);

    // Makes this the level the game plays next, as the program's command line does: the path
    // becomes the selected path and a level's number the profile's "CurrentLevel", and
    // `Game::loadLevel` with `playedNumber()` loads it. A level without a number leaves
    // "CurrentLevel" as it is: the player's values only ever hold a level of the map.
    void select() const;
    // The number of the level the game plays: kUnnumbered while a level without a number is
    // selected, else the profile's "CurrentLevel".
    static int playedNumber();

    // The level file `Game::loadLevel` reads instead of the level number's (the command line's,
    // or one a test or tool gives); empty when the number's own file is read. It is the state
    // machine's level path (CGameEngine::getLevelPath) and lasts for the run.
    static const std::wstring& selectedPath();
    // A path set here plays as the level of "CurrentLevel" (an empty one ends a selection).
    static void setSelectedPath(const std::wstring& path);
    // The selected path itself, for the state machine's accessor that hands it out to change.
    static std::wstring& selectedPathSlot();

    // Whether `path` is read from the disk rather than through the game's files.
    static bool isOnDisk(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }

    std::wstring path;
    int number = kUnnumbered;
};
