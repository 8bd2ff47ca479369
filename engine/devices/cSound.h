#pragma once

#include "engine/core/cSingleton.h"

#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace Platform
{
class SoundMixer;
class SoundStream;
} // namespace Platform

namespace Engine
{

class cSoundChannel;
class cSoundSample;
class cStream;

// Sound effects and music. Samples are read through the engine's file system (the mixer calls
// the file callbacks below); sounds play in two channel groups, 1 for effects and 2 for music,
// each at a volume the player sets from 0 to 100 (kept in the settings "Sound"/"Sound" and
// "Sound"/"Music"). Loading a sample only checks its file; an effect is decoded the first time
// it plays, and music is streamed from its file while it plays, never decoded whole.
//
// A sound that cannot be played (its file damaged past what loading checks) is written once to
// the log "sound", naming its file; its channels are silent ones that read as stopped, and the
// game plays on without it.
//
// A sound object whose mixer cannot be opened (no audio device) is disabled from the start:
// it loads and plays nothing, quietly, and the game runs silently.
//
// While the environment variable QUILLMOOR_TRACE is set, every sound that starts is written to
// the standard error stream as "Sound <path> starts in group <group> at volume <volume>", with
// the volume the mixer gave its channel.
class cSound : public cSingleton<cSound>
{
public:
    static constexpr int SoundGroup = 1;
    static constexpr int MusicGroup = 2;
    // The loudest volume the player can set.
    static constexpr unsigned MaxVolume = 100;

    // Over SDL2_mixer.
    cSound();
    // Over any mixer (tests pass a recording one). Throws the wide C string "Can't setup squall
    // file callbacks." when the mixer refuses the file callbacks.
    explicit cSound(std::unique_ptr<Platform::SoundMixer> mixer);
    // Writes both volumes back to the settings, stops every sound and closes the mixer.
    virtual ~cSound();

    // A channel of the effects group playing the sample; paused at once when `start` is false.
    // Null when disabled or without a sample.
    virtual boost::shared_ptr<cSoundChannel> play(const boost::shared_ptr<cSoundSample>& sample, bool loop,
                                                  bool start);
    // Plays the sample once in the effects group, nobody holding its channel.
    virtual void playSound(const boost::shared_ptr<cSoundSample>& sample);
    // A channel of the music group, streaming the sample's file; null when disabled or without
    // a sample.
    virtual boost::shared_ptr<cSoundChannel> playMusic(const boost::shared_ptr<cSoundSample>& sample,
                                                       bool loop, bool start);
    virtual bool isDisabled() const { return m_disabled; }
    virtual unsigned getSoundVolume() const { return m_soundVolume; }
    // A volume above `MaxVolume` (from a hand-edited file) is taken as `MaxVolume`, and so kept.
    virtual void setSoundVolume(unsigned volume);
    virtual unsigned getMusicVolume() const { return m_musicVolume; }
    virtual void setMusicVolume(unsigned volume);
    virtual bool isPaused() const { return m_paused; }
    // Pauses (true) or resumes (false) every sound; nothing when the state is already so.
    virtual void pauseAll(bool pause);

    // The mixer's id for the sample file at `path`; 0 when disabled. Throws the narrow string
    // "Error loading sound file \"<path>\"" when the file is missing or holds no sound.
    int loadSample(const std::string& path);
    void unloadSample(int sample);

    // The volume handed to the mixer for a setting of 0 to 100: about 100 times the square root
    // of the setting's share of 100, and 0 for 0.
    static int groupVolumeOf(unsigned volume);
    int getSoundGroupVolume() const { return m_soundGroupVolume; }
    int getMusicGroupVolume() const { return m_musicGroupVolume; }
    // Null when disabled.
    Platform::SoundMixer* getMixer() const { return m_disabled ? nullptr : m_mixer.get(); }

    // The file callbacks: plain functions that reach the sound object through its instance.
    // Handles start at 2 and are never reused; a handle that is not open throws the wide C
    // string "Invalid handle.". A seek answers the file's size for (0, origin 2), else 0, and
    // never moves the stream.
    static int openFile(const char* name);
    static int seekFile(int handle, int offset, int origin);
    static int readFile(int handle, void* buffer, int size);
    static void closeFile(int handle);
    // The mixer's stream callback: a stream of the named file of its own, or null.
    static std::unique_ptr<Platform::SoundStream> openStream(const char* name);

private:
    cStream& stream(int handle);
    // The mixer's channel id for the sample; `cSoundChannel::NoSound` when it cannot play.
    int startSample(const cSoundSample& sample, bool loop, int group, bool start, int volume);
    // The channel id the mixer gave, or `cSoundChannel::NoSound` for a failure, which is logged
    // the first time the sample fails.
    int playable(const cSoundSample& sample, int channel);

    bool m_paused = false;
    std::map<int, std::unique_ptr<cStream>> m_files;
    unsigned m_musicVolume = 100;
    unsigned m_soundVolume = 100;
    int m_musicGroupVolume = 100;
    int m_soundGroupVolume = 100;
    bool m_disabled = false;
    int m_lastHandle = 1;
    std::unique_ptr<Platform::SoundMixer> m_mixer;
    // The samples whose failure to play has been logged.
    std::set<int> m_unplayable;
};

} // namespace Engine
