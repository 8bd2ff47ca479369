#pragma once

#include "platform/sound/SoundMixer.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Platform
{

// A sound decoded into the form the output plays.
class DecodedSound
{
public:
    virtual ~DecodedSound() = default;
};

// What every mixer shares: reading sample files through the callbacks and checking them, the
// channel ids and their owners, the choice of a channel, groups, volumes and the two kinds of
// pause. A subclass supplies only the output: opening it, decoding, and driving the voices,
// one voice per channel slot 0 .. channels - 1, and slot `channels` for the stream.
//
// A sample is decoded the first time it plays and kept until it is unloaded. A sample that
// cannot be decoded (a file damaged past the head that loading checked), or whose stream cannot
// be played, keeps the reason: every later play fails at once with it, without reading the file
// again.
//
// A channel id is bound to a slot from its start until the slot is given to another sound or
// the sound is stopped; everything asked about an id checks that binding first. A slot is free
// when it has no voice that still plays (finished sounds free their slot by themselves).
class MixerBase : public SoundMixer
{
public:
    ~MixerBase() override;

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
    int getChannelVolume(int channel) override;
    int getChannelGroup(int channel) override;
    const std::string& getLastError() const override { return m_lastError; }

    bool isOpen() const { return m_open; }
    // Whether the sample has been decoded (it has played once).
    bool isDecoded(int sample) const;
    // Whether the sample failed to decode or to stream; it plays no more.
    bool isDamaged(int sample) const;

protected:
    MixerBase() = default;

    // Opens the output with `channels` voices; false with the reason in `error`.
    virtual bool openOutput(const SoundSetup& setup, std::string& error) = 0;
    virtual void closeOutput() = 0;
    // Decodes file bytes that passed the checks; null with the reason in `error`.
    virtual std::unique_ptr<DecodedSound> decode(const std::vector<unsigned char>& bytes,
                                                 std::string& error) = 0;
    // Starts a sound on a voice (replacing whatever it played). False when the output refuses.
    virtual bool startVoice(int slot, DecodedSound& sound, bool loop, bool paused, int volume) = 0;
    // Starts the stream voice (`streamSlot`) on an opened file, replacing what it played. False
    // with the reason in `error` when the file cannot be played.
    virtual bool startStream(int slot, std::unique_ptr<SoundStream> stream, bool loop, bool paused,
                             int volume, std::string& error) = 0;
    // True while the voice plays or waits paused; false once its sound has ended or stopped.
    virtual bool isVoiceBusy(int slot) = 0;
    virtual void pauseVoice(int slot, bool pause) = 0;
    virtual void haltVoice(int slot) = 0;
    virtual void setVoiceVolume(int slot, int volume) = 0;

    // The slot a channel id is still bound to, or -1.
    int slotOf(int channel) const;
    int slotCount() const { return static_cast<int>(m_slots.size()); }
    // The slot of the stream voice, after the channels of the setup.
    int streamSlot() const { return slotCount() - 1; }

private:
    struct Slot
    {
        int channel = 0;
        int sample = 0;
        int group = 0;
        int volume = 0;
        bool pausedByUser = false;
        // When its sound started: the smallest is the oldest.
        uint64_t started = 0;
    };
    struct Sample
    {
        std::string path;
        // Null until the sample first plays.
        std::unique_ptr<DecodedSound> sound;
        // Why the sample cannot be played; empty while it can.
        std::string damage;
        int frequency = 44100;
    };

    // A free slot of the setup's channels, else the oldest of the group, else the oldest of all;
    // -1 without slots.
    int chooseSlot(int group);
    // Reads the whole file, or its first `limit` bytes.
    bool readFile(const char* path, std::vector<unsigned char>& bytes, size_t limit = SIZE_MAX);
    // Decodes the sample unless it is decoded already; false with the reason kept, in the
    // sample too.
    bool decodeSample(Sample& sample);
    // Marks the sample unplayable for the reason of the last failure; -1.
    int damaged(Sample& sample);
    // Binds the slot to a new channel id of the sample and group.
    int bind(int slot, int sample, int group, bool start, int volume);
    // Keep the reason; -1 and false for the two kinds of caller.
    int fail(std::string text);
    bool failed(std::string text);
    void release(int slot);

    bool m_open = false;
    bool m_paused = false;
    SoundFileCallbacks m_callbacks;
    std::vector<Slot> m_slots;
    std::map<int, Sample> m_samples;
    int m_nextSample = 1;
    int m_nextChannel = 1;
    uint64_t m_starts = 0;
    std::string m_lastError;
};

} // namespace Platform
