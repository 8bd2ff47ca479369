#pragma once

// How the level tools (levelcheck, levelplay) take a level on their command line, as the game
// takes one on its own.

#include "game/world/LevelLocation.h"

#include <string>

namespace Tools
{

// A level number ("3": the game's "Levels/n3.xml") or a level file at any path, relative to the
// current folder or absolute, under any name (see LevelLocation for its number).
inline LevelLocation levelFromArgument(const std::string& argument, const Engine::cFileSystem& files)
{
    if (!argument.empty() && argument.size() <= 6 &&
        argument.find_first_not_of("0123456789") == std::string::npos)
        return LevelLocation::fromNumber(std::stoi(argument));
    return LevelLocation::fromPath(argument, files);
}

} // namespace Tools
