#pragma once

#include "game/world/UnitLevelInfo.h"

#include <boost/shared_ptr.hpp>

#include <vector>

class GameConfig;

namespace Engine
{
class cProperties;
}

// One unit type of "Units/Units.xml". The configuration owns the records; units and level
// code hold shared pointers to them and only read them.
class UnitTypeInfo
{
public:
    // Reads "Attach", "BringTo", "Distance" and "Upgrades" of one entry. Names become ids in
    // the configuration's tables; a type without level blocks gets one default block.
    void loadXML(const boost::shared_ptr<Engine::cProperties>& entry);
    void loadXML(const boost::shared_ptr<Engine::cProperties>& entry, GameConfig& config);

    // The block of an upgrade level, clamped into the list (which is never empty once read),
    // so a level out of range never reads past it.
    const boost::shared_ptr<UnitLevelInfo>& levelInfo(int level) const;
    int levelCount() const { return static_cast<int>(levels.size()); }

    int typeId = -1;
    int categoryId = -1;
    int attachTypeId = -1;
    int bringToTypeId = -1;
    float distance = 0.0f;
    // One block per upgrade level; index = level.
    std::vector<boost::shared_ptr<UnitLevelInfo>> levels;
};
