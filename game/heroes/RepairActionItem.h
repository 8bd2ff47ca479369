#pragma once

#include "game/heroes/WorkActionItem.h"

// A hero repairs a damaged unit: when the work ends the unit's repair yield goes to the
// level's stock, it is no longer damaged and stands idle.
class RepairActionItem final : public WorkActionItem
{
public:
    RepairActionItem();
    RepairActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit);

    void start() override;
    void update() override;

protected:
    void finish() override;
};
