#include "platform/sound/RecordingMixer.h"

namespace Platform
{

namespace
{

std::string flag(bool value)
{
    return value ? "1" : "0";
}

} // namespace

RecordingMixer::~RecordingMixer()
{
    MixerBase::free();
}

void RecordingMixer::finish(int channel)
{
    const int slot = slotOf(channel);
    if (slot >= 0)
        m_voices[static_cast<size_t>(slot)] = Voice();
}

int RecordingMixer::count(const std::string& prefix) const
{
    int n = 0;
    for (const std::string& line : m_log)
        if (line.compare(0, prefix.size(), prefix) == 0)
            ++n;
    return n;
}

int RecordingMixer::init(const SoundSetup& setup)
{
    record("init " + std::to_string(setup.sampleRate) + " " + std::to_string(setup.bitsPerSample) + " " +
           std::to_string(setup.channels));
    return MixerBase::init(setup);
}

void RecordingMixer::free()
{
    record("free");
    MixerBase::free();
}

int RecordingMixer::setFileCallbacks(const SoundFileCallbacks& callbacks)
{
    record("fileCallbacks");
    return MixerBase::setFileCallbacks(callbacks);
}

void RecordingMixer::setListenerPreset(int preset)
{
    record("preset " + std::to_string(preset));
    MixerBase::setListenerPreset(preset);
}

void RecordingMixer::setGroupVolume(int group, int volume)
{
    record("groupVolume " + std::to_string(group) + " " + std::to_string(volume));
    MixerBase::setGroupVolume(group, volume);
}

int RecordingMixer::loadSample(const char* path)
{
    record(std::string("load ") + (path ? path : ""));
    return MixerBase::loadSample(path);
}

void RecordingMixer::unloadSample(int sample)
{
    record("unload " + std::to_string(sample));
    MixerBase::unloadSample(sample);
}

int RecordingMixer::getSampleFrequency(int sample)
{
    record("frequency " + std::to_string(sample));
    return MixerBase::getSampleFrequency(sample);
}

int RecordingMixer::playSample(int sample, bool loop, int group, bool start, int volume, int frequency,
                               int pan)
{
    record("play " + std::to_string(sample) + " loop=" + flag(loop) + " group=" + std::to_string(group) +
           " start=" + flag(start) + " volume=" + std::to_string(volume) +
           " frequency=" + std::to_string(frequency) + " pan=" + std::to_string(pan));
    return MixerBase::playSample(sample, loop, group, start, volume, frequency, pan);
}

int RecordingMixer::playStream(int sample, bool loop, int group, bool start, int volume)
{
    record("stream " + std::to_string(sample) + " loop=" + flag(loop) + " group=" + std::to_string(group) +
           " start=" + flag(start) + " volume=" + std::to_string(volume));
    return MixerBase::playStream(sample, loop, group, start, volume);
}

int RecordingMixer::getChannelStatus(int channel)
{
    record("status " + std::to_string(channel));
    return MixerBase::getChannelStatus(channel);
}

void RecordingMixer::pauseChannel(int channel, bool pause)
{
    record("pauseChannel " + std::to_string(channel) + " " + flag(pause));
    MixerBase::pauseChannel(channel, pause);
}

void RecordingMixer::stopChannel(int channel)
{
    record("stopChannel " + std::to_string(channel));
    MixerBase::stopChannel(channel);
}

void RecordingMixer::pauseAll(bool pause)
{
    record("pauseAll " + flag(pause));
    MixerBase::pauseAll(pause);
}

void RecordingMixer::stopAll()
{
    record("stopAll");
    MixerBase::stopAll();
}

bool RecordingMixer::openOutput(const SoundSetup& setup, std::string& error)
{
    if (m_failInit)
    {
        error = "no audio device (recording mixer told to fail)";
        return false;
    }
    // The setup's channels and the stream's.
    m_voices.clear();
    m_voices.resize(static_cast<size_t>(setup.channels) + 1);
    return true;
}

void RecordingMixer::closeOutput()
{
    m_voices.clear();
}

std::unique_ptr<DecodedSound> RecordingMixer::decode(const std::vector<unsigned char>&, std::string&)
{
    return std::make_unique<DecodedSound>();
}

bool RecordingMixer::startVoice(int slot, DecodedSound&, bool, bool paused, int)
{
    m_voices[static_cast<size_t>(slot)] = Voice{true, paused, nullptr};
    return true;
}

bool RecordingMixer::startStream(int slot, std::unique_ptr<SoundStream> stream, bool, bool paused, int,
                                 std::string&)
{
    m_voices[static_cast<size_t>(slot)] = Voice{true, paused, std::move(stream)};
    return true;
}

SoundStream* RecordingMixer::playingStream() const
{
    return m_voices.empty() ? nullptr : m_voices.back().stream.get();
}

bool RecordingMixer::isVoiceBusy(int slot)
{
    return m_voices[static_cast<size_t>(slot)].busy;
}

void RecordingMixer::pauseVoice(int slot, bool pause)
{
    m_voices[static_cast<size_t>(slot)].paused = pause;
}

void RecordingMixer::haltVoice(int slot)
{
    m_voices[static_cast<size_t>(slot)] = Voice();
}

void RecordingMixer::setVoiceVolume(int, int) {}

} // namespace Platform
