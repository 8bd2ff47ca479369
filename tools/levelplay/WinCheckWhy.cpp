// WinCheck: the relaxed question (nothing spent, every gain kept) and the reasons it gives.
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

constexpr Act kActs[] = {Act::Collect, Act::Build,  Act::Upgrade, Act::Clear,
                         Act::PutOut,  Act::Repair, Act::Rescue,  Act::Produce};

bool makes(const LevelModel& model, int part, int kind)
{
    const LevelModel::Part& p = model.parts()[static_cast<size_t>(part)];
    if (p.role == Role::Pile)
        return p.pile[static_cast<size_t>(kind)] > 0;
    for (const LevelModel::Step& step : p.steps)
        if ((p.role == Role::Mill && step.autoResOut[static_cast<size_t>(kind)] > 0) ||
            (p.role == Role::Plant && step.resOut[static_cast<size_t>(kind)] > 0))
            return true;
    return false;
}

} // namespace

WinCheck::Relaxed WinCheck::relax(const State& state, bool explain) const
{
    Relaxed result;
    const auto& parts = m_model.parts();
    State now = state;
    Amounts kept = state.stock;
    std::vector<uint8_t> reach(parts.size(), 0);
    unsigned plenty = 0;
    for (bool changed = true; changed;)
    {
        changed = false;
        for (size_t p = 0; p < parts.size(); ++p)
            if (!reach[p] && m_model.reachable(now, static_cast<int>(p)))
                reach[p] = 1;
        const unsigned free = m_model.unlimited(now, &reach) | plenty;
        for (size_t p = 0; p < parts.size(); ++p)
            for (Act act : kActs)
            {
                const Move move{act, static_cast<int>(p)};
                if (!reach[p] || !m_model.fits(now, move))
                    continue;
                if (act == Act::Collect && parts[p].regenerating)
                    continue;
                State paying = now;
                paying.stock = kept;
                if (!m_model.affordable(paying, m_model.cost(now, move), free))
                    continue;
                if (act == Act::Produce)
                {
                    // A plant that can be fed makes as much as is wanted.
                    for (int kind = 0; kind < kKinds; ++kind)
                        if (m_model.step(move.part, now.level[p]).resOut[static_cast<size_t>(kind)] > 0 &&
                            !(plenty & (1u << kind)))
                        {
                            plenty |= 1u << kind;
                            changed = true;
                        }
                    continue;
                }
                const Amounts got = m_model.gain(now, move);
                now = m_model.apply(now, move);
                for (int kind = 0; kind < kKinds; ++kind)
                    kept[static_cast<size_t>(kind)] += got[static_cast<size_t>(kind)];
                changed = true;
            }
        if (!changed)
            for (size_t i = 0; i < m_model.cataclysms().size(); ++i)
                if (m_model.fits(now, Move{Act::Quake, static_cast<int>(i)}))
                {
                    now = m_model.apply(now, Move{Act::Quake, static_cast<int>(i)});
                    changed = true;
                    break;
                }
    }
    now.stock = kept;
    const unsigned free = m_model.unlimited(now, &reach) | plenty;
    result.free = free;
    result.kept = kept;

    // The goals' own costs against the stock and everything still to be gained.
    const Amounts costs = goalCosts(state);
    // Goals named in what ran out are not named again as unpaid.
    std::vector<uint8_t> named(parts.size(), 0);
    for (int kind = 0; kind < kKinds; ++kind)
    {
        const size_t k = static_cast<size_t>(kind);
        if ((free & (1u << kind)) || costs[k] <= kept[k])
            continue;
        result.possible = false;
        if (!explain)
            return result;
        std::string who;
        for (const LevelModel::Goal& goal : m_model.goals())
        {
            if (m_model.goalDone(state, goal))
                continue;
            // The goal's share: its own costs alone.
            State one = state;
            for (const LevelModel::Goal& other : m_model.goals())
                if (&other != &goal && !m_model.goalDone(one, other))
                    one.flags[static_cast<size_t>(other.part)] |= LevelModel::Removed;
            one.changed();
            const Amounts single = goalCosts(one);
            if (single[k] > 0)
            {
                who += (who.empty() ? "" : ", ") + m_model.scriptName(state, goal.part) + " " +
                       std::to_string(single[k]);
                named[static_cast<size_t>(goal.part)] = 1;
            }
        }
        // What would give more: the mills and plants that make it, the piles out of reach.
        std::string sources;
        for (size_t p = 0; p < parts.size(); ++p)
            if (m_model.present(state, static_cast<int>(p)) && makes(m_model, static_cast<int>(p), kind) &&
                (parts[p].role != Role::Pile || !reach[p]))
                sources += std::string(sources.empty() ? "" : ", ") +
                           m_model.label(state, static_cast<int>(p)) +
                           (reach[p] ? ", which cannot be made to work" : ", which cannot be reached");
        result.why.push_back(m_model.resourceName(kind) + " ran out: the goals left need " +
                             std::to_string(costs[k]) + " (" + who + "), the stock holds " +
                             std::to_string(state.stock[k]) + " and all that can still be gained comes to " +
                             std::to_string(kept[k]) +
                             (sources.empty() ? "" : "; more comes only from " + sources));
    }

    // Goals the relaxed play could not do: those behind the same unit told together.
    std::vector<std::pair<std::string, std::string>> behind; // what stands in the way, the goals
    for (const LevelModel::Goal& goal : m_model.goals())
    {
        if (m_model.goalDone(now, goal))
            continue;
        result.possible = false;
        if (!explain)
            return result;
        const int p = goal.part;
        if (reach[static_cast<size_t>(p)])
        {
            if (!named[static_cast<size_t>(p)])
                result.why.push_back(m_model.label(state, p) + " cannot be paid for any more");
            continue;
        }
        // A closing unit that, gone, would let the heroes through.
        std::string blocker;
        for (size_t o = 0; o < parts.size() && blocker.empty(); ++o)
        {
            if (parts[o].cells.empty() || !m_model.present(now, static_cast<int>(o)))
                continue;
            State opened = now;
            opened.flags[o] |= LevelModel::Removed;
            opened.changed();
            if (!m_model.reachable(opened, p))
                continue;
            const Move open{parts[o].role == Role::Barrier ? Act::Clear : Act::Build, static_cast<int>(o)};
            blocker = m_model.label(state, static_cast<int>(o));
            if (parts[o].role == Role::Flood)
                blocker += ", which only a pumping station drains";
            else if (reach[o])
                blocker += ", which needs " + m_model.amountsText(m_model.cost(now, open));
        }
        auto entry = std::find_if(behind.begin(), behind.end(),
                                  [&blocker](const auto& known) { return known.first == blocker; });
        if (entry == behind.end())
            entry = behind.insert(behind.end(), {blocker, ""});
        entry->second += (entry->second.empty() ? "" : " and ") + m_model.label(state, p);
    }
    for (const auto& [blocker, goals] : behind)
        result.why.push_back(goals + " can no longer be reached" +
                             (blocker.empty() ? "" : ": the way leads past " + blocker));
    return result;
}

std::string WinCheck::scarce(const State& state) const
{
    const Amounts needs = goalCosts(state);
    const Relaxed relaxed = relax(state, false);
    std::string text;
    for (int kind = 0; kind < kKinds; ++kind)
        if (needs[static_cast<size_t>(kind)] > 0 && !(relaxed.free & (1u << kind)))
            text += (text.empty() ? "" : ", ") + m_model.resourceName(kind) + " (the goals need " +
                    std::to_string(needs[static_cast<size_t>(kind)]) + " of " +
                    std::to_string(relaxed.kept[static_cast<size_t>(kind)]) + ")";
    return text;
}

std::string WinCheck::whyNot(const State& state)
{
    const State settled = settle(state, nullptr);
    const Relaxed relaxed = relax(settled, true);
    std::string text;
    for (const std::string& why : relaxed.why)
        text += (text.empty() ? "" : "; ") + why;
    if (text.empty())
        text = "no order of the work left pays for every goal (the stock holds " +
               m_model.amountsText(settled.stock) + ")";
    return text;
}

} // namespace LevelPlay
