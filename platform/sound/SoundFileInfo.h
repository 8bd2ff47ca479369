#pragma once

#include <cstddef>
#include <string>

namespace Platform
{

// What the opening bytes of a sample file say about the sound in it.
struct SoundFileInfo
{
    enum Kind
    {
        Wave,
        Ogg
    };
    Kind kind = Wave;
    // Samples per second as the file gives them.
    int frequency = 44100;
    int channels = 0;
};

// Checks that the bytes are a RIFF WAVE file with a usable format and a data section, or an Ogg
// stream of Vorbis or Opus sound, before any decoder sees them. False with a reason in `error`
// for anything else (a text file, a picture, a cut-off header). Reads nothing outside the bytes.
bool inspectSoundFile(const unsigned char* data, size_t size, SoundFileInfo& info, std::string& error);

} // namespace Platform
