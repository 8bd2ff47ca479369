#pragma once
#include "game/heroes/WorkActionItem.h"
// The hero frees an animal, which rides with it to the hospital from then on. It keeps the work
// record of a work item but none of the work's own start and end: the hero stays where it
// stands, no bar shows, and the freeing ends in the first frame.
class SaveAnimalActionItem final : public WorkActionItem
{
public:
    SaveAnimalActionItem();
    SaveAnimalActionItem(const UnitPtr& hero, const UnitPtr& animal, const UnitPtr& attachUnit);
    // The work record, read back without a bar; one without a hero is refused as damaged.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

protected:
    void finish() override;
    // Stopped before its frame (the level left, a quake): the hero and its attach unit stand
    // idle where they are; the freeing never moved them, so there is nowhere to put them back.
    void interrupt() override;
};
