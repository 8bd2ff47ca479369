// Game: the level's frame (clock, help resources, finish sequence), its goals, and the
// services the planner, the actions and the views ask of it.
#include "game/world/Game.h"

#include "engine/core/Random.h"
#include "engine/core/cProps.h"
#include "engine/core/cTimer.h"
#include "engine/ui/cPicture.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelLocation.h"
#include "game/world/LevelTutor.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cGameSounds.h"

#include <algorithm>

void Game::update()
{
    const Engine::cTimer* timer = Engine::cTimer::instance();
    const float dt = timer ? timer->getFrameTime() : 0.0f;
    if (!m_levelOver)
    {
        m_levelTime += dt;
        LevelTutor::instance().update(dt);
        updateObstacleArrow(dt);
        if (!m_helpGiven && m_levelTime >= m_goldTime)
            giveHelpResources();
        m_controller.update();
        // Whatever moved in the frame may have met a goal: a hero's work, the town hall's own
        // upgrade, an animal's countdown, a unit taken off the field.
        countOpenGoals();
    }
    else if (m_finishPending)
        finishStep(dt);
}

cGameResources Game::getNeededResources()
{
    cGameResources needed;
    for (const cUnit::Ptr& unit : unitsOfCategory(UnitCategory::barrier))
        if (const auto info = unit->getActiveLevelInfo())
            needed.add(info->resIn);
    for (const cUnit::Ptr& unit : unitsOfCategory(UnitCategory::road))
        if (unit->getLevel() == 0)
            if (const auto info = unit->getActiveLevelInfo())
                needed.add(info->upIn);
    for (const LevelGoal& goal : m_levelGoals)
    {
        const cUnit::Ptr target = goal.target.lock();
        if (!target)
            continue;
        const auto info = target->getActiveLevelInfo();
        if (!info)
            continue;
        if (isOfCategory(target, UnitCategory::quest))
            needed.add(info->upIn);
        else if (isOfCategory(target, UnitCategory::animal))
            needed.add(info->resIn);
    }
    return needed;
}

void Game::giveHelpResources()
{
    m_helpGiven = true;
    m_helpResources.assign(getNeededResources());
    m_helpResources.subtractClamped(m_levelResources);
    int parts = GameConfig::instance().getConstants().CheatResourcesPartsNumber;
    m_helpResources.divideClamped(parts);
    m_helpResources.incrementPositive();
    if (m_cheatPoints.empty())
        return;

    GameConfig& config = GameConfig::instance();
    const float delay = config.getConstants().CheatResourcesDelay;
    size_t point = 0;
    for (const auto& [id, count] : m_helpResources.getItems())
    {
        if (point == m_cheatPoints.size())
            break;
        if (count <= 0)
            continue;
        // A resource whose name no unit type carries cannot be dropped; it takes no point.
        const int typeId = config.unitNames().find(config.resourceNames().nameOf(id));
        if (typeId == -1 || !config.getTypeInfo(typeId))
            continue;
        const Engine::cPoint cell = m_cheatPoints[point++];
        // Two statements: the draws of one expression may run in either order.
        const float offsetX = randomRange(-10.0f, 10.0f);
        const float offsetY = randomRange(-10.0f, 10.0f);
        const Engine::cVector2 offset(offsetX, offsetY);
        const cUnit::Ptr unit =
            addUnit(typeId, 0, -1, eUnitState::idle, 0.0f, cellToPos(cell) + offset, {}, L"");
        unit->setCell(cell, offset);
        unit->fallingDelay = delay;
        unit->resources.insert(id, count);
        m_controller.dropUnit(unit, unit->fallingDelay, unit->fallingDelay);
    }
}

void Game::finishStep(float dt)
{
    if (!m_finishStarted)
    {
        // The first frame of the finish. A flag of its own marks it: a countdown that starts
        // at 0 or below must not start the sequence again every frame.
        m_finishStarted = true;
        m_controller.stopAllActions();
        if (cGameSounds* sounds = cGameSounds::instance())
        {
            sounds->stopMusic();
            sounds->play("finish_level");
        }
        m_finishCountdown = GameConfig::instance().getConstants().FinishLevelTime;
        m_views.resetTips();
        m_views.showFinishSaluts();
        gatherHeroesForFinish();
        return;
    }
    m_finishCountdown -= dt;
    if (m_finishCountdown <= 0.0f)
    {
        m_finishPending = false;
        resetHeroAnimations();
        // The play state learns that the level has ended, then the level lets go of its input.
        m_levelFinished();
        stopInput(cUnit::Ptr());
    }
}

void Game::gatherHeroesForFinish()
{
    const cUnit::Ptr base = m_base;
    if (!base || !base->getUnitView())
        return;
    const UnitView* baseView = base->getUnitView();
    Engine::cVector2 start = baseView->getPosition() + m_basePoint;
    start.x = baseView->getPosition().x - baseView->getSize().x * 0.25f;
    const Engine::cVector2 step = GameConfig::instance().getConstants().FunHeroesOffset;
    const int heroType = GameConfig::instance().getTypeId(L"hero");
    for (const cUnit::Ptr& hero : unitsOfCategory(UnitCategory::hero))
    {
        if (hero->getLevel() == 2)
            continue;
        UnitView* view = hero->getUnitView();
        if (isParked(hero))
        {
            base->detach(hero);
            hero->setLevelAndState(2, eUnitState::idle, false);
            if (!view)
                continue;
            view->setPosition(start);
            start += step;
            view->setDeep(view->getDeep() + 1000.0f);
            view->setAnimTime(randomRange(0.0f, view->anim_length));
        }
        else
        {
            hero->setState(eUnitState::upgrade, -1);
            if (!view)
                continue;
            const cUnit::Ptr twin = addUnit(heroType, 2, -1, eUnitState::idle, 0.0f,
                                            view->getPosition() + Engine::cVector2(0.0f, 10.0f), {}, L"");
            if (UnitView* twinView = twin->getUnitView())
            {
                twinView->setDeep(view->getDeep() + 1000.0f);
                twinView->setAnimTime(randomRange(0.0f, twinView->anim_length));
            }
        }
    }
}

void Game::resetHeroAnimations()
{
    for (const cUnit::Ptr& hero : unitsOfCategory(UnitCategory::hero))
        if (UnitView* view = hero->getUnitView())
            view->setAnimTime(0.0f);
}

void Game::showObstacleArrow(const Engine::cVector2& position)
{
    m_views.pointArrow(m_obstacleArrow, position);
    m_obstacleArrowTimer = GameConfig::instance().getConstants().ObstacleShowTime;
}

void Game::updateObstacleArrow(float dt)
{
    if (m_obstacleArrowTimer <= 0.0f)
        return;
    m_obstacleArrowTimer -= dt;
    if (m_obstacleArrowTimer < 0.0f)
    {
        m_obstacleArrowTimer = 0.0f;
        m_obstacleArrow->hide();
    }
}

void Game::buildLevelGoals()
{
    m_levelGoals.clear();
    for (const auto& entry : m_unitsByType)
    {
        const cUnit::Ptr& unit = entry.second;
        const int targetType = unit->getTargetType();
        int kind = -1;
        if (targetType == 2 && isOfCategory(unit, UnitCategory::barrier))
            kind = 2;
        else if (targetType == 1)
            kind = unit->getTargetLevel() == 1 ? 1 : 5;
        else if (targetType == 3)
            kind = 0;
        else if (targetType == 4)
            kind = 6;
        if (kind == -1)
            continue;
        LevelGoal goal(kind, unit);
        goal.breafId = unit->breafId;
        goal.goalCategory = unit->goalCategory;
        if (kind == 1 || kind == 5)
            goal.done = unit->getTargetLevel() <= unit->getLevel();
        m_levelGoals.push_back(goal);
    }
    m_goalsBuilt = true;
}

int Game::countOpenGoals()
{
    int open = 0;
    bool ticked = false;
    const cUnit::Ptr base = getBase();
    for (LevelGoal& goal : m_levelGoals)
    {
        if (goal.done)
            continue;
        const cUnit::Ptr target = goal.target.lock();
        if (!target || target->isRemoved())
            goal.done = true;
        else
        {
            switch (goal.kind)
            {
            case 0:
            case 2:
                goal.done = target->targetReached;
                break;
            case 1:
            case 5:
                goal.done = target->getTargetLevel() <= target->getLevel();
                break;
            case 6:
                goal.done = !target->inFire;
                break;
            default:
                break;
            }
        }
        if (!goal.done)
            ++open;
        else
        {
            ticked = true;
            // The base's briefing is the level's opening one: a goal on the base itself (the
            // town hall raised) does not play the opening again when it is met.
            if (!goal.breafId.empty() && !(base && goal.breafId == base->breafId))
                m_views.showBriefing(goal.breafId);
        }
    }
    if (ticked)
        m_views.showGoals();
    // The level is won here, whatever met its last goal.
    if (open == 0 && !m_levelGoals.empty())
        winLevel();
    return open;
}

bool Game::checkLevelGoals()
{
    countOpenGoals();
    m_views.showGoals();
    // A level without goals is won by the first work that ends.
    if (m_levelGoals.empty())
        winLevel();
    return m_levelOver;
}

void Game::winLevel()
{
    // Only once the goal list is built: the actions that end before then win nothing. A won
    // level stays won, and its finish starts once.
    if (!m_goalsBuilt || m_levelOver)
        return;
    m_levelOver = true;
    m_finishPending = true;
    recordWin();
}

void Game::onCancelClick()
{
    m_controller.cancelGoals();
}

void Game::addResources(const cGameResources& resources)
{
    m_levelResources.add(resources);
    m_views.refreshTips();
}

void Game::subtractResources(cGameResources resources)
{
    m_levelResources.subtract(resources);
}

void Game::giveUnitResources(const cUnit::Ptr& unit)
{
    const auto info = unit->getActiveLevelInfo();
    if (!info)
        return;
    const cGameResources output(info->resOut);
    if (output.isEmpty())
        return;
    addResources(output);
    const UnitView* view = unit->getUnitView();
    showFlyingIconText(view ? view->getPosition() : getUnitFieldPos(unit), output);
}

void Game::showFlyingIconText(const Engine::cVector2& position, const cGameResources& resources)
{
    Engine::cVector2 at = position;
    for (const auto& [id, count] : resources.getItems())
    {
        m_views.showFlyingCount(at, L"+" + std::to_wstring(count), id);
        at.x += 50.0f;
    }
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playSingle("give_resource", 0.1f, 0.0f);
    if (!resources.isEmpty())
        m_resourcesGained(resources);
}

void Game::parkUnit(cUnit::Ptr unit)
{
    if (unit->homeChain)
        unit->homeChain.reset();
    if (unit->getLevel() > 0)
        unit->setLevelAndState(0, eUnitState::idle, true);
    unit->setState(eUnitState::idle, -1);
    if (m_base)
    {
        // A hero that is parked already is not attached a second time.
        if (!isParked(unit))
            m_base->attach(unit);
        placeParkedHeroes();
    }
    m_controller.assignGoals();
}

bool Game::isParked(cUnit::Ptr unit) const
{
    if (!m_base)
        return false;
    const auto& attached = m_base->getAttached();
    return std::find(attached.begin(), attached.end(), unit) != attached.end();
}

void Game::playUnitStateSound(cUnit::Ptr unit)
{
    if (isOfCategory(unit, UnitCategory::attach) || isOfCategory(unit, UnitCategory::hero) ||
        isOfCategory(unit, UnitCategory::bonus))
        return;
    const UnitView* view = unit->getUnitView();
    if (!view || !view->isDescribed())
        return;
    const std::string sound = view->getStateSound(unit->getLevel(), unit->getState());
    if (sound.empty())
        return;
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->playSingle(sound, 2.0f, 0.0f);
}

void Game::recordWin()
{
    if (m_winRecorded)
        return;
    m_winRecorded = true;
    // A level without a number (a file of its own given on the command line) is none of the
    // map's: it earns no medal, best time or next level.
    if (LevelLocation::playedNumber() != LevelLocation::kUnnumbered)
        m_views.recordWin();
}

void Game::leavePlay()
{
    // A level without a number (a file of its own given on the command line) is none of the
    // map's: it neither records a win nor takes the place of the player's saved level.
    if (m_levelTime > 0.0f && LevelLocation::playedNumber() != LevelLocation::kUnnumbered)
    {
        if (m_levelOver || m_finishPending)
        {
            // Recorded when the goals were done already; the next level starts its tutorial
            // afresh.
            recordWin();
            LevelTutor::instance().reset();
        }
        else
            saveLevel();
    }
    m_controller.stopAllActions();
}
