#pragma once

#include "engine/core/cVector2.h"
#include "game/heroes/ActionItem.h"
#include "game/world/GridPathFinder.h"
#include "game/world/UnitStates.h"

class Game;

// A unit walks a route of grid cells, frame by frame, on a uniform cubic B-spline through the
// cells' positions. Each step from cell to cell takes the path finder's step cost (the cells'
// speeds, hero or man speed, the level's walking bonuses), fixed when the step begins. The
// walker keeps its start cell while it walks and only its offset changes; it turns to face
// its way once it has moved more than 3 field units, and drags the units attached to it
// (whose views are shown) behind it at their type's "Distance". At the end it stands on the
// last cell at the end offset, idle.
//
// The record (98 bytes): the header, the walker's number, the route's first and last cells,
// the end offset, the index, the walking state, the curve, elapsed, duration, the heading
// point and the start cell's centre. The route between the two cells is searched again when
// the record is read; when the way has been closed since the save, see `findWayOn`.
class MoveActionItem final : public ActionItem
{
public:
    using Route = boost::shared_ptr<CellPath>;

    // Cubic coefficients per coordinate: value(t) = ((a3 t + a2) t + a1) t + a0.
    struct SplineSegment
    {
        float x[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        float y[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    };

    MoveActionItem();
    MoveActionItem(const UnitPtr& walker, const Route& route, eUnitState walkingState,
                   const Engine::cVector2& endOffset);

    void save(LevelArchive& archive, const UnitNumbering& numbering) const override;
    void load(LevelArchive& archive, const Units& units) override;
    // A route of no cell or one cell (or none at all) ends the walk at once.
    void start() override;
    // Lets go of the walker; nothing else.
    void stop() override;
    void update() override;
    // Ended from outside: the walker stays where its view stands, on the cell it was leaving,
    // in its walking state.
    void complete() override;

    // The state the hero's tool takes when the walk starts (move unless a chain says else).
    void setAttachState(eUnitState state) { m_attachState = state; }
    // The walker stands on the last cell at the end offset, idle; the tick over its goal's
    // target goes.
    void arrive();

    const UnitPtr& getWalker() const { return m_walker; }
    const Route& getRoute() const { return m_route; }
    int getIndex() const { return m_index; }
    float getElapsed() const { return m_elapsed; }
    float getDuration() const { return m_duration; }
    const SplineSegment& getCurve() const { return m_curve; }
    eUnitState getAttachState() const { return m_attachState; }

    // Degrees of a movement in field coordinates: 0 faces +x, 90 faces up the screen.
    static float walkHeading(const Engine::cVector2& movement);

private:
    // The curve and the duration of the step from route[index] to route[index + 1].
    void beginSegment();
    // Refuses a restored walk that would take its walker off the field, and finds the point
    // its saved curve is relative to.
    void checkOnTheField(LevelArchive& archive, Game& game, const Engine::cPoint& first,
                         const Engine::cPoint& last);
    void stepAlongCurve();
    void dragFollowers(const Engine::cVector2& lead);
    // A restored walk whose way has been closed since the save (rubble thrown down by a quake)
    // does not jump: the walker stays where it stands. A goal whose work has not begun is
    // withdrawn and the hero walks home by route; any other walk (home, or to the hospital)
    // searches a way to its last cell from there and walks it. True when this walk goes on.
    bool findWayOn();
    size_t routeSize() const { return m_route ? m_route->size() : 0; }

    UnitPtr m_walker;
    Route m_route;
    int32_t m_index = 0;
    eUnitState m_walkingState = eUnitState::move;
    float m_elapsed = 0.0f;
    float m_duration = 0.0f;
    Engine::cVector2 m_heading;
    Engine::cVector2 m_endOffset;
    Engine::cVector2 m_splineOrigin;
    SplineSegment m_curve;
    eUnitState m_attachState = eUnitState::move;
    Engine::cVector2 m_startCellCentre;
    // Restored without a way from its first cell to this one.
    bool m_wayLost = false;
    Engine::cPoint m_lastCell;
};
