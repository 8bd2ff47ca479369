#pragma once

#include "engine/core/cControl.h"
#include "engine/core/cSingleton.h"

#include <boost/shared_ptr.hpp>

#include <list>
#include <map>
#include <memory>
#include <string>

namespace Engine
{
class cSoundChannel;
class cSoundSample;
} // namespace Engine

// The game's table of sounds, read from "GameSounds.xml": each child of the root names a
// sound id ("id") and its file ("path"). Sounds play by id; `playSingle` keeps a cooldown per
// id so that a sound raised by many units at once is heard once; the table also holds the
// one music that plays. It is an invisible, active engine object: the frame's active pass
// runs the cooldowns. It plays through the engine's sound object while there is one; without
// it (sound off, no device, or the engine shut down first) nothing plays.
class cGameSounds : public Engine::cControl, public Engine::cSingleton<cGameSounds>
{
public:
    struct SoundRecord
    {
        float cooldown = 0.0f;
        boost::shared_ptr<Engine::cSoundSample> sample;
    };

    // Reads "GameSounds.xml" through the resource manager, which loads every sample.
    cGameSounds();
    ~cGameSounds() override;

    // The cooldowns.
    void updateActive() override;
    // Throws the narrow string "cGameSounds::loadXML(): duplicated sound id: " and the id.
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node) override;

    // These throw the narrow string "Unknown sound id: " and the id for an id the table lacks.
    boost::shared_ptr<Engine::cSoundSample> getSample(const std::string& id) const;
    void play(const std::string& id);
    // Starts the id's sample as the music unless it plays already (or with `force`).
    void playMusic(const std::string& id, bool force);
    // A looped channel of the effects group or of the music group; the caller owns it and the
    // table keeps nothing.
    boost::shared_ptr<Engine::cSoundChannel> playLooped(const std::string& id);
    boost::shared_ptr<Engine::cSoundChannel> playMusicLooped(const std::string& id);
    // Plays unless the id's cooldown runs, then starts a cooldown of delay plus a random part
    // of `extra`. Throws "cGameSounds::playSingle(): unknown sound id: " and the id.
    void playSingle(const std::string& id, float delay, float extra);
    void startMusic(const boost::shared_ptr<Engine::cSoundSample>& sample, bool force);
    void stopMusic();
    void updateCooldowns();

    bool hasSound(const std::string& id) const { return m_sounds.count(id) != 0; }
    float getCooldown(const std::string& id) const;
    const boost::shared_ptr<Engine::cSoundChannel>& getMusic() const { return m_music; }

private:
    std::map<std::string, std::unique_ptr<SoundRecord>> m_sounds;
    // Records whose cooldown runs, in the order they started; not owning.
    std::list<SoundRecord*> m_cooling;
    boost::shared_ptr<Engine::cSoundChannel> m_music;
};
