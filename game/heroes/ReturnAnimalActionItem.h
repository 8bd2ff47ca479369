#pragma once

#include "game/heroes/ActionItem.h"

// The hero delivers the animal it carries (to the hospital): the animal counts as done for the
// level's goals and leaves the level, the hero empties its load, stands idle and its goal moves
// on (it stays where it is once the level's goals are met).
//
// The record (14 bytes): the header, the hero's number, the destination's number.
class ReturnAnimalActionItem final : public ActionItem
{
public:
    ReturnAnimalActionItem();
    ReturnAnimalActionItem(const UnitPtr& hero, const UnitPtr& destination);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    void update() override;
    void returnToBase() override;

    const UnitPtr& getHero() const { return m_hero; }
    const UnitPtr& getDestination() const { return m_destination; }

private:
    void finish();

    UnitPtr m_hero;
    UnitPtr m_destination;
};
