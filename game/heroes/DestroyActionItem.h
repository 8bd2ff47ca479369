#pragma once

#include "game/heroes/WorkActionItem.h"

// A hero clears a unit from the level (a barrier, garbage, the flood once its pipe station is
// built): when the work ends the unit counts as done for the level's goals, its cells are
// freed, its resources go to the level's stock and it is destroyed. Without a hero the item
// simply removes the unit after its "UpgradeTime".
class DestroyActionItem final : public WorkActionItem
{
public:
    DestroyActionItem();
    DestroyActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit);

    void start() override;
    void update() override;

protected:
    void finish() override;
};
