#pragma once

#include "game/heroes/ActionItem.h"

// Releases a unit that a lock took, in the first frame after the item started; it finishes in
// that frame.
//
// The record: the header, the unit's number.
class UnlockUnitActionItem final : public ActionItem
{
public:
    UnlockUnitActionItem();
    explicit UnlockUnitActionItem(const UnitPtr& unit);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }

private:
    void finish();

    UnitPtr m_unit;
};
