#include "platform/sound/SdlMixer.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace Platform
{

namespace
{

class SdlSound final : public DecodedSound
{
public:
    explicit SdlSound(Mix_Chunk* chunk) : m_chunk(chunk) {}
    ~SdlSound() override { Mix_FreeChunk(m_chunk); }
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    Mix_Chunk* chunk() const { return m_chunk; }

private:
    Mix_Chunk* m_chunk;
};

int toMixVolume(int volume)
{
    return volume * MIX_MAX_VOLUME / 100;
}

} // namespace

std::unique_ptr<SoundMixer> createSdlMixer()
{
    return std::make_unique<SdlMixer>();
}

SdlMixer::~SdlMixer()
{
    free();
}

bool SdlMixer::openOutput(const SoundSetup& setup, std::string& error)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        error = SDL_GetError();
        return false;
    }
    // Vorbis may be built into the library, so a failure here is no reason to go silent.
    Mix_Init(MIX_INIT_OGG);
    if (Mix_OpenAudio(setup.sampleRate, AUDIO_S16SYS, 2, 1024) != 0)
    {
        error = Mix_GetError();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(setup.channels);
    Mix_HaltChannel(-1);
    return true;
}

void SdlMixer::closeOutput()
{
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<DecodedSound> SdlMixer::decode(const std::vector<unsigned char>& bytes, std::string& error)
{
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source)
    {
        error = SDL_GetError();
        return nullptr;
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 1);
    if (!chunk)
    {
        error = Mix_GetError();
        return nullptr;
    }
    return std::make_unique<SdlSound>(chunk);
}

bool SdlMixer::startVoice(int slot, DecodedSound& sound, bool loop, bool paused, int volume)
{
    Mix_HaltChannel(slot);
    // Silent until it is paused or given its volume, so a sound that waits is never heard.
    Mix_Volume(slot, 0);
    if (Mix_PlayChannel(slot, static_cast<SdlSound&>(sound).chunk(), loop ? -1 : 0) != slot)
        return false;
    if (paused)
        Mix_Pause(slot);
    else
        Mix_Resume(slot);
    Mix_Volume(slot, toMixVolume(volume));
    return true;
}

bool SdlMixer::isVoiceBusy(int slot)
{
    return Mix_Playing(slot) != 0;
}

void SdlMixer::pauseVoice(int slot, bool pause)
{
    if (pause)
        Mix_Pause(slot);
    else
        Mix_Resume(slot);
}

void SdlMixer::haltVoice(int slot)
{
    Mix_HaltChannel(slot);
}

void SdlMixer::setVoiceVolume(int slot, int volume)
{
    Mix_Volume(slot, toMixVolume(volume));
}

} // namespace Platform
