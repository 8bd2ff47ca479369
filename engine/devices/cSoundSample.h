#pragma once

#include "engine/core/cResource.h"

#include <string>

namespace Engine
{

// A sound file loaded into the mixer (resource kind `Sound`: "wav" and "ogg" files). Created by
// the resource manager's `getSound`; a channel playing it keeps it loaded.
class cSoundSample : public cResource
{
public:
    // Loads the file through `cSound::loadSample`; throws its "Error loading sound file" text.
    // Without a working sound object the sample is silent (id 0) and loads nothing.
    explicit cSoundSample(const std::string& path);
    ~cSoundSample() override;

    eResourceType getType() const override { return eResourceType::Sound; }
    // The mixer's sample id; 0 for a silent sample.
    int getId() const { return m_id; }

private:
    int m_id = 0;
};

} // namespace Engine
