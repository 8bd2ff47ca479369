#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cButton.h"
#include "game/world/cUnit.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

class UnitViewDescription;

// The on-field view of one unit: a button drawn in depth order that the player hovers and
// clicks. It follows its unit through the unit's signals: it shows or hides itself with the
// unit's state, places itself where the unit stands (deep: layer × 1000 + the unit's field y),
// and deletes itself when the unit is removed.
//
// This is the part of the unit view that the level model relies on; the looks of the view
// states, the head-up pieces (goal tick, upgrade button and indicator) and the timed looks
// join it with the unit views.
class cUnitView : public Engine::cButton
{
public:
    explicit cUnitView(Engine::cControl* parent);
    // Lets go of the unit's signals and of the unit's pointer back to this view.
    ~cUnitView() override;

    // Binds the view to its unit: its handlers go first on the unit's signals, it takes the
    // unit's look and place, and the unit points back at it.
    void setUnit(const cUnit::Ptr& unit);
    const cUnit::Ptr& getUnit() const { return m_unit; }
    // 4 for roads, 5 for other units.
    void setDepthLayer(int layer);
    int getDepthLayer() const { return m_depthLayer; }
    // The unit type's view description; empty when the type has none.
    boost::shared_ptr<UnitViewDescription> getDescription() const;

    // Shows the look that fits the unit now: visible unless the unit is hidden, and placed.
    void applyState(const cUnit::Ptr& unit);
    // Deep and position from the unit.
    void updatePosition(const cUnit::Ptr& unit);

private:
    void onAngleChanged(const cUnit::Ptr& unit);
    void onLevelChanged(const cUnit::Ptr& unit);
    void onRemoved(const cUnit::Ptr& unit);
    void onRefresh(const cUnit::Ptr& unit);

    boost::signals2::scoped_connection m_stateConnection;
    boost::signals2::scoped_connection m_refreshConnection;
    boost::signals2::scoped_connection m_angleConnection;
    boost::signals2::scoped_connection m_positionConnection;
    boost::signals2::scoped_connection m_removedConnection;
    boost::signals2::scoped_connection m_levelConnection;
    cUnit::Ptr m_unit;
    int m_depthLayer = 0;
    Engine::cVector2 m_viewOffset;
    float m_deepOffset = 0.0f;
};
