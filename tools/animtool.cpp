// Writes an engine animation file ("*.anim") from a text description, or tells what an
// animation file holds.
//
//   animtool description.txt output.anim
//   animtool --check file.anim
//
// The description, one statement a line ("#" starts a comment):
//   duration <time>            the length of the animation, above 0 (default 1); times run in
//                              the units the views count the animation time in
//   track [parent <n>]         starts the next track (0, 1, ...). Track n moves bone n of a
//                              skinned mesh; a track with a parent moves relative to it
//   key <time> <transform>...  a key of the current track at that time (times rise within a
//                              track): the bone's pose relative to its parent, the transforms
//                              applied in the order written (none: the identity)
// Transforms: identity | translate x y z | scale x y z | rotate x|y|z degrees
//   | matrix <16 numbers row by row>. Rotations turn y towards z (x), z towards x (y) and x
//   towards y (z).
//
// Before the first key of a track its first key holds, after the last its last; between two
// keys the matrices are blended and their axis lengths blended apart. The time wraps over the
// duration.
//
// Example, one bone sliding 10 units along x and back over two time units:
//   duration 2
//   track
//   key 0
//   key 1 translate 10 0 0
//   key 2
#include "engine/devices/cAnimation.h"
#include "engine/devices/cAnimationWriter.h"
#include "tools/DataFiles.h"

#include <iostream>
#include <string>

namespace
{

// Reads the bytes back as the game does; the text of the failure, or empty.
std::string check(const std::string& bytes, const std::string& name)
{
    try
    {
        const Engine::cAnimation animation(bytes.data(), bytes.size());
        size_t keys = 0;
        for (const Engine::cAnimTrack& track : animation.getTracks())
            keys += track.keys.size();
        std::cout << name << ": " << animation.getTracks().size() << " tracks, " << keys << " keys, duration "
                  << animation.getDuration() << ", " << bytes.size() << " bytes\n";
        return "";
    }
    catch (const char* text)
    {
        // Among others, tracks that hang from each other in a circle.
        return text;
    }
}

} // namespace

int main(int argc, char** argv)
{
    return Tools::describedFileTool(argc, argv, "animtool", "anim", "animation",
                                    &Engine::cAnimationWriter::fromText, &check);
}
