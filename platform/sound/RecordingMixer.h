#pragma once

#include "platform/sound/MixerBase.h"

#include <string>
#include <vector>

namespace Platform
{

// A mixer without any output, for tests: every call that the engine makes is written to a log
// ("init 44100 16 16", "groupVolume 1 50", "play 1 loop=0 group=1 start=1 volume=100",
// "stream 2 loop=1 group=2 start=1 volume=100", "pauseAll 1", ...), and the voices are
// simulated: a sound plays until it is stopped or the test ends it with `finish`. Files are read
// through the callbacks and checked like the real mixer's; anything that passes the checks
// decodes. A stream is opened and kept until its voice stops; nothing reads it.
class RecordingMixer final : public MixerBase
{
public:
    RecordingMixer() = default;
    ~RecordingMixer() override;

    // Makes the next `init` fail as a machine without an audio device does.
    void failInit(bool fail) { m_failInit = fail; }
    // Ends a sound as if it had played to its end (looping sounds too).
    void finish(int channel);
    const std::vector<std::string>& log() const { return m_log; }
    void clearLog() { m_log.clear(); }
    // How many log lines begin with `prefix`.
    int count(const std::string& prefix) const;
    // The stream the stream voice holds; null when it plays none.
    SoundStream* playingStream() const;

    int init(const SoundSetup& setup) override;
    void free() override;
    int setFileCallbacks(const SoundFileCallbacks& callbacks) override;
    void setListenerPreset(int preset) override;
    void setGroupVolume(int group, int volume) override;
    int loadSample(const char* path) override;
    void unloadSample(int sample) override;
    int getSampleFrequency(int sample) override;
    int playSample(int sample, bool loop, int group, bool start, int volume, int frequency, int pan) override;
    int playStream(int sample, bool loop, int group, bool start, int volume) override;
    int getChannelStatus(int channel) override;
    void pauseChannel(int channel, bool pause) override;
    void stopChannel(int channel) override;
    void pauseAll(bool pause) override;
    void stopAll() override;

protected:
    bool openOutput(const SoundSetup& setup, std::string& error) override;
    void closeOutput() override;
    std::unique_ptr<DecodedSound> decode(const std::vector<unsigned char>& bytes,
                                         std::string& error) override;
    bool startVoice(int slot, DecodedSound& sound, bool loop, bool paused, int volume) override;
    bool startStream(int slot, std::unique_ptr<SoundStream> stream, bool loop, bool paused, int volume,
                     std::string& error) override;
    bool isVoiceBusy(int slot) override;
    void pauseVoice(int slot, bool pause) override;
    void haltVoice(int slot) override;
    void setVoiceVolume(int slot, int volume) override;

private:
    struct Voice
    {
        bool busy = false;
        bool paused = false;
        std::unique_ptr<SoundStream> stream;
    };

    void record(std::string line) { m_log.push_back(std::move(line)); }

    bool m_failInit = false;
    std::vector<Voice> m_voices;
    std::vector<std::string> m_log;
};

} // namespace Platform
