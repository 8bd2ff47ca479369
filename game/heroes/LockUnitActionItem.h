#pragma once

#include "game/heroes/ActionItem.h"

// Flags a unit as taken for a kind of work (the state code of that work), so that no second
// goal takes it while the chain runs. Nothing happens at the start: the flag is set in the
// first frame after it, and the item finishes in that frame.
//
// The record: the header, the work code, the unit's number.
class LockUnitActionItem final : public ActionItem
{
public:
    LockUnitActionItem();
    LockUnitActionItem(const UnitPtr& unit, int workCode);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }
    int getWorkCode() const { return m_workCode; }

private:
    void finish();

    UnitPtr m_unit;
    int32_t m_workCode = 0;
};
