#include "game/heroes/SaveAnimalActionItem.h"
#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/heroes/Goal.h"
#include "game/world/Game.h"
#include "game/world/UnitLevelInfo.h"
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
    const auto info = m_target->getActiveLevelInfo();
    if (info)
        m_hero->resources.add(info->resOut);
    const UnitPtr target = m_target;
    const Ptr upgrade = findFirstOfKind(target, UpgradeAction,
                                        [](const Ptr& item)
                                        {
                                            const auto* work =
                                                dynamic_cast<const WorkActionItem*>(item.get());
                                            return work ? work->getTarget() : UnitPtr();
                                        });
    if (upgrade)
        upgrade->complete();
    m_target->setState(eUnitState::hidden, -1);
    m_hero->setState(eUnitState::carry, -1);
    m_hero->attach(m_target);
    Game::instance()->getController().assignReturnAnimalGoal(m_hero);
    notifyFinished();
}
