#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cButton.h"
#include "game/world/UnitStates.h"

#include <boost/shared_ptr.hpp>

#include <string>

class cUnit;

// A unit's view as the rules see it: the button on the field that shows the unit, which the
// player hovers and clicks. The views above the rules make it (cUnitView, through
// LevelViews::makeUnitView) and bind it to its unit; the rules place it, show and hide it and
// ask it the few things below, without knowing how it draws.
class UnitView : public Engine::cButton
{
public:
    explicit UnitView(Engine::cControl* parent) : Engine::cButton(parent) {}

    // The unit the view shows; empty before it is bound.
    virtual const boost::shared_ptr<cUnit>& getUnit() const = 0;
    // Whether the unit's type has a view description: without one a unit shows no progress.
    virtual bool isDescribed() const = 0;
    // Where a progress bar over the unit stands, from the unit's field place; zero without a
    // description.
    virtual Engine::cVector2 getProgressOffset() const = 0;
    // The sound of the view state for `level` and `state`; empty when there is none.
    virtual std::string getStateSound(int level, eUnitState state) const = 0;
    // Shows (creating it on first use) or hides the tick over a unit that is a goal.
    virtual void showGoalTick(bool show) = 0;
    // The particle effects of the view fade out over `time` seconds, one `fadeStep` a frame.
    virtual void startFade(float time) = 0;
    virtual void fadeStep(float dt) = 0;
};
