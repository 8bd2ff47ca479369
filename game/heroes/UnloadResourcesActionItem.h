#pragma once

#include "game/heroes/ActionItem.h"

// The hero empties its load at home (what it collected went to the level's stock already) and
// stands idle; a goal it still holds moves on.
//
// The record (10 bytes): the header, the hero's number.
class UnloadResourcesActionItem final : public ActionItem
{
public:
    UnloadResourcesActionItem();
    explicit UnloadResourcesActionItem(const UnitPtr& unit);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;
    void returnToBase() override;

    const UnitPtr& getUnit() const { return m_unit; }

private:
    void finish();

    UnitPtr m_unit;
};
