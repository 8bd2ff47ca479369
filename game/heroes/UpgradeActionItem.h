#pragma once
#include "game/heroes/WorkActionItem.h"
class UpgradeActionItem final : public WorkActionItem
{
public:
    UpgradeActionItem();
    UpgradeActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit);
    void start() override;
    void update() override;
    // The level rises by one. Public: freeing an animal ends its running countdown at once.
    void finish() override;
};
