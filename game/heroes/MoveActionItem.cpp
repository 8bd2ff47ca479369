#include "game/heroes/MoveActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <list>
#include <vector>

namespace
{

const ActionItemRegistration registration(MoveAction, &createActionItem<MoveActionItem>);

// A walker that moved further than this from its heading point turns (squared units).
constexpr float kTurnDistanceSquared = 9.0f;
// A follower that is pulled further than this turns to its way (squared units).
constexpr float kFollowerTurnSquared = 4.0f;

bool isHero(const cUnit& unit)
{
    return GameConfig::instance().isOfCategory(unit.getTypeId(), UnitCategory::hero);
}

float squared(const Engine::cVector2& v)
{
    return v.x * v.x + v.y * v.y;
}

// The uniform cubic B-spline segment on four control points, for one coordinate.
void bSpline(float p0, float p1, float p2, float p3, float (&a)[4])
{
    a[0] = (p0 + 4.0f * p1 + p2) / 6.0f;
    a[1] = (p2 - p0) / 2.0f;
    a[2] = (p0 - 2.0f * p1 + p2) / 2.0f;
    a[3] = (-p0 + 3.0f * (p1 - p2) + p3) / 6.0f;
}

float cubic(const float (&a)[4], float t)
{
    return ((a[3] * t + a[2]) * t + a[1]) * t + a[0];
}

// The values a cubic takes for t in [0, 1]: at the ends and where its slope is zero inside.
std::vector<float> cubicValues(const float (&a)[4])
{
    std::vector<float> values = {cubic(a, 0.0f), cubic(a, 1.0f)};
    // The slope 3 a3 t^2 + 2 a2 t + a1.
    const double qa = 3.0 * a[3];
    const double qb = 2.0 * a[2];
    const double qc = a[1];
    std::vector<double> roots;
    if (std::fabs(qa) < 1e-12)
    {
        if (std::fabs(qb) > 1e-12)
            roots.push_back(-qc / qb);
    }
    else
    {
        const double discriminant = qb * qb - 4.0 * qa * qc;
        if (discriminant >= 0.0)
        {
            const double root = std::sqrt(discriminant);
            roots.push_back((-qb - root) / (2.0 * qa));
            roots.push_back((-qb + root) / (2.0 * qa));
        }
    }
    for (double t : roots)
        if (t > 0.0 && t < 1.0)
            values.push_back(cubic(a, static_cast<float>(t)));
    return values;
}

float cubicLow(const float (&a)[4])
{
    const std::vector<float> values = cubicValues(a);
    return *std::min_element(values.begin(), values.end());
}

float cubicHigh(const float (&a)[4])
{
    const std::vector<float> values = cubicValues(a);
    return *std::max_element(values.begin(), values.end());
}

} // namespace

MoveActionItem::MoveActionItem() : ActionItem(MoveAction) {}

MoveActionItem::MoveActionItem(const UnitPtr& walker, const Route& route, eUnitState walkingState,
                               const Engine::cVector2& endOffset)
    : ActionItem(MoveAction), m_walker(walker), m_route(route), m_walkingState(walkingState),
      m_endOffset(endOffset)
{
}

float MoveActionItem::walkHeading(const Engine::cVector2& movement)
{
    return std::atan2(-movement.y, movement.x) * (1.0f / 0.017453292f);
}

void MoveActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_walker);
    // A walk without cells is written from the walker's cell to itself: read back, its route
    // is empty again and the walk ends at once.
    Engine::cPoint first;
    Engine::cPoint last;
    if (routeSize() > 0)
    {
        first = m_route->front();
        last = m_route->back();
    }
    else if (m_walker)
        first = last = m_walker->getCell();
    archive.write8(first);
    archive.write8(last);
    archive.write8(m_endOffset);
    archive.write4(m_index);
    archive.write4(static_cast<int32_t>(m_walkingState));
    for (float a : m_curve.x)
        archive.write4(a);
    for (float a : m_curve.y)
        archive.write4(a);
    archive.write4(m_elapsed);
    archive.write4(m_duration);
    archive.write8(m_heading);
    archive.write8(m_startCellCentre);
}

void MoveActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_walker = readUnit(archive, units);
    if (!m_walker)
        archive.fail("a walk without a walker");
    Engine::cPoint first;
    Engine::cPoint last;
    archive.read8(first);
    archive.read8(last);
    archive.read8(m_endOffset);
    archive.read4(m_index);
    int32_t state = 0;
    archive.read4(state);
    if (m_index < 0 || !isUnitState(state))
        archive.fail("a walk at step " + std::to_string(m_index) + " in state " + std::to_string(state));
    m_walkingState = static_cast<eUnitState>(state);
    for (float& a : m_curve.x)
        archive.read4(a);
    for (float& a : m_curve.y)
        archive.read4(a);
    archive.read4(m_elapsed);
    archive.read4(m_duration);
    archive.read8(m_heading);
    archive.read8(m_startCellCentre);
    m_attachState = eUnitState::move;
    // The grid may have changed since the save: the walk goes on along the route found now.
    // One too short for the saved step ends at its next update (see update).
    m_route = boost::make_shared<CellPath>();
    m_lastCell = last;
    if (Game* game = Game::instance())
    {
        checkOnTheField(archive, *game, first, last);
        Engine::cPoint closest = kNoCell;
        m_wayLost = first != last &&
                    game->getOccupancy().findPath(first, last, *m_route, closest) == GridPathFinder::NoRoute;
    }
}

void MoveActionItem::checkOnTheField(LevelArchive& archive, Game& game, const Engine::cPoint& first,
                                     const Engine::cPoint& last)
{
    const GridPathFinder& grid = game.getOccupancy();
    const auto coordinate = [](float value) { return std::isfinite(value) && std::fabs(value) <= 1.0e6f; };
    const auto onTheField = [&](const Engine::cVector2& position)
    { return coordinate(position.x) && coordinate(position.y) && grid.inside(game.posToCell(position)); };
    for (int i = 0; i < 4; ++i)
        if (!coordinate(m_curve.x[i]) || !coordinate(m_curve.y[i]))
            archive.fail("a walk whose curve is no curve of the field");
    if (!coordinate(m_elapsed) || !coordinate(m_duration) || m_elapsed < 0.0f || m_duration < 0.0f)
        archive.fail("a walk timed " + std::to_string(m_elapsed) + " of " + std::to_string(m_duration) +
                     " s");
    if (!grid.inside(first) || !grid.inside(last) || !onTheField(game.cellOffsetToPos(last, m_endOffset)) ||
        !onTheField(m_heading) || !onTheField(m_startCellCentre))
        archive.fail("a walk that leaves the grid");
    // The curve is relative to the point its segment began at, which is not saved: the walker
    // stands on the curve at the saved time, so that point is where it stands less the curve's
    // way so far. The whole segment must keep to the field, or the walker would be saved again
    // where no reader takes it back.
    const float t = m_duration > 0.0f ? std::min(m_elapsed / m_duration, 1.0f) : 1.0f;
    m_splineOrigin = game.unitPos(m_walker) - Engine::cVector2(cubic(m_curve.x, t), cubic(m_curve.y, t));
    const Engine::cVector2 low = m_splineOrigin + Engine::cVector2(cubicLow(m_curve.x), cubicLow(m_curve.y));
    const Engine::cVector2 high =
        m_splineOrigin + Engine::cVector2(cubicHigh(m_curve.x), cubicHigh(m_curve.y));
    if (!onTheField(low) || !onTheField(high))
        archive.fail("a walk that leaves the grid");
}

void MoveActionItem::start()
{
    if (routeSize() <= 1)
    {
        ActionItem::start();
        arrive();
        return;
    }
    Game* game = Game::instance();
    // The walk places its walker by offsets from the route's first cell. A walker standing on
    // another cell (set down elsewhere than where its route was searched from) is moved onto
    // that cell at the place where it stands, or the offsets would throw it off by the cells
    // between the two, off the field at worst.
    const Engine::cPoint first = m_route->front();
    if (m_walker->getCell() != first)
        m_walker->setCell(first, game->unitPos(m_walker) - game->cellToPos(first));
    m_index = 0;
    m_elapsed = 0.0f;
    beginSegment();
    m_walker->setState(m_walkingState, -1);
    ActionItem::start();
    m_startCellCentre = game->cellToPos(m_route->front());
    if (!isHero(*m_walker))
        return;
    // Only the first tool in the hero's list comes along at the start of the walk.
    if (const UnitPtr tool = m_walker->getAttachedOfType())
    {
        tool->setCell(m_route->front(), m_walker->getOffset());
        tool->setState(m_attachState, -1);
    }
}

void MoveActionItem::stop()
{
    m_walker.reset();
}

void MoveActionItem::update()
{
    if (isDone() || !m_walker)
        return;
    if (m_wayLost)
    {
        m_wayLost = false;
        if (!findWayOn())
            return;
    }
    // A restored walk whose route was searched again may be shorter than the saved step, or
    // have no cells at all: it cannot go on, so it ends where the new route ends.
    if (static_cast<size_t>(m_index) + 1 >= routeSize())
    {
        arrive();
        return;
    }
    m_elapsed += frameTime();
    if (m_elapsed >= m_duration)
    {
        // At most one cell boundary per frame; the excess carries over into the next step.
        m_elapsed -= m_duration;
        ++m_index;
        if (static_cast<size_t>(m_index) + 1 == routeSize())
        {
            arrive();
            return;
        }
        beginSegment();
    }
    stepAlongCurve();
}

bool MoveActionItem::findWayOn()
{
    Game* game = Game::instance();
    const UnitPtr walker = m_walker;
    const Engine::cVector2 at = game->unitPos(walker);
    const Engine::cPoint cell = game->posToCell(at);
    walker->setCell(cell, at - game->cellToPos(cell));
    GameController& controller = game->getController();
    if (const boost::shared_ptr<Goal> goal = walker->getGoal())
        if (controller.cancelGoal(goal))
        {
            // The goal's chain, this walk with it, has been completed; a chain the goal did
            // not hold ends here.
            if (isActive())
                complete();
            return false;
        }
    auto route = boost::make_shared<CellPath>();
    Engine::cPoint closest = kNoCell;
    if (game->getOccupancy().findPath(cell, m_lastCell, *route, closest) == GridPathFinder::NoRoute ||
        route->size() <= 1)
    {
        arrive();
        return false;
    }
    m_route = route;
    m_index = 0;
    m_elapsed = 0.0f;
    m_startCellCentre = game->cellToPos(route->front());
    beginSegment();
    walker->setState(m_walkingState, -1);
    return true;
}

void MoveActionItem::complete()
{
    if (m_walker && static_cast<size_t>(m_index) < routeSize())
    {
        Game* game = Game::instance();
        const Engine::cPoint cell = (*m_route)[static_cast<size_t>(m_index)];
        // The view follows the unit at once: the unit's own place is where its view stands.
        m_walker->setCell(cell, game->unitPos(m_walker) - game->cellToPos(cell));
    }
    ActionItem::complete();
}

void MoveActionItem::arrive()
{
    // The walk may end at its start: keep the walker alive through the signals below.
    const UnitPtr walker = m_walker;
    if (walker)
    {
        if (routeSize() > 0)
            walker->setCell(m_route->back(), m_endOffset);
        walker->setState(eUnitState::idle, -1);
        if (const boost::shared_ptr<Goal> goal = walker->getGoal())
            if (const UnitPtr target = goal->getTarget())
                if (UnitView* view = target->getUnitView())
                    view->showGoalTick(false);
    }
    notifyFinished();
}

void MoveActionItem::beginSegment()
{
    Game* game = Game::instance();
    const CellPath& route = *m_route;
    const size_t i = static_cast<size_t>(m_index);
    const size_t n = route.size();
    Engine::cVector2 a = game->freeCellPos(route[i]);
    Engine::cVector2 previous;
    if (i == 0)
    {
        m_heading = game->unitPos(m_walker);
        a = m_heading;
        previous = m_heading;
    }
    else
        previous = game->freeCellPos(route[i - 1]);
    Engine::cVector2 b;
    Engine::cVector2 next;
    if (i + 2 == n)
    {
        b = game->freeCellPos(route[i + 1]) + m_endOffset;
        next = b;
    }
    else
    {
        b = game->freeCellPos(route[i + 1]);
        next = game->freeCellPos(route[i + 2]);
        if (i + 3 == n)
            next += m_endOffset;
    }
    const Engine::cVector2 p0 = previous - a;
    const Engine::cVector2 p2 = b - a;
    const Engine::cVector2 p3 = next - a;
    bSpline(p0.x, 0.0f, p2.x, p3.x, m_curve.x);
    bSpline(p0.y, 0.0f, p2.y, p3.y, m_curve.y);
    m_splineOrigin = a;
    // Heroes that carry something (above level 0) walk at the men's speeds.
    const bool man = isHero(*m_walker) && m_walker->getLevel() > 0;
    m_duration = game->getOccupancy().stepCost(route[i], route[i + 1], man);
}

void MoveActionItem::stepAlongCurve()
{
    Game* game = Game::instance();
    // One segment boundary is passed per frame, so a long frame (a slow one, or steps made
    // short by a speed bonus) can leave more than a step's time over. The walker then waits
    // at the segment's end: the cubic beyond 1 would throw it off its route, even off the
    // field, where a level saved at that moment could not be read back.
    const float t = m_duration > 0.0f ? std::min(m_elapsed / m_duration, 1.0f) : 1.0f;
    const Engine::cVector2 q = m_splineOrigin + Engine::cVector2(cubic(m_curve.x, t), cubic(m_curve.y, t));
    const Engine::cVector2 oldHeading = m_heading;
    const Engine::cVector2 moved = q - m_heading;
    if (squared(moved) > kTurnDistanceSquared)
    {
        m_walker->setAngle(walkHeading(moved));
        m_heading = q;
    }
    m_walker->setOffset(q - game->cellToPos(m_route->front()));
    dragFollowers(oldHeading);
}

void MoveActionItem::dragFollowers(const Engine::cVector2& lead)
{
    Game* game = Game::instance();
    // A copy: a follower's signals reach views and tooltips, which must not pull the list
    // from under the walk.
    const std::list<UnitPtr> followers = m_walker->getAttached();
    for (const UnitPtr& follower : followers)
    {
        const UnitView* view = follower->getUnitView();
        if (!view || !view->isShown())
            continue;
        // Field places, without the offset at which a view draws its unit.
        const Engine::cVector2 at = game->unitPos(follower);
        Engine::cVector2 d = at - lead;
        const float length = std::sqrt(squared(d));
        const auto type = follower->getTypeInfo();
        const float distance = type ? type->distance : 0.0f;
        if (length <= 0.0f || distance >= length)
            continue;
        d *= distance / length;
        const Engine::cVector2 place = lead + d;
        const Engine::cVector2 pulled = place - at;
        if (squared(pulled) > kFollowerTurnSquared)
            follower->setAngle(walkHeading(pulled));
        // Followers are dragged by offsets from the centre of the route's first cell, the cell
        // the walk's start gives them. One that stands on another cell (a route found again, a
        // record read back) is moved onto it, or the offset would throw it off by the cells
        // between the two.
        const Engine::cPoint front = m_route->front();
        const Engine::cVector2 offset = place - game->cellToPos(front);
        if (follower->getCell() != front)
            follower->setCell(front, offset);
        else
            follower->setOffset(offset);
    }
}
