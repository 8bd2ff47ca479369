#pragma once

#include "tools/sound/Sound.h"

#include <string>

namespace SoundGen
{

// Renders a score: a short piece of music for synthesised instruments, in stereo, as a loop
// (the default) or a single piece such as a fanfare. One statement a line ("#" comments):
//   tempo <beats a minute>   meter <beats a bar>   bars <bars of the whole piece>
//   loop yes|no              rate <samples per second>   level <decibels>
//   reverb <wet> <seconds>   a room around the whole piece
//   instrument <name> <voice options> [pan <-1..1>] [send <0..1>] [legato <0..1>]
//              [drum <hertz>]
//       a voice (options as in Tones.h); pan places it, send is its share of the reverb,
//       legato the part of each written length that a note is held (default 0.9); a drum
//       sounds at its own pitch whatever note it is given
//   define <name> <notes>    a phrase that `play` lines name
//   play <instrument> <notes>
//       appends to the instrument's part. A note is <pitch>:<length> with an optional mark:
//       pitch: c4 (middle C), f#3, bb2, chords joined by "+" (c4+e4+g4), "r" a rest, "x" a
//       drum hit; length: w h q e s t (4, 2, 1, 1/2, 1/4, 1/8 beats), dotted with ".",
//       a trailing "3" for triplets, or a number of beats; mark "^" accented, "_" soft.
//       "|" checks that a bar is full; <name> or <name>*<count> plays a defined phrase.
// Every part must last the whole piece. A loop's notes ring on over its end into its start,
// so that it loops without a seam. Throws std::string "line <n>: <reason>".
Sound renderScore(const std::string& text);

} // namespace SoundGen
