#include "engine/devices/cSoundChannel.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"
#include "engine/devices/cSound.h"
#include "engine/devices/cSoundSample.h"
#include "platform/sound/SoundMixer.h"

namespace Engine
{

cSoundChannel::cSoundChannel(int id, const boost::shared_ptr<cSoundSample>& sample)
    : m_id(id), m_sample(sample)
{
    if (id < 0)
    {
        getErrorString() = "Error sound channel creating. Error code:" + std::to_string(id);
        throw cString<std::string>(getErrorString());
    }
}

cSoundChannel::~cSoundChannel()
{
    if (cSound* sound = cSound::instance())
        if (Platform::SoundMixer* mixer = sound->getMixer())
            mixer->stopChannel(m_id);
}

void cSoundChannel::pause()
{
    cSound* sound = cSound::instance();
    Platform::SoundMixer* mixer = sound ? sound->getMixer() : nullptr;
    if (!mixer)
        return;
    // While all sound is paused every channel reads as paused; this one must still be marked,
    // or it would start again when all sound resumes.
    if (mixer->getChannelStatus(m_id) == Platform::ChannelPaused && !sound->isPaused())
        return;
    mixer->pauseChannel(m_id, true);
}

int cSoundChannel::getStatus() const
{
    const cSound* sound = cSound::instance();
    Platform::SoundMixer* mixer = sound ? sound->getMixer() : nullptr;
    return mixer ? mixer->getChannelStatus(m_id) : Platform::ChannelStopped;
}

} // namespace Engine
