#pragma once

#include "game/world/cGameResources.h"

#include <boost/shared_ptr.hpp>

class LevelArchive;
class NameIdTable;

namespace Engine
{
class cProperties;
}

// The rules of one upgrade level of a unit type (a block of "Upgrades" in
// "Units/Units.xml"), or a building's own copy of them from its level file.
class UnitLevelInfo
{
public:
    UnitLevelInfo() = default;
    UnitLevelInfo(const UnitLevelInfo&) = delete;
    UnitLevelInfo& operator=(const UnitLevelInfo&) = delete;
    virtual ~UnitLevelInfo() = default;

    // The saved-level record: FreeCell, the three times, Selection, then the five sets.
    virtual void save(LevelArchive& archive) const;
    // Reads the record back into this block, field by field.
    virtual void load(LevelArchive& archive);

    // "FreeCell", "UpgradeTime", "ProduceTime", "AutoProduceTime", "Selection", then the
    // resource lists (loadResources).
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node);
    void loadXML(const boost::shared_ptr<Engine::cProperties>& node, NameIdTable& resourceNames);
    // "UpgradeTime" and the five resource lists only; a building's own blocks use this alone.
    void loadResources(const boost::shared_ptr<Engine::cProperties>& node);
    void loadResources(const boost::shared_ptr<Engine::cProperties>& node, NameIdTable& resourceNames);

    // Copies the five values and the five resource sets into another block.
    void assign(UnitLevelInfo& target) const;

    // 0 blocks the unit's cells at this level, 1 frees them, any other value leaves them.
    int freeCell = 2;
    float upgradeTime = 0.0f;
    float produceTime = 0.0f;
    float autoProduceTime = 0.0f;
    // 0: no highlight under the pointer; n >= 1: the tooltip's n-th selection style.
    int selection = 0;
    cGameResources upIn;
    cGameResources resIn;
    cGameResources resOut;
    cGameResources autoResOut;
    cGameResources repairRes;
};
