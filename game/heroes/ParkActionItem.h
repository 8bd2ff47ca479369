#pragma once

#include "game/heroes/ActionItem.h"

// The last step of every walk home: the hero drops what it carries when the step starts, and
// is parked in the base in the first frame after it (which makes it free for the next goal).
//
// The record (10 bytes): the header, the hero's number.
class ParkActionItem final : public ActionItem
{
public:
    ParkActionItem();
    explicit ParkActionItem(const UnitPtr& hero);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void start() override;
    void update() override;

    const UnitPtr& getHero() const { return m_hero; }

private:
    void finish();

    UnitPtr m_hero;
};
