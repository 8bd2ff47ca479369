#include "tools/levelplay/DeadEndSearch.h"

#include <algorithm>
#include <unordered_set>

namespace LevelPlay
{

namespace
{

using Act = LevelModel::Act;
using Move = LevelModel::Move;
using Role = LevelModel::Role;
using State = LevelModel::State;
constexpr int kKinds = LevelModel::kKinds;
// The longest order played out: every level is won or stuck long before.
constexpr int kLongestOrder = 400;

unsigned next(unsigned& seed)
{
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFFFFu;
}

} // namespace

DeadEndSearch::DeadEndSearch(const LevelModel& model) : m_model(model), m_check(model) {}

State DeadEndSearch::takePiles(const State& state, std::vector<Move>& moves) const
{
    State now = state;
    for (bool took = true; took;)
    {
        took = false;
        for (size_t p = 0; p < m_model.parts().size(); ++p)
        {
            const Move take{Act::Collect, static_cast<int>(p)};
            if (m_model.parts()[p].role != Role::Pile || m_model.parts()[p].regenerating ||
                !m_model.allows(now, take, true))
                continue;
            now = m_model.apply(now, take, true);
            moves.push_back(take);
            took = true;
        }
    }
    return now;
}

std::vector<Move> DeadEndSearch::choices(const State& state) const
{
    std::vector<Move> found;
    const unsigned free = m_model.unlimited(state, nullptr, true);
    for (const Move& move : m_model.moves(state, true))
    {
        if (move.act == Act::Collect && !m_model.parts()[static_cast<size_t>(move.part)].regenerating)
            continue;
        if (move.act == Act::Produce || move.act == Act::Collect)
        {
            // A plant is fed, a pile that falls again taken, only while what it gives is short of
            // what the work could ask.
            const auto& out =
                move.act == Act::Collect
                    ? m_model.parts()[static_cast<size_t>(move.part)].pile
                    : m_model.step(move.part, state.level[static_cast<size_t>(move.part)]).resOut;
            bool short_ = false;
            for (int kind = 0; kind < kKinds; ++kind)
                if (out[static_cast<size_t>(kind)] > 0 && !(free & (1u << kind)) &&
                    state.stock[static_cast<size_t>(kind)] < m_check.wanted()[static_cast<size_t>(kind)])
                    short_ = true;
            if (!short_)
                continue;
        }
        found.push_back(move);
    }
    return found;
}

bool DeadEndSearch::judge(const State& state, const std::function<std::vector<Move>()>& order, Result& result)
{
    ++result.states;
    if (m_check.winnable(state))
        return false;
    result.found = true;
    result.moves = order();
    // The piles taken after the last choice change nothing: they are left out of the order.
    while (!result.moves.empty() && result.moves.back().act == Act::Collect &&
           !m_model.parts()[static_cast<size_t>(result.moves.back().part)].regenerating)
        result.moves.pop_back();
    result.why = m_check.whyNot(state);
    return true;
}

void DeadEndSearch::breadthFirst(const Options& options, Result& result)
{
    // The states found, each with the one it came from and the choice that led from there.
    struct Step
    {
        State state;
        int from = -1;
        Move choice;
    };
    std::vector<Step> steps;
    steps.reserve(options.breadth + 1);
    // The whole order to a state: its choices, and the piles taken after each (again).
    const auto orderTo = [this, &steps](int index)
    {
        std::vector<Move> choices;
        for (int at = index; steps[static_cast<size_t>(at)].from >= 0;
             at = steps[static_cast<size_t>(at)].from)
            choices.push_back(steps[static_cast<size_t>(at)].choice);
        std::vector<Move> moves;
        State state = takePiles(m_model.start(), moves);
        for (auto it = choices.rbegin(); it != choices.rend(); ++it)
        {
            moves.push_back(*it);
            state = takePiles(m_model.apply(state, *it, true), moves);
        }
        return moves;
    };
    std::vector<Move> ignored;
    steps.push_back(Step{takePiles(m_model.start(), ignored), -1, Move()});
    std::unordered_set<uint64_t> seen{steps.front().state.whole()};
    ++result.orders;
    if (judge(
            steps.front().state, [&] { return orderTo(0); }, result))
        return;
    for (size_t next = 0; next < steps.size() && steps.size() < options.breadth; ++next)
    {
        if (m_model.won(steps[next].state))
            continue;
        for (const Move& move : choices(steps[next].state))
        {
            std::vector<Move> taken;
            State child = takePiles(m_model.apply(steps[next].state, move, true), taken);
            if (!seen.insert(child.whole()).second)
                continue;
            steps.push_back(Step{std::move(child), static_cast<int>(next), move});
            const int index = static_cast<int>(steps.size()) - 1;
            if (judge(
                    steps.back().state, [&] { return orderTo(index); }, result))
                return;
            if (steps.size() >= options.breadth)
                break;
        }
    }
}

void DeadEndSearch::playOut(Policy policy, unsigned& seed, Result& result)
{
    ++result.orders;
    Node node;
    node.state = takePiles(m_model.start(), node.moves);
    for (int step = 0; step < kLongestOrder; ++step)
    {
        if (judge(
                node.state, [&node] { return node.moves; }, result) ||
            m_model.won(node.state))
            return;
        const std::vector<Move> moves = choices(node.state);
        if (moves.empty())
            return;
        const unsigned free = m_model.unlimited(node.state, nullptr, true);
        // The score of a move under the policy; ties are broken at random.
        const auto score = [&](const Move& move) -> double
        {
            if (policy == Policy::Random)
                return 0.0;
            if (move.act == Act::Quake)
                return -1.0;
            if (policy == Policy::Far)
                return m_model.parts()[static_cast<size_t>(move.part)].distance;
            // What it spends of the resources the stock is shortest of.
            const auto cost = m_model.cost(node.state, move);
            double spent = 0.0;
            for (int kind = 0; kind < kKinds; ++kind)
                if (!(free & (1u << kind)) && cost[static_cast<size_t>(kind)] > 0)
                    spent += static_cast<double>(cost[static_cast<size_t>(kind)]) /
                             static_cast<double>(node.state.stock[static_cast<size_t>(kind)] + 1);
            return spent;
        };
        std::vector<Move> best;
        double top = -1e9;
        for (const Move& move : moves)
        {
            const double value = score(move);
            if (value > top + 1e-9)
            {
                top = value;
                best.clear();
            }
            if (value > top - 1e-9)
                best.push_back(move);
        }
        const Move chosen = best[next(seed) % best.size()];
        node.moves.push_back(chosen);
        node.state = takePiles(m_model.apply(node.state, chosen, true), node.moves);
    }
}

DeadEndSearch::Result DeadEndSearch::run(const Options& options)
{
    Result result;
    breadthFirst(options, result);
    unsigned seed = options.seed;
    for (int order = 0; !result.found && order < options.randomOrders; ++order)
    {
        const Policy policy = order % 4 == 0 ? Policy::Scarce : order % 4 == 1 ? Policy::Far : Policy::Random;
        playOut(policy, seed, result);
    }
    result.cutShort = m_check.cutShort();
    return result;
}

namespace
{

// The names a script gives the units along an order. A pile that falls again is a new unit
// each time it falls, the last of its type; so is what a plant lays at its door.
class ScriptNames
{
public:
    explicit ScriptNames(const LevelModel& model) : m_model(model) {}

    std::string of(const State& state, int part) const
    {
        const LevelModel::Part& p = m_model.parts()[static_cast<size_t>(part)];
        const auto again = std::find(m_again.begin(), m_again.end(), part);
        if (again == m_again.end())
            return p.type + "#" + std::to_string(standing(state, p.type, part));
        int number = standing(state, p.type, -1);
        for (auto it = m_again.begin(); it != again; ++it)
            if (m_model.parts()[static_cast<size_t>(*it)].type == p.type)
                ++number;
        return p.type + "#" + std::to_string(number + 1);
    }
    // What a plant lays at its door.
    std::string made(const State& state, const std::string& type) const
    {
        int number = standing(state, type, -1);
        for (int part : m_again)
            if (m_model.parts()[static_cast<size_t>(part)].type == type)
                ++number;
        return type + "#" + std::to_string(number + 1);
    }
    void moved(const Move& move)
    {
        if (move.act != Act::Collect || !m_model.parts()[static_cast<size_t>(move.part)].regenerating)
            return;
        m_again.erase(std::remove(m_again.begin(), m_again.end(), move.part), m_again.end());
        m_again.push_back(move.part);
    }

private:
    // The level's own units of the type still standing, up to `last` (all with -1).
    int standing(const State& state, const std::string& type, int last) const
    {
        int count = 0;
        for (size_t p = 0; p < m_model.parts().size() && (last < 0 || static_cast<int>(p) <= last); ++p)
            if (m_model.parts()[p].type == type && !(state.flags[p] & LevelModel::Removed) &&
                std::find(m_again.begin(), m_again.end(), static_cast<int>(p)) == m_again.end())
                ++count;
        return count;
    }

    const LevelModel& m_model;
    // Piles that fell again, in the order they were taken last.
    std::vector<int> m_again;
};

} // namespace

std::string DeadEndSearch::describe(const LevelModel& model, const std::vector<Move>& moves)
{
    std::string text;
    State state = model.start();
    ScriptNames names(model);
    for (const Move& move : moves)
    {
        std::string step;
        if (move.act == Act::Quake)
            step = "the quake at " +
                   std::to_string(model.cataclysms()[static_cast<size_t>(move.part)].start) + " s";
        else
            step = std::string(move.act == Act::Upgrade ? "upgrade " : "click ") + names.of(state, move.part);
        text += (text.empty() ? "" : ", ") + step;
        state = model.apply(state, move, true);
        names.moved(move);
    }
    return text;
}

std::string DeadEndSearch::script(const LevelModel& model, const std::vector<Move>& moves)
{
    std::string text = "# An order of clicks found by levelcheck's dead-end search, for levelplay --pace.\n";
    State state = model.start();
    ScriptNames names(model);
    int earliest = 0;
    for (const Move& move : moves)
    {
        const std::string at = "at " + std::to_string(earliest) + " ";
        if (move.act == Act::Quake)
        {
            const LevelModel::Cataclysm& quake = model.cataclysms()[static_cast<size_t>(move.part)];
            earliest = std::max(earliest, quake.start + quake.duration + 1);
            text += "# the quake at " + std::to_string(quake.start) + " s\n";
        }
        else
        {
            text +=
                at + (move.act == Act::Upgrade ? "upgrade " : "click ") + names.of(state, move.part) + "\n";
            if (move.act == Act::Produce)
            {
                // The plant lays what it made at its door: a new unit, the last of its type.
                const auto& out = model.step(move.part, state.level[static_cast<size_t>(move.part)]).resOut;
                for (int kind = 0; kind < kKinds; ++kind)
                    if (out[static_cast<size_t>(kind)] > 0)
                    {
                        text += at + "click " + names.made(state, model.resourceName(kind)) + "\n";
                        break;
                    }
            }
        }
        state = model.apply(state, move, true);
        names.moved(move);
    }
    return text;
}

} // namespace LevelPlay
