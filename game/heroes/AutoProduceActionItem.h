#pragma once
#include "game/heroes/ActionItem.h"
// A repeating production clock. Without a unit it is the level's own: every period it lets the
// planner make the level's mills and quests yield (`GameController::onAutoProduced`), and its
// bar stands on the screen where "UI/autoProgress.xml" puts it. A unit-bound item yields the
// unit's "AutoResOut" to the level's stock, every "AutoProduceTime" of the unit's current level.
//
// The record (18 bytes): the header, the unit (-1 without one), elapsed and period.
class AutoProduceActionItem final : public ActionItem
{
public:
    AutoProduceActionItem();
    explicit AutoProduceActionItem(const UnitPtr& unit);
    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // Every restored item shows the screen bar again, unit-bound or not.
    void load(LevelArchive& archive, const Units& units) override;
    // The screen bar; the unit is not used.
    void progressOn(const UnitPtr& unit) override;
    void update() override;
    // Starts the clock: a unit-bound item runs for its unit's "AutoProduceTime" (`time` is not
    // used), the level's own for `time`, with its bar.
    void startWithTime(float time);
    // One yield: the unit's "AutoResOut" to the level, shown as flying text at the unit; the
    // level's own clock lets every mill and quest yield.
    void produce();

    const UnitPtr& getUnit() const { return m_unit; }
    float getElapsed() const { return m_elapsed; }
    float getPeriod() const { return m_period; }

private:
    UnitPtr m_unit;
    float m_elapsed = 0.0f;
    float m_period = 0.0f;
};
