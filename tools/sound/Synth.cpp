#include "tools/sound/Synth.h"

#include "engine/devices/cTextDescription.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace SoundGen
{

namespace
{

constexpr double kTwoPi = 2.0 * M_PI;

// The correction that takes the step out of a wave jumping at phase 0 (polynomial band-limited
// step): without it a saw or square wave rings with aliases at high pitches.
double stepCorrection(double phase, double step)
{
    if (phase < step)
    {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step)
    {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double oscillator(const VoiceSpec& spec, double phase, double step, Noise& noise)
{
    const double cycle = phase - std::floor(phase);
    switch (spec.wave)
    {
    case VoiceSpec::Wave::Sine:
        return std::sin(kTwoPi * cycle);
    case VoiceSpec::Wave::Triangle:
        return cycle < 0.5 ? 4.0 * cycle - 1.0 : 3.0 - 4.0 * cycle;
    case VoiceSpec::Wave::Saw:
        return 2.0 * cycle - 1.0 - stepCorrection(cycle, step);
    case VoiceSpec::Wave::Square:
    case VoiceSpec::Wave::Pulse:
    {
        const double width = spec.wave == VoiceSpec::Wave::Square ? 0.5 : spec.pulseWidth;
        const double back = cycle + 1.0 - width;
        return (cycle < width ? 1.0 : -1.0) + stepCorrection(cycle, step) -
               stepCorrection(back - std::floor(back), step);
    }
    case VoiceSpec::Wave::Noise:
        return noise.next();
    }
    return 0.0;
}

double partialsAt(const std::vector<double>& amplitudes, double phase, double pitch, int rate)
{
    double sum = 0.0;
    double total = 0.0;
    for (size_t k = 0; k < amplitudes.size(); ++k)
    {
        const double harmonic = static_cast<double>(k + 1);
        total += std::fabs(amplitudes[k]);
        if (pitch * harmonic < 0.45 * rate)
            sum += amplitudes[k] * std::sin(kTwoPi * harmonic * phase);
    }
    return total > 0.0 ? sum / total : 0.0;
}

VoiceSpec::Wave waveNamed(Engine::cTextDescription& description, const std::string& name)
{
    if (name == "sine")
        return VoiceSpec::Wave::Sine;
    if (name == "triangle")
        return VoiceSpec::Wave::Triangle;
    if (name == "square")
        return VoiceSpec::Wave::Square;
    if (name == "saw")
        return VoiceSpec::Wave::Saw;
    if (name == "pulse")
        return VoiceSpec::Wave::Pulse;
    if (name == "noise")
        return VoiceSpec::Wave::Noise;
    description.fail("unknown wave \"" + name + "\"");
}

std::vector<double> readPartials(Engine::cTextDescription& description)
{
    const std::string list = description.readWord();
    std::vector<double> amplitudes;
    std::istringstream items(list);
    std::string item;
    while (std::getline(items, item, ','))
    {
        char* end = nullptr;
        const double value = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !(value >= -1.0 && value <= 1.0))
            description.fail("partials are amplitudes from -1 to 1 separated by commas");
        amplitudes.push_back(value);
    }
    if (amplitudes.empty() || amplitudes.size() > 32)
        description.fail("partials need 1 to 32 amplitudes");
    return amplitudes;
}

} // namespace

double Noise::next()
{
    // xorshift32: full period, and the same numbers on every machine.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return static_cast<double>(m_state) / 2147483647.5 - 1.0;
}

void StateVariableFilter::set(double cutoff, double resonance, int rate)
{
    const double g = std::tan(M_PI * std::clamp(cutoff, 10.0, 0.45 * rate) / rate);
    m_k = 1.0 / resonance;
    m_a1 = 1.0 / (1.0 + g * (g + m_k));
    m_a2 = g * m_a1;
    m_a3 = g * m_a2;
}

double StateVariableFilter::process(double input, VoiceSpec::Filter kind)
{
    const double v3 = input - m_ic2;
    const double v1 = m_a1 * m_ic1 + m_a2 * v3;
    const double v2 = m_ic2 + m_a2 * m_ic1 + m_a3 * v3;
    m_ic1 = 2.0 * v1 - m_ic1;
    m_ic2 = 2.0 * v2 - m_ic2;
    switch (kind)
    {
    case VoiceSpec::Filter::LowPass:
        return v2;
    case VoiceSpec::Filter::BandPass:
        return v1;
    case VoiceSpec::Filter::HighPass:
        return input - m_k * v1 - v2;
    case VoiceSpec::Filter::None:
        break;
    }
    return input;
}

double readNumber(Engine::cTextDescription& description, const char* what, double low, double high)
{
    const std::string word = description.readWord();
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !(value >= low && value <= high))
    {
        std::ostringstream reason;
        reason << what << " must be a number from " << low << " to " << high;
        description.fail(reason.str());
    }
    return value;
}

bool readSoundWord(Engine::cTextDescription& description, const std::string& word, Sound& sound, Room& room)
{
    if (word == "rate")
        sound.rate = static_cast<int>(readNumber(description, "the rate", 8000, 48000));
    else if (word == "level")
        sound.level = readNumber(description, "the level", -40, 0);
    else if (word == "reverb")
    {
        room.wet = readNumber(description, "the reverb's share", 0, 1);
        room.seconds = readNumber(description, "the echo time", 0.05, 10);
    }
    else
        return false;
    return true;
}

bool readVoiceWord(Engine::cTextDescription& description, const std::string& word, VoiceSpec& spec)
{
    if (word == "wave")
        spec.wave = waveNamed(description, description.readWord());
    else if (word == "volume")
        spec.volume = readNumber(description, "the volume", 0, 4);
    else if (word == "width")
        spec.pulseWidth = readNumber(description, "the pulse width", 0.05, 0.95);
    else if (word == "partials")
        spec.partials = readPartials(description);
    else if (word == "attack")
        spec.attack = readNumber(description, "the attack", 0, 10);
    else if (word == "settle")
    {
        spec.decay = readNumber(description, "the settling time", 0, 10);
        spec.sustain = readNumber(description, "the sustain level", 0, 1);
    }
    else if (word == "decay")
        spec.fade = readNumber(description, "the decay", 0, 1000);
    else if (word == "release")
        spec.release = readNumber(description, "the release", 0, 10);
    else if (word == "bend")
    {
        spec.bendSemitones = readNumber(description, "the bend", -48, 48);
        spec.bendTime = readNumber(description, "the bend time", 0.001, 10);
    }
    else if (word == "vibrato")
    {
        spec.vibratoRate = readNumber(description, "the vibrato rate", 0, 40);
        spec.vibratoCents = readNumber(description, "the vibrato depth", 0, 1200);
        spec.vibratoDelay = readNumber(description, "the vibrato delay", 0, 10);
    }
    else if (word == "fm")
    {
        spec.fmRatio = readNumber(description, "the modulator ratio", 0, 32);
        spec.fmIndex = readNumber(description, "the modulation index", 0, 50);
        spec.fmFade = readNumber(description, "the modulation decay", 0, 1000);
    }
    else if (word == "unison")
    {
        spec.unison = static_cast<int>(readNumber(description, "the number of copies", 1, 8));
        spec.detuneCents = readNumber(description, "the detuning", 0, 100);
    }
    else if (word == "lowpass" || word == "highpass" || word == "bandpass")
    {
        spec.filter = word == "lowpass"    ? VoiceSpec::Filter::LowPass
                      : word == "highpass" ? VoiceSpec::Filter::HighPass
                                           : VoiceSpec::Filter::BandPass;
        spec.cutoff = readNumber(description, "the cutoff", 10, 20000);
    }
    else if (word == "sweep")
        spec.cutoffTo = readNumber(description, "the cutoff", 10, 20000);
    else if (word == "follow")
        spec.cutoffEnvelope = readNumber(description, "the cutoff's envelope amount", -20000, 20000);
    else if (word == "q")
        spec.resonance = readNumber(description, "the resonance", 0.3, 30);
    else
        return false;
    return true;
}

size_t noteLength(const VoiceSpec& spec, const Note& note, int rate)
{
    const double release = std::max(spec.release, 0.003);
    return static_cast<size_t>(std::ceil((note.held + release) * rate));
}

std::vector<double> renderNote(const VoiceSpec& spec, const Note& note, int rate, Noise& noise)
{
    const size_t count = noteLength(spec, note, rate);
    std::vector<double> out(count, 0.0);
    const double attack = std::max(spec.attack, 0.001);
    const double release = std::max(spec.release, 0.003);
    const int copies = spec.unison;
    std::vector<double> phases(static_cast<size_t>(copies), 0.0);
    std::vector<double> modulators(static_cast<size_t>(copies), 0.0);
    std::vector<double> detune(static_cast<size_t>(copies), 1.0);
    for (int c = 0; c < copies; ++c)
    {
        if (c > 0)
            phases[static_cast<size_t>(c)] = 0.5 + 0.5 * noise.next();
        const double spread = copies > 1 ? 2.0 * c / (copies - 1) - 1.0 : 0.0;
        detune[static_cast<size_t>(c)] = std::pow(2.0, spread * spec.detuneCents / 1200.0);
    }
    const double copyGain = 1.0 / std::sqrt(static_cast<double>(copies));
    const double glide = note.pitchTo / note.pitch;
    const double cutoffTo = spec.cutoffTo > 0.0 ? spec.cutoffTo : spec.cutoff;
    StateVariableFilter filter;
    const bool filtered = spec.filter != VoiceSpec::Filter::None;

    // Exponential falls are stepped by one factor a sample instead of computed afresh.
    const double fadeStep = std::exp(-spec.fade / rate);
    const double settleStep = spec.decay > 0.0 ? std::exp(-1.0 / (spec.decay * rate)) : 1.0;
    const double modulationStep = std::exp(-spec.fmFade / rate);
    double fading = 1.0;
    double settling = 1.0;
    double modulation = spec.fmIndex;
    for (size_t i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double through = note.held > 0.0 ? std::min(1.0, t / note.held) : 1.0;
        double pitch = glide == 1.0 ? note.pitch : note.pitch * std::pow(glide, through);
        if (spec.bendSemitones != 0.0)
            pitch *= std::pow(2.0, spec.bendSemitones / 12.0 * std::exp(-t / spec.bendTime));
        if (spec.vibratoCents > 0.0 && t > spec.vibratoDelay)
        {
            const double depth = std::min(1.0, (t - spec.vibratoDelay) / 0.2) * spec.vibratoCents;
            pitch *=
                std::pow(2.0, depth / 1200.0 * std::sin(kTwoPi * spec.vibratoRate * (t - spec.vibratoDelay)));
        }

        double envelope = std::min(1.0, t / attack);
        if (t > attack)
            settling *= settleStep;
        envelope *= spec.sustain + (1.0 - spec.sustain) * settling;
        envelope *= fading;
        fading *= fadeStep;
        if (t > note.held)
            envelope *= std::max(0.0, 1.0 - (t - note.held) / release);

        double value = 0.0;
        for (size_t c = 0; c < phases.size(); ++c)
        {
            const double copyPitch = pitch * detune[c];
            const double step = copyPitch / rate;
            phases[c] += step;
            if (phases[c] >= 1.0)
                phases[c] -= std::floor(phases[c]);
            double phase = phases[c];
            if (modulation > 0.0)
            {
                modulators[c] += step * spec.fmRatio;
                modulators[c] -= std::floor(modulators[c]);
                phase += modulation / kTwoPi * std::sin(kTwoPi * modulators[c]);
            }
            value += spec.partials.empty() ? oscillator(spec, phase, std::min(step, 0.5), noise)
                                           : partialsAt(spec.partials, phase, copyPitch, rate);
            if (spec.wave == VoiceSpec::Wave::Noise && spec.partials.empty())
                break; // one noise is as good as several
        }
        modulation *= modulationStep;
        value *= copyGain;
        if (filtered)
        {
            if (i % 8 == 0)
            {
                const double cutoff =
                    spec.cutoff * std::pow(cutoffTo / spec.cutoff, through) + spec.cutoffEnvelope * envelope;
                filter.set(cutoff, spec.resonance, rate);
            }
            value = filter.process(value, spec.filter);
        }
        out[i] = value * envelope * note.amplitude * spec.volume;
    }
    return out;
}

} // namespace SoundGen
