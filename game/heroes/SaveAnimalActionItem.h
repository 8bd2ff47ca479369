#pragma once
#include "game/heroes/WorkActionItem.h"
class SaveAnimalActionItem final : public WorkActionItem
{
public:
    SaveAnimalActionItem();
    SaveAnimalActionItem(const UnitPtr& hero, const UnitPtr& animal, const UnitPtr& attachUnit);
    void start() override;
    void update() override;

protected:
    void finish() override;
};
