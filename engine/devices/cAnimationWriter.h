#pragma once

#include "engine/devices/cAnimTrack.h"

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
// The transforms are those of `cTextDescription`.
class cAnimationWriter
{
public:
    static std::string toBytes(float duration, const std::vector<cAnimTrack>& tracks);
    // Throws std::string "line <n>: <reason>" for a description it cannot read.
    static std::string fromText(const std::string& text);
};

} // namespace Engine
