#include "tools/sound/Sound.h"

#include "platform/sound/OggVorbisEncoder.h"
#include "tools/sound/Score.h"
#include "tools/sound/Tones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace SoundGen
{

namespace
{

double decibels(double value)
{
    return value > 1e-6 ? 20.0 * std::log10(value) : -120.0;
}

// Delays of the combs and all-passes at 44100 samples per second; the right channel's are a
// little longer so that the two sides echo differently.
constexpr int kCombDelays[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllPassDelays[] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
constexpr double kDamping = 0.3;

} // namespace

Loudness measure(const Sound& sound)
{
    Loudness result;
    const size_t frames = sound.frames();
    const size_t channels = static_cast<size_t>(sound.channels);
    result.seconds = static_cast<double>(frames) / sound.rate;
    if (frames == 0)
        return result;
    double peak = 0.0;
    std::vector<double> power(frames, 0.0);
    double total = 0.0;
    for (size_t f = 0; f < frames; ++f)
    {
        for (size_t c = 0; c < channels; ++c)
        {
            const double v = sound.samples[f * channels + c];
            peak = std::max(peak, std::fabs(v));
            power[f] += v * v;
        }
        power[f] /= static_cast<double>(channels);
        total += power[f];
    }
    // Windows of 100 ms every 25 ms; a loop's windows run round the seam, a single sound's
    // last window may reach past its end into silence.
    const size_t window = static_cast<size_t>(0.1 * sound.rate);
    const size_t hop = window / 4;
    double loudest = 0.0;
    size_t starts = frames - window + 1;
    if (sound.loop)
        starts = frames;
    else if (frames <= window)
        starts = 1;
    for (size_t start = 0; start < starts; start += hop)
    {
        double sum = 0.0;
        for (size_t i = 0; i < window; ++i)
        {
            const size_t f = start + i;
            if (f < frames)
                sum += power[f];
            else if (sound.loop)
                sum += power[f % frames];
        }
        loudest = std::max(loudest, sum / static_cast<double>(window));
    }
    result.peak = decibels(peak);
    result.loudest = decibels(std::sqrt(loudest));
    result.average = decibels(std::sqrt(total / static_cast<double>(frames)));
    return result;
}

void normalise(Sound& sound)
{
    const Loudness now = measure(sound);
    if (now.peak <= -120.0)
        return;
    const double wanted = kHouseLoudness + sound.level;
    const double gain = std::min(wanted - now.loudest, kPeakCeiling - now.peak);
    const double factor = std::pow(10.0, gain / 20.0);
    for (double& sample : sound.samples)
        sample *= factor;
}

Reverb::Reverb(int rate, double seconds)
{
    const double scale = rate / 44100.0;
    double average = 0.0;
    for (int side = 0; side < 2; ++side)
    {
        for (int delay : kCombDelays)
        {
            Comb comb;
            comb.buffer.assign(static_cast<size_t>((delay + side * kStereoSpread) * scale), 0.0);
            average += static_cast<double>(comb.buffer.size());
            m_combs[side].push_back(std::move(comb));
        }
        for (int delay : kAllPassDelays)
        {
            AllPass pass;
            pass.buffer.assign(static_cast<size_t>((delay + side * kStereoSpread) * scale), 0.0);
            m_allPasses[side].push_back(std::move(pass));
        }
    }
    average /= 16.0 * rate;
    // Each trip round a comb loses as much as the echo time asks for: 60 dB in `seconds`.
    m_feedback = std::clamp(std::pow(10.0, -3.0 * average / std::max(seconds, 0.05)), 0.3, 0.95);
}

double Reverb::comb(Comb& c, double input)
{
    const double output = c.buffer[c.at];
    c.store = output * (1.0 - kDamping) + c.store * kDamping;
    c.buffer[c.at] = input + c.store * m_feedback;
    if (++c.at == c.buffer.size())
        c.at = 0;
    return output;
}

double Reverb::allPass(AllPass& a, double input)
{
    const double delayed = a.buffer[a.at];
    a.buffer[a.at] = input + delayed * 0.5;
    if (++a.at == a.buffer.size())
        a.at = 0;
    return delayed - input;
}

void Reverb::process(double input, double& left, double& right)
{
    double out[2] = {0.0, 0.0};
    for (int side = 0; side < 2; ++side)
    {
        for (Comb& c : m_combs[side])
            out[side] += comb(c, input * 0.15);
        for (AllPass& a : m_allPasses[side])
            out[side] = allPass(a, out[side]);
    }
    left = out[0];
    right = out[1];
}

void addReverb(Sound& sound, const std::vector<double>& send, double wet, double seconds)
{
    if (wet <= 0.0)
        return;
    Reverb room(sound.rate, seconds);
    const size_t frames = sound.frames();
    const size_t channels = static_cast<size_t>(sound.channels);
    const int passes = sound.loop ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (size_t f = 0; f < frames; ++f)
        {
            double left = 0.0;
            double right = 0.0;
            room.process(f < send.size() ? send[f] : 0.0, left, right);
            if (pass + 1 < passes)
                continue;
            if (channels == 1)
                sound.samples[f] += wet * 0.5 * (left + right);
            else
            {
                sound.samples[f * 2] += wet * left;
                sound.samples[f * 2 + 1] += wet * right;
            }
        }
}

void trimTail(Sound& sound)
{
    const size_t channels = static_cast<size_t>(sound.channels);
    size_t frames = sound.frames();
    const auto quiet = [&](size_t frame)
    {
        for (size_t c = 0; c < channels; ++c)
            if (std::fabs(sound.samples[frame * channels + c]) >= 1e-4)
                return false;
        return true;
    };
    while (frames > 1 && quiet(frames - 1))
        --frames;
    sound.samples.resize(frames * channels);
    const size_t fade = std::min(frames, static_cast<size_t>(0.005 * sound.rate));
    for (size_t i = 0; i < fade; ++i)
        for (size_t c = 0; c < channels; ++c)
            sound.samples[(frames - 1 - i) * channels + c] *=
                static_cast<double>(i) / static_cast<double>(fade);
}

std::string waveBytes(const Sound& sound)
{
    std::string out;
    const auto put = [&out](uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const uint32_t channels = static_cast<uint32_t>(sound.channels);
    const uint32_t bytes = static_cast<uint32_t>(sound.samples.size() * 2);
    const uint32_t rate = static_cast<uint32_t>(sound.rate);
    out += "RIFF";
    put(36 + bytes, 4);
    out += "WAVEfmt ";
    put(16, 4);
    put(1, 2); // PCM
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * 2, 4);
    put(channels * 2, 2);
    put(16, 2);
    out += "data";
    put(bytes, 4);
    for (double sample : sound.samples)
        put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(sample, -1.0, 1.0) * 32767))),
            2);
    return out;
}

std::string oggBytes(const Sound& sound)
{
    const std::vector<float> floats(sound.samples.begin(), sound.samples.end());
    return Platform::encodeOggVorbis(floats, sound.rate, sound.channels, 0.8f);
}

Sound renderSource(const std::string& text, const std::string& kind)
{
    Sound sound = kind == "score" ? renderScore(text) : renderTones(text);
    normalise(sound);
    return sound;
}

} // namespace SoundGen
