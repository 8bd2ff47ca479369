#pragma once

#include "game/heroes/ActionItem.h"
#include "game/world/UnitStates.h"

// Sets a unit to a stored state in the first frame after it started, and finishes. Only the
// factory makes it, for a record of a saved level.
//
// The record (14 bytes): the header, the state, then the unit's number.
class SetUnitStateActionItem final : public ActionItem
{
public:
    SetUnitStateActionItem();

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }
    eUnitState getState() const { return m_state; }

private:
    void finish();

    UnitPtr m_unit;
    eUnitState m_state = eUnitState::idle;
};
