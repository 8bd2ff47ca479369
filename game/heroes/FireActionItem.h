#pragma once

#include "game/heroes/WorkActionItem.h"

// A hero puts out a burning unit with its tool (which it must carry): once the
// tool has prepared, the flames shrink to nothing over the fire's "UpgradeTime"
// while the bar fills. At the end the fire's yield is given, the unit no longer
// burns and stands idle, or damaged when it was damaged before.
//
// The record is the work record.
class FireActionItem final : public WorkActionItem
{
public:
    FireActionItem();
    FireActionItem(const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit);

    // Throws "FireActionItem::start(): there is no attach for extinguish fire"
    // without a tool.
    void start() override;
    void update() override;

protected:
    void finish() override;
};
