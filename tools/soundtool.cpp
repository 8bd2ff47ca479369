// Writes a sound file from a text description of tones, so that the game's own sounds and
// music are made here from nothing but numbers: a 16-bit mono PCM WAVE file for effects, or an
// Ogg Vorbis file (smaller, for music), chosen by the output's extension.
//
//   soundtool description.txt output.wav|output.ogg
//
// The description, one statement a line ("#" starts a comment):
//   rate <samples per second>      8000 to 48000 (default 22050); before the first sound
//   tone <seconds> <hertz> [to <hertz>] [volume <0..1>] [wave sine|square|triangle|noise]
//        [decay <per second>]
//                                  a tone gliding from the first pitch to the second (noise
//                                  ignores the pitch), at the volume (default 0.5), dying away
//                                  by the decay factor (0: none, the default); each tone fades
//                                  in and out over 5 ms so that it never clicks
//   mix                            the next tone is laid over the previous one instead of after it
//   silence <seconds>
// Noise comes from the engine's own generator started from a fixed value, and the Ogg stream has
// a fixed serial number, so a description always gives the same bytes.
#include "engine/core/Random.h"
#include "engine/devices/BinaryWriter.h"
#include "engine/devices/cTextDescription.h"
#include "platform/sound/OggVorbisEncoder.h"
#include "tools/DataFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

double number(Engine::cTextDescription& description, const char* what, double low, double high)
{
    const std::string word = description.readWord();
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !(value >= low && value <= high))
        description.fail(std::string(what) + " must be a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    return value;
}

double wave(const std::string& kind, double phase)
{
    const double cycle = phase - std::floor(phase);
    if (kind == "square")
        return cycle < 0.5 ? 1.0 : -1.0;
    if (kind == "triangle")
        return cycle < 0.5 ? 4.0 * cycle - 1.0 : 3.0 - 4.0 * cycle;
    if (kind == "noise")
        return Engine::random15() / 16383.5 - 1.0;
    return std::sin(2.0 * M_PI * cycle);
}

std::vector<double> render(const std::string& text, int& rate)
{
    rate = 22050;
    std::vector<double> samples;
    size_t cursor = 0;
    bool mixNext = false;
    Engine::seedRandom(1);
    Engine::cTextDescription description(text);
    std::istringstream& words = description.words();
    std::string word;
    while (description.next(word))
    {
        if (word == "rate")
        {
            if (!samples.empty())
                description.fail("the rate must come before the first sound");
            rate = static_cast<int>(number(description, "the rate", 8000, 48000));
        }
        else if (word == "mix")
            mixNext = true;
        else if (word == "silence")
        {
            cursor = samples.size() + static_cast<size_t>(number(description, "the length", 0, 60) * rate);
            samples.resize(cursor, 0.0);
        }
        else if (word == "tone")
        {
            const double seconds = number(description, "the length", 0.001, 60);
            const double from = number(description, "the pitch", 1, 20000);
            double to = from;
            double volume = 0.5;
            double decay = 0.0;
            std::string kind = "sine";
            while (words >> word)
            {
                if (word == "to")
                    to = number(description, "the pitch", 1, 20000);
                else if (word == "volume")
                    volume = number(description, "the volume", 0, 1);
                else if (word == "decay")
                    decay = number(description, "the decay", 0, 1000);
                else if (word == "wave")
                {
                    words >> kind;
                    if (kind != "sine" && kind != "square" && kind != "triangle" && kind != "noise")
                        description.fail("unknown wave \"" + kind + "\"");
                }
                else
                    description.fail("unknown word \"" + word + "\"");
            }
            const size_t start = mixNext ? cursor : samples.size();
            const size_t count = static_cast<size_t>(seconds * rate);
            const size_t fade = std::max<size_t>(1, static_cast<size_t>(0.005 * rate));
            samples.resize(std::max(samples.size(), start + count), 0.0);
            double phase = 0.0;
            for (size_t i = 0; i < count; ++i)
            {
                const double t = static_cast<double>(i) / rate;
                const double pitch = from + (to - from) * (static_cast<double>(i) / count);
                phase += pitch / rate;
                const double edge = std::min({1.0, double(i) / fade, double(count - 1 - i) / fade});
                samples[start + i] += volume * edge * std::exp(-decay * t) * wave(kind, phase);
            }
            cursor = start;
            mixNext = false;
        }
        else
            description.fail("unknown statement \"" + word + "\"");
    }
    if (samples.empty())
        description.fail("the description makes no sound");
    return samples;
}

std::string waveFile(const std::vector<double>& samples, int rate)
{
    const uint32_t bytes = static_cast<uint32_t>(samples.size() * 2);
    Engine::BinaryWriter out;
    out.writeBytes("RIFF");
    out.writeU32(36 + bytes);
    out.writeBytes("WAVEfmt ");
    out.writeU32(16);
    out.writeU16(1);
    out.writeU16(1);
    out.writeU32(static_cast<uint32_t>(rate));
    out.writeU32(static_cast<uint32_t>(rate) * 2);
    out.writeU16(2);
    out.writeU16(16);
    out.writeBytes("data");
    out.writeU32(bytes);
    for (double sample : samples)
        out.writeU16(
            static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32767))));
    return out.bytes();
}

std::string oggFile(const std::vector<double>& samples, int rate)
{
    const std::vector<float> floats(samples.begin(), samples.end());
    return Platform::encodeOggVorbis(floats, rate);
}

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
        std::cerr << "usage: soundtool description.txt output.wav|output.ogg\n";
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
        int rate = 0;
        const std::vector<double> samples = render(text, rate);
        bytes = ogg ? oggFile(samples, rate) : waveFile(samples, rate);
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
