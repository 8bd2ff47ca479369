#pragma once

#include "tools/levelplay/LevelModel.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace LevelPlay
{

// Whether a level can still be won from a state of its model, and why not.
//
// It looks for one order of moves that does every goal, depth first, remembering the states it
// has judged (a state with at least the stock of a winnable one with the same units wins too;
// one with at most the stock of a lost one loses too). Moves that cannot hurt are made at once
// without trying the others first: taking a pile, and any work that costs only what the player
// can always get more of, unless it starts a quake. Before it tries moves it asks a cheaper
// question that may already answer "no": with every resource ever gained kept (nothing spent),
// are the goals' units reached, and do the goals' own costs exceed the stock and everything
// the rest of the level could still give?
//
// A search that runs past its budget of states counts the state as winnable (`cutShort` then
// tells): a level is refused only for a dead end proven.
class WinCheck
{
public:
    explicit WinCheck(const LevelModel& model, size_t budget = 200000);

    bool winnable(const LevelModel::State& state);
    // What ran out, what can no longer be reached: for a state that cannot be won.
    std::string whyNot(const LevelModel::State& state);

    // The moves made at once from a state, and the state they leave.
    LevelModel::State settle(const LevelModel::State& state, std::vector<LevelModel::Move>* made) const;

    // The resources the goals need that nothing in the level makes without end, however it is
    // played, as "Cement (the goals need 3 of 4)": what the goals' own work costs of what the
    // stock and everything the level can give come to. Empty when there are none.
    std::string scarce(const LevelModel::State& state) const;
    // The most of each resource that all the work left could ask: more is never needed.
    const LevelModel::Amounts& wanted() const { return m_wanted; }
    size_t statesJudged() const { return m_judged; }
    bool cutShort() const { return m_cutShort; }

private:
    using Amounts = LevelModel::Amounts;
    struct Known
    {
        std::vector<Amounts> wins;
        std::vector<Amounts> losses;
    };
    // What the relaxed question found.
    struct Relaxed
    {
        bool possible = true;
        std::vector<std::string> why;
        // The resources that became unlimited, and all that could be gained of the others.
        unsigned free = 0;
        Amounts kept{};
    };

    bool search(const LevelModel::State& state, int depth);
    bool searchSettled(const LevelModel::State& state, int depth);
    Relaxed relax(const LevelModel::State& state, bool explain) const;
    // Work that brings the level nearer its goals (and not the base's or a mill's upgrade that
    // no goal asks for).
    bool useful(const LevelModel::State& state, const LevelModel::Move& move, unsigned free) const;
    // The cost of the goals left, resource by resource.
    Amounts goalCosts(const LevelModel::State& state) const;
    Amounts stockKey(const LevelModel::State& state) const;

    const LevelModel& m_model;
    size_t m_budget;
    size_t m_judged = 0;
    bool m_cutShort = false;
    Amounts m_wanted{};
    // By the hash of a state's units (its status).
    std::unordered_map<uint64_t, Known> m_known;
    // The answers for the states as they were asked about, by the hash of the whole state.
    std::unordered_map<uint64_t, bool> m_answers;
};

} // namespace LevelPlay
