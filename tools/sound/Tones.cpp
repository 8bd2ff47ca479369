#include "tools/sound/Tones.h"

#include "engine/devices/cTextDescription.h"
#include "tools/sound/Synth.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace SoundGen
{

Sound renderTones(const std::string& text)
{
    Sound sound;
    std::vector<double>& samples = sound.samples;
    std::map<std::string, VoiceSpec> voices;
    Noise noise;
    size_t lastStart = 0;
    bool hasStart = false;
    size_t nextStart = 0;
    Room room;

    Engine::cTextDescription description(text);
    std::istringstream& words = description.words();
    std::string word;
    while (description.next(word))
    {
        if (word == "rate" && !samples.empty())
            description.fail("the rate must come before the first sound");
        if (readSoundWord(description, word, sound, room))
            continue;
        if (word == "voice")
        {
            const std::string name = description.readWord();
            if (name.empty())
                description.fail("the voice needs a name");
            VoiceSpec spec;
            while (words >> word)
                if (!readVoiceWord(description, word, spec))
                    description.fail("unknown word \"" + word + "\"");
            voices[name] = spec;
        }
        else if (word == "mix")
        {
            nextStart = lastStart;
            hasStart = true;
        }
        else if (word == "at")
        {
            nextStart = static_cast<size_t>(readNumber(description, "the start", 0, 60) * sound.rate);
            hasStart = true;
        }
        else if (word == "silence")
            samples.resize(samples.size() +
                               static_cast<size_t>(readNumber(description, "the length", 0, 60) * sound.rate),
                           0.0);
        else if (word == "tone")
        {
            const double seconds = readNumber(description, "the length", 0.001, 60);
            Note note;
            note.pitch = readNumber(description, "the pitch", 1, 20000);
            note.pitchTo = note.pitch;
            VoiceSpec spec;
            while (words >> word)
            {
                if (word == "to")
                    note.pitchTo = readNumber(description, "the pitch", 1, 20000);
                else if (word == "use")
                {
                    const auto found = voices.find(description.readWord());
                    if (found == voices.end())
                        description.fail("no voice of that name");
                    spec = found->second;
                }
                else if (!readVoiceWord(description, word, spec))
                    description.fail("unknown word \"" + word + "\"");
            }
            note.held = std::max(0.001, seconds - std::max(spec.release, 0.003));
            const std::vector<double> rendered = renderNote(spec, note, sound.rate, noise);
            const size_t start = hasStart ? nextStart : samples.size();
            samples.resize(std::max(samples.size(), start + rendered.size()), 0.0);
            for (size_t i = 0; i < rendered.size(); ++i)
                samples[start + i] += rendered[i];
            lastStart = start;
            hasStart = false;
        }
        else
            description.fail("unknown statement \"" + word + "\"");
    }
    if (samples.empty())
        description.fail("the description makes no sound");
    if (room.wet > 0.0)
    {
        const std::vector<double> dry = samples;
        samples.resize(samples.size() + static_cast<size_t>(room.seconds * sound.rate), 0.0);
        addReverb(sound, dry, room.wet, room.seconds);
    }
    trimTail(sound);
    return sound;
}

} // namespace SoundGen
