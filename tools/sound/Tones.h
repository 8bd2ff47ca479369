#pragma once

#include "tools/sound/Sound.h"

#include <string>

namespace SoundGen
{

// Renders a tone description: a sound effect made of tones laid after or over each other.
// One statement a line ("#" starts a comment):
//   rate <samples per second>      8000 to 48000 (default 44100); before the first tone
//   level <decibels>               loudness against the music's (default 0; -40 to 0)
//   reverb <wet> <seconds>         a room around the whole sound: wet 0..1, echo time
//   voice <name> <options>         names a set of voice options for `use`
//   tone <seconds> <hertz> [to <hertz>] [use <voice>] [<options>]
//                                  a tone of that length (its release included), gliding to
//                                  the second pitch; noise ignores the pitch
//   at <seconds>                   the next tone starts there instead of after the last
//   mix                            the next tone starts where the last one started
//   silence <seconds>              a pause after everything so far
// Voice options (see Synth.h): wave sine|triangle|square|saw|pulse|noise, volume <v>,
// width <w>, partials <a,b,c...>, attack <s>, settle <s> <level>, decay <per second>,
// release <s>, bend <semitones> <s>, vibrato <hertz> <cents> <delay>, fm <ratio> <index>
// <decay>, unison <copies> <cents>, lowpass|highpass|bandpass <hertz>, sweep <hertz>,
// follow <hertz>, q <resonance>.
// Throws std::string "line <n>: <reason>".
Sound renderTones(const std::string& text);

} // namespace SoundGen
