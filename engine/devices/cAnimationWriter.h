#pragma once

#include "engine/devices/cAnimTrack.h"
#include "engine/devices/cMatrix.h"

#include <sstream>
#include <string>
#include <vector>

namespace Engine
{

// Writes animation files ("*.anim", read by `cAnimation`) from tracks or from a text
// description, for the tools that make the game's data and for tests.
//
// The text, one statement a line; "#" starts a comment, blank lines are skipped:
//   duration <seconds>                 the length of the animation (default 1)
//   track [parent <index>]             starts the next track (index 0, 1, ...), hanging from an
//                                      earlier or later track, or from none
//   key <time> <transform>...          a key of the current track; its matrix is the transforms
//                                      applied in the order written (none: the identity)
// Transforms (also used by the mesh descriptions of `cMeshWriter`):
//   identity | translate <x> <y> <z> | scale <x> <y> <z> | rotate x|y|z <degrees>
//   | matrix <16 numbers, row by row>
// Rotations turn y towards z (about x), z towards x (about y) and x towards y (about z).
class cAnimationWriter
{
public:
    static std::string toBytes(float duration, const std::vector<cAnimTrack>& tracks);
    // Throws std::string "line <n>: <reason>" for a description it cannot read.
    static std::string fromText(const std::string& text);

    // Reads transforms from the rest of a line and multiplies them in that order. Throws
    // std::string "line <n>: <reason>".
    static cMatrix readTransforms(std::istringstream& words, int line);
    // Reads one number; throws "line <n>: <what> is missing or not a number".
    static float readNumber(std::istringstream& words, int line, const char* what);
};

} // namespace Engine
