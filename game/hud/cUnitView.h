#pragma once

#include "engine/core/cVector2.h"
#include "engine/ui/cButton.h"
#include "game/hud/UnitPressWatch.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"

#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

class UnitViewDescription;
class ViewState;

namespace Engine
{
class cLightButton;
class cPicture;
} // namespace Engine

// The on-field view of one unit: a button drawn in depth order that the player hovers and
// clicks. It follows its unit through the unit's signals: whenever the unit's state, angle or
// upgrade level changes it asks the unit type's description for the view state to show and
// takes that state's look; whenever the unit moves it places itself (deep: layer × 1000 + the
// unit's field y + the state's "deep_offset"); when the unit is removed it deletes itself.
//
// It carries the unit's head-up pieces: the goal tick ("Common/goalTick.xml"), the upgrade
// button of mills, plants and bases ("Common/upgradeButton.xml") and the upgrade-level
// indicator (a child of "Common/upgradeIndicators.xml"). Timers in its frame update drive the
// looks that change by themselves: random sub-states ("Rotate"), sub-states played for a
// number of animation lengths ("PlayCycles") and backward playback ("PlayBack").
class cUnitView : public UnitView
{
public:
    explicit cUnitView(Engine::cControl* parent);
    cUnitView(const cUnitView&) = delete;
    // Lets go of the unit's signals, of the unit's pointer back to this view and of the part
    // views it borrowed from its description.
    ~cUnitView() override;

    // The button's update, then the timers of the look.
    void update() override;
    // The button's input, and the watch on the presses that make no click (see UnitPressWatch).
    void onEnable() override;
    void onDisable() override;
    void onPress() override;
    void onClick() override;

    // Binds the view to its unit: the six unit signals, the first look and head-up pieces, the
    // place, and the unit's pointer back to this view.
    void setUnit(const cUnit::Ptr& unit);
    const cUnit::Ptr& getUnit() const override { return m_unit; }
    // Stores the layer (4 for roads, 5 for most units) and places the view again.
    void setDepthLayer(int layer);
    int getDepthLayer() const { return m_depthLayer; }
    // The unit type's view description; empty when the type has none.
    boost::shared_ptr<UnitViewDescription> getDescription() const;
    bool isDescribed() const override;
    Engine::cVector2 getProgressOffset() const override;
    std::string getStateSound(int level, eUnitState state) const override;

    // Shows the view state that fits the unit now, shows or hides the view with the unit's
    // state, places it and refreshes the head-up pieces.
    void applyState(const cUnit::Ptr& unit);
    // Deep and position from the unit.
    void updatePosition(const cUnit::Ptr& unit);
    // Shows (creating it on first use) or hides the tick over a unit that is a goal.
    void showGoalTick(bool show) override;
    // The particle effects of the view fade out over `time` seconds, one `fadeStep` a frame.
    void startFade(float time) override;
    void fadeStep(float dt) override;

    // Hides every child but the upgrade button and the indicator.
    void hideStateChildren();
    // Takes the look of a template button where the view stands: position and deep stay, and
    // so do the children (parts, head-up pieces), while the template's effects come along at
    // their places around it. The template's input state comes along too: `applyState` gives
    // the view its own back.
    void copyLook(const Engine::cButton& source);
    // Makes a part view of a composite look a child of this view; it goes back to its state
    // (detached, hidden) when this view is deleted while holding it.
    void adoptPart(Engine::cButton* part);

    void refreshUpgradeButton();
    void refreshUpgradeButtonState();
    void refreshUpgradeIndicator();

    Engine::cLightButton* getUpgradeButton() const { return m_upgradeButton; }
    // The upgrade arrow is on the screen and lit: the stock covers the next level of an idle
    // building, and a press on it raises the building.
    bool isUpgradeLit() const;
    Engine::cPicture* getUpgradeIndicator() const { return m_upgradeIndicator; }
    Engine::cPicture* getGoalTick() const { return m_goalTick; }
    const Engine::cVector2& getViewOffset() const { return m_viewOffset; }
    float getDeepOffset() const { return m_deepOffset; }
    bool isReversed() const { return m_reverse; }
    float getCycleCountdown() const { return m_cycleCountdown; }
    float getRepickCountdown() const { return m_repickCountdown; }

private:
    void onAngleChanged(const cUnit::Ptr& unit);
    // Whether applying the unit's state again would show what is shown: the unit walks in the
    // plain directional state last applied (no sub-states, no sound) and its new heading picks
    // the same picture and offset as the heading it was shown at.
    bool turnKeepsLook(const cUnit& unit) const;
    void onLevelChanged(const cUnit::Ptr& unit);
    void onRemoved(const cUnit::Ptr& unit);
    void onRefresh(const cUnit::Ptr& unit);

    void showComplex(ViewState& state);
    boost::shared_ptr<Engine::cButton> showDirectional(const cUnit::Ptr& unit, ViewState& state);
    boost::shared_ptr<Engine::cButton> showById(const cUnit::Ptr& unit, ViewState& state);
    void showRandomSubState();
    void showNextSubState();
    // The state's sound, unless the unit is an animal, the state has none or the level is not
    // being played.
    void playStateSound(const ViewState& state) const;
    // The view state for the unit's level and state now; empty without one.
    boost::shared_ptr<ViewState> currentState() const;
    // The sub-states of the current view state, in name order; null when it has none. The
    // description keeps them.
    const std::map<std::wstring, boost::shared_ptr<ViewState>>* currentSubStates() const;
    bool isOfCategory(const wchar_t* category) const;
    void createUpgradeButton();
    // A unit a click never orders (a hero, its tool, the birds) leaves a press on it to the
    // unit below: its view, which a look copied from a template makes compete for the pointer,
    // competes no more and lets go of the pointer it holds.
    void passPressesOn();
    // Traces the arrow when its state refresh finds it newly lit ("Upgrade arrow lit: <type> at
    // <x>;<y>"), so that whoever watches the program knows where a press raises the building.
    void traceArrow();

    boost::signals2::scoped_connection m_angleConnection;
    boost::signals2::scoped_connection m_stateConnection;
    boost::signals2::scoped_connection m_positionConnection;
    boost::signals2::scoped_connection m_levelConnection;
    boost::signals2::scoped_connection m_removedConnection;
    boost::signals2::scoped_connection m_refreshConnection;
    // The level's resource signal, which refreshes the upgrade button's look; it must not
    // reach a deleted view.
    boost::signals2::scoped_connection m_resourcesConnection;
    cUnit::Ptr m_unit;
    // Children of this view (owned by the tree), null until first needed.
    Engine::cLightButton* m_upgradeButton = nullptr;
    Engine::cPicture* m_upgradeIndicator = nullptr;
    // The arrow was shown lit at its last refresh.
    bool m_arrowLit = false;
    UnitPressWatch m_pressWatch{*this};
    int m_depthLayer = 0;
    Engine::cVector2 m_viewOffset;
    // -1 is off; drives "Rotate" states.
    float m_repickCountdown = -1.0f;
    // 0 or less is off; drives "PlayCycles" states.
    float m_cycleCountdown = 0.0f;
    int m_sequenceIndex = -1;
    bool m_reverse = false;
    float m_deepOffset = 0.0f;
    Engine::cPicture* m_goalTick = nullptr;
    std::vector<float> m_fadeRates;
    // What the last `applyState` showed the look for.
    struct sApplied
    {
        bool valid = false;
        int level = 0;
        eUnitState state = eUnitState::idle;
        int stateTypeId = -1;
        float angle = 0.0f;
    };
    sApplied m_applied;
    // Part views of composite looks lent to this view; their view states own them.
    std::set<Engine::cButton*> m_borrowed;
};
