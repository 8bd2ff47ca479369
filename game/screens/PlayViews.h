#pragma once

#include "game/world/LevelViews.h"

// The views of a level played in the play state: the play state's play view, the head-up
// display's unit views, tooltips, status panel and effects, and the play state's briefings and
// win. The play state hands it to every level it starts; it is also the program's standard
// LevelViews, installed when the program starts.
class PlayViews final : public LevelViews
{
public:
    static PlayViews& instance();

    Engine::cView* playView() override;

    UnitView* makeUnitView(const boost::shared_ptr<cUnit>& unit, int depthLayer) override;
    Engine::cProgressFloat* makeProgressBar(Engine::cControl* parent) override;
    Engine::cControl* makeObstacleArrow() override;
    void pointArrow(Engine::cControl* arrow, const Engine::cVector2& at) override;
    void hideReachedGoalArrows() override;

    void onProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem) override;
    void onUpgradeProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem) override;
    void onUnitChanged(const boost::shared_ptr<cUnit>& unit) override;
    void onUnitRemoved(const boost::shared_ptr<cUnit>& unit) override;
    void onUnitUpdated(const boost::shared_ptr<cUnit>& unit) override;
    void onUnitViewHover(Engine::cView* view) override;
    void onUnitViewLeave(Engine::cView* view) override;
    void refreshTips() override;
    void resetTips() override;

    void showTime() override;
    void showGoals() override;
    void showResources() override;

    void showFinishSaluts() override;
    void showFlyingCount(const Engine::cVector2& at, const std::wstring& text, int resource) override;

    void loadBriefings(const boost::shared_ptr<Engine::cProperties>& data) override;
    void showBriefing(const std::string& id) override;
    void recordWin() override;
    bool isLevelRunning() const override;

private:
    PlayViews() = default;
};
