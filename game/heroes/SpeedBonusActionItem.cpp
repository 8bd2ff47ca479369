#include "game/heroes/SpeedBonusActionItem.h"
#include "engine/ui/cProgressFloat.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProperties.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/BaseActionsItem.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cGameSounds.h"
#include "game/world/cUnit.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

#include <algorithm>

namespace
{

const ActionItemRegistration registration(SpeedBonusAction, &createActionItem<SpeedBonusActionItem>);

// The taking item lives for two frames: the first uses this up, the second ends it.
constexpr float kTakingTime = 0.01f;

} // namespace

SpeedBonusActionItem::SpeedBonusActionItem() : ActionItem(SpeedBonusAction) {}

SpeedBonusActionItem::SpeedBonusActionItem(const UnitPtr& hero, const UnitPtr& bonusUnit)
    : ActionItem(SpeedBonusAction), m_hero(hero), m_bonusUnit(bonusUnit)
{
}

SpeedBonusActionItem::SpeedBonusActionItem(const std::wstring& kind, float duration)
    : ActionItem(SpeedBonusAction), m_timeLeft(duration), m_duration(duration), m_kind(kind)
{
    buildViews();
}

SpeedBonusActionItem::~SpeedBonusActionItem()
{
    // An item dropped without its end or a stop (the level's planner goes) still takes its
    // root views along.
    removeViews();
}

void SpeedBonusActionItem::buildViews()
{
    m_icon = new Engine::cPicture();
    m_bar = levelViews().makeProgressBar(nullptr);
    const std::string path = "Units/" + Engine::toUtf8(m_kind) + ".xml";
    Engine::cFileSystem* files = Engine::cFileSystem::instance();
    if (!files || !files->isKnown(path))
        return;
    const Engine::tPropertiesPtr root = Engine::cResourceManager::instance()->getXml(path, true);
    Engine::loadChildXML(m_icon, root, L"Icon", nullptr);
    Engine::loadChildXML(m_bar, root, L"Progress", nullptr);
}

void SpeedBonusActionItem::removeViews()
{
    for (Engine::cControl* view :
         {static_cast<Engine::cControl*>(m_icon), static_cast<Engine::cControl*>(m_bar)})
        if (view)
        {
            view->hide();
            Engine::cControl::deleteLater(view);
        }
    m_icon = nullptr;
    m_bar = nullptr;
}

void SpeedBonusActionItem::switchFlag(bool on) const
{
    Game* game = Game::instance();
    if (m_kind == L"BonusSpeedHero")
        game->setBonusSpeedHero(on);
    if (m_kind == L"BonusSpeedMan")
        game->setBonusSpeedMan(on);
    if (m_kind == L"BonusSpeedMills")
        game->setBonusSpeedMills(on);
    if (m_kind == L"BonusSpeedUpgrades")
        game->setBonusSpeedUpgrades(on);
}

void SpeedBonusActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_bonusUnit);
    archive.write4(m_timeLeft);
    archive.writeString(m_kind);
}

void SpeedBonusActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    int32_t number = -1;
    archive.read4(number);
    archive.read4(m_timeLeft);
    archive.readString(m_kind);
    // Only the taking item has a bonus unit: a running bonus's number names none, whatever
    // was written for it.
    if (m_kind.empty())
    {
        m_bonusUnit = archive.unitAt(units, number);
        if (!m_bonusUnit)
            archive.fail("a bonus taken without a bonus unit");
        return;
    }
    m_duration = std::max(m_timeLeft, 0.0f);
    buildViews();
    if (m_active && m_timeLeft > 0.0f)
    {
        switchFlag(true);
        m_bar->setMaxValue(m_duration);
        m_bar->setCurrentValue(0.0f);
    }
}

void SpeedBonusActionItem::start()
{
    ActionItem::start();
    if (m_bonusUnit)
    {
        if (m_hero)
            if (const boost::shared_ptr<Goal> goal = m_hero->getGoal())
                goal->setStatus(Goal::Working);
        const auto info = m_bonusUnit->getActiveLevelInfo();
        auto chain = boost::make_shared<BaseActionsItem>();
        chain->add(
            boost::make_shared<SpeedBonusActionItem>(m_bonusUnit->typeName, info ? info->upgradeTime : 0.0f));
        chain->started.connect(boost::bind(&GameController::registerChain, &Game::instance()->getController(),
                                           boost::placeholders::_1));
        chain->start();
        m_timeLeft = kTakingTime;
        const UnitView* view = m_bonusUnit->getUnitView();
        const std::string sound = view && view->isDescribed()
                                      ? view->getStateSound(m_bonusUnit->getLevel(), m_bonusUnit->getState())
                                      : std::string();
        if (!sound.empty())
            if (cGameSounds* sounds = cGameSounds::instance())
                sounds->playSingle(sound, 0.2f, 0.0f);
        return;
    }
    switchFlag(true);
    if (m_bar)
    {
        m_bar->setMaxValue(m_duration);
        m_bar->setCurrentValue(std::min(m_duration - m_timeLeft, m_bar->getMaxValue()));
    }
}

void SpeedBonusActionItem::stop()
{
    removeViews();
    ActionItem::stop();
}

void SpeedBonusActionItem::update()
{
    if (m_timeLeft > 0.0f)
    {
        m_timeLeft -= frameTime();
        if (m_bar)
            m_bar->setCurrentValue(std::clamp(m_duration - m_timeLeft, 0.0f, m_bar->getMaxValue()));
    }
    else
        finish();
    ActionItem::update();
}

void SpeedBonusActionItem::returnToBase()
{
    if (m_hero)
        Game::instance()->getController().buildReturnChain(m_hero);
}

ActionItem::UnitPtr SpeedBonusActionItem::findHero() const
{
    for (const boost::shared_ptr<Goal>& goal : Game::instance()->getController().getPendingGoals())
        if (goal->getTarget() == m_bonusUnit && goal->getHero())
            return goal->getHero();
    return UnitPtr();
}

void SpeedBonusActionItem::finish()
{
    if (m_bonusUnit)
    {
        if (!m_hero)
            m_hero = findHero();
        const UnitPtr bonus = m_bonusUnit;
        m_bonusUnit.reset();
        bonus->clearGarbage();
        bonus->destroy();
        // A taking item read back from a save whose goal is gone has nobody to move on.
        if (m_hero && m_hero->getGoal())
            updateActiveGoal(m_hero, false);
    }
    else
    {
        switchFlag(false);
        removeViews();
        if (cGameSounds* sounds = cGameSounds::instance())
            sounds->playSingle("bonus_finish", 0.2f, 0.0f);
    }
    notifyFinished();
}
