#pragma once

#include "engine/core/cPoint.h"
#include "engine/core/cVector2.h"
#include "game/heroes/ActionItem.h"
#include "game/world/UnitStates.h"

// A hero working on a target unit for the target's "UpgradeTime", with a progress bar over
// the target. With an attach unit (the hero's tool or cart) the work proper begins only after
// the attach unit has prepared for its own "UpgradeTime" (the delay). While the target has
// work points, the hero, the tool and the attach unit stand at them; the hero goes back to
// its cell when the work ends. The level's upgrade speed bonus speeds the whole work up.
//
// The record (51 bytes): the header, hero, target, attach unit and tool (unit numbers, -1
// when empty), elapsed, duration, delay, working, the saved cell and the saved position.
class WorkActionItem : public ActionItem
{
public:
    ~WorkActionItem() override;

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    // Shows the bar again unless the attach unit is still preparing. Throws the archive's
    // error for a record without a target.
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    // Puts the hero back and removes the bar and the tool; nothing when not active.
    void stop() override;
    void update() override;
    // The walk home for the hero, started.
    void returnToBase() override;

    const UnitPtr& getHero() const { return m_hero; }
    const UnitPtr& getTarget() const { return m_target; }
    const UnitPtr& getAttachUnit() const { return m_attachUnit; }
    const UnitPtr& getTool() const { return m_tool; }
    float getElapsed() const { return m_elapsed; }
    float getDuration() const { return m_duration; }
    float getDelay() const { return m_delay; }
    bool isWorking() const { return m_working; }

protected:
    WorkActionItem(int32_t typeId, const UnitPtr& hero, const UnitPtr& target, const UnitPtr& attachUnit);

    // The effect at the natural end; every subclass ends its own with notifyFinished. This
    // shared part ends the work (interrupt), ends the hero's goal and clears the target's
    // garbage.
    virtual void finish();
    // Puts the hero back on its cell, sets hero and attach unit idle, removes bar and tool.
    virtual void interrupt();
    // The fields of the record after the header; throws the archive's error for a record
    // without a target. `load` shows the bar besides.
    void readWorkRecord(LevelArchive& archive, const Units& units);

    // At the start: the hero's working state (with the target's type id) and, without an
    // attach unit, the bar and the target's working state at once.
    void beginWork(eUnitState heroState, eUnitState targetState);
    // Starts the work proper once the attach unit's delay has passed: the bar over the
    // target, the attach unit and the tool in `workerState` and the target in `targetState`.
    // True when the work proper began in this call.
    bool beginWorkAfterDelay(eUnitState workerState, eUnitState targetState);

    UnitPtr m_hero;
    UnitPtr m_target;
    UnitPtr m_attachUnit;
    UnitPtr m_tool;
    float m_elapsed = 0.0f;
    float m_duration = 0.0f;
    float m_delay = 0.0f;
    bool m_working = false;
    Engine::cPoint m_savedCell;
    Engine::cVector2 m_savedPosition;
};
