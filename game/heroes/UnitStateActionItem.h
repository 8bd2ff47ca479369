#pragma once

#include "game/heroes/ActionItem.h"
#include "game/world/UnitStates.h"

// Holds a unit in a state for a time, then sets it idle. The unit may be empty: the item then
// only counts its time (the wait before a cataclysm). No speed bonus applies.
//
// The record (22 bytes): the header, the unit's number (-1 when empty), elapsed, duration,
// state.
class UnitStateActionItem final : public ActionItem
{
public:
    UnitStateActionItem();
    UnitStateActionItem(const UnitPtr& unit, eUnitState state, float duration);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

    const UnitPtr& getUnit() const { return m_unit; }
    float getElapsed() const { return m_elapsed; }
    float getDuration() const { return m_duration; }
    eUnitState getState() const { return m_state; }

private:
    void finish();

    UnitPtr m_unit;
    float m_elapsed = 0.0f;
    float m_duration = 0.0f;
    eUnitState m_state = eUnitState::idle;
};
