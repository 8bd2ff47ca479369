#include "game/screens/PlayerValueRanges.h"

#include "engine/core/cProps.h"
#include "engine/devices/cSound.h"
#include "game/screens/cMap.h"
#include "game/screens/cMapNodeButton.h"
#include "game/screens/selectNextLevel.h"

#include <limits>

void declarePlayerValueRanges()
{
    using Engine::cProps;
    cProps::setNumberedRange<int>(L"Level", cMapNodeButton::Gold, cMapNodeButton::NoMedal);
    const int loudest = static_cast<int>(Engine::cSound::MaxVolume);
    cProps::setRange<int>(L"MusicVolume", 0, loudest);
    cProps::setRange<int>(L"SoundVolume", 0, loudest);
    cProps::setRange<int>(L"CurrentMap", 0, cMap::PageCount - 1);
    cProps::setRange<int>(L"CurrentSelectedLevel", 0, kMapLevelLimit - 1);
    cProps::setRange<int>(L"CurrentLevel", 0, std::numeric_limits<int>::max());
    cProps::setRange<int>(L"LevelCompleteCount", 0, kMapLevelLimit);
    cProps::setRange<int>(L"LevelGoldCompleteCount", 0, kMapLevelLimit);
}
