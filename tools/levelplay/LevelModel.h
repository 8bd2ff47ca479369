#pragma once

#include "game/world/cUnit.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class Game;

namespace LevelPlay
{

// A level reduced to what decides whether it can still be won: the resources in stock, the
// piles, mills and plants that give more, what each piece of work costs and leaves behind, and
// the barriers, roads and bridges that close or open the ways. It is read from a level model
// of the game, at its start or in play, with the game's own rules:
//
// - a unit's costs and yields are those of its level blocks (its own, its fire block while it
//   burns), as the planner and the work items read them;
// - a click is a move where the planner would queue it: the unit shown, its level not at its
//   last or highest, the stock covering the cost, and the unit reached from the base as the
//   route search reaches it (a way over free cells in eight directions to a cell less than two
//   cells from one of its approach cells);
// - what work leaves is what the work items leave: a cleared barrier gone with its cells, a
//   built road or bridge open, a repaired building giving its level's yield, a pumping station
//   draining the flood, a level raised starting the cataclysm linked to the unit.
//
// Time plays no part: work ends at once, a pile that falls later lies there already, a mill
// that makes a resource makes as much of it as is wanted, and a quake of the level's timetable
// strikes when a move says so (the earliest one first). Resources that a player can always get
// more of ("unlimited": a working mill's output, a pile that falls again, a plant's output whose
// inputs are unlimited) are paid without counting.
class LevelModel
{
public:
    // Resource ids the model follows (the game's resource table numbers them from 0).
    static constexpr int kKinds = 8;
    using Amounts = std::array<int, kKinds>;

    enum class Role : uint8_t
    {
        Pile,
        Mill,
        Plant,
        Barrier,
        Road,
        Quest,
        Animal,
        Base,
        Flood,
        Hospital
    };

    // A part's flags in a state.
    enum Flag : uint8_t
    {
        Removed = 1,
        Hidden = 2, // waits for its quake to appear
        Burning = 4,
        Damaged = 8,
        Reached = 16 // its goal is fulfilled (a barrier cleared, an animal taken home)
    };

    // The most units a state follows: a level has a few dozen.
    static constexpr size_t kMostParts = 256;

    struct State
    {
        std::array<uint8_t, kMostParts> level{};
        std::array<uint8_t, kMostParts> flags{};
        size_t count = 0; // the parts in use
        Amounts stock{};
        uint32_t fired = 0; // cataclysms that have struck
        // A hash of everything but the stock, and of everything.
        uint64_t status() const;
        uint64_t whole() const;
        // To be called after a level or a flag changed: what was worked out from them goes.
        void changed()
        {
            free[0] = free[1] = -1;
            reached = nullptr;
        }

        // Worked out from the levels and flags when first asked (the stock plays no part):
        // the unlimited resources (all sources, automatic ones only) and the cells reached.
        mutable int64_t free[2] = {-1, -1};
        mutable const std::vector<uint8_t>* reached = nullptr;
    };

    enum class Act : uint8_t
    {
        Collect, // a pile taken home
        Build,   // a click that raises the level: a mill, plant, road, bridge or quest
        Upgrade, // the upgrade button of a mill, plant or the base
        Clear,   // a barrier cleared
        PutOut,  // a fire put out
        Repair,
        Rescue,  // an animal freed and taken to the hospital
        Produce, // a plant fed, and its output fetched
        Quake    // the next quake of the timetable strikes (`part` is the cataclysm)
    };

    struct Move
    {
        Act act = Act::Collect;
        int part = -1;
    };

    // The rules of one level of a part.
    struct Step
    {
        Amounts upIn{};
        Amounts resIn{};
        Amounts resOut{};
        Amounts autoResOut{};
        Amounts repairRes{};
        int freeCell = 2;
        // The resources of resIn, resOut and autoResOut, one bit per resource id.
        unsigned inKinds = 0;
        unsigned outKinds = 0;
        unsigned autoKinds = 0;
    };

    struct Part
    {
        cUnit::Ptr unit;
        std::string type;
        Role role = Role::Pile;
        std::vector<Step> steps;
        int lastLevel = 0;
        int maxLevel = -1;
        Amounts fireIn{};
        Amounts fireOut{};
        Amounts pile{};
        unsigned pileKinds = 0;
        bool regenerating = false;
        int appearOn = -1;
        int disappearOn = -1;
        int trigger = -1;
        bool pipeStation = false;
        int hospitalType = -1;
        // Grid indices of the cells it closes (barriers, roads, bridges, the flood).
        std::vector<int> cells;
        // Grid indices of the cells from which the route search reaches it.
        std::vector<int> near;
        bool atStart = false;
        // Steps from the base over the open field; -1 where none leads.
        int distance = -1;
    };

    struct Goal
    {
        int kind = 0; // the game's goal kinds: 0 fulfil, 1 and 5 reach a level, 2 clear, 6 put out
        int part = -1;
        int targetLevel = 0;
    };

    struct Cataclysm
    {
        int start = -1; // level time; -1 when only a unit starts it
        int duration = 0;
    };

    // Reads the level as it stands now: its units, levels, flags and stock.
    explicit LevelModel(Game& game);

    const State& start() const { return m_start; }
    const std::vector<Part>& parts() const { return m_parts; }
    const std::vector<Goal>& goals() const { return m_goals; }
    const std::vector<Cataclysm>& cataclysms() const { return m_cataclysms; }

    // Every move the player (or the level's clock) could make now. With `automaticOnly`, only
    // what comes into the stock by itself (a mill's output) is paid without counting: a pile
    // that falls again must be taken, a plant fed, as the moves of a script do.
    std::vector<Move> moves(const State& state, bool automaticOnly = false) const;
    bool allows(const State& state, const Move& move, bool automaticOnly = false) const;
    // The move's kind fits the part as it stands (its role, level, fire and damage), whether
    // or not the part is reached and its cost paid.
    bool fits(const State& state, const Move& move) const;
    State apply(const State& state, const Move& move, bool automaticOnly = false) const;
    Amounts cost(const State& state, const Move& move) const;
    Amounts gain(const State& state, const Move& move) const;

    // The resources the player can always get more of, one bit per resource id. `reach`, when
    // given, says per part whether it counts as reached instead of the state's ways.
    unsigned unlimited(const State& state, const std::vector<uint8_t>* reach = nullptr,
                       bool automaticOnly = false) const;
    bool affordable(const State& state, const Amounts& cost, unsigned unlimitedKinds) const;
    bool reachable(const State& state, int part) const;
    bool present(const State& state, int part) const
    {
        return !(state.flags[static_cast<size_t>(part)] & (Removed | Hidden));
    }
    bool goalDone(const State& state, const Goal& goal) const;
    bool won(const State& state) const;

    // The rules of a part at a level (the last block beyond the last level).
    const Step& step(int part, int level) const;
    // "Money 2 Cement 1".
    std::string amountsText(const Amounts& amounts) const;
    std::string resourceName(int kind) const;
    // "BrokenRoad#2 (cell 12;23)": the part as a script names it in that state.
    std::string label(const State& state, int part) const;
    // Its type and number in that state: "BrokenRoad#2".
    std::string scriptName(const State& state, int part) const;
    // The role's category word.
    static const char* roleName(Role role);

private:
    void readParts(Game& game);
    void readGrid(Game& game);
    void readGoalsAndCataclysms(Game& game);
    void fire(State& state, int cataclysm) const;
    void raise(State& state, int part) const;
    void remove(State& state, int part) const;
    bool hospitalOpen(const State& state, int type) const;
    unsigned findUnlimited(const State& state, const std::vector<uint8_t>* reach, bool automaticOnly) const;
    // The acts that fit the part as it stands (at most three); their count.
    int actsOf(const State& state, int part, Act acts[3]) const;
    const std::vector<uint8_t>& region(const State& state) const;
    bool reachedIn(const std::vector<uint8_t>& region, int part) const;
    // Calls `visit` with each of the up to eight cells around `cell` on the field (cells are
    // numbered column by column).
    template <class Visit> void forEachNeighbour(int cell, Visit visit) const
    {
        const int x = cell / m_height;
        const int y = cell % m_height;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
            {
                const int nx = x + dx;
                const int ny = y + dy;
                if ((dx != 0 || dy != 0) && nx >= 0 && nx < m_width && ny >= 0 && ny < m_height)
                    visit(nx * m_height + ny);
            }
    }

    std::vector<Part> m_parts;
    std::vector<Goal> m_goals;
    std::vector<Cataclysm> m_cataclysms;
    std::vector<std::wstring> m_resourceNames;
    State m_start;
    float m_autoProduceTime = 0.0f;
    int m_width = 0;
    int m_height = 0;
    int m_startCell = -1;
    // The grid with every barrier, road, bridge and flood open: 1 where nobody walks.
    std::vector<uint8_t> m_blocked;
    std::vector<int> m_openers;
    // The cells reached from the start, by the set of closing parts.
    mutable std::unordered_map<uint64_t, std::vector<uint8_t>> m_regions;
};

} // namespace LevelPlay
