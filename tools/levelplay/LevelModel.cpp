// LevelModel: the rules of a level's moves, its ways and what can be paid.
#include "tools/levelplay/LevelModel.h"

#include "engine/core/StringUtils.h"

#include <algorithm>

namespace LevelPlay
{

namespace
{

bool isEmpty(const LevelModel::Amounts& amounts)
{
    return std::all_of(amounts.begin(), amounts.end(), [](int count) { return count == 0; });
}

// FNV-1a over bytes, going on from `hash`.
uint64_t mix(uint64_t hash, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

constexpr uint64_t kHashStart = 14695981039346656037ull;

} // namespace

uint64_t LevelModel::State::status() const
{
    uint64_t hash = mix(kHashStart, level.data(), count);
    hash = mix(hash, flags.data(), count);
    return mix(hash, &fired, sizeof fired);
}

uint64_t LevelModel::State::whole() const
{
    return mix(status(), stock.data(), sizeof(int) * stock.size());
}

const char* LevelModel::roleName(Role role)
{
    switch (role)
    {
    case Role::Pile:
        return "pile";
    case Role::Mill:
        return "mill";
    case Role::Plant:
        return "plant";
    case Role::Barrier:
        return "barrier";
    case Role::Road:
        return "road";
    case Role::Quest:
        return "quest";
    case Role::Animal:
        return "animal";
    case Role::Base:
        return "base";
    case Role::Flood:
        return "flood";
    case Role::Hospital:
        return "hospital";
    }
    return "?";
}

const LevelModel::Step& LevelModel::step(int part, int level) const
{
    const std::vector<Step>& steps = m_parts[static_cast<size_t>(part)].steps;
    return steps[static_cast<size_t>(std::clamp(level, 0, static_cast<int>(steps.size()) - 1))];
}

std::string LevelModel::resourceName(int kind) const
{
    return Engine::toUtf8(m_resourceNames[static_cast<size_t>(kind)]);
}

std::string LevelModel::amountsText(const Amounts& amounts) const
{
    std::string text;
    for (int kind = 0; kind < kKinds; ++kind)
        if (amounts[static_cast<size_t>(kind)] != 0)
            text += (text.empty() ? "" : " ") + std::to_string(amounts[static_cast<size_t>(kind)]) + " " +
                    resourceName(kind);
    return text.empty() ? "nothing" : text;
}

std::string LevelModel::scriptName(const State& state, int part) const
{
    // A script counts the units of a type still on the field, in the level's order.
    int number = 0;
    for (int p = 0; p <= part; ++p)
        if (m_parts[static_cast<size_t>(p)].type == m_parts[static_cast<size_t>(part)].type &&
            (p == part || !(state.flags[static_cast<size_t>(p)] & Removed)))
            ++number;
    return m_parts[static_cast<size_t>(part)].type + "#" + std::to_string(number);
}

std::string LevelModel::label(const State& state, int part) const
{
    const Engine::cPoint& cell = m_parts[static_cast<size_t>(part)].unit->getCell();
    return scriptName(state, part) + " (cell " + std::to_string(cell.x) + ";" + std::to_string(cell.y) + ")";
}

// ---------------------------------------------------------------------------------------------
// Ways

const std::vector<uint8_t>& LevelModel::region(const State& state) const
{
    if (state.reached)
        return *state.reached;
    // The closing parts, as a hash of their places in the list of openers.
    uint64_t key = kHashStart;
    std::array<uint8_t, kMostParts> closing{};
    for (size_t i = 0; i < m_openers.size(); ++i)
    {
        const int p = m_openers[i];
        closing[i] = present(state, p) && step(p, state.level[static_cast<size_t>(p)]).freeCell == 0;
        key = mix(key, &closing[i], 1);
    }
    const auto found = m_regions.find(key);
    if (found != m_regions.end())
    {
        state.reached = &found->second;
        return found->second;
    }

    std::vector<uint8_t> blocked = m_blocked;
    for (size_t i = 0; i < m_openers.size(); ++i)
        if (closing[i])
            for (int cell : m_parts[static_cast<size_t>(m_openers[i])].cells)
                blocked[static_cast<size_t>(cell)] = 1;
    // The cells the route search reaches from the start: free neighbours in eight directions
    // (a diagonal step passes between two blocked cells).
    std::vector<uint8_t> reached(blocked.size(), 0);
    std::vector<uint8_t> seen(blocked.size(), 0);
    std::vector<int> stack;
    if (m_startCell >= 0)
    {
        seen[static_cast<size_t>(m_startCell)] = 1;
        stack.push_back(m_startCell);
    }
    while (!stack.empty())
    {
        const int cell = stack.back();
        stack.pop_back();
        forEachNeighbour(cell,
                         [&](int next)
                         {
                             if (blocked[static_cast<size_t>(next)])
                                 return;
                             reached[static_cast<size_t>(next)] = 1;
                             if (!seen[static_cast<size_t>(next)])
                             {
                                 seen[static_cast<size_t>(next)] = 1;
                                 stack.push_back(next);
                             }
                         });
    }
    // (The map's values stay where they are when it grows.)
    state.reached = &m_regions.emplace(key, std::move(reached)).first->second;
    return *state.reached;
}

bool LevelModel::reachable(const State& state, int part) const
{
    return reachedIn(region(state), part);
}

bool LevelModel::reachedIn(const std::vector<uint8_t>& reached, int part) const
{
    const Part& p = m_parts[static_cast<size_t>(part)];
    if (p.role == Role::Base || p.atStart)
        return true;
    return std::any_of(p.near.begin(), p.near.end(),
                       [&reached](int cell) { return reached[static_cast<size_t>(cell)] != 0; });
}

// ---------------------------------------------------------------------------------------------
// What can be paid

unsigned LevelModel::unlimited(const State& state, const std::vector<uint8_t>* reach,
                               bool automaticOnly) const
{
    int64_t& known = state.free[automaticOnly ? 1 : 0];
    if (!reach && known >= 0)
        return static_cast<unsigned>(known);
    const unsigned kinds = findUnlimited(state, reach, automaticOnly);
    if (!reach)
        known = kinds;
    return kinds;
}

unsigned LevelModel::findUnlimited(const State& state, const std::vector<uint8_t>* reach,
                                   bool automaticOnly) const
{
    const std::vector<uint8_t>* cells = nullptr;
    const auto reached = [&](int part)
    {
        if (reach)
            return (*reach)[static_cast<size_t>(part)] != 0;
        if (!cells)
            cells = &region(state);
        return reachedIn(*cells, part);
    };
    unsigned kinds = 0;
    bool plants = false;
    for (size_t p = 0; p < m_parts.size(); ++p)
    {
        const Part& part = m_parts[p];
        if ((state.flags[p] & (Removed | Hidden | Burning | Damaged)))
            continue;
        const int i = static_cast<int>(p);
        switch (part.role)
        {
        case Role::Mill:
        case Role::Quest:
        case Role::Base:
            // Every mill (and quest, and the base) that makes something adds it to the stock by
            // itself at the level's production time.
            if (m_autoProduceTime > 0.0f)
                kinds |= step(i, state.level[p]).autoKinds;
            break;
        case Role::Pile:
            if (part.regenerating && !automaticOnly && (kinds & part.pileKinds) != part.pileKinds &&
                reached(i))
                kinds |= part.pileKinds;
            break;
        case Role::Plant:
            plants = true;
            break;
        default:
            break;
        }
    }
    for (bool grew = plants && !automaticOnly; grew;)
    {
        grew = false;
        for (size_t p = 0; p < m_parts.size(); ++p)
        {
            const int i = static_cast<int>(p);
            if (m_parts[p].role != Role::Plant || (state.flags[p] & (Removed | Hidden | Burning | Damaged)))
                continue;
            const Step& now = step(i, state.level[p]);
            if (now.outKinds == 0 || (now.outKinds & ~kinds) == 0 || (now.inKinds & ~kinds) != 0 ||
                !reached(i))
                continue;
            kinds |= now.outKinds;
            grew = true;
        }
    }
    return kinds;
}

bool LevelModel::affordable(const State& state, const Amounts& cost, unsigned unlimitedKinds) const
{
    for (int kind = 0; kind < kKinds; ++kind)
        if (cost[static_cast<size_t>(kind)] > state.stock[static_cast<size_t>(kind)] &&
            !(unlimitedKinds & (1u << kind)))
            return false;
    return true;
}

bool LevelModel::hospitalOpen(const State& state, int type) const
{
    for (size_t p = 0; p < m_parts.size(); ++p)
        if (m_parts[p].role == Role::Hospital && m_parts[p].unit->getTypeId() == type &&
            present(state, static_cast<int>(p)) && state.level[p] > 0 &&
            !(state.flags[p] & (Burning | Damaged)) && reachable(state, static_cast<int>(p)))
            return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Moves

LevelModel::Amounts LevelModel::cost(const State& state, const Move& move) const
{
    if (move.act == Act::Quake)
        return {};
    const Part& part = m_parts[static_cast<size_t>(move.part)];
    const Step& now = step(move.part, state.level[static_cast<size_t>(move.part)]);
    switch (move.act)
    {
    case Act::Build:
    case Act::Upgrade:
        return now.upIn;
    case Act::PutOut:
        return part.fireIn;
    case Act::Repair:
        return now.repairRes;
    case Act::Collect:
    case Act::Clear:
    case Act::Rescue:
    case Act::Produce:
        return now.resIn;
    case Act::Quake:
        break;
    }
    return {};
}

LevelModel::Amounts LevelModel::gain(const State& state, const Move& move) const
{
    if (move.act == Act::Quake)
        return {};
    const Part& part = m_parts[static_cast<size_t>(move.part)];
    const Step& now = step(move.part, state.level[static_cast<size_t>(move.part)]);
    switch (move.act)
    {
    case Act::Collect:
        return part.pile;
    case Act::PutOut:
        return part.fireOut;
    case Act::Repair:
    case Act::Clear:
    case Act::Produce:
        return now.resOut;
    case Act::Build:
        // A broken road or a fire across a road gives what its level gives once it is open.
        return part.role == Role::Road ? now.resOut : Amounts{};
    default:
        return {};
    }
}

bool LevelModel::allows(const State& state, const Move& move, bool automaticOnly) const
{
    return fits(state, move) &&
           (move.act == Act::Quake ||
            (reachable(state, move.part) &&
             affordable(state, cost(state, move), unlimited(state, nullptr, automaticOnly))));
}

bool LevelModel::fits(const State& state, const Move& move) const
{
    if (move.act == Act::Quake)
    {
        const int index = move.part;
        if (index < 0 || index >= static_cast<int>(m_cataclysms.size()) || index >= 32 ||
            (state.fired & (1u << index)) || m_cataclysms[static_cast<size_t>(index)].start < 0)
            return false;
        // The timetable's quakes come in the order of their times.
        for (size_t i = 0; i < m_cataclysms.size() && i < 32; ++i)
            if (!(state.fired & (1u << i)) && m_cataclysms[i].start >= 0 &&
                m_cataclysms[i].start < m_cataclysms[static_cast<size_t>(index)].start)
                return false;
        return true;
    }
    Act acts[3];
    const int count = actsOf(state, move.part, acts);
    return std::find(acts, acts + count, move.act) != acts + count;
}

int LevelModel::actsOf(const State& state, int part, Act acts[3]) const
{
    const size_t p = static_cast<size_t>(part);
    const Part& unit = m_parts[p];
    if (!present(state, part))
        return 0;
    const uint8_t flags = state.flags[p];
    // A burning unit is put out first, a damaged one repaired: a click does nothing else.
    if (flags & Burning)
    {
        acts[0] = Act::PutOut;
        return 1;
    }
    if (flags & Damaged)
    {
        acts[0] = Act::Repair;
        return 1;
    }
    const int level = state.level[p];
    const bool belowTop = level < unit.lastLevel && (unit.maxLevel == -1 || level < unit.maxLevel);
    int count = 0;
    switch (unit.role)
    {
    case Role::Pile:
        acts[count++] = Act::Collect;
        break;
    case Role::Mill:
    case Role::Plant:
        if (isEmpty(step(part, level).resOut))
        {
            if (belowTop)
                acts[count++] = Act::Build;
        }
        else if (unit.role == Role::Plant)
            acts[count++] = Act::Produce;
        if (level > 0 && belowTop)
            acts[count++] = Act::Upgrade;
        break;
    case Role::Barrier:
        acts[count++] = Act::Clear;
        break;
    case Role::Road:
    case Role::Quest:
        if (belowTop)
            acts[count++] = Act::Build;
        break;
    case Role::Animal:
        if (!(flags & Reached) && hospitalOpen(state, unit.hospitalType))
            acts[count++] = Act::Rescue;
        break;
    case Role::Base:
        if (belowTop)
            acts[count++] = Act::Upgrade;
        break;
    case Role::Flood:
    case Role::Hospital:
        break;
    }
    return count;
}

std::vector<LevelModel::Move> LevelModel::moves(const State& state, bool automaticOnly) const
{
    std::vector<Move> found;
    const unsigned free = unlimited(state, nullptr, automaticOnly);
    const std::vector<uint8_t>& reached = region(state);
    for (size_t p = 0; p < m_parts.size(); ++p)
    {
        Act acts[3];
        const int count = actsOf(state, static_cast<int>(p), acts);
        if (count == 0 || !reachedIn(reached, static_cast<int>(p)))
            continue;
        for (int i = 0; i < count; ++i)
        {
            const Move move{acts[i], static_cast<int>(p)};
            if (affordable(state, cost(state, move), free))
                found.push_back(move);
        }
    }
    for (size_t i = 0; i < m_cataclysms.size(); ++i)
    {
        const Move move{Act::Quake, static_cast<int>(i)};
        if (fits(state, move))
            found.push_back(move);
    }
    return found;
}

void LevelModel::fire(State& state, int cataclysm) const
{
    if (cataclysm < 0 || cataclysm >= 32 || (state.fired & (1u << cataclysm)))
        return;
    state.fired |= 1u << cataclysm;
    for (size_t p = 0; p < m_parts.size(); ++p)
    {
        if (state.flags[p] & Removed)
            continue;
        if (m_parts[p].disappearOn == cataclysm)
            remove(state, static_cast<int>(p));
        else if (m_parts[p].appearOn == cataclysm)
            state.flags[p] &= static_cast<uint8_t>(~Hidden);
    }
    state.changed();
}

void LevelModel::raise(State& state, int part) const
{
    ++state.level[static_cast<size_t>(part)];
    state.changed();
    // Every level a unit gains starts the cataclysm linked to it.
    fire(state, m_parts[static_cast<size_t>(part)].trigger);
}

void LevelModel::remove(State& state, int part) const
{
    state.flags[static_cast<size_t>(part)] |= Removed;
    state.changed();
    // A barrier that goes starts the cataclysm linked to it.
    if (m_parts[static_cast<size_t>(part)].role == Role::Barrier)
        fire(state, m_parts[static_cast<size_t>(part)].trigger);
}

LevelModel::State LevelModel::apply(const State& state, const Move& move, bool automaticOnly) const
{
    State next = state;
    if (move.act == Act::Quake)
    {
        fire(next, move.part);
        return next;
    }
    const unsigned free = unlimited(state, nullptr, automaticOnly);
    const Amounts paid = cost(state, move);
    const Amounts got = gain(state, move);
    for (int kind = 0; kind < kKinds; ++kind)
    {
        int& stock = next.stock[static_cast<size_t>(kind)];
        stock -= paid[static_cast<size_t>(kind)];
        if ((free & (1u << kind)) && stock < 0)
            stock = 0;
        stock += got[static_cast<size_t>(kind)];
    }
    const size_t p = static_cast<size_t>(move.part);
    const Part& part = m_parts[p];
    // The levels and flags change below (and in what they start).
    next.changed();
    switch (move.act)
    {
    case Act::Collect:
        if (!part.regenerating)
            remove(next, move.part);
        break;
    case Act::Build:
        raise(next, move.part);
        if (part.pipeStation)
            for (size_t f = 0; f < m_parts.size(); ++f)
                if (m_parts[f].role == Role::Flood)
                    next.flags[f] |= Removed;
        break;
    case Act::Upgrade:
        raise(next, move.part);
        break;
    case Act::Clear:
        next.flags[p] |= Reached;
        remove(next, move.part);
        break;
    case Act::PutOut:
        next.flags[p] &= static_cast<uint8_t>(~Burning);
        break;
    case Act::Repair:
        next.flags[p] &= static_cast<uint8_t>(~Damaged);
        break;
    case Act::Rescue:
        next.flags[p] |= Reached | Removed;
        break;
    case Act::Produce:
    case Act::Quake:
        break;
    }
    return next;
}

bool LevelModel::goalDone(const State& state, const Goal& goal) const
{
    const size_t p = static_cast<size_t>(goal.part);
    const uint8_t flags = state.flags[p];
    // A goal whose unit has gone (taken away by a quake) counts as done, as the game counts it.
    if (flags & Removed)
        return true;
    switch (goal.kind)
    {
    case 0:
    case 2:
        return flags & Reached;
    case 1:
    case 5:
        return state.level[p] >= goal.targetLevel;
    case 6:
        return !(flags & Burning);
    default:
        return true;
    }
}

bool LevelModel::won(const State& state) const
{
    return std::all_of(m_goals.begin(), m_goals.end(),
                       [&](const Goal& goal) { return goalDone(state, goal); });
}

} // namespace LevelPlay
