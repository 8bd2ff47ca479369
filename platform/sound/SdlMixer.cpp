#include "platform/sound/SdlMixer.h"

#include "platform/system/SdlLibrary.h"

#include <exception>

namespace Platform
{

namespace
{

class SdlSound final : public DecodedSound
{
public:
    explicit SdlSound(Mix_Chunk* chunk) : m_chunk(chunk) {}
    ~SdlSound() override { sdlMixer().Mix_FreeChunk(m_chunk); }
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

SoundStream& streamOf(SDL_RWops* context)
{
    return *static_cast<SoundStream*>(context->hidden.unknown.data1);
}

// SDL's reading interface over a stream; closing it deletes the stream.
SDL_RWops* makeReader(std::unique_ptr<SoundStream> stream)
{
    SDL_RWops* reader = sdl().SDL_AllocRW();
    if (!reader)
        return nullptr;
    reader->type = SDL_RWOPS_UNKNOWN;
    reader->hidden.unknown.data1 = stream.release();
    reader->size = [](SDL_RWops* context) -> Sint64 { return streamOf(context).size(); };
    reader->seek = [](SDL_RWops* context, Sint64 offset, int whence) -> Sint64
    { return streamOf(context).seek(offset, whence); };
    reader->read = [](SDL_RWops* context, void* buffer, size_t size, size_t count) -> size_t
    {
        if (size == 0 || count == 0)
            return 0;
        SoundStream& source = streamOf(context);
        const size_t wanted = size * count;
        size_t done = 0;
        while (done < wanted)
        {
            const long got = source.read(static_cast<char*>(buffer) + done, wanted - done);
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        // Only whole objects count as read; the bytes of a part of one are read again.
        if (done % size != 0)
            source.seek(-static_cast<int64_t>(done % size), RW_SEEK_CUR);
        return done / size;
    };
    reader->write = [](SDL_RWops*, const void*, size_t, size_t) -> size_t { return 0; };
    reader->close = [](SDL_RWops* context) -> int
    {
        delete &streamOf(context);
        sdl().SDL_FreeRW(context);
        return 0;
    };
    return reader;
}

// Opens SDL_mixer on first use; false with the loader's words when it cannot.
bool mixerLoaded(std::string& error)
{
    try
    {
        sdlMixer();
        return true;
    }
    catch (const std::exception& failure)
    {
        error = failure.what();
        return false;
    }
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
    if (!mixerLoaded(error))
        return false;
    if (sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        error = sdl().SDL_GetError();
        return false;
    }
    // Vorbis may be built into the library, so a failure here is no reason to go silent.
    sdlMixer().Mix_Init(MIX_INIT_OGG);
    if (sdlMixer().Mix_OpenAudio(setup.sampleRate, AUDIO_S16SYS, 2, 1024) != 0)
    {
        error = sdl().SDL_GetError();
        sdlMixer().Mix_Quit();
        sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    sdlMixer().Mix_AllocateChannels(setup.channels);
    sdlMixer().Mix_HaltChannel(-1);
    return true;
}

void SdlMixer::closeOutput()
{
    freeMusic();
    sdlMixer().Mix_HaltChannel(-1);
    sdlMixer().Mix_CloseAudio();
    sdlMixer().Mix_Quit();
    sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<DecodedSound> SdlMixer::decode(const std::vector<unsigned char>& bytes, std::string& error)
{
    if (!mixerLoaded(error))
        return nullptr;
    SDL_RWops* source = sdl().SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source)
    {
        error = sdl().SDL_GetError();
        return nullptr;
    }
    Mix_Chunk* chunk = sdlMixer().Mix_LoadWAV_RW(source, 1);
    if (!chunk)
    {
        error = sdl().SDL_GetError();
        return nullptr;
    }
    return std::make_unique<SdlSound>(chunk);
}

bool SdlMixer::startVoice(int slot, DecodedSound& sound, bool loop, bool paused, int volume)
{
    sdlMixer().Mix_HaltChannel(slot);
    // Silent until it is paused or given its volume, so a sound that waits is never heard.
    sdlMixer().Mix_Volume(slot, 0);
    if (sdlMixer().Mix_PlayChannel(slot, static_cast<SdlSound&>(sound).chunk(), loop ? -1 : 0) != slot)
        return false;
    if (paused)
        sdlMixer().Mix_Pause(slot);
    else
        sdlMixer().Mix_Resume(slot);
    sdlMixer().Mix_Volume(slot, toMixVolume(volume));
    return true;
}

bool SdlMixer::startStream(int slot, std::unique_ptr<SoundStream> stream, bool loop, bool paused, int volume,
                           std::string& error)
{
    haltVoice(slot);
    SDL_RWops* reader = makeReader(std::move(stream));
    if (!reader)
    {
        error = sdl().SDL_GetError();
        return false;
    }
    // The music closes its reader when it is freed (or at once when it cannot be made).
    m_music = sdlMixer().Mix_LoadMUS_RW(reader, 1);
    if (!m_music)
    {
        error = sdl().SDL_GetError();
        return false;
    }
    // Silent until it is paused or given its volume, so music that waits is never heard.
    sdlMixer().Mix_VolumeMusic(0);
    if (sdlMixer().Mix_PlayMusic(m_music, loop ? -1 : 1) != 0)
    {
        error = sdl().SDL_GetError();
        freeMusic();
        return false;
    }
    if (paused)
        sdlMixer().Mix_PauseMusic();
    sdlMixer().Mix_VolumeMusic(toMixVolume(volume));
    return true;
}

void SdlMixer::freeMusic()
{
    if (!m_music)
        return;
    sdlMixer().Mix_HaltMusic();
    sdlMixer().Mix_FreeMusic(m_music);
    m_music = nullptr;
}

bool SdlMixer::isVoiceBusy(int slot)
{
    if (slot == streamSlot())
        return m_music && sdlMixer().Mix_PlayingMusic() != 0;
    return sdlMixer().Mix_Playing(slot) != 0;
}

void SdlMixer::pauseVoice(int slot, bool pause)
{
    if (slot == streamSlot())
    {
        if (!m_music)
            return;
        if (pause)
            sdlMixer().Mix_PauseMusic();
        else
            sdlMixer().Mix_ResumeMusic();
        return;
    }
    if (pause)
        sdlMixer().Mix_Pause(slot);
    else
        sdlMixer().Mix_Resume(slot);
}

void SdlMixer::haltVoice(int slot)
{
    if (slot == streamSlot())
        freeMusic();
    else
        sdlMixer().Mix_HaltChannel(slot);
}

void SdlMixer::setVoiceVolume(int slot, int volume)
{
    if (slot == streamSlot())
        sdlMixer().Mix_VolumeMusic(toMixVolume(volume));
    else
        sdlMixer().Mix_Volume(slot, toMixVolume(volume));
}

} // namespace Platform
