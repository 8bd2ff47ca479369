#include "game/world/LevelReachCheck.h"

#include "engine/core/StringUtils.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"

#include <set>

namespace
{

std::string cellText(const Engine::cPoint& cell)
{
    return std::to_string(cell.x) + ";" + std::to_string(cell.y);
}

} // namespace

LevelReachCheck::LevelReachCheck(Game& game) : m_game(game) {}

bool LevelReachCheck::isOpenable(const cUnit::Ptr& unit) const
{
    GameConfig& config = GameConfig::instance();
    for (const wchar_t* category : {UnitCategory::barrier, UnitCategory::barrierroad, UnitCategory::road})
        if (config.isOfCategory(unit->getTypeId(), category))
            return true;
    return false;
}

bool LevelReachCheck::reaches(const cUnit::Ptr& unit)
{
    Engine::cPoint closest = kNoCell;
    return m_game.planRoute(unit, m_start, closest).path != nullptr;
}

std::string LevelReachCheck::name(const cUnit::Ptr& unit) const
{
    int number = 0;
    const auto range = m_game.getUnits().equal_range(unit->getTypeId());
    for (auto it = range.first; it != range.second; ++it)
    {
        ++number;
        if (it->second == unit)
            break;
    }
    return Engine::toUtf8(unit->typeName) + "#" + std::to_string(number) + " at cell " +
           cellText(unit->getCell());
}

std::vector<Engine::cPoint> LevelReachCheck::standingCells(const cUnit::Ptr& unit, std::string& refused) const
{
    std::vector<Engine::cPoint> standing;
    GridPathFinder& grid = m_game.getOccupancy();
    for (const Engine::cPoint& cell : m_game.approachCells(unit))
    {
        const bool own = unit->getFreeCells() && unit->getFreeCells()->count(cell.x * 1000 + cell.y);
        std::string why;
        if (!grid.inside(cell))
            why = "lies outside the field";
        else if (own)
            why = "is one of its own cells";
        else if (grid.getCellFlags(cell) & kCellBlocked)
            why = "is blocked";
        if (why.empty())
            standing.push_back(cell);
        else
            refused +=
                (refused.empty() ? "" : ", ") + std::string("approach cell ") + cellText(cell) + " " + why;
    }
    return standing;
}

std::vector<std::string> LevelReachCheck::run()
{
    std::vector<std::string> problems;
    const cUnit::Ptr base = m_game.getBase();
    if (!base)
        return problems;
    m_start = base->getCell();

    std::vector<cUnit::Ptr> openable;
    for (const auto& entry : m_game.getUnits())
        if (isOpenable(entry.second))
            openable.push_back(entry.second);

    // What the heroes reach opens, and may open the way to more.
    std::set<cUnit::Ptr> open;
    for (bool opened = true; opened;)
    {
        opened = false;
        for (const cUnit::Ptr& unit : openable)
            if (!open.count(unit) && reaches(unit))
            {
                m_game.updateUnitCells(unit, true);
                open.insert(unit);
                opened = true;
            }
    }

    const std::string from = " from the base's route start at cell " + cellText(m_start);
    for (const cUnit::Ptr& unit : openable)
    {
        std::string refused;
        if (standingCells(unit, refused).empty())
            problems.push_back(name(unit) + " has no approach cell a hero can stand on: " + refused);
        else if (!open.count(unit))
        {
            std::string cells;
            for (const Engine::cPoint& cell : m_game.approachCells(unit))
                cells += (cells.empty() ? "" : ", ") + cellText(cell);
            problems.push_back(name(unit) + " cannot be reached" + from + " (approach cell " + cells + ")");
        }
    }
    for (const LevelGoal& goal : m_game.getLevelGoals())
    {
        const cUnit::Ptr target = goal.target.lock();
        if (!target || isOpenable(target) || reaches(target))
            continue;
        std::string cells;
        for (const Engine::cPoint& cell : m_game.approachCells(target))
            cells += (cells.empty() ? "" : ", ") + cellText(cell);
        problems.push_back("the goal's unit " + name(target) + " cannot be reached" + from +
                           " (approach cell " + cells + ")");
    }
    return problems;
}
