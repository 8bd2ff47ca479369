#pragma once

#include "platform/sound/MixerBase.h"

struct _Mix_Music;

namespace Platform
{

// The mixer over SDL2_mixer: 16-bit stereo output at the setup's rate, one mixer channel per
// slot, samples decoded into memory when they first play (WAVE and Ogg Vorbis), and the stream
// slot on SDL_mixer's music, which decodes its file as it plays it. SDL's audio subsystem is
// started by `init` and stopped again by `free`; with no usable audio device (or a driver that
// does not exist) `init` fails at once and nothing is left running.
class SdlMixer final : public MixerBase
{
public:
    SdlMixer() = default;
    ~SdlMixer() override;
    SdlMixer(const SdlMixer&) = delete;
    SdlMixer& operator=(const SdlMixer&) = delete;

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
    void freeMusic();

    // SDL_mixer's music (the stream slot's voice); it owns the stream it reads.
    ::_Mix_Music* m_music = nullptr;
};

} // namespace Platform
