#include "tools/levelplay/WinCheck.h"

#include <algorithm>

namespace LevelPlay
{

namespace
{

using Act = LevelModel::Act;
using Amounts = LevelModel::Amounts;
using Move = LevelModel::Move;
using Role = LevelModel::Role;
using State = LevelModel::State;
constexpr int kKinds = LevelModel::kKinds;

bool atLeast(const Amounts& a, const Amounts& b)
{
    for (int kind = 0; kind < kKinds; ++kind)
        if (a[static_cast<size_t>(kind)] < b[static_cast<size_t>(kind)])
            return false;
    return true;
}

// The part of a cost that is counted: the resources not to be had without end.
int counted(const Amounts& cost, unsigned free)
{
    int sum = 0;
    for (int kind = 0; kind < kKinds; ++kind)
        if (!(free & (1u << kind)))
            sum += cost[static_cast<size_t>(kind)];
    return sum;
}

void add(Amounts& to, const Amounts& amounts)
{
    for (int kind = 0; kind < kKinds; ++kind)
        to[static_cast<size_t>(kind)] += amounts[static_cast<size_t>(kind)];
}

} // namespace

WinCheck::WinCheck(const LevelModel& model, size_t budget) : m_model(model), m_budget(budget)
{
    const State& start = model.start();
    for (size_t p = 0; p < model.parts().size(); ++p)
    {
        const LevelModel::Part& part = model.parts()[p];
        for (int level = start.level[p]; level <= part.lastLevel; ++level)
        {
            const LevelModel::Step& step = model.step(static_cast<int>(p), level);
            add(m_wanted, step.upIn);
            add(m_wanted, step.repairRes);
            if (part.role != Role::Plant)
                add(m_wanted, step.resIn);
        }
        add(m_wanted, part.fireIn);
    }
}

bool WinCheck::useful(const State& state, const Move& move, unsigned free) const
{
    const LevelModel::Part& part = m_model.parts()[static_cast<size_t>(move.part)];
    const int level = state.level[static_cast<size_t>(move.part)];
    switch (move.act)
    {
    case Act::Collect:
        return !part.regenerating;
    case Act::Upgrade:
    case Act::Build:
        if (part.role == Role::Quest && !part.pipeStation)
            break;
        if (move.act == Act::Build && part.role != Role::Base)
            return true;
        break;
    case Act::Produce:
    {
        const Amounts& out = m_model.step(move.part, level).resOut;
        for (int kind = 0; kind < kKinds; ++kind)
            if (out[static_cast<size_t>(kind)] > 0 && !(free & (1u << kind)) &&
                state.stock[static_cast<size_t>(kind)] < m_wanted[static_cast<size_t>(kind)])
                return true;
        return false;
    }
    case Act::Quake:
    case Act::Clear:
    case Act::PutOut:
    case Act::Repair:
    case Act::Rescue:
        return true;
    }
    // Raising a level is worth it where a goal asks for a higher one.
    for (const LevelModel::Goal& goal : m_model.goals())
        if (goal.part == move.part && (goal.kind == 1 || goal.kind == 5) && level < goal.targetLevel)
            return true;
    return false;
}

State WinCheck::settle(const State& state, std::vector<Move>* made) const
{
    State now = state;
    for (bool moved = true; moved;)
    {
        moved = false;
        const unsigned free = m_model.unlimited(now);
        for (const Move& move : m_model.moves(now))
        {
            if (move.act == Act::Quake || move.act == Act::Produce || !useful(now, move, free))
                continue;
            const LevelModel::Part& part = m_model.parts()[static_cast<size_t>(move.part)];
            const bool quiet = part.trigger < 0 || part.trigger >= 32 || (now.fired & (1u << part.trigger));
            if (move.act != Act::Collect && (counted(m_model.cost(now, move), free) > 0 || !quiet))
                continue;
            // An earlier move of this round may have changed what this one finds.
            if (moved && !m_model.allows(now, move))
                continue;
            now = m_model.apply(now, move);
            if (made)
                made->push_back(move);
            moved = true;
        }
    }
    return now;
}

Amounts WinCheck::stockKey(const State& state) const
{
    Amounts key = state.stock;
    const unsigned free = m_model.unlimited(state);
    for (int kind = 0; kind < kKinds; ++kind)
        if (free & (1u << kind))
            key[static_cast<size_t>(kind)] = 0;
    return key;
}

bool WinCheck::winnable(const State& state)
{
    return search(state, 0);
}

bool WinCheck::search(const State& given, int depth)
{
    // A state asked about before, as it was given, has its answer.
    const uint64_t asked = given.whole();
    const auto answered = m_answers.find(asked);
    if (answered != m_answers.end())
        return answered->second;
    const bool won = searchSettled(settle(given, nullptr), depth);
    m_answers[asked] = won;
    return won;
}

bool WinCheck::searchSettled(const State& state, int depth)
{
    if (m_model.won(state))
        return true;
    const uint64_t status = state.status();
    const Amounts stock = stockKey(state);
    Known& known = m_known[status];
    for (const Amounts& win : known.wins)
        if (atLeast(stock, win))
            return true;
    for (const Amounts& loss : known.losses)
        if (atLeast(loss, stock))
            return false;
    if (++m_judged > m_budget || depth > 400)
    {
        m_cutShort = true;
        return true;
    }
    bool won = false;
    if (relax(state, false).possible)
    {
        const unsigned free = m_model.unlimited(state);
        std::vector<Move> moves;
        for (const Move& move : m_model.moves(state))
            if (useful(state, move, free))
                moves.push_back(move);
        // Sources first, then the cheapest work, quakes last.
        const auto rank = [&](const Move& move)
        {
            if (move.act == Act::Quake)
                return 1 << 20;
            const LevelModel::Part& part = m_model.parts()[static_cast<size_t>(move.part)];
            const bool source =
                move.act == Act::Build && (part.role == Role::Mill || part.role == Role::Plant);
            return (source ? 0 : 1 << 10) + (move.act == Act::Produce ? 1 << 15 : 0) +
                   counted(m_model.cost(state, move), free);
        };
        std::stable_sort(moves.begin(), moves.end(),
                         [&](const Move& a, const Move& b) { return rank(a) < rank(b); });
        for (const Move& move : moves)
            if (search(m_model.apply(state, move), depth + 1))
            {
                won = true;
                break;
            }
    }
    // The map may have grown while the moves were judged: look the entry up again.
    Known& entry = m_known[status];
    (won ? entry.wins : entry.losses).push_back(stock);
    return won;
}

Amounts WinCheck::goalCosts(const State& state) const
{
    Amounts costs{};
    for (const LevelModel::Goal& goal : m_model.goals())
    {
        if (m_model.goalDone(state, goal))
            continue;
        const size_t p = static_cast<size_t>(goal.part);
        const LevelModel::Part& part = m_model.parts()[p];
        // A quake that is still to come may take the unit away, and its goal with it.
        if (part.disappearOn >= 0 && part.disappearOn < 32 && !(state.fired & (1u << part.disappearOn)))
            continue;
        const int level = state.level[p];
        if (state.flags[p] & LevelModel::Burning)
            add(costs, part.fireIn);
        if (goal.kind == 6)
            continue;
        if (state.flags[p] & LevelModel::Damaged)
            add(costs, m_model.step(goal.part, level).repairRes);
        if (goal.kind == 1 || goal.kind == 5)
            for (int l = level; l < goal.targetLevel; ++l)
                add(costs, m_model.step(goal.part, l).upIn);
        else
            add(costs, m_model.step(goal.part, level).resIn);
    }
    return costs;
}

} // namespace LevelPlay
