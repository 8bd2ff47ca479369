// The operations of cUnit that read a building's record from its level file and look after
// its tips, garbage pictures and view.
#include "game/world/cUnit.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "engine/ui/cPicture.h"
#include "game/heroes/ActionItem.h"
#include "game/world/Game.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelTutor.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTip.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"

#include <boost/make_shared.hpp>

#include <algorithm>

namespace
{

// Copies a type's blocks and reads the file's lists over them; throws `message` + the type
// name when the file's level count differs from the type's. Reading a list keeps the entries
// a set holds, so the fire and repair blocks, whose "RepairRes" is not emptied first, keep the
// fake type's costs and only add what the file names besides.
cUnit::LevelList readLevelBlocks(const UnitTypeInfo& type, const boost::shared_ptr<Engine::cProperties>& node,
                                 const std::wstring& message, const std::wstring& typeName,
                                 bool keepRepairRes)
{
    cUnit::LevelList blocks;
    for (const auto& level : type.levels)
    {
        auto block = boost::make_shared<UnitLevelInfo>();
        level->assign(*block);
        blocks.push_back(block);
    }
    if (node->getChildCount() != blocks.size())
        throw std::wstring(message + typeName);
    Engine::tPropertiesList children;
    node->getChildren(children);
    for (size_t k = 0; k < children.size() && k < blocks.size(); ++k)
    {
        UnitLevelInfo& block = *blocks[k];
        block.upIn.clear();
        block.resIn.clear();
        block.resOut.clear();
        block.autoResOut.clear();
        if (!keepRepairRes)
            block.repairRes.clear();
        block.loadResources(children[k]);
    }
    return blocks;
}

} // namespace

void cUnit::setAttachedVisible(bool visible)
{
    if (attached.empty())
        return;
    if (UnitView* attachedView = attached.front()->getUnitView())
    {
        if (visible)
            attachedView->show();
        else
            attachedView->hide();
    }
}

void cUnit::snapToView()
{
    if (homeChain)
    {
        homeChain->complete();
        homeChain.reset();
    }
    Game* game = Game::instance();
    if (!view || !game)
        return;
    const Engine::cVector2 position = view->getPosition();
    const Engine::cPoint newCell = game->posToCell(position);
    setCell(newCell, position - game->cellToPos(newCell));
}

void cUnit::loadCameOffsetPoints(const boost::shared_ptr<Engine::cProperties>& node)
{
    cameOffsetRoutes.clear();
    Engine::tPropertiesList routes;
    node->getChildren(routes);
    for (const auto& routeNode : routes)
    {
        UnitRoute newRoute;
        Engine::fromString(newRoute.point, routeNode->getAttribute(L"Pos"));
        Engine::tPropertiesList steps;
        routeNode->getChildren(steps);
        for (const auto& stepNode : steps)
        {
            UnitRoute::Step step;
            Engine::fromString(step.point, stepNode->getAttribute(L"Pos"));
            Engine::fromString(step.angle, stepNode->getAttribute(L"Angle"));
            newRoute.steps.push_back(step);
        }
        cameOffsetRoutes.push_back(newRoute);
    }
}

void cUnit::loadSpecificUpgrades(const boost::shared_ptr<Engine::cProperties>& node)
{
    const auto type = getTypeInfo();
    if (!type)
        return;
    ownLevels = readLevelBlocks(
        *type, node,
        L"cUnit::loadSpecificUpgrades(): на уровне задано неправильное число апгрейдов для юнита: ", typeName,
        false);
    hasOwnLevels = !ownLevels.empty();
}

void cUnit::loadFireUpgrades(const boost::shared_ptr<Engine::cProperties>& node)
{
    if (!inFire)
        return;
    fireLevels = readLevelBlocks(
        *GameConfig::instance().getFakeFireBarrier(), node,
        L"cUnit::loadFireUpgrades(): на уровне задано неправильное число апгрейдов для горящего юнита: ",
        typeName, true);
}

void cUnit::loadRepairUpgrades(const boost::shared_ptr<Engine::cProperties>& node)
{
    if (!isDamaged)
        return;
    repairLevels = readLevelBlocks(
        *GameConfig::instance().getFakeDamagedUnit(), node,
        L"cUnit::loadRepairUpgrades(): на уровне задано неправильное число апгрейдов для сломанного юнита: ",
        typeName, true);
}

void cUnit::loadTutorial(const boost::shared_ptr<Engine::cProperties>& node)
{
    clearTips();
    Engine::tPropertiesList children;
    node->getChildren(children);
    for (size_t i = 0; i < children.size(); ++i)
    {
        auto tip = boost::make_shared<UnitTip>(shared_from_this());
        tip->loadXML(children[i]);
        const std::string problem = tip->problem();
        if (!problem.empty())
        {
            Game::reportError("Tutorial tip " + std::to_string(i + 1) + " of " + Engine::toUtf8(typeName) +
                              " is left out: " + problem);
            continue;
        }
        tips.push_back(tip);
        LevelTutor::instance().addTip(tip);
    }
}

bool cUnit::showTip(int eventKind)
{
    const auto found =
        std::find_if(tips.begin(), tips.end(),
                     [eventKind](const UnitTip::Ptr& tip) { return tip->eventKind == eventKind; });
    if (found == tips.end())
        return false;
    const UnitTip::Ptr tip = *found;
    if (!LevelTutor::instance().showTip(tip))
        return false;
    removeTip(tip);
    return true;
}

void cUnit::removeTip(const UnitTip::Ptr& tip)
{
    // A copy: the argument may be an entry of the list.
    const UnitTip::Ptr kept = tip;
    tips.remove(kept);
    LevelTutor::instance().forgetTip(kept);
}

void cUnit::clearTips()
{
    // Both of the tutorial's lists may hold a tip (event kinds 0 and 5): it lets go of every
    // one, and a pointer tip of this unit goes from the screen.
    const std::list<UnitTip::Ptr> dropped = std::move(tips);
    tips.clear();
    for (const UnitTip::Ptr& tip : dropped)
        LevelTutor::instance().onUnitClicked(tip);
}

void cUnit::loadGarbageList(const boost::shared_ptr<Engine::cProperties>& node)
{
    if (!garbage.empty())
        throw "cUnit::loadGarbageList(): garbage list is not empty";
    const Game* game = Game::instance();
    const Engine::cPicture* pattern = game ? game->getGarbagePattern() : nullptr;
    if (!pattern)
        return;
    Engine::tPropertiesList children;
    node->getChildren(children);
    for (const auto& child : children)
    {
        auto* picture = new Engine::cPicture(*pattern);
        picture->setParent(getPlayView());
        Engine::cVector2 position;
        Engine::fromString(position, child->getAttribute(L"Pos"));
        picture->setPosition(position);
        picture->hide();
        garbage.push_back(picture);
    }
}

void cUnit::showGarbage(bool visible)
{
    for (Engine::cPicture* picture : garbage)
    {
        if (visible)
            picture->show();
        else
            picture->hide();
    }
}

void cUnit::clearGarbage()
{
    for (Engine::cPicture* picture : garbage)
    {
        picture->hide();
        Engine::cControl::deleteLater(picture);
    }
    garbage.clear();
}
