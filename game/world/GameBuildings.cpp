// Game: the buildings of a level file, the units standing on the field when the level begins.
#include "game/world/Game.h"

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelFileReader.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/make_shared.hpp>

namespace
{

std::string quoted(const std::wstring& text)
{
    return "\"" + Engine::toUtf8(text) + "\"";
}

} // namespace

void Game::loadBuildings(const boost::shared_ptr<Engine::cProperties>& root)
{
    Engine::tPropertiesPtr buildings;
    if (!root->getChild(L"Buildings", buildings))
        return;
    LevelFileReader reader(m_levelPath);
    Engine::tPropertiesList children;
    buildings->getChildren(children);
    for (size_t i = 0; i < children.size(); ++i)
        readBuilding(reader, children[i], static_cast<int>(i));
}

void Game::readBuilding(LevelFileReader& reader, const boost::shared_ptr<Engine::cProperties>& node,
                        int index)
{
    GameConfig& config = GameConfig::instance();
    const std::wstring typeName = node->getAttribute(L"Type");
    if (typeName.empty())
        logLevelNote("Level file \"" + Engine::toUtf8(m_levelPath) + "\", Buildings element " +
                     std::to_string(index + 1) + ": no \"Type\"; the element is skipped.");
    if (typeName.empty() || typeName == L"BackGroundTree")
        return;
    const std::string where =
        "Buildings element " + std::to_string(index + 1) + " (" + quoted(typeName) + ")";

    // A name the unit types lack would quietly become a new id without rules.
    const int typeId = config.unitNames().find(typeName);
    const auto type = typeId == -1 ? boost::shared_ptr<UnitTypeInfo>() : config.getTypeInfo(typeId);
    if (!type)
        reader.fail(where, "the unit type " + quoted(typeName) + " is not defined in \"Units/Units.xml\"");
    registerUnitType(typeId);

    Engine::cVector2 position;
    int level = 0;
    int maxLevel = -1;
    int targetLevel = -1;
    int targetType = 0;
    int appearOnCataclysm = -1;
    int disappearOnCataclysm = -1;
    int triggerCataclysm = -1;
    float angle = 0.0f;
    Engine::fromString(position, node->getAttribute(L"Position"));
    Engine::fromString(level, node->getAttribute(L"Level"));
    Engine::fromString(maxLevel, node->getAttribute(L"MaxLevel"));
    Engine::fromString(targetLevel, node->getAttribute(L"TargetLevel"));
    Engine::fromString(targetType, node->getAttribute(L"TargetType"));
    Engine::fromString(appearOnCataclysm, node->getAttribute(L"AppearOnCataclysm"));
    Engine::fromString(disappearOnCataclysm, node->getAttribute(L"DisappearOnCataclysm"));
    Engine::fromString(triggerCataclysm, node->getAttribute(L"TriggerCataclysm"));
    Engine::fromString(angle, node->getAttribute(L"Angle"));
    std::wstring viewStateId = node->getAttribute(L"ViewStateId");
    if (typeName == L"BarrierFlood" && viewStateId.empty())
        viewStateId = m_floodViewId;
    // Every rule of a unit is looked up by its level.
    if (level < 0 || level >= type->levelCount())
        reader.fail(where, "\"Level\" is " + std::to_string(level) + ", but the type has the levels 0 to " +
                               std::to_string(type->levelCount() - 1));
    if (!m_occupancy.inside(posToCell(position)))
        reader.fail(where, "the position " + std::to_string(position.x) + ";" + std::to_string(position.y) +
                               " lies outside the field");

    int fallingTime = -1;
    int fallingCount = 1;
    int fallingDelay = 0;
    Engine::fromString(fallingTime, node->getAttribute(L"FallingTime"));
    Engine::fromString(fallingCount, node->getAttribute(L"FallingCount"));
    Engine::fromString(fallingDelay, node->getAttribute(L"FallingDelay"));
    const float fallDelay = fallingDelay == 0 ? 0.0f : static_cast<float>(fallingDelay);

    boost::shared_ptr<cUnit::CellMap> cells;
    Engine::tPropertiesPtr list;
    if (node->getChild(L"FreeCells", list) && list->getChildCount() > 0)
    {
        cells = boost::make_shared<cUnit::CellMap>();
        Engine::tPropertiesList children;
        list->getChildren(children);
        for (const auto& child : children)
        {
            const Engine::cPoint cell = reader.readCell(child, L"Pos", m_ground, where + ", FreeCells");
            cells->emplace(cell.x * 1000 + cell.y, cell);
            m_ground.setCellFlags(cell, 0);
        }
    }
    Engine::cVector2 productionOffset;
    Engine::fromString(productionOffset, node->getAttribute(L"ProductionOffset"));
    bool inFire = false;
    bool isDamaged = false;
    Engine::fromString(inFire, node->getAttribute(L"InFire"));
    Engine::fromString(isDamaged, node->getAttribute(L"IsDamaged"));
    if (inFire && config.unitNames().find(L"BarrierFireAttach") == -1)
        reader.fail(where, "a burning building needs the unit type \"BarrierFireAttach\"");

    const cUnit::Ptr unit =
        addUnit(typeId, level, maxLevel, eUnitState::idle, angle, position, cells, viewStateId);
    if (isOfCategory(unit, UnitCategory::hero))
        unit->setState(eUnitState::hidden, -1);
    else if (isOfCategory(unit, UnitCategory::ambient))
        unit->setState(eUnitState::idle, -1);
    unit->setTargetLevel(targetLevel);
    unit->setTargetType(targetType);
    unit->setAppearOnCataclysm(appearOnCataclysm);
    unit->setDisappearOnCataclysm(disappearOnCataclysm);
    unit->setTriggerCataclysm(triggerCataclysm);

    unit->inFire = inFire;
    if (inFire)
    {
        unit->setState(eUnitState::fireIdle, -1);
        registerUnitType(config.getTypeId(L"BarrierFireAttach"));
    }
    unit->isDamaged = isDamaged;
    if (isDamaged && !inFire)
        unit->setState(eUnitState::damageIdle, -1);
    unit->breafId = Engine::toUtf8(node->getAttribute(L"BreafId"));
    unit->goalCategory = Engine::toUtf8(node->getAttribute(L"GoalCategory"));

    if (node->getChild(L"CameOffsetPoints", list))
        unit->loadCameOffsetPoints(list);
    unit->setProductionOffset(productionOffset);
    try
    {
        if (node->getChild(L"Upgrades", list))
            unit->loadSpecificUpgrades(list);
        if (node->getChild(L"FireUpgrades", list))
            unit->loadFireUpgrades(list);
        if (node->getChild(L"RepairUpgrades", list))
            unit->loadRepairUpgrades(list);
    }
    catch (const std::wstring& message)
    {
        reader.fail(where, Engine::toUtf8(message));
    }
    if (node->getChild(L"Tutorial", list))
        unit->loadTutorial(list);
    // The garbage lying around the building shows when the level starts.
    if (node->getChild(L"Garbage", list))
        unit->loadGarbageList(list);

    if (isOfCategory(unit, UnitCategory::resource))
    {
        // The pile carries the first resource its level gives, with the file's count when the
        // type gives none; a type that gives nothing leaves it empty.
        const auto info = unit->getLevelInfo();
        if (info && !info->resOut.getItems().empty())
        {
            const auto first = *info->resOut.getItems().begin();
            unit->resources.insert(first.first, first.second == 0 ? fallingCount : first.second);
        }
    }
    unit->fallingDelay = fallDelay;
    if (isOfCategory(unit, UnitCategory::base))
        fallingTime = 0;
    if (fallingTime != -1)
        m_controller.dropUnit(unit, static_cast<float>(fallingTime), fallDelay);
    if (appearOnCataclysm != -1 || typeName == L"BarrierFlood")
        unit->setState(eUnitState::hidden, -1);
    if (typeName == L"BarrierFlood")
        m_floodBarrier = unit;
    if (isOfCategory(unit, UnitCategory::base) && !unit->cameOffsetRoutes.empty())
        m_basePoint = (position + unit->cameOffsetRoutes.front().point) - cellToPos(unit->getCell());
}

cUnit::Ptr Game::cloneUnit(const cUnit::Ptr& source)
{
    const cUnit::Ptr unit =
        addUnit(source->getTypeId(), source->getLevel(), source->getMaxLevel(), eUnitState::idle,
                source->getAngle(), unitPos(source), source->getFreeCells(), source->getViewStateId());
    if (isOfCategory(unit, UnitCategory::hero))
        unit->setState(eUnitState::hidden, -1);
    unit->setTargetLevel(source->getTargetLevel());
    unit->setTargetType(source->getTargetType());
    unit->setAppearOnCataclysm(source->getAppearOnCataclysm());
    unit->setDisappearOnCataclysm(source->getDisappearOnCataclysm());
    unit->setTriggerCataclysm(source->getTriggerCataclysm());
    unit->cameOffsetRoutes = source->cameOffsetRoutes;
    unit->setProductionOffset(source->getProductionOffset());
    unit->fallingDelay = source->fallingDelay;
    unit->setFallOffset(source->getFallOffset());
    if (isOfCategory(unit, UnitCategory::resource))
        unit->resources.assign(source->resources);
    if (source->getAppearOnCataclysm() != -1)
        unit->setState(eUnitState::hidden, -1);
    return unit;
}
