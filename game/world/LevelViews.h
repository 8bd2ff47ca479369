#pragma once

#include "engine/core/cVector2.h"
#include "game/heroes/UnitProblem.h"

#include <boost/shared_ptr.hpp>

#include <string>

class UnitView;
class cUnit;

namespace Engine
{
class cControl;
class cProgressFloat;
class cProperties;
class cView;
} // namespace Engine

// What the level and its actions ask of the views and screens above them: the play view every
// view of the level hangs on, a view for each unit, the head-up display told of what changed,
// and the few screens the level opens. The rules declare it and call it; the layers above
// implement it and hand it to the level when it starts (`Game(LevelViews&)`), so that the
// rules never include a view.
//
// The implementation the program's play state gives (see `standard`) serves a level made
// without one, and what the rules do outside a level.
class LevelViews
{
public:
    virtual ~LevelViews() = default;

    // The parent of every view the level and its actions put over the field.
    virtual Engine::cView* playView() = 0;

    // --- Units ---
    // A shown, enabled view on the play view, bound to the unit, drawn in `depthLayer`.
    virtual UnitView* makeUnitView(const boost::shared_ptr<cUnit>& unit, int depthLayer) = 0;
    // A progress bar over a unit, child of `parent` (none: its owner places it).
    virtual Engine::cProgressFloat* makeProgressBar(Engine::cControl* parent) = 0;
    // The level's obstacle arrow, hidden on the play view, and its pointing at a field place
    // (the arrow shows and starts its swing there).
    virtual Engine::cControl* makeObstacleArrow() = 0;
    virtual void pointArrow(Engine::cControl* arrow, const Engine::cVector2& at) = 0;
    // The goal arrows over goals that were reached go.
    virtual void hideReachedGoalArrows() = 0;

    // --- Tips: what the tooltips learn of the units ---
    virtual void onProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem) = 0;
    virtual void onUpgradeProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem) = 0;
    virtual void onUnitChanged(const boost::shared_ptr<cUnit>& unit) = 0;
    virtual void onUnitRemoved(const boost::shared_ptr<cUnit>& unit) = 0;
    virtual void onUnitUpdated(const boost::shared_ptr<cUnit>& unit) = 0;
    virtual void onUnitViewHover(Engine::cView* view) = 0;
    virtual void onUnitViewLeave(Engine::cView* view) = 0;
    // The tips are looked at again (the resources changed) or all go (the level is finished).
    virtual void refreshTips() = 0;
    virtual void resetTips() = 0;

    // --- The status panel, when there is one ---
    virtual void showTime() = 0;
    virtual void showGoals() = 0;
    virtual void showResources() = 0;

    // --- Effects over the field ---
    virtual void showFinishSaluts() = 0;
    // One resource count flying up from `at` ("+3" and the resource's icon).
    virtual void showFlyingCount(const Engine::cVector2& at, const std::wstring& text, int resource) = 0;

    // --- Screens ---
    // The level file's briefings ("BreafData") are read; one of them is shown by its id.
    virtual void loadBriefings(const boost::shared_ptr<Engine::cProperties>& data) = 0;
    virtual void showBriefing(const std::string& id) = 0;
    // The level's goals are done: the win is made the player's.
    virtual void recordWin() = 0;
    // Whether the level is being played (not loading, not left).
    virtual bool isLevelRunning() const = 0;

    // The views a level made without its own gets; the play state installs its own when the
    // program starts. Throws when none was installed.
    static LevelViews& standard();
    static void setStandard(LevelViews* views);
};

// The views of the level being played, else the standard ones.
LevelViews& levelViews();

// The play view of `levelViews`: the parent of every view the level model and the actions put
// over the field.
Engine::cView* getPlayView();
