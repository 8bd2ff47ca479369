#pragma once

// The sound of one voice: an oscillator (plain waves, partials, frequency modulation, several
// detuned copies), its envelope, pitch movement and filter. Effects and music describe their
// voices with the same words, read by `readVoiceWord`.

#include "tools/sound/Sound.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{
class cTextDescription;
}

namespace SoundGen
{

// The shape and colour of a voice. Times are in seconds, pitches in hertz.
struct VoiceSpec
{
    enum class Wave
    {
        Sine,
        Triangle,
        Square,
        Saw,
        Pulse,
        Noise
    };
    enum class Filter
    {
        None,
        LowPass,
        HighPass,
        BandPass
    };

    Wave wave = Wave::Sine;
    double volume = 0.5;
    double pulseWidth = 0.25;
    // Amplitudes of the partials 1, 2, 3... added as sines instead of `wave`, when given.
    std::vector<double> partials;

    // Envelope: a rise over `attack`, a fall towards `sustain` with the time constant `decay`
    // (0: none), a fade of `fade` per second over the whole note, and a straight fall to
    // silence over `release` once the note is let go.
    double attack = 0.005;
    double decay = 0.0;
    double sustain = 1.0;
    double fade = 0.0;
    double release = 0.01;

    // Pitch: starts `bendSemitones` above the note and falls to it with the time constant
    // `bendTime`; vibrato of `vibratoCents` at `vibratoRate` hertz after `vibratoDelay`.
    double bendSemitones = 0.0;
    double bendTime = 0.05;
    double vibratoRate = 0.0;
    double vibratoCents = 0.0;
    double vibratoDelay = 0.0;

    // Frequency modulation by a sine at `fmRatio` times the pitch, of depth `fmIndex`, the
    // depth dying by `fmFade` per second.
    double fmRatio = 0.0;
    double fmIndex = 0.0;
    double fmFade = 0.0;

    // Copies of the voice spread over `detuneCents`, each starting at another phase.
    int unison = 1;
    double detuneCents = 0.0;

    // A resonant filter whose cutoff moves from `cutoff` to `cutoffTo` over the note, plus
    // `cutoffEnvelope` hertz times the envelope.
    Filter filter = Filter::None;
    double cutoff = 1000.0;
    double cutoffTo = -1.0; // -1: stays at `cutoff`
    double cutoffEnvelope = 0.0;
    double resonance = 0.7;
};

// A small generator of its own, so that noise is the same on every run whatever else runs.
class Noise
{
public:
    explicit Noise(uint32_t start = 22222u) : m_state(start) {}
    // A value from -1 to 1.
    double next();

private:
    uint32_t m_state;
};

// A resonant two-pole filter (state variable form, stable at every cutoff).
class StateVariableFilter
{
public:
    void set(double cutoff, double resonance, int rate);
    // Low-pass, band-pass and high-pass outputs of one input sample.
    double process(double input, VoiceSpec::Filter kind);

private:
    double m_a1 = 0, m_a2 = 0, m_a3 = 0, m_k = 1;
    double m_ic1 = 0, m_ic2 = 0;
};

// Reads the option starting with `word` (and its numbers) from the statement into `spec`;
// false when `word` is no voice option. Fails through the description for bad numbers.
bool readVoiceWord(Engine::cTextDescription& description, const std::string& word, VoiceSpec& spec);

// A room around a whole sound: the share of its echo and the time the echo takes to fall by
// 60 dB (no echo at a share of 0).
struct Room
{
    double wet = 0.0;
    double seconds = 1.5;
};

// Reads the statements that effects and music share ("rate", "level", "reverb") into the
// sound and its room; false when `word` is none of them.
bool readSoundWord(Engine::cTextDescription& description, const std::string& word, Sound& sound, Room& room);

// Reads a number from `low` to `high`, failing through the description with `what`.
double readNumber(Engine::cTextDescription& description, const char* what, double low, double high);

// One note of a voice: `held` seconds from its start to its release, at `pitch` gliding
// (exponentially) to `pitchTo`, at `amplitude`. `length` tells how many samples it lasts.
struct Note
{
    double held = 0.1;
    double pitch = 440.0;
    double pitchTo = 440.0;
    double amplitude = 1.0;
};

// The number of samples the note sounds for, release included.
size_t noteLength(const VoiceSpec& spec, const Note& note, int rate);

// Renders the note; `noise` gives the noise wave and the copies' phases.
std::vector<double> renderNote(const VoiceSpec& spec, const Note& note, int rate, Noise& noise);

} // namespace SoundGen
