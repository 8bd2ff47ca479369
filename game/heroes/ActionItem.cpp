#include "game/heroes/ActionItem.h"

#include "engine/core/cTimer.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cProgressFloat.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitView.h"
#include "game/world/cUnit.h"

#include <algorithm>

ActionItem::ActionItem(int32_t typeId) : m_typeId(typeId) {}

ActionItem::~ActionItem() = default;

void ActionItem::save(LevelArchive& archive, const UnitNumbering&) const
{
    archive.write4(m_typeId);
    archive.write1(m_active);
    archive.write1(m_done);
}

void ActionItem::load(LevelArchive& archive, const Units&)
{
    archive.read1(m_active);
    archive.read1(m_done);
}

void ActionItem::progressOn(const UnitPtr& unit)
{
    const UnitView* view = unit ? unit->getUnitView() : nullptr;
    if (!view || !view->isDescribed())
        throw "ActionItem::progressOn(): unit's view type is not defined";
    Engine::cProgressFloat* bar = makeProgressView(WorkBarLayout);
    if (const Game* game = Game::instance())
        bar->setPosition(game->unitPos(unit) + view->getProgressOffset());
    bar->show();
}

Engine::cProgressFloat* ActionItem::makeProgressView(const std::string& path)
{
    // A second bar for the same item would be left behind on the field.
    progressOff();
    LevelViews& views = levelViews();
    Engine::cProgressFloat* bar = views.makeProgressBar(views.playView());
    m_progressView = bar;
    bar->loadXML(Engine::cResourceManager::instance()->getXml(path, true));
    return bar;
}

void ActionItem::setProgress(float percent)
{
    if (!m_progressView)
        return;
    const float maximum = m_progressView->getMaxValue();
    const float value = std::min(std::max(percent, 0.0f), maximum);
    // The bars are made unreversed (LevelViews::makeProgressBar).
    m_progressView->setCurrentValue(value);
}

void ActionItem::progressOff()
{
    if (!m_progressView)
        return;
    Engine::cControl::deleteLater(m_progressView);
    m_progressView = nullptr;
}

void ActionItem::start()
{
    m_active = true;
    started(shared_from_this());
}

void ActionItem::stop() {}

void ActionItem::setDone()
{
    m_done = true;
}

void ActionItem::resetDone()
{
    m_done = false;
}

void ActionItem::update() {}

void ActionItem::complete()
{
    m_active = false;
    completed(shared_from_this());
}

void ActionItem::notifyFinished()
{
    m_active = false;
    finished(shared_from_this());
}

void ActionItem::updateActiveGoal(const UnitPtr& hero, bool keepHeroIdle)
{
    const boost::shared_ptr<Goal> goal = hero ? hero->getGoal() : boost::shared_ptr<Goal>();
    if (!goal)
        throw "ActionItem::updateActiveGoal(): active goal is 0";
    Game* game = Game::instance();
    GameController& controller = game->getController();
    controller.removeGoal(goal);
    hero->resetGoal();
    if (keepHeroIdle)
        return;
    controller.assignGoals();
    if (!hero->getGoal())
        returnToBase();
}

void ActionItem::returnToBase() {}

float ActionItem::frameTime()
{
    const Engine::cTimer* timer = Engine::cTimer::instance();
    return timer ? timer->getFrameTime() : 0.0f;
}

void ActionItem::writeUnit(LevelArchive& archive, const UnitNumbering& numbering, const UnitPtr& unit)
{
    archive.write4(static_cast<int32_t>(unit ? LevelArchive::findId(numbering, unit) : -1));
}

ActionItem::UnitPtr ActionItem::readUnit(LevelArchive& archive, const Units& units)
{
    int32_t number = -1;
    archive.read4(number);
    return archive.unitAt(units, number);
}

ActionItem::Ptr
findFirstOfKind(const boost::shared_ptr<cUnit>& key, int kind,
                const boost::function<boost::shared_ptr<cUnit>(const ActionItem::Ptr&)>& accessor)
{
    Game* game = Game::instance();
    if (!game)
        return ActionItem::Ptr();
    // A copy: the accessor may reach code that registers or ends chains.
    const std::map<int, ActionItem::Ptr> items = game->getController().getRunningChains();
    for (const auto& entry : items)
        if (entry.second->getTypeId() == kind && accessor(entry.second) == key)
            return entry.second;
    return ActionItem::Ptr();
}
