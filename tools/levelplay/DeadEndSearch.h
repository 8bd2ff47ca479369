#pragma once

#include "tools/levelplay/LevelModel.h"
#include "tools/levelplay/WinCheck.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace LevelPlay
{

// Looks for an order of a level's clicks that leaves it where it can no longer be won: from
// the level's start, it plays the moves of its model in many orders (the quakes of the level's
// timetable among them) and asks of every state it reaches whether the level can still be won.
//
// The orders: every order up to a budget of states, the shortest first; then orders that play
// as a careless player might, one move after another to the end: the move that spends most of
// the scarcest resource first, the goal farthest from the base first, and orders at random
// (a fixed seed: the search finds the same every time). Piles are taken as soon as they are
// reached, in every order. The orders are orders a script can play: only what comes into the
// stock by itself is paid without counting; a crate that falls again is taken and a plant fed
// by moves of the order (while what they give is short of what the work could ask).
class DeadEndSearch
{
public:
    struct Options
    {
        size_t breadth = 3000; // states tried shortest order first
        // Orders played out to the end: by turns the scarcest resource first, the farthest
        // goal first, and two at random.
        int randomOrders = 48;
        unsigned seed = 1;
    };

    struct Result
    {
        bool found = false;
        // The moves of the order, from the start.
        std::vector<LevelModel::Move> moves;
        // What ran out, what cannot be reached any more.
        std::string why;
        size_t states = 0;
        int orders = 0;
        // A state's judgement ran past its budget: a dead end may have been missed there.
        bool cutShort = false;
    };

    explicit DeadEndSearch(const LevelModel& model);
    Result run(const Options& options);

    // "click BrickKiln#1, click BrokenRoad#2": the order as a script names the clicks.
    static std::string describe(const LevelModel& model, const std::vector<LevelModel::Move>& moves);
    // The order as a levelplay script, to be played at a person's pace (--pace): every line at
    // the earliest time it may act (after a quake of the order, once the quake is over); a
    // plant's work is its click and the click on what it made.
    static std::string script(const LevelModel& model, const std::vector<LevelModel::Move>& moves);

private:
    enum class Policy
    {
        Scarce,
        Far,
        Random
    };
    struct Node
    {
        LevelModel::State state;
        std::vector<LevelModel::Move> moves;
    };

    // The state with every pile within reach taken, the takes added to `moves`.
    LevelModel::State takePiles(const LevelModel::State& state, std::vector<LevelModel::Move>& moves) const;
    // Whether the state is a dead end; when it is, the result takes the order to it (`order`
    // is asked only then) and what ran out.
    bool judge(const LevelModel::State& state, const std::function<std::vector<LevelModel::Move>()>& order,
               Result& result);
    void breadthFirst(const Options& options, Result& result);
    void playOut(Policy policy, unsigned& seed, Result& result);
    // Moves worth trying in an order: not a pile (taken by itself), no plant or pile making more
    // than any work could ask.
    std::vector<LevelModel::Move> choices(const LevelModel::State& state) const;

    const LevelModel& m_model;
    WinCheck m_check;
};

} // namespace LevelPlay
