// Writes one sound file from a source, the way soundgen makes the sound pack: a 16-bit PCM
// WAVE file or an Ogg Vorbis file, chosen by the output's extension.
//
//   soundtool source.tones|source.score output.wav|output.ogg
//
// A ".score" source is music (tools/sound/Score.h); any other is a tone description of a
// sound effect (tools/sound/Tones.h). The sound is brought to the house loudness plus the
// source's own level. Noise comes from a generator started from a fixed value, and the Ogg
// stream has a fixed serial number, so a source always gives the same bytes.
#include "platform/sound/OggVorbisEncoder.h"
#include "tools/DataFiles.h"
#include "tools/sound/Sound.h"

#include <iostream>
#include <string>

namespace
{

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string output = argc == 3 ? argv[2] : "";
    const bool ogg = endsWith(output, ".ogg");
    if (argc != 3 || (!ogg && !endsWith(output, ".wav")))
    {
        std::cerr << "usage: soundtool source.tones|source.score output.wav|output.ogg\n";
        return 2;
    }
    std::string text;
    if (!Tools::readWholeFile(argv[1], text))
    {
        std::cerr << "soundtool: cannot read \"" << argv[1] << "\"\n";
        return 1;
    }
    std::string bytes;
    try
    {
        const SoundGen::Sound sound =
            SoundGen::renderSource(text, endsWith(argv[1], ".score") ? "score" : "tones");
        bytes = ogg ? SoundGen::oggBytes(sound) : SoundGen::waveBytes(sound);
    }
    catch (const std::string& failure)
    {
        std::cerr << "soundtool: " << argv[1] << ", " << failure << "\n";
        return 1;
    }
    catch (const Platform::SoundEncodeError& failure)
    {
        std::cerr << "soundtool: " << argv[2] << ", " << failure.what() << "\n";
        return 1;
    }
    if (!Tools::writeWholeFile("soundtool", argv[2], bytes))
        return 1;
    std::cout << argv[2] << ": " << bytes.size() << " bytes\n";
    return 0;
}
