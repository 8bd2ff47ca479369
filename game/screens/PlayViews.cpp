#include "game/screens/PlayViews.h"

#include "engine/devices/cResourceManager.h"
#include "engine/ui/cView.h"
#include "game/hud/TooltipManager.h"
#include "game/hud/cFinishLevelSaluts.h"
#include "game/hud/cFlyingIconText.h"
#include "game/hud/cGoalArrow.h"
#include "game/hud/cPointerView.h"
#include "game/hud/cStatusPanel.h"
#include "game/hud/cUnitProgressView.h"
#include "game/hud/cUnitView.h"
#include "game/screens/CPlayState.h"

namespace
{

// A level made without views of its own (a test's, a tool's) gets these.
const bool installed = (LevelViews::setStandard(&PlayViews::instance()), true);

} // namespace

PlayViews& PlayViews::instance()
{
    static PlayViews views;
    return views;
}

Engine::cView* PlayViews::playView()
{
    return CPlayState::instance().getPlayView();
}

UnitView* PlayViews::makeUnitView(const boost::shared_ptr<cUnit>& unit, int depthLayer)
{
    auto* view = new cUnitView(playView());
    view->setDepthLayer(depthLayer);
    view->setUnit(unit);
    view->enable();
    view->show();
    return view;
}

Engine::cProgressFloat* PlayViews::makeProgressBar(Engine::cControl* parent)
{
    return new cUnitProgressView(parent, false);
}

Engine::cControl* PlayViews::makeObstacleArrow()
{
    Engine::cResourceManager* resources = Engine::cResourceManager::instance();
    if (!resources)
        throw "Game: the level's views are read through the resource manager, which does not exist.";
    auto* arrow = new cPointerView(playView(), Engine::cVector2(0.0f, 0.0f));
    arrow->loadXML(resources->getXml("Effects/ObstacleArrow.xml", true));
    arrow->hide();
    return arrow;
}

void PlayViews::pointArrow(Engine::cControl* arrow, const Engine::cVector2& at)
{
    // The level's arrow is the one makeObstacleArrow made.
    auto* pointer = static_cast<cPointerView*>(arrow);
    pointer->basePoint = at;
    pointer->phaseTime = 0.0f;
    pointer->update();
    pointer->show();
}

void PlayViews::hideReachedGoalArrows()
{
    cGoalArrow::hideReached();
}

void PlayViews::onProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem)
{
    TooltipManager::instance().showProblemTip(unit, problem);
}

void PlayViews::onUpgradeProblem(const boost::shared_ptr<cUnit>& unit, UnitProblem problem)
{
    TooltipManager::instance().onUnitProblem(unit, problem);
}

void PlayViews::onUnitChanged(const boost::shared_ptr<cUnit>& unit)
{
    TooltipManager::instance().onUnitChanged(unit);
}

void PlayViews::onUnitRemoved(const boost::shared_ptr<cUnit>& unit)
{
    TooltipManager::instance().onUnitRemoved(unit);
}

void PlayViews::onUnitUpdated(const boost::shared_ptr<cUnit>& unit)
{
    TooltipManager::instance().onUnitUpdated(unit);
}

void PlayViews::onUnitViewHover(Engine::cView* view)
{
    TooltipManager::instance().onUnitViewHover(view);
}

void PlayViews::onUnitViewLeave(Engine::cView* view)
{
    TooltipManager::instance().onUnitViewLeave(view);
}

void PlayViews::refreshTips()
{
    TooltipManager::instance().refresh();
}

void PlayViews::resetTips()
{
    TooltipManager::instance().reset();
}

void PlayViews::showTime()
{
    if (cStatusPanel* panel = cStatusPanel::instance())
        panel->updateTime();
}

void PlayViews::showGoals()
{
    if (cStatusPanel* panel = cStatusPanel::instance())
        panel->updateGoals();
}

void PlayViews::showResources()
{
    if (cStatusPanel* panel = cStatusPanel::instance())
        panel->updateResources();
}

void PlayViews::showFinishSaluts()
{
    new cFinishLevelSaluts(playView(), "Effects/FinishLevelSaluts.xml");
}

void PlayViews::showFlyingCount(const Engine::cVector2& at, const std::wstring& text, int resource)
{
    new cFlyingIconText(playView(), at, text, resource, false, "Effects/FlyingIconText.xml");
}

void PlayViews::loadBriefings(const boost::shared_ptr<Engine::cProperties>& data)
{
    CPlayState::instance().getBriefing().parseBriefings(data);
}

void PlayViews::showBriefing(const std::string& id)
{
    CPlayState::instance().showBriefing(id);
}

void PlayViews::recordWin()
{
    CPlayState::instance().recordWin();
}

bool PlayViews::isLevelRunning() const
{
    return CPlayState::instance().isRunning();
}
