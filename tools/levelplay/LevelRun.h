#pragma once

#include "engine/core/cVector2.h"
#include "game/heroes/UnitProblem.h"
#include "game/world/cUnit.h"
#include "tests/support/LevelScript.h"

#include <boost/signals2/connection.hpp>

#include <functional>
#include <map>
#include <string>
#include <utility>

class Game;
class Goal;

namespace Engine
{
class cView;
}

namespace LevelPlay
{

class PlayerHand;

// A file, an argument or a state of the game that the run cannot use: exit status 2.
struct BadInput
{
    std::string text;
};

// One line of the script, its unit type named as the game names types.
struct Command : Test::ScriptLine
{
    std::wstring unitType;
};

// TYPE#K of a unit of `game`, as a script names it: K counts the units of its type still on the
// field up to it (all of them when it has left); "?" for no unit.
std::string scriptLabel(Game& game, const cUnit::Ptr& unit);

// One level played by the game's play state the way a player plays it: every order is the
// player's hand at the mouse or the keys (`PlayerHand`), and nothing here calls a handler of
// the game. The level starts as the program's command line starts one; its briefings and modal
// tips are closed with Escape; a click is a press of the primary button with the pointer
// in the middle of the unit's view, an upgrade a press on the arrow beside the building where
// it is drawn; the level is left through the in-game menu and continued from the map.
//
// It tells on standard output what became of each click: the goals queued, taken by a hero and
// gone from the list, the clicks refused with their problem, and the clicks that went nowhere
// with what lay under the pointer.
class LevelRun
{
public:
    // The level played is the one of "CurrentLevel", selected on the map. With `keepSaves`, a
    // copy of every save goes to that folder as save-N.bin, N from 1.
    LevelRun(PlayerHand& hand, std::string keepSaves);
    ~LevelRun();
    LevelRun(const LevelRun&) = delete;
    LevelRun& operator=(const LevelRun&) = delete;

    // The play state entered as the command line enters it; frames run until the level runs.
    void startFresh();
    // The player's saved level continued: the map's play button and "yes" to its question.
    void continueSaved();
    // Leaves the level as the player does: Escape, the menu's map button and "yes". The play
    // state writes the unfinished level.
    void save();
    // False when another view took the pointer: the press never reached the unit.
    bool click(const Command& command, bool upgrade);
    // The cancel input: the secondary mouse button.
    void cancel();
    // One frame; a briefing or a modal tip over the level is closed with Escape.
    void frame();

    // The level is being played: it was not left for the map.
    bool inLevel() const;
    // The level runs as the top state: the script's lines can act.
    bool running() const;
    bool won() const;
    float clock() const;
    Game* game() const;
    // TYPE#K of a unit, as the script names it.
    std::string label(const cUnit::Ptr& unit) const;
    // K of that name: the unit's number among the units of its type still on the field; 0 for a
    // unit taken off it.
    int numberOf(const cUnit::Ptr& unit) const;
    // The unit a script line names, as it names it now; empty when there is none.
    cUnit::Ptr unitOf(const Command& command) const { return find(command.unitType, command.index); }
    // A unit that a name landing on it passes over, to the next of its type (none when empty).
    void setAside(const cUnit::Ptr& unit) { m_aside = unit; }
    // Nothing waits to be done: no goal queued or under way, no upgrade of the town hall.
    bool idle() const;
    // What lies under a place of the screen, the topmost first.
    // With `pointerThere`, also the button that holds the pointer standing there.
    std::string describeAt(const Engine::cVector2& place, bool pointerThere) const;
    // Every state left and the game's shutdowns run.
    void finish();

private:
    // Frames (closing what lies over the level) until `done`; `why` is thrown when it never is.
    void frameUntil(const std::function<bool()>& done, const std::string& why);
    void afterFrame();
    void onProblem(const cUnit::Ptr& unit, UnitProblem problem);
    void reportGoals();
    cUnit::Ptr find(const std::wstring& type, int index) const;
    std::string nameOf(const Engine::cView* view) const;
    // Why a click that reached the unit made no goal: the waiting goals, or a tutorial tip.
    std::string noGoalReason(const cUnit::Ptr& unit, bool upgrade) const;
    void keepSave();

    PlayerHand& m_hand;
    std::string m_keepSaves;
    // The level model the signals below belong to.
    const Game* m_watched = nullptr;
    boost::signals2::scoped_connection m_problems;
    boost::signals2::scoped_connection m_upgradeProblems;
    // The goals seen after the last frame: their status and the label of their target.
    std::map<const Goal*, std::pair<int, std::string>> m_goals;
    std::string m_clicked;
    cUnit::Ptr m_clickedUnit;
    // The script line of the click under way, for what is told of it.
    int m_clickedLine = 0;
    bool m_refused = false;
    bool m_accepted = false;
    int m_saves = 0;
    // Frames in a row in which the level was in play but did not run.
    int m_stillFrames = 0;
    float m_lastClock = 0.0f;
    boost::weak_ptr<cUnit> m_aside;
};

} // namespace LevelPlay
