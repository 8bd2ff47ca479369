// Game: units entering and leaving the level, cells and field positions, and the occupancy
// grid that follows the units.
#include "game/world/Game.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"
#include "engine/ui/cPicture.h"
#include "game/world/GameConfig.h"
#include "game/world/LevelViews.h"
#include "game/world/UnitCategories.h"
#include "game/world/UnitTypeInfo.h"
#include "game/world/UnitView.h"

#include <boost/bind/bind.hpp>
#include <boost/make_shared.hpp>

using namespace boost::placeholders;

namespace
{

// Erases the entry of `table` under `id` that holds the unit.
void eraseUnit(Game::UnitMap& table, int id, const cUnit::Ptr& unit)
{
    const auto range = table.equal_range(id);
    for (auto it = range.first; it != range.second; ++it)
        if (it->second == unit)
        {
            table.erase(it);
            return;
        }
}

} // namespace

cUnit::Ptr Game::addUnit(int typeId, int level, int maxLevel, eUnitState state, float angle,
                         const Engine::cVector2& position, const boost::shared_ptr<cUnit::CellMap>& freeCells,
                         const std::wstring& viewStateId)
{
    GameConfig& config = GameConfig::instance();
    const auto type = config.getTypeInfo(typeId);
    if (!type)
        throw Engine::cStringA("Game::addUnit(): the unit type " + std::to_string(typeId) + " (\"" +
                               Engine::toUtf8(config.unitNames().nameOf(typeId)) +
                               "\") is not defined in \"Units/Units.xml\"");

    const cUnit::Ptr unit = boost::make_shared<cUnit>(typeId);
    const int depthLayer = config.getDepthLayerOfType(typeId);
    unit->typeName = config.unitNames().nameOf(typeId);
    unit->setViewStateId(viewStateId);
    unit->setLevelAndState(level, state, false);
    unit->setAngle(angle);
    unit->setMaxLevel(maxLevel);
    Engine::cPoint cell;
    Engine::cVector2 offset;
    posToCellAndOffset(position, cell, offset);
    unit->setCell(cell, offset);
    unit->setFreeCells(freeCells);
    m_unitsByType.emplace(typeId, unit);
    m_unitsByCategory.emplace(type->categoryId, unit);

    UnitView* view = m_views.makeUnitView(unit, depthLayer);

    auto& connections = m_unitConnections;
    if (isOfCategory(unit, UnitCategory::animal))
        connections.push_back(
            view->connectClick(boost::bind(&GameController::onAnimalClick, &m_controller, _1)));
    if (isOfCategory(unit, UnitCategory::base))
    {
        m_base = unit;
        connections.push_back(unit->connectAttached(boost::bind(&LevelViews::onUnitChanged, &m_views, _1)));
    }
    connections.push_back(view->connectClick(boost::bind(&GameController::onUnitClick, &m_controller, _1)));

    connections.push_back(
        unit->connectLevelChanged(boost::bind(&GameController::handleHeroUnit, &m_controller, _1)));
    connections.push_back(unit->connectRemoved(boost::bind(&GameController::handleUnit, &m_controller, _1)));
    connections.push_back(unit->connectRemoved(boost::bind(&LevelViews::onUnitRemoved, &m_views, _1)));
    connections.push_back(unit->connectLevelChanged(boost::bind(&LevelViews::onUnitUpdated, &m_views, _1)));
    connections.push_back(unit->connectLevelChanged(boost::bind(&Game::onUnitLevelChanged, this, _1)));
    connections.push_back(
        unit->connectStateTransition(boost::bind(&Game::onUnitStateChanged, this, _1, _2, _3)));
    connections.push_back(unit->connectRemoved(boost::bind(&Game::onUnitRemoved, this, _1)));

    updateUnitCells(unit, false);

    const bool quiet = isOfCategory(unit, UnitCategory::ambient) ||
                       isOfCategory(unit, UnitCategory::attach) || isOfCategory(unit, UnitCategory::hero) ||
                       unit->typeName == L"BarrierFlood";
    if (!quiet)
    {
        connections.push_back(
            view->highlightOnSignal.connect(boost::bind(&LevelViews::onUnitViewHover, &m_views, _1)));
        connections.push_back(
            view->highlightOffSignal.connect(boost::bind(&LevelViews::onUnitViewLeave, &m_views, _1)));
    }
    return unit;
}

void Game::onUnitLevelChanged(const cUnit::Ptr& unit)
{
    updateUnitCells(unit, false);
    m_obstacleArrowTimer = 0.01f;
}

void Game::onUnitStateChanged(const cUnit::Ptr& unit, eUnitState, eUnitState)
{
    updateUnitCells(unit, unit->getState() == eUnitState::hidden);
}

void Game::onUnitRemoved(const cUnit::Ptr& unit)
{
    eraseUnit(m_unitsByType, unit->getTypeId(), unit);
    updateUnitCells(unit, true);
    if (const auto type = unit->getTypeInfo())
        eraseUnit(m_unitsByCategory, type->categoryId, unit);
    m_obstacleArrowTimer = 0.01f;
}

void Game::onResourcesChanged(cGameResources*)
{
    m_views.showResources();
}

void Game::stopInput(const cUnit::Ptr&)
{
    m_cancelConnection.disconnect();
    m_levelFinished.disconnect_all_slots();
}

Engine::cVector2 Game::cellToPos(const Engine::cPoint& cell) const
{
    const int width = GameConfig::instance().getConstants().CellWidth;
    const float half = static_cast<float>(width) * 0.5f;
    return Engine::cVector2(static_cast<float>(cell.x * width) + half,
                            static_cast<float>(cell.y * width) + half) +
           m_fieldOffset;
}

Engine::cPoint Game::posToCell(const Engine::cVector2& position) const
{
    const float width = static_cast<float>(GameConfig::instance().getConstants().CellWidth);
    const Engine::cVector2 cells = (position - m_fieldOffset) / width;
    return Engine::cPoint(static_cast<int>(cells.x), static_cast<int>(cells.y));
}

void Game::posToCellAndOffset(const Engine::cVector2& position, Engine::cPoint& cell,
                              Engine::cVector2& offset) const
{
    cell = posToCell(position);
    offset = position - cellToPos(cell);
}

Engine::cVector2 Game::cellOffsetToPos(const Engine::cPoint& cell, const Engine::cVector2& offset) const
{
    return cellToPos(cell) + offset;
}

Engine::cVector2 Game::unitPos(const cUnit& unit) const
{
    return cellOffsetToPos(unit.getCell(), unit.getOffset());
}

Engine::cVector2 Game::getUnitFieldPos(const cUnit::Ptr& unit) const
{
    return unitPos(unit) + Engine::cVector2(0.0f, -unit->getFallOffset());
}

Engine::cVector2 Game::freeCellPos(const Engine::cPoint& cell) const
{
    const auto found = m_freeCellOffsets.find(cell.x * 1000 + cell.y);
    const Engine::cVector2 offset =
        found == m_freeCellOffsets.end() ? Engine::cVector2() : Engine::cVector2(found->second);
    return cellToPos(cell) + offset;
}

void Game::updateUnitCells(const cUnit::Ptr& unit, bool forceFree)
{
    const auto type = unit->getTypeInfo();
    if (!type || type->levels.empty())
        return;
    int mode = 1;
    if (!forceFree)
    {
        // A level past the type's levels has no rule: its cells stay as they are.
        if (unit->getLevel() < 0 || unit->getLevel() >= type->levelCount())
            return;
        mode = type->levelInfo(unit->getLevel())->freeCell;
    }
    CellFlags value = 0;
    if (mode == 0)
        value = kCellBlocked;
    else if (mode != 1)
        return;
    const auto& cells = unit->getFreeCells();
    if (!cells)
        return;
    // Only a change of a cell starts the route search and the overlay afresh: most state
    // changes of a unit change no cell.
    bool changed = false;
    for (const auto& entry : *cells)
    {
        const Engine::cPoint& cell = entry.second;
        if (m_occupancy.inside(cell) && m_occupancy.getCellFlags(cell) != value)
        {
            m_occupancy.setCellFlags(cell, value);
            changed = true;
        }
    }
    if (changed)
        occupancyChanged();
}

void Game::occupancyChanged()
{
    m_occupancy.reset();
    m_overlayStale = true;
}

void Game::buildFreeCellOverlay()
{
    bool visible = false;
    if (m_overlay)
    {
        visible = m_overlay->isVisible();
        Engine::cControl::deleteLater(m_overlay);
        m_overlay = nullptr;
    }
    m_overlay = new Engine::cControl(getPlayView());
    const Engine::tPropertiesPtr layout = Engine::cResourceManager::instance()->getXml("freecell.xml", true);
    const GameConstants& constants = GameConfig::instance().getConstants();
    const float width = static_cast<float>(constants.CellWidth);
    for (int x = 0; x < m_occupancy.getWidth(); ++x)
        for (int y = 0; y < m_occupancy.getHeight(); ++y)
        {
            const Engine::cPoint cell(x, y);
            if (m_occupancy.getCellFlags(cell) & kCellBlocked)
                continue;
            auto* picture = new Engine::cPicture(m_overlay);
            picture->loadXML(layout);
            picture->setDeep(picture->getPosition().y + 2000.0f);
            picture->setPosition(cellToPos(cell));
            picture->setSize(Engine::cVector2(width, width));
            picture->show();
        }
    if (visible)
        m_overlay->show();
    else
        m_overlay->hide();
    m_overlayStale = false;
}

Engine::cControl* Game::getFreeCellOverlay()
{
    if (!m_overlayWanted)
        return nullptr;
    if (!m_overlay || m_overlayStale)
        buildFreeCellOverlay();
    return m_overlay;
}
