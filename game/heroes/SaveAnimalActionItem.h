#pragma once
#include "game/heroes/WorkActionItem.h"
class SaveAnimalActionItem final : public WorkActionItem
{
public:
    SaveAnimalActionItem();
    SaveAnimalActionItem(const UnitPtr& hero, const UnitPtr& animal, const UnitPtr& attachUnit);
    // The work record; one without a hero is refused as damaged.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

protected:
    void finish() override;
};
