#pragma once

#include "game/heroes/ActionItem.h"

// The first step of every goal chain: in the first frame after it started, the hero leaves
// the base and stands idle on the first cell of its goal's route, at the level's base point.
// A route without cells (the hero's goal is reached from the base's own cell) leaves the hero
// on its cell at the base point.
//
// The record (10 bytes): the header, the hero's number.
class UnParkActionItem final : public ActionItem
{
public:
    UnParkActionItem();
    explicit UnParkActionItem(const UnitPtr& hero);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;

    const UnitPtr& getHero() const { return m_hero; }

private:
    // Throws "UnParkActionItem::finish(): hero has not active goal" for a hero without a goal.
    void finish();

    UnitPtr m_hero;
};
