#pragma once

#include <boost/shared_ptr.hpp>

namespace Engine
{

class cSoundSample;

// One playing sound that somebody holds. The sound stops when the last holder lets the channel
// go; the channel keeps its sample loaded until then. The channel id stays bound to this one
// sound: once the sound has ended, the id answers "stopped" and stopping it touches nothing.
class cSoundChannel
{
public:
    // The id of a channel whose sound could not start: it is silent and reads as stopped.
    static constexpr int NoSound = 0;

    // Throws "Error sound channel creating. Error code:" + the id (an engine string, also the
    // last error text) when the id is negative.
    cSoundChannel(int id, const boost::shared_ptr<cSoundSample>& sample);
    // Stops the sound.
    virtual ~cSoundChannel();
    cSoundChannel(const cSoundChannel&) = delete;
    cSoundChannel& operator=(const cSoundChannel&) = delete;

    // Pauses the sound; it stays paused when all sound resumes. Nothing when sound is disabled.
    void pause();

    int getId() const { return m_id; }
    const boost::shared_ptr<cSoundSample>& getSample() const { return m_sample; }
    // 1 sound effects, 2 music; 0 until the sound object sets it.
    int getGroup() const { return m_group; }
    void setGroup(int group) { m_group = group; }
    // 0 stopped (ended, or no sound object), 1 playing, 2 paused.
    int getStatus() const;

private:
    int m_id;
    boost::shared_ptr<cSoundSample> m_sample;
    int m_group = 0;
};

} // namespace Engine
