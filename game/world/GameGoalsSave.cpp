// Game: the level's goals in the saved unfinished level.
//
// The goals are built from the units (Game::buildLevelGoals), but a unit whose goal was met by
// taking it off the field (a cleared barrier, a rescued animal) is not saved, and a met goal
// that only its judgement remembered (a fire put out, a barrier's "reached" flag) would be
// judged afresh. So the goals follow the rest of the save as a section of their own:
//   the tag "GOAL", the goal count, then per goal: kind, unit number (-1 for a unit that has
//   left the field), type id, done flag (1 byte), briefing id and goal category (narrow
//   strings).
// The section is optional on reading: a save written before it existed ends after the help
// resources, and its goals are built from the units alone.
#include "game/world/Game.h"

#include "game/world/GameConfig.h"

#include <string>
#include <vector>

namespace
{

// "GOAL" as the file's bytes.
constexpr uint32_t kGoalsTag = 0x4C414F47u;
// Kind, unit, type id, done flag and two empty strings.
constexpr size_t kMinGoalBytes = 4 + 4 + 4 + 1 + 4 + 4;

bool isGoalKind(int32_t kind)
{
    return kind == 0 || kind == 1 || kind == 2 || kind == 5 || kind == 6;
}

struct SavedGoal
{
    int32_t kind = 0;
    int32_t unit = -1;
    int32_t typeId = -1;
    bool done = false;
    std::string breafId;
    std::string goalCategory;
};

} // namespace

void Game::writeLevelGoals(LevelArchive& archive, const UnitNumbering& numbering) const
{
    archive.write4(kGoalsTag);
    archive.write4(static_cast<int32_t>(m_levelGoals.size()));
    for (const LevelGoal& goal : m_levelGoals)
    {
        const cUnit::Ptr unit = goal.target.lock();
        archive.write4(static_cast<int32_t>(goal.kind));
        archive.write4(static_cast<int32_t>(unit ? LevelArchive::findId(numbering, unit) : -1));
        archive.write4(static_cast<int32_t>(goal.typeId));
        archive.write1(goal.done);
        archive.writeString(goal.breafId);
        archive.writeString(goal.goalCategory);
    }
}

void Game::readLevelGoals(LevelArchive& archive, const std::vector<cUnit::Ptr>& units)
{
    std::vector<SavedGoal> saved;
    if (archive.remaining() != 0)
    {
        uint32_t tag = 0;
        archive.read4(tag);
        if (tag != kGoalsTag)
            archive.fail(std::to_string(archive.remaining() + 4) + " bytes follow the end of the level");
        const int count = archive.readCount(kMinGoalBytes);
        saved.resize(static_cast<size_t>(count));
        for (SavedGoal& goal : saved)
        {
            archive.read4(goal.kind);
            archive.read4(goal.unit);
            archive.read4(goal.typeId);
            archive.read1(goal.done);
            archive.readString(goal.breafId);
            archive.readString(goal.goalCategory);
            if (!isGoalKind(goal.kind))
                archive.fail("a goal of the kind " + std::to_string(goal.kind));
            if (goal.unit < -1 || goal.unit >= static_cast<int32_t>(units.size()))
                archive.fail("a goal of the unit " + std::to_string(goal.unit));
            if (goal.typeId != -1 && !GameConfig::instance().getTypeInfo(goal.typeId))
                archive.fail("a goal of the unit type " + std::to_string(goal.typeId));
        }
    }

    buildLevelGoals();
    if (saved.empty())
        return;
    // The goals come back in the saved order, so that the level saved again holds the same
    // bytes; a goal the restored units give besides (a save made before the goals were built)
    // follows them.
    std::vector<LevelGoal> built;
    built.swap(m_levelGoals);
    std::vector<bool> taken(built.size(), false);
    for (const SavedGoal& goal : saved)
    {
        if (goal.unit == -1)
        {
            // The unit left the field before the save: the goal keeps its place in its row.
            LevelGoal gone;
            gone.kind = goal.kind;
            gone.typeId = goal.typeId;
            gone.done = goal.done;
            gone.breafId = goal.breafId;
            gone.goalCategory = goal.goalCategory;
            m_levelGoals.push_back(gone);
            continue;
        }
        const cUnit::Ptr& unit = units[static_cast<size_t>(goal.unit)];
        for (size_t i = 0; i < built.size(); ++i)
            if (!taken[i] && built[i].target.lock() == unit)
            {
                taken[i] = true;
                // A goal met stays met, as it does while the level runs.
                built[i].done = built[i].done || goal.done;
                m_levelGoals.push_back(built[i]);
                break;
            }
    }
    for (size_t i = 0; i < built.size(); ++i)
        if (!taken[i])
            m_levelGoals.push_back(built[i]);
}
