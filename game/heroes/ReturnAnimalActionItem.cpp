#include "game/heroes/ReturnAnimalActionItem.h"

#include "game/heroes/ActionItemFactory.h"
#include "game/heroes/GameController.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/cUnit.h"

namespace
{

const ActionItemRegistration registration(ReturnAnimalAction, &createActionItem<ReturnAnimalActionItem>);

} // namespace

ReturnAnimalActionItem::ReturnAnimalActionItem() : ActionItem(ReturnAnimalAction) {}

ReturnAnimalActionItem::ReturnAnimalActionItem(const UnitPtr& hero, const UnitPtr& destination)
    : ActionItem(ReturnAnimalAction), m_hero(hero), m_destination(destination)
{
}

void ReturnAnimalActionItem::save(LevelArchive& archive, const UnitNumbering& numbering) const
{
    ActionItem::save(archive, numbering);
    writeUnit(archive, numbering, m_hero);
    writeUnit(archive, numbering, m_destination);
}

void ReturnAnimalActionItem::load(LevelArchive& archive, const Units& units)
{
    ActionItem::load(archive, units);
    m_hero = readUnit(archive, units);
    m_destination = readUnit(archive, units);
    if (!m_hero)
        archive.fail("an animal returned by no hero");
}

void ReturnAnimalActionItem::update()
{
    if (isDone())
        return;
    finish();
}

void ReturnAnimalActionItem::returnToBase()
{
    Game::instance()->getController().buildReturnChain(m_hero);
}

void ReturnAnimalActionItem::finish()
{
    Game* game = Game::instance();
    GameConfig& config = GameConfig::instance();
    UnitPtr animal;
    for (const UnitPtr& attached : m_hero->getAttached())
        if (config.isOfCategory(attached->getTypeId(), UnitCategory::animal))
        {
            animal = attached;
            break;
        }
    if (animal)
    {
        m_hero->detach(animal);
        animal->targetReached = true;
    }
    m_hero->resources.clear();
    m_hero->setState(eUnitState::idle, -1);
    const bool levelDone = game->checkLevelGoals();
    if (animal)
        animal->destroy();
    if (m_hero->getGoal())
        updateActiveGoal(m_hero, levelDone);
    else if (!levelDone)
    {
        // A delivery read back from a save whose goal was not kept: the hero still takes the
        // next goal or walks home.
        game->getController().assignGoals();
        if (!m_hero->getGoal())
            returnToBase();
    }
    levelViews().hideReachedGoalArrows();
    notifyFinished();
}
