#pragma once

#include "game/world/GridPathFinder.h"
#include "game/world/LevelArchive.h"
#include "game/world/cGameResources.h"

#include <boost/shared_ptr.hpp>

#include <vector>

class ActionItem;
class cUnit;

// One unit the player ordered served, from the click until a hero has done the work: the
// unit, what it cost, which hero took it, the route that hero walks, the chain that does the
// work, and how far it has come. The planner keeps goals in its list and writes them into the
// saved level; the hero holds its current goal; the actions read and move it on.
class Goal
{
public:
    using UnitPtr = boost::shared_ptr<cUnit>;
    using Route = boost::shared_ptr<CellPath>;

    // Status values.
    static constexpr int Waiting = 0;  // queued, no hero yet
    static constexpr int Assigned = 1; // a hero is on its way
    static constexpr int Working = 2;  // work at the target has begun; no longer cancellable

    // Every reference empty, attach type -1, status waiting; for `load`.
    Goal();
    Goal(const UnitPtr& target, cGameResources cost);
    virtual ~Goal();

    virtual const int& getAttachType() const { return m_attachType; }
    virtual void setAttachType(const int& type) { m_attachType = type; }
    virtual const int& getStatus() const { return m_status; }
    virtual void setStatus(const int& status) { m_status = status; }
    virtual const bool& isUpgrade() const { return m_upgrade; }
    virtual void setUpgrade(const bool& upgrade) { m_upgrade = upgrade; }

    UnitPtr getTarget() const { return m_target; }
    UnitPtr getHero() const { return m_hero; }
    void setHero(const UnitPtr& hero) { m_hero = hero; }
    Route getRoute() const { return m_route; }
    void setRoute(const Route& route) { m_route = route; }
    boost::shared_ptr<ActionItem> getAction() const { return m_action; }
    void setAction(const boost::shared_ptr<ActionItem>& action) { m_action = action; }
    cGameResources& getResources() { return m_cost; }
    const cGameResources& getResources() const { return m_cost; }

    // Completes the goal's chain, if any, and forgets it.
    void releaseAction();

    // The record: target, hero (-1 when none; then the route's first and last cell), attach
    // type, cost, status, upgrade (4 bytes). A hero without a route writes its own cell twice.
    void save(LevelArchive& archive, const UnitNumbering& numbering) const;
    // Reads the record; the route is searched again between its two saved cells on the
    // level's occupancy grid. The action is not part of the record.
    void load(LevelArchive& archive, const std::vector<UnitPtr>& units);

private:
    UnitPtr m_target;
    int m_attachType = -1;
    UnitPtr m_hero;
    cGameResources m_cost;
    Route m_route;
    int m_status = Waiting;
    bool m_upgrade = false;
    boost::shared_ptr<ActionItem> m_action;
};
