// Game: the saved unfinished level, one ".save" file per player profile.
//
// The file is a plain stream of little-endian values with no header (see LevelArchive):
//   level number, level clock (whole seconds), unit count, one record per unit (numbered in
//   the order of the units by type), base point, the player's resources, the planner's block,
//   the cheat cells, the help flag and, when it is set, the help resources; then the goals'
//   section (GameGoalsSave.cpp), which a save written before it existed does not have.
// A save comes from outside the program: the reader checks every count, number, cell and
// value against what the level allows, and refuses a file that breaks any rule.
#include "game/world/Game.h"

#include "engine/core/ErrorText.h"
#include "engine/core/SaveFailures.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cProfileManager.h"
#include "engine/core/cProps.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelFileReader.h"
#include "game/world/LevelTutor.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/UnitTip.h"
#include "game/world/UnitTypeInfo.h"

#include <boost/make_shared.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <set>

namespace
{

// The smallest records the file can hold, which bound the counts read.
constexpr size_t kMinUnitBytes = 144;
constexpr size_t kMinRouteBytes = 12;
constexpr size_t kMinBlockBytes = 40;
constexpr size_t kMinTipBytes = 33;

void writeRoute(LevelArchive& archive, const UnitRoute& route)
{
    archive.write8(route.point);
    archive.write4(static_cast<int32_t>(route.steps.size()));
    for (const UnitRoute::Step& step : route.steps)
    {
        archive.write8(step.point);
        archive.write4(step.angle);
    }
}

// Coordinates far beyond any field, and values that are no numbers, are damage.
void checkCoordinate(LevelArchive& archive, float value, const char* what)
{
    if (!std::isfinite(value) || std::fabs(value) > 1.0e6f)
        archive.fail(std::string(what) + " is not a coordinate of the field");
}

void readVector(LevelArchive& archive, Engine::cVector2& value, const char* what)
{
    archive.read8(value);
    checkCoordinate(archive, value.x, what);
    checkCoordinate(archive, value.y, what);
}

UnitRoute readRoute(LevelArchive& archive)
{
    UnitRoute route;
    readVector(archive, route.point, "a route's end point");
    const int steps = archive.readCount(kMinRouteBytes);
    route.steps.resize(static_cast<size_t>(steps));
    for (UnitRoute::Step& step : route.steps)
    {
        readVector(archive, step.point, "a route's step");
        archive.read4(step.angle);
        checkCoordinate(archive, step.angle, "a route's angle");
    }
    return route;
}

// The cells the buildings of a level file cover ("FreeCells" of each unit of "Buildings").
std::set<std::pair<int, int>> buildingCells(const Engine::tPropertiesPtr& root, const std::wstring& levelPath,
                                            const GridPathFinder& grid)
{
    std::set<std::pair<int, int>> covered;
    Engine::tPropertiesPtr buildings;
    if (!root->getChild(L"Buildings", buildings))
        return covered;
    const LevelFileReader reader(levelPath);
    Engine::tPropertiesList children;
    buildings->getChildren(children);
    for (size_t i = 0; i < children.size(); ++i)
    {
        Engine::tPropertiesPtr list;
        if (!children[i]->getChild(L"FreeCells", list))
            continue;
        Engine::tPropertiesList cells;
        list->getChildren(cells);
        const std::string where = "Buildings, unit " + std::to_string(i + 1) + ", FreeCells";
        for (const auto& node : cells)
        {
            const Engine::cPoint cell = reader.readCell(node, L"Pos", grid, where);
            covered.emplace(cell.x, cell.y);
        }
    }
    return covered;
}

} // namespace

std::vector<uint8_t> Game::saveLevelBytes()
{
    LevelArchive archive;
    writeLevel(archive);
    return archive.bytes();
}

void Game::writeLevel(LevelArchive& archive)
{
    archive.write4(static_cast<int32_t>(Engine::cProps::get<int>(L"CurrentLevel")));
    // The clock read back is bounded; one played on past that bound is saved at it.
    archive.write4(static_cast<uint32_t>(std::clamp(m_levelTime, 0.0f, static_cast<float>(MaxSavedClock))));

    UnitNumbering numbering;
    const std::vector<cUnit::Ptr> units = unitsOf(m_unitsByType);
    for (size_t i = 0; i < units.size(); ++i)
        numbering[units[i]] = static_cast<int>(i);
    archive.write4(static_cast<int32_t>(units.size()));
    for (const cUnit::Ptr& unit : units)
        saveUnit(archive, unit, numbering);

    archive.write8(m_basePoint);
    m_levelResources.save(archive);
    m_controller.save(archive, numbering);
    archive.write4(static_cast<int32_t>(m_cheatPoints.size()));
    for (const Engine::cPoint& cell : m_cheatPoints)
        archive.write8(cell);
    archive.write4(static_cast<int32_t>(m_helpGiven ? 1 : 0));
    if (m_helpGiven)
        m_helpResources.save(archive);
    writeLevelGoals(archive, numbering);
}

bool Game::saveLevel()
{
    if (!Engine::cProfileManager::instance())
        return true;
    LevelArchive archive;
    writeLevel(archive);
    try
    {
        // A save there that cannot be continued (one that cannot even be opened among them) is
        // the player's still: it goes aside rather than under the new one.
        SavedLevelFile::moveAsideUnusable();
    }
    catch (...)
    {
        Engine::reportSaveFailure(
            Engine::eSavedFile::unfinishedLevel,
            "The level was not saved: the unfinished level there could not be kept aside (" +
                Engine::currentExceptionText() + ")");
        return false;
    }
    try
    {
        archive.writeFile(GameConfig::instance().savePath());
        return true;
    }
    catch (...)
    {
        Engine::reportSaveFailure(Engine::eSavedFile::unfinishedLevel, Engine::currentExceptionText());
        return false;
    }
}

bool Game::isLevelOpened(int level)
{
    // "CurrentLevel" is a level the map let the player choose or the one after a win.
    int value = 0;
    return level <= Engine::cProps::get<int>(L"CurrentLevel") ||
           Engine::cProps::getIfPresent<int>(L"Level" + std::to_wstring(level), value) ||
           (level > 0 && Engine::cProps::getIfPresent<int>(L"Level" + std::to_wstring(level - 1), value));
}

void Game::saveUnit(LevelArchive& archive, const cUnit::Ptr& unit, const UnitNumbering& numbering)
{
    archive.write4(static_cast<int32_t>(unit->getTypeId()));
    archive.write4(static_cast<int32_t>(unit->getLevel()));
    archive.write4(static_cast<int32_t>(unit->getMaxLevel()));
    archive.write4(static_cast<int32_t>(unit->getState()));
    archive.writeString(unit->getViewStateId());
    archive.write4(unit->getAngle());
    archive.write8(unitPos(unit));
    archive.write4(unit->getFallOffset());
    archive.write8(unit->getOffset());
    archive.write8(unit->getCell());
    const auto& cells = unit->getFreeCells();
    archive.write4(static_cast<int32_t>(cells ? cells->size() : 0));
    if (cells)
        for (const auto& [key, cell] : *cells)
        {
            archive.write4(static_cast<int32_t>(key));
            archive.write8(cell);
        }
    archive.write4(static_cast<int32_t>(unit->getTargetType()));
    archive.write4(static_cast<int32_t>(unit->getTargetLevel()));
    archive.write4(static_cast<int32_t>(unit->cameOffsetRoutes.size()));
    for (const UnitRoute& route : unit->cameOffsetRoutes)
        writeRoute(archive, route);
    archive.write8(unit->getProductionOffset());
    archive.write4(static_cast<int32_t>(unit->getStateTypeId()));
    archive.write4(static_cast<int32_t>(unit->getAppearOnCataclysm()));
    archive.write4(static_cast<int32_t>(unit->getDisappearOnCataclysm()));
    archive.write4(static_cast<int32_t>(unit->getTriggerCataclysm()));
    unit->resources.save(archive);
    const cUnit::Ptr parent = unit->getParent();
    archive.write4(static_cast<int32_t>(parent ? LevelArchive::findId(numbering, parent) : -1));
    archive.write1(unit->locked);
    archive.write4(static_cast<int32_t>(unit->lockId));
    archive.write4(unit->fallingDelay);
    archive.write1(unit->hasOwnLevels);
    if (unit->hasOwnLevels)
    {
        archive.write4(static_cast<int32_t>(unit->ownLevels.size()));
        for (const auto& block : unit->ownLevels)
            block->save(archive);
    }
    archive.write1(unit->inFire);
    archive.write1(unit->isDamaged);
    const bool fireBlock = unit->inFire && !unit->fireLevels.empty();
    archive.write4(static_cast<int32_t>(fireBlock ? 1 : 0));
    if (fireBlock)
        unit->fireLevels.front()->save(archive);
    writeRoute(archive, unit->route);
    archive.writeString(unit->breafId);
    archive.writeString(unit->goalCategory);
    archive.write4(static_cast<int32_t>(unit->tips.size()));
    for (const UnitTip::Ptr& tip : unit->tips)
        tip->save(archive);
    archive.write4(static_cast<int32_t>(unit->garbage.size()));
    for (const Engine::cPicture* picture : unit->garbage)
        archive.write8(picture->getPosition());
}

bool Game::restoreLevel()
{
    SavedLevelFile save = SavedLevelFile::read();
    if (save.state == SavedLevelFile::eState::none)
        return false;
    if (save.state == SavedLevelFile::eState::usable)
    {
        // Only the archive's refusal is the save's fault. Anything else (a damaged picture of
        // the level, a layout that does not load) is the data's: it goes on to end the run as
        // any fault of the data does, and the save stays for the day the data is whole.
        try
        {
            restoreLevelBytes(save.bytes, save.path);
            return true;
        }
        catch (const SavedLevelDamage& damage)
        {
            save.refuse(damage);
        }
    }
    save.keepDamaged();
    m_restoreError = save.error;
    reportError(m_restoreError);
    return false;
}

void Game::restoreLevelBytes(const std::vector<uint8_t>& bytes, const std::string& name)
{
    LevelArchive archive(bytes, name);
    m_levelTypes.clear();

    int32_t level = 0;
    archive.read4(level);
    uint32_t clock = 0;
    archive.read4(clock);
    SavedLevelFile::checkLevel(archive, level);
    const std::wstring path = levelPath(level);
    if (clock > MaxSavedClock)
        archive.fail("a level clock of " + std::to_string(clock) + " seconds");
    m_levelTime = static_cast<float>(clock);
    const Engine::tPropertiesPtr root =
        Engine::cResourceManager::instance()->getXml(Engine::toUtf8(path), true);
    m_levelPath = path;
    loadLevelSettings(root);
    registerUnitType(0);
    freeBuildingCells(root);

    const int count = archive.readCount(kMinUnitBytes);
    std::vector<cUnit::Ptr> units;
    std::vector<int> parents;
    for (int i = 0; i < count; ++i)
    {
        cUnit::Ptr unit;
        parents.push_back(restoreUnit(archive, unit));
        units.push_back(unit);
    }
    // Parents must be units of the file, and no unit may end up its own ancestor.
    for (int i = 0; i < count; ++i)
    {
        int parent = parents[static_cast<size_t>(i)];
        for (int steps = 0; parent != -1; ++steps)
        {
            if (parent < -1 || parent >= count || parent == i || steps > count)
                archive.fail("unit " + std::to_string(i) + " has the parent " +
                             std::to_string(parents[static_cast<size_t>(i)]));
            parent = parents[static_cast<size_t>(parent)];
        }
        // A hero hangs under nothing but the base, where it is parked. Under another unit it
        // would be destroyed with that unit's load when the other unit is parked, its own walk
        // or work left without it.
        parent = parents[static_cast<size_t>(i)];
        if (parent != -1 && isOfCategory(units[static_cast<size_t>(i)], UnitCategory::hero) &&
            !isOfCategory(units[static_cast<size_t>(parent)], UnitCategory::base))
            archive.fail("a hero carried by unit " + std::to_string(parent));
    }
    occupancyChanged();
    for (int i = 0; i < count; ++i)
        if (parents[static_cast<size_t>(i)] != -1)
            units[static_cast<size_t>(parents[static_cast<size_t>(i)])]->attach(
                units[static_cast<size_t>(i)]);

    // Units cover none but the cells of the level file's buildings: the units of a save of
    // another level do not fit this one.
    const std::set<std::pair<int, int>> buildings = buildingCells(root, m_levelPath, m_occupancy);
    for (int i = 0; i < count; ++i)
        if (const auto& cells = units[static_cast<size_t>(i)]->getFreeCells())
            for (const auto& [key, cell] : *cells)
                if (buildings.count({cell.x, cell.y}) == 0)
                    archive.fail("unit " + std::to_string(i) + " covers the cell " + std::to_string(cell.x) +
                                 ";" + std::to_string(cell.y) + ", which no building of the level covers");
    readVector(archive, m_basePoint, "the base point");
    m_levelResources.load(archive);
    loadResourceTexts();
    m_controller.restore(archive, units);

    const int cheats = archive.readCount(8);
    m_cheatPoints.clear();
    for (int i = 0; i < cheats; ++i)
    {
        Engine::cPoint cell;
        archive.read8(cell);
        if (!m_occupancy.inside(cell))
            archive.fail("a cheat cell lies outside the grid");
        m_cheatPoints.push_back(cell);
    }
    int32_t help = 0;
    archive.read4(help);
    m_helpGiven = help != 0;
    m_helpResources.clear();
    if (m_helpGiven)
        m_helpResources.load(archive);
    readLevelGoals(archive, units);
    if (archive.remaining() != 0)
        archive.fail(std::to_string(archive.remaining()) + " bytes follow the end of the level");

    Engine::cProps::set<int>(L"CurrentLevel", level);
    m_controller.showAllGarbage();
    // A loaded set raises nothing: what shows the stock (the status panel, the arrows that
    // grey while the stock lacks their cost) hears of it once the whole level is back.
    m_levelResources.changed(&m_levelResources);
}

void Game::freeBuildingCells(const boost::shared_ptr<Engine::cProperties>& root)
{
    // The cells of the level file's buildings start free, as a destroyed building leaves them;
    // the saved units block theirs again. A barrier cleared before the save stays cleared. The
    // ground grid, which the obstacle arrow searches, opens them as the level file did: it
    // never changes while the level runs.
    for (const auto& [x, y] : buildingCells(root, m_levelPath, m_occupancy))
    {
        m_occupancy.setCellFlags(Engine::cPoint(x, y), 0);
        m_ground.setCellFlags(Engine::cPoint(x, y), 0);
    }
    occupancyChanged();
    m_ground.reset();
}

int Game::restoreUnit(LevelArchive& archive, cUnit::Ptr& unit)
{
    GameConfig& config = GameConfig::instance();
    int32_t typeId = 0;
    int32_t level = 0;
    int32_t maxLevel = 0;
    int32_t state = 0;
    std::wstring viewStateId;
    archive.read4(typeId);
    archive.read4(level);
    archive.read4(maxLevel);
    archive.read4(state);
    archive.readString(viewStateId);
    const auto type = config.getTypeInfo(typeId);
    if (!type)
        archive.fail("a unit of the type " + std::to_string(typeId) +
                     ", which \"Units/Units.xml\" does not define");
    if (level < 0 || level >= type->levelCount())
        archive.fail("a unit at level " + std::to_string(level) + " of a type with " +
                     std::to_string(type->levelCount()) + " levels");
    if (!isUnitState(state))
        archive.fail("a unit in the state " + std::to_string(state));
    registerUnitType(typeId);

    float angle = 0.0f;
    Engine::cVector2 position;
    float fallOffset = 0.0f;
    Engine::cVector2 offset;
    Engine::cPoint cell;
    archive.read4(angle);
    checkCoordinate(archive, angle, "a unit's angle");
    readVector(archive, position, "a unit's position");
    archive.read4(fallOffset);
    checkCoordinate(archive, fallOffset, "a unit's fall");
    readVector(archive, offset, "a unit's offset");
    archive.read8(cell);
    // The unit stands at its cell plus its offset once continued, and is saved from there: the
    // three must all lie on the grid, or the next save of the level could not be read back.
    if (!m_occupancy.inside(cell) || !m_occupancy.inside(posToCell(position)) ||
        !m_occupancy.inside(posToCell(cellOffsetToPos(cell, offset))))
        archive.fail("a unit stands outside the grid");

    boost::shared_ptr<cUnit::CellMap> cells;
    const int cellCount = archive.readCount(12);
    if (cellCount != 0)
    {
        cells = boost::make_shared<cUnit::CellMap>();
        for (int i = 0; i < cellCount; ++i)
        {
            int32_t key = 0;
            Engine::cPoint freeCell;
            archive.read4(key);
            archive.read8(freeCell);
            if (!m_occupancy.inside(freeCell))
                archive.fail("a unit covers a cell outside the grid");
            cells->emplace(key, freeCell);
            m_occupancy.setCellFlags(freeCell, kCellBlocked);
        }
    }

    unit =
        addUnit(typeId, level, maxLevel, static_cast<eUnitState>(state), angle, position, cells, viewStateId);
    unit->setFallOffset(fallOffset);
    if (static_cast<eUnitState>(state) == eUnitState::hidden)
        unit->setState(eUnitState::hidden, -1);

    int32_t value = 0;
    archive.read4(value);
    unit->setTargetType(value);
    archive.read4(value);
    unit->setTargetLevel(value);
    const int routes = archive.readCount(kMinRouteBytes);
    unit->cameOffsetRoutes.clear();
    for (int i = 0; i < routes; ++i)
        unit->cameOffsetRoutes.push_back(readRoute(archive));

    Engine::cVector2 productionOffset;
    readVector(archive, productionOffset, "a unit's production offset");
    unit->setProductionOffset(productionOffset);
    archive.read4(value);
    unit->stateTypeId = value;
    archive.read4(value);
    unit->setAppearOnCataclysm(value);
    archive.read4(value);
    // Heroes and their tools come from the base and the work, never with the number of a quake
    // that takes them off the field: one taken away at work would leave its walk or work
    // holding a unit the level no longer has, and the level saved then could not be read back.
    if (value != -1 && (isOfCategory(unit, UnitCategory::hero) || isOfCategory(unit, UnitCategory::attach)))
        archive.fail("a hero or tool that quake " + std::to_string(value) + " takes off the field");
    unit->setDisappearOnCataclysm(value);
    archive.read4(value);
    unit->setTriggerCataclysm(value);
    unit->setCell(cell, offset);

    unit->resources.load(archive);
    int32_t parent = -1;
    archive.read4(parent);
    unit->typeName = config.unitNames().nameOf(typeId);

    archive.read1(unit->locked);
    archive.read4(value);
    unit->lockId = value;
    archive.read4(unit->fallingDelay);
    archive.read1(unit->hasOwnLevels);
    if (unit->hasOwnLevels)
    {
        const int blocks = archive.readCount(kMinBlockBytes);
        for (int i = 0; i < blocks; ++i)
        {
            auto block = boost::make_shared<UnitLevelInfo>();
            block->load(archive);
            unit->ownLevels.push_back(block);
        }
    }
    archive.read1(unit->inFire);
    archive.read1(unit->isDamaged);
    if (unit->inFire)
        registerUnitType(config.getTypeId(L"BarrierFireAttach"));
    int32_t fireFlag = 0;
    archive.read4(fireFlag);
    if (fireFlag != 0 && (fireFlag != 1 || !unit->inFire))
        archive.fail("a fire flag of " + std::to_string(fireFlag));
    if (fireFlag == 1)
    {
        auto block = boost::make_shared<UnitLevelInfo>();
        block->load(archive);
        unit->fireLevels.clear();
        unit->fireLevels.push_back(block);
    }
    unit->route = readRoute(archive);
    archive.readString(unit->breafId);
    archive.readString(unit->goalCategory);

    const int tips = archive.readCount(kMinTipBytes);
    if (tips != 0)
    {
        unit->clearTips();
        for (int i = 0; i < tips; ++i)
        {
            auto tip = boost::make_shared<UnitTip>(unit);
            tip->load(archive);
            const int tipType = tip->tipType;
            if (tipType < 0 || tipType > 2)
                archive.fail("a tip of the type " + std::to_string(tipType));
            // A tip shown already stays with its unit, so that the level saved again holds
            // the same bytes, but the tutorial never shows it again.
            unit->tips.push_back(tip);
            if (!tip->done)
                LevelTutor::instance().addTip(tip);
        }
    }

    const int garbage = archive.readCount(8);
    if (garbage != 0)
    {
        unit->clearGarbage();
        for (int i = 0; i < garbage; ++i)
        {
            Engine::cVector2 at;
            readVector(archive, at, "a garbage picture's position");
            auto* picture = new Engine::cPicture(*m_garbageView);
            picture->setParent(getPlayView());
            picture->setPosition(at);
            picture->hide();
            unit->garbage.push_back(picture);
        }
    }
    if (unit->typeName == L"BarrierFlood")
    {
        m_floodBarrier = unit;
        unit->refresh();
    }
    return parent;
}
