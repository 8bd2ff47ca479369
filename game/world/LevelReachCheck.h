#pragma once

#include "game/world/cUnit.h"

#include <string>
#include <vector>

class Game;

// Proves that the ways of a loaded level lead where its play needs them, with the game's own
// route search (`Game::planRoute` over the level's occupancy grid, from the base's cell, where
// the heroes set out):
//
// - every barrier, road and bridge has an approach cell a hero can stand on: inside the field,
//   not one of the unit's own cells, not blocked once every other barrier, road and bridge the
//   heroes reach is open;
// - every unit a goal names, and every barrier, road and bridge, can be reached. Barriers,
//   roads and bridges open the way behind them once they are reached (cleared, repaired or
//   built), so the check opens each one it reaches, in the game's grid, until no more opens.
//
// The level model is used up: its grid is left with those units open.
class LevelReachCheck
{
public:
    explicit LevelReachCheck(Game& game);

    // One text per problem, naming the unit (type, its number among the units of its type in
    // the level's order, and its cell) and the cell at fault. Nothing for a level without a
    // base (no hero comes to it: that is told elsewhere).
    std::vector<std::string> run();

private:
    bool isOpenable(const cUnit::Ptr& unit) const;
    bool reaches(const cUnit::Ptr& unit);
    // "Road#2 at cell 20;14".
    std::string name(const cUnit::Ptr& unit) const;
    // The unit's approach cells where a hero can stand, and in `refused` why each other one
    // cannot be stood on.
    std::vector<Engine::cPoint> standingCells(const cUnit::Ptr& unit, std::string& refused) const;

    Game& m_game;
    Engine::cPoint m_start;
};
