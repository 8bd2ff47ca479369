#include "game/heroes/SaveAnimalActionItem.h"
#include "engine/ui/cPyro.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/heroes/UpgradeActionItem.h"
#include "game/world/Game.h"
#include "game/world/LevelViews.h"
#include "game/world/SoundIds.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitView.h"
#include "game/world/cGameSounds.h"
#include "game/world/cUnit.h"
namespace
{
const ActionItemRegistration registration(SaveAnimalAction, &createActionItem<SaveAnimalActionItem>);
}
SaveAnimalActionItem::SaveAnimalActionItem() : SaveAnimalActionItem(UnitPtr(), UnitPtr(), UnitPtr()) {}
SaveAnimalActionItem::SaveAnimalActionItem(const UnitPtr& h, const UnitPtr& a, const UnitPtr& t)
    : WorkActionItem(SaveAnimalAction, h, a, t)
{
}
void SaveAnimalActionItem::load(LevelArchive& archive, const Units& units)
{
    readWorkRecord(archive, units);
    if (!m_hero)
        archive.fail("an animal freed by no hero");
}
void SaveAnimalActionItem::start()
{
    ActionItem::start();
    if (m_hero && m_hero->getGoal())
        m_hero->getGoal()->setStatus(Goal::Working);
    m_elapsed = 0;
    m_duration = 0;
}
void SaveAnimalActionItem::update()
{
    if (isDone())
        return;
    m_elapsed += frameTime();
    if (m_elapsed >= m_duration)
        finish();
}
void SaveAnimalActionItem::finish()
{
    if (cGameSounds* sounds = cGameSounds::instance())
        sounds->play(SoundId::saveAnimal);
    // The sparkle over the freed animal ends by itself.
    auto* sparkle = new Engine::cPyro(getPlayView(), "Effects/SaveAnimalEffect.xml");
    if (const UnitView* view = m_target->getUnitView())
        sparkle->setPosition(view->getPosition());
    sparkle->play(true, 0.0f);
    sparkle->show();
    m_target->showTip(1);
    if (const auto info = m_target->getActiveLevelInfo())
        m_hero->resources.add(info->resOut);
    // The animal's countdown ends as if its time had run out: its level rises and its bar goes.
    const Ptr countdown = findFirstOfKind(m_target, UpgradeAction,
                                          [](const Ptr& item)
                                          {
                                              const auto* work =
                                                  dynamic_cast<const WorkActionItem*>(item.get());
                                              return work ? work->getTarget() : UnitPtr();
                                          });
    if (const auto upgrade = boost::dynamic_pointer_cast<UpgradeActionItem>(countdown))
        upgrade->finish();
    m_target->setState(eUnitState::hidden, -1);
    m_hero->setState(eUnitState::carry, -1);
    m_hero->attach(m_target);
    Game::instance()->getController().assignReturnAnimalGoal(m_hero);
    notifyFinished();
}
void SaveAnimalActionItem::interrupt()
{
    if (m_hero)
        m_hero->setState(eUnitState::idle, -1);
    if (m_attachUnit)
        m_attachUnit->setState(eUnitState::idle, -1);
}
