#include "game/heroes/Goal.h"

#include "game/heroes/ActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/cUnit.h"

#include <boost/make_shared.hpp>

#include <string>

Goal::Goal() = default;

Goal::Goal(const UnitPtr& target, cGameResources cost) : m_target(target), m_cost(std::move(cost)) {}

Goal::~Goal() = default;

void Goal::releaseAction()
{
    if (!m_action)
        return;
    // Completing the chain may reach code that looks at this goal: forget it first.
    const boost::shared_ptr<ActionItem> action = m_action;
    m_action.reset();
    action->complete();
}

void Goal::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    archive.write4(static_cast<int32_t>(LevelArchive::findId(numbering, m_target)));
    if (m_hero)
    {
        archive.write4(static_cast<int32_t>(LevelArchive::findId(numbering, m_hero)));
        // A hero that holds the goal before its route was planned (or whose search found
        // nothing) saves its own cell as both ends.
        if (m_route && !m_route->empty())
        {
            archive.write8(m_route->front());
            archive.write8(m_route->back());
        }
        else
        {
            archive.write8(m_hero->getCell());
            archive.write8(m_hero->getCell());
        }
    }
    else
        archive.write4(static_cast<int32_t>(-1));
    archive.write4(static_cast<int32_t>(m_attachType));
    m_cost.save(archive);
    archive.write4(static_cast<int32_t>(m_status));
    archive.write4(static_cast<int32_t>(m_upgrade ? 1 : 0));
}

void Goal::load(LevelArchive& archive, const std::vector<UnitPtr>& units)
{
    int32_t number = -1;
    archive.read4(number);
    m_target = archive.unitAt(units, number);
    if (!m_target)
        archive.fail("a goal without a target");
    archive.read4(number);
    m_hero = archive.unitAt(units, number);
    // Goals are given to heroes: a building holding one would be sent home and parked in the
    // base when its work ends, the base under itself at worst.
    if (m_hero && !GameConfig::instance().isOfCategory(m_hero->getTypeId(), UnitCategory::hero))
        archive.fail("a goal held by a unit that is no hero");
    if (m_hero)
    {
        Engine::cPoint start;
        Engine::cPoint end;
        archive.read8(start);
        archive.read8(end);
        m_route = boost::make_shared<CellPath>();
        if (Game* game = Game::instance())
        {
            // A saved route runs between cells of the grid (the hero's own cell when none was
            // planned): any other pair is a damaged save, and no search may start from it.
            if (!game->getOccupancy().inside(start) || !game->getOccupancy().inside(end))
                archive.fail("a goal whose route leaves the grid");
            Engine::cPoint closest = kNoCell;
            game->getOccupancy().findPath(start, end, *m_route, closest);
        }
    }
    int32_t value = 0;
    archive.read4(value);
    m_attachType = value;
    m_cost.load(archive);
    archive.read4(value);
    if (value < Waiting || value > Working)
        archive.fail("a goal of status " + std::to_string(value));
    // A goal is given its hero as it leaves the waiting list: a waiting goal that names one
    // would be handed to a second hero while the first still works on it.
    if (value == Waiting && m_hero)
        archive.fail("a waiting goal with a hero");
    m_status = value;
    archive.read4(value);
    m_upgrade = value != 0;
}
