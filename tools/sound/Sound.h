#pragma once

// A rendered sound and what is done to every one before it is written: a touch of reverb,
// loudness measured and brought to the house level, and the bytes of a WAVE or Ogg file.

#include <cstddef>
#include <string>
#include <vector>

namespace SoundGen
{

struct Sound
{
    int rate = 44100;
    int channels = 1;
    // Interleaved frames, -1..1.
    std::vector<double> samples;
    // A loop's last frame runs on into its first; loudness is measured around the seam too.
    bool loop = false;
    // Loudness in decibels relative to the house level (0: as loud as the music).
    double level = 0.0;

    size_t frames() const { return samples.size() / static_cast<size_t>(channels); }
};

// The house loudness: the loudest tenth of a second of every piece of music, and the most
// any effect may reach, in decibels of full scale (root mean square).
constexpr double kHouseLoudness = -16.0;
// No sample goes above this, in decibels of full scale.
constexpr double kPeakCeiling = -1.0;

struct Loudness
{
    double seconds = 0.0;
    // The highest sample, in decibels of full scale.
    double peak = -120.0;
    // The loudest 100 ms window (root mean square over the channels), in decibels.
    double loudest = -120.0;
    // The whole sound's root mean square, in decibels.
    double average = -120.0;
};

Loudness measure(const Sound& sound);

// Scales the sound to the house loudness plus its level, lowering it further when a peak
// would pass the ceiling.
void normalise(Sound& sound);

// A room of a few comb and all-pass filters (the Schroeder form), mono in, stereo out.
class Reverb
{
public:
    // `seconds`: the time the echo takes to fall by 60 dB.
    Reverb(int rate, double seconds);
    void process(double input, double& left, double& right);

private:
    struct Comb
    {
        std::vector<double> buffer;
        size_t at = 0;
        double store = 0.0;
    };
    struct AllPass
    {
        std::vector<double> buffer;
        size_t at = 0;
    };
    double comb(Comb& c, double input);
    static double allPass(AllPass& a, double input);

    std::vector<Comb> m_combs[2];
    std::vector<AllPass> m_allPasses[2];
    double m_feedback = 0.8;
};

// Adds the reverb of `send` (mono, one value a frame) to the sound, `wet` loud. A loop's echo
// runs round the seam: the reverb is run over the loop twice and the second pass is kept.
void addReverb(Sound& sound, const std::vector<double>& send, double wet, double seconds);

// Cuts the silence after the last audible frame and fades out the last 5 ms, so that a tail
// of reverb ends cleanly.
void trimTail(Sound& sound);

// A 16-bit PCM WAVE file.
std::string waveBytes(const Sound& sound);
// An Ogg Vorbis file.
std::string oggBytes(const Sound& sound);

// Renders a source ("tones" or "score" by `kind`) and brings it to its loudness. Throws
// std::string "line <n>: <reason>" for a source that cannot be read.
Sound renderSource(const std::string& text, const std::string& kind);

} // namespace SoundGen
