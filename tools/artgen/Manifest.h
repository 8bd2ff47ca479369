#pragma once

#include "tools/artgen/Interpreter.h"

#include <string>
#include <vector>

namespace ArtGen
{

// The manifest of the pack: one line per picture, in path order, with what the views need to
// use it (sizes, frame grid, rate, anchor, nine-patch corners, whether it reaches its frame's
// edges) and what it is for (unit type, level, look, unit states or the frames' meanings, facing
// angle, the screen and element it serves; that last column is free text to the line's end).
std::string manifestText(std::vector<SheetInfo> sheets);

} // namespace ArtGen
