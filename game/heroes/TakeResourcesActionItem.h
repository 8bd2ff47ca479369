#pragma once

#include "game/heroes/ActionItem.h"
#include "game/world/cGameResources.h"

// The hero takes a set of resources with it (what a plant needs), in the first frame after the
// item started, and carries them.
//
// The record: the header, the hero's number, the resource set's record.
class TakeResourcesActionItem final : public ActionItem
{
public:
    TakeResourcesActionItem();
    TakeResourcesActionItem(const UnitPtr& unit, const cGameResources& resources);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }
    const cGameResources& getResources() const { return m_resources; }

private:
    void finish();

    UnitPtr m_unit;
    cGameResources m_resources;
};
