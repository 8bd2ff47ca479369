#include "engine/devices/cSoundSample.h"

#include "engine/devices/cSound.h"

namespace Engine
{

cSoundSample::cSoundSample(const std::string& path)
{
    if (cSound* sound = cSound::instance())
        m_id = sound->loadSample(path);
}

cSoundSample::~cSoundSample()
{
    if (m_id != 0)
        if (cSound* sound = cSound::instance())
            sound->unloadSample(m_id);
}

} // namespace Engine
