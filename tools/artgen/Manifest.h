#pragma once

#include "tools/artgen/Interpreter.h"

#include <string>
#include <vector>

namespace ArtGen
{

// The manifest of the pack: one line per picture, in path order, with what the views need to
// use it (sizes, frame grid, rate, anchor) and what it is for (unit type, level, look, unit
// states, facing angle).
std::string manifestText(std::vector<SheetInfo> sheets);

} // namespace ArtGen
