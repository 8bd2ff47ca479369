#include "game/screens/PlayerVolumes.h"

#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/devices/cSound.h"

#include <algorithm>

namespace
{

constexpr unsigned DefaultVolume = 50;

} // namespace

void applyPlayerVolumes()
{
    if (!Engine::cProfileManager::instance())
        return;
    Engine::cSound* sound = Engine::cSound::instance();
    if (!sound)
        return;
    bool saved = false;
    if (Engine::cProps::getIfPresent<bool>(L"SaveSettings", saved) && saved)
    {
        const int music = Engine::cProps::get<int>(L"MusicVolume");
        const int effects = Engine::cProps::get<int>(L"SoundVolume");
        sound->setMusicVolume(static_cast<unsigned>(std::max(music, 0)));
        sound->setSoundVolume(static_cast<unsigned>(std::max(effects, 0)));
        return;
    }
    sound->setMusicVolume(DefaultVolume);
    sound->setSoundVolume(DefaultVolume);
}
