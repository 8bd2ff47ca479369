#include "platform/sound/MixerBase.h"

#include "platform/sound/SoundFileInfo.h"

#include <algorithm>

namespace Platform
{

namespace
{

int clampVolume(int volume)
{
    return std::clamp(volume, 0, 100);
}

// Closes a handle of the file callbacks however the reading ends.
class OpenFile
{
public:
    OpenFile(const SoundFileCallbacks& callbacks, int handle) : m_callbacks(callbacks), m_handle(handle) {}
    ~OpenFile()
    {
        if (m_open)
        {
            // Only reached while another failure is on its way out: that one is reported.
            try
            {
                m_callbacks.close(m_handle);
            }
            catch (...)
            {
            }
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    void close()
    {
        m_open = false;
        m_callbacks.close(m_handle);
    }

private:
    const SoundFileCallbacks& m_callbacks;
    int m_handle;
    bool m_open = true;
};

} // namespace

MixerBase::~MixerBase() = default;

int MixerBase::init(const SoundSetup& setup)
{
    if (m_open)
        return 0;
    if (setup.channels < 1)
        return fail("A mixer needs at least one channel.");
    std::string error;
    if (!openOutput(setup, error))
        return fail("No sound output: " + error);
    m_open = true;
    m_paused = false;
    // The setup's channels and the stream's.
    m_slots.assign(static_cast<size_t>(setup.channels) + 1, Slot());
    return 0;
}

void MixerBase::free()
{
    if (!m_open)
        return;
    stopAll();
    m_samples.clear();
    m_slots.clear();
    closeOutput();
    m_open = false;
}

int MixerBase::setFileCallbacks(const SoundFileCallbacks& callbacks)
{
    if (!callbacks.open || !callbacks.seek || !callbacks.read || !callbacks.close)
        return fail("Every file callback is needed.");
    m_callbacks = callbacks;
    return 0;
}

void MixerBase::setListenerPreset(int) {}

void MixerBase::setGroupVolume(int group, int volume)
{
    volume = clampVolume(volume);
    for (int slot = 0; slot < slotCount(); ++slot)
    {
        Slot& s = m_slots[static_cast<size_t>(slot)];
        if (s.channel != 0 && s.group == group && isVoiceBusy(slot))
        {
            s.volume = volume;
            setVoiceVolume(slot, volume);
        }
    }
}

int MixerBase::fail(std::string text)
{
    m_lastError = std::move(text);
    return -1;
}

bool MixerBase::failed(std::string text)
{
    m_lastError = std::move(text);
    return false;
}

bool MixerBase::readFile(const char* path, std::vector<unsigned char>& bytes, size_t limit)
{
    const std::string name = path ? path : "";
    if (!m_callbacks.open)
        return failed("\"" + name + "\": no file callbacks are set.");
    const int handle = m_callbacks.open(name.c_str());
    if (handle < 0)
        return failed("\"" + name + "\" cannot be opened.");
    OpenFile file(m_callbacks, handle);
    const int size = m_callbacks.seek(handle, 0, 2);
    if (size < 0)
        return failed("\"" + name + "\": its size cannot be read.");
    bytes.resize(std::min(static_cast<size_t>(size), limit));
    size_t got = 0;
    while (got < bytes.size())
    {
        const int n = m_callbacks.read(handle, bytes.data() + got, static_cast<int>(bytes.size() - got));
        if (n <= 0)
            break;
        got += static_cast<size_t>(std::min<int>(n, static_cast<int>(bytes.size() - got)));
    }
    file.close();
    if (got != bytes.size())
        return failed("\"" + name + "\" ends before its stated size.");
    return true;
}

int MixerBase::loadSample(const char* path)
{
    if (!m_open)
        return fail("The mixer is not open.");
    // The head of a file tells what it holds: the format and data sections of a WAVE file, the
    // first page of an Ogg stream.
    constexpr size_t HeadSize = 4096;
    std::vector<unsigned char> bytes;
    if (!readFile(path, bytes, HeadSize))
        return -1;
    SoundFileInfo info;
    std::string error;
    const std::string name = path ? path : "";
    if (!inspectSoundFile(bytes.data(), bytes.size(), info, error))
        return fail("\"" + name + "\" is not a sound file: it is " + error + ".");
    const int id = m_nextSample++;
    m_samples[id] = Sample{name, nullptr, std::string(), info.frequency};
    return id;
}

bool MixerBase::decodeSample(Sample& sample)
{
    if (sample.sound)
        return true;
    if (!sample.damage.empty())
        return failed(sample.damage);
    std::vector<unsigned char> bytes;
    if (!readFile(sample.path.c_str(), bytes))
    {
        sample.damage = m_lastError;
        return false;
    }
    std::string error;
    sample.sound = decode(bytes, error);
    if (!sample.sound)
    {
        sample.damage = "\"" + sample.path + "\" cannot be decoded: " + error;
        return failed(sample.damage);
    }
    return true;
}

int MixerBase::damaged(Sample& sample)
{
    sample.damage = m_lastError;
    return -1;
}

bool MixerBase::isDecoded(int sample) const
{
    const auto it = m_samples.find(sample);
    return it != m_samples.end() && it->second.sound != nullptr;
}

bool MixerBase::isDamaged(int sample) const
{
    const auto it = m_samples.find(sample);
    return it != m_samples.end() && !it->second.damage.empty();
}

void MixerBase::unloadSample(int sample)
{
    const auto it = m_samples.find(sample);
    if (it == m_samples.end())
        return;
    for (int slot = 0; slot < slotCount(); ++slot)
        if (m_slots[static_cast<size_t>(slot)].channel != 0 &&
            m_slots[static_cast<size_t>(slot)].sample == sample)
            release(slot);
    m_samples.erase(it);
}

int MixerBase::getSampleFrequency(int sample)
{
    const auto it = m_samples.find(sample);
    return it == m_samples.end() ? 44100 : it->second.frequency;
}

int MixerBase::chooseSlot(int group)
{
    int oldestOfGroup = -1;
    int oldest = -1;
    for (int slot = 0; slot < streamSlot(); ++slot)
    {
        const Slot& s = m_slots[static_cast<size_t>(slot)];
        if (s.channel == 0 || !isVoiceBusy(slot))
            return slot;
        if (oldest < 0 || s.started < m_slots[static_cast<size_t>(oldest)].started)
            oldest = slot;
        if (s.group == group &&
            (oldestOfGroup < 0 || s.started < m_slots[static_cast<size_t>(oldestOfGroup)].started))
            oldestOfGroup = slot;
    }
    return oldestOfGroup >= 0 ? oldestOfGroup : oldest;
}

int MixerBase::playSample(int sample, bool loop, int group, bool start, int volume, int, int)
{
    if (!m_open)
        return fail("The mixer is not open.");
    const auto it = m_samples.find(sample);
    if (it == m_samples.end())
        return fail("Sample " + std::to_string(sample) + " is not loaded.");
    if (!decodeSample(it->second))
        return -1;
    const int slot = chooseSlot(group);
    if (slot < 0)
        return fail("The mixer has no channels.");
    release(slot);
    volume = clampVolume(volume);
    // While everything is paused a new sound waits too, and starts when everything resumes.
    if (!startVoice(slot, *it->second.sound, loop, !start || m_paused, volume))
        return fail("The output refused to play sample " + std::to_string(sample) + ".");
    return bind(slot, sample, group, start, volume);
}

int MixerBase::playStream(int sample, bool loop, int group, bool start, int volume)
{
    if (!m_open)
        return fail("The mixer is not open.");
    const auto it = m_samples.find(sample);
    if (it == m_samples.end())
        return fail("Sample " + std::to_string(sample) + " is not loaded.");
    if (!m_callbacks.openStream)
        return playSample(sample, loop, group, start, volume, it->second.frequency, 50);
    Sample& played = it->second;
    if (!played.damage.empty())
        return fail(played.damage);
    const std::string& path = played.path;
    std::unique_ptr<SoundStream> stream = m_callbacks.openStream(path.c_str());
    if (!stream)
    {
        fail("\"" + path + "\" cannot be opened.");
        return damaged(played);
    }
    const int slot = streamSlot();
    release(slot);
    volume = clampVolume(volume);
    std::string error;
    if (!startStream(slot, std::move(stream), loop, !start || m_paused, volume, error))
    {
        fail("\"" + path + "\" cannot be played: " + error);
        return damaged(played);
    }
    return bind(slot, sample, group, start, volume);
}

int MixerBase::bind(int slot, int sample, int group, bool start, int volume)
{
    Slot& s = m_slots[static_cast<size_t>(slot)];
    s.channel = m_nextChannel++;
    s.sample = sample;
    s.group = group;
    s.volume = volume;
    s.pausedByUser = !start;
    s.started = ++m_starts;
    return s.channel;
}

int MixerBase::slotOf(int channel) const
{
    if (channel <= 0)
        return -1;
    for (size_t slot = 0; slot < m_slots.size(); ++slot)
        if (m_slots[slot].channel == channel)
            return static_cast<int>(slot);
    return -1;
}

int MixerBase::getChannelStatus(int channel)
{
    const int slot = slotOf(channel);
    if (slot < 0 || !isVoiceBusy(slot))
        return ChannelStopped;
    return m_paused || m_slots[static_cast<size_t>(slot)].pausedByUser ? ChannelPaused : ChannelPlaying;
}

void MixerBase::pauseChannel(int channel, bool pause)
{
    const int slot = slotOf(channel);
    if (slot < 0)
        return;
    m_slots[static_cast<size_t>(slot)].pausedByUser = pause;
    if (pause || !m_paused)
        pauseVoice(slot, pause);
}

void MixerBase::release(int slot)
{
    Slot& s = m_slots[static_cast<size_t>(slot)];
    if (s.channel != 0)
        haltVoice(slot);
    s = Slot();
}

void MixerBase::stopChannel(int channel)
{
    const int slot = slotOf(channel);
    if (slot >= 0)
        release(slot);
}

void MixerBase::pauseAll(bool pause)
{
    m_paused = pause;
    for (int slot = 0; slot < slotCount(); ++slot)
    {
        const Slot& s = m_slots[static_cast<size_t>(slot)];
        if (s.channel != 0 && !s.pausedByUser && isVoiceBusy(slot))
            pauseVoice(slot, pause);
    }
}

void MixerBase::stopAll()
{
    for (int slot = 0; slot < slotCount(); ++slot)
        release(slot);
}

int MixerBase::getChannelVolume(int channel)
{
    const int slot = slotOf(channel);
    return slot < 0 ? -1 : m_slots[static_cast<size_t>(slot)].volume;
}

int MixerBase::getChannelGroup(int channel)
{
    const int slot = slotOf(channel);
    return slot < 0 ? -1 : m_slots[static_cast<size_t>(slot)].group;
}

} // namespace Platform
