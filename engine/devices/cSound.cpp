#include "engine/devices/cSound.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cSettings.h"
#include "engine/core/cStream.h"
#include "engine/devices/cMatrix.h"
#include "engine/devices/cSoundChannel.h"
#include "engine/devices/cSoundSample.h"
#include "platform/sound/SoundMixer.h"
#include "platform/system/SystemInfo.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace Engine
{

namespace
{

const wchar_t* const SettingsGroup = L"Sound";
const wchar_t* const MusicKey = L"Music";
const wchar_t* const SoundKey = L"Sound";

// A file of the file system as the mixer streams it: a stream of its own, which only the
// mixer's sound thread reads once it is handed over.
class cMixerStream final : public Platform::SoundStream
{
public:
    explicit cMixerStream(std::unique_ptr<cStream> stream) : m_stream(std::move(stream)) {}

    int64_t size() override { return m_stream->size(); }
    int64_t seek(int64_t offset, int origin) override
    {
        if (offset < INT_MIN || offset > INT_MAX)
            return -1;
        return m_stream->seek(static_cast<int>(offset), origin);
    }
    long read(void* buffer, size_t count) override
    {
        return m_stream->read(buffer, static_cast<unsigned int>(std::min<size_t>(count, INT_MAX)));
    }

private:
    std::unique_ptr<cStream> m_stream;
};

// The real program's trace of a sound that started, with the volume its channel took in the
// mixer: what a listener hears from its first sample on.
void traceStart(const cSoundSample& sample, Platform::SoundMixer& mixer, int channel)
{
    if (channel < 0 || !std::getenv("QUILLMOOR_TRACE"))
        return;
    Platform::debugTrace("Sound " + sample.getPath() + " starts in group " +
                         std::to_string(mixer.getChannelGroup(channel)) + " at volume " +
                         std::to_string(mixer.getChannelVolume(channel)) + "\n");
}

} // namespace

cSound::cSound() : cSound(Platform::createSdlMixer()) {}

cSound::cSound(std::unique_ptr<Platform::SoundMixer> mixer) : m_mixer(std::move(mixer))
{
    Platform::SoundSetup setup;
    setup.sampleRate = 44100;
    setup.bitsPerSample = 16;
    setup.channels = 16;
    if (m_mixer->init(setup) < 0)
    {
        // No audio device: the game goes on silently.
        Platform::debugTrace("Sound is off. " + m_mixer->getLastError() + "\n");
        m_mixer->free();
        m_disabled = true;
        return;
    }
    Platform::SoundFileCallbacks callbacks;
    callbacks.open = &cSound::openFile;
    callbacks.seek = &cSound::seekFile;
    callbacks.read = &cSound::readFile;
    callbacks.close = &cSound::closeFile;
    callbacks.openStream = &cSound::openStream;
    if (m_mixer->setFileCallbacks(callbacks) < 0)
    {
        m_mixer->free();
        throw L"Can't setup squall file callbacks.";
    }
    m_mixer->setListenerPreset(3);
    if (cSettings* settings = cSettings::instance())
    {
        settings->get(SettingsGroup, MusicKey, m_musicVolume);
        settings->get(SettingsGroup, SoundKey, m_soundVolume);
    }
    setMusicVolume(m_musicVolume);
    setSoundVolume(m_soundVolume);
}

cSound::~cSound()
{
    if (!m_disabled)
    {
        if (cSettings* settings = cSettings::instance())
        {
            settings->set(SettingsGroup, MusicKey, m_musicVolume);
            settings->set(SettingsGroup, SoundKey, m_soundVolume);
        }
        m_mixer->stopAll();
        m_mixer->free();
    }
    m_files.clear();
}

int cSound::groupVolumeOf(unsigned volume)
{
    // 0 would be 0 times an overflowing guess (not a number): silence is simply 0.
    if (volume == 0)
        return 0;
    const float x = static_cast<float>(volume) / 100.0f;
    const float scaled = x * fastInvSqrt(x) * 100.0f;
    return scaled >= 100.0f ? 100 : static_cast<int>(scaled);
}

void cSound::setSoundVolume(unsigned volume)
{
    m_soundVolume = std::min(volume, MaxVolume);
    m_soundGroupVolume = groupVolumeOf(m_soundVolume);
    if (!m_disabled)
        m_mixer->setGroupVolume(SoundGroup, m_soundGroupVolume);
}

void cSound::setMusicVolume(unsigned volume)
{
    m_musicVolume = std::min(volume, MaxVolume);
    m_musicGroupVolume = groupVolumeOf(m_musicVolume);
    if (!m_disabled)
        m_mixer->setGroupVolume(MusicGroup, m_musicGroupVolume);
}

int cSound::startSample(const cSoundSample& sample, bool loop, int group, bool start, int volume)
{
    const int id = sample.getId();
    const int channel =
        m_mixer->playSample(id, loop, group, start, volume, m_mixer->getSampleFrequency(id), 50);
    traceStart(sample, *m_mixer, channel);
    return playable(sample, channel);
}

int cSound::playable(const cSoundSample& sample, int channel)
{
    if (channel >= 0)
        return channel;
    // A sound file damaged past what loading checked fails when it first plays. The game goes
    // on without that sound; the mixer remembers the failure, so the file is not read again,
    // and the log hears of it once.
    if (m_unplayable.insert(sample.getId()).second)
    {
        const std::string& reason = m_mixer->getLastError();
        const bool ended = !reason.empty() && reason.back() == '.';
        reportProblem(L"sound", reason + (ended ? " " : ". ") + "The game plays on without this sound.");
    }
    return cSoundChannel::NoSound;
}

boost::shared_ptr<cSoundChannel> cSound::play(const boost::shared_ptr<cSoundSample>& sample, bool loop,
                                              bool start)
{
    if (m_disabled || !sample)
        return boost::shared_ptr<cSoundChannel>();
    const int id = startSample(*sample, loop, SoundGroup, true, m_soundGroupVolume);
    auto channel = boost::make_shared<cSoundChannel>(id, sample);
    if (!start)
        channel->pause();
    channel->setGroup(SoundGroup);
    return channel;
}

void cSound::playSound(const boost::shared_ptr<cSoundSample>& sample)
{
    if (m_disabled || !sample)
        return;
    // Nobody holds the channel: the sound plays to its end.
    startSample(*sample, false, SoundGroup, true, m_soundGroupVolume);
}

boost::shared_ptr<cSoundChannel> cSound::playMusic(const boost::shared_ptr<cSoundSample>& sample, bool loop,
                                                   bool start)
{
    if (m_disabled || !sample)
        return boost::shared_ptr<cSoundChannel>();
    // Music is long: it plays as its file is read instead of being decoded whole.
    const int stream = m_mixer->playStream(sample->getId(), loop, MusicGroup, start, m_musicGroupVolume);
    traceStart(*sample, *m_mixer, stream);
    const int id = playable(*sample, stream);
    auto channel = boost::make_shared<cSoundChannel>(id, sample);
    channel->setGroup(MusicGroup);
    return channel;
}

void cSound::pauseAll(bool pause)
{
    if (pause == m_paused)
        return;
    m_paused = pause;
    if (!m_disabled)
        m_mixer->pauseAll(pause);
}

int cSound::loadSample(const std::string& path)
{
    if (m_disabled)
        return 0;
    const int id = m_mixer->loadSample(path.c_str());
    if (id < 0)
    {
        std::string text = "Error loading sound file \"" + path + "\"";
        getErrorString() = text + "\n" + m_mixer->getLastError();
        throw text;
    }
    return id;
}

void cSound::unloadSample(int sample)
{
    m_unplayable.erase(sample);
    if (!m_disabled)
        m_mixer->unloadSample(sample);
}

int cSound::openFile(const char* name)
{
    cSound* sound = instance();
    cFileSystem* files = cFileSystem::instance();
    if (!sound || !files || !name || !files->isKnown(name))
        return -1;
    std::unique_ptr<cStream> stream = files->openFile(name);
    if (!stream)
        return -1;
    const int handle = ++sound->m_lastHandle;
    sound->m_files[handle] = std::move(stream);
    return handle;
}

std::unique_ptr<Platform::SoundStream> cSound::openStream(const char* name)
{
    cFileSystem* files = cFileSystem::instance();
    if (!files || !name || !files->isKnown(name))
        return nullptr;
    std::unique_ptr<cStream> stream = files->openFile(name);
    if (!stream)
        return nullptr;
    return std::make_unique<cMixerStream>(std::move(stream));
}

cStream& cSound::stream(int handle)
{
    const auto it = m_files.find(handle);
    if (it == m_files.end())
        throw L"Invalid handle.";
    return *it->second;
}

int cSound::seekFile(int handle, int offset, int origin)
{
    cSound* sound = instance();
    if (!sound)
        throw L"Invalid handle.";
    cStream& file = sound->stream(handle);
    if (offset == 0 && origin == SeekEnd)
        return static_cast<int>(file.size());
    return 0;
}

int cSound::readFile(int handle, void* buffer, int size)
{
    cSound* sound = instance();
    if (!sound)
        throw L"Invalid handle.";
    cStream& file = sound->stream(handle);
    return size <= 0 ? 0 : file.read(buffer, static_cast<unsigned int>(size));
}

void cSound::closeFile(int handle)
{
    cSound* sound = instance();
    if (!sound)
        throw L"Invalid handle.";
    sound->stream(handle);
    sound->m_files.erase(handle);
}

} // namespace Engine
