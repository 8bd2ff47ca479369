#include "game/hud/cUnitView.h"

#include "game/hud/UnitViewLibrary.h"
#include "game/world/Game.h"

#include <boost/bind/bind.hpp>

using namespace boost::placeholders;

cUnitView::cUnitView(Engine::cControl* parent) : Engine::cButton(parent) {}

cUnitView::~cUnitView()
{
    // The unit may outlive its view (the level's tables, an action still hold it): it must not
    // keep pointing at a deleted view.
    if (m_unit && m_unit->getView() == this)
        m_unit->setView(nullptr);
}

void cUnitView::setUnit(const cUnit::Ptr& unit)
{
    m_unit = unit;
    m_stateConnection = unit->connectStateChanged(boost::bind(&cUnitView::applyState, this, _1));
    m_refreshConnection = unit->connectRefreshed(boost::bind(&cUnitView::onRefresh, this, _1));
    m_angleConnection = unit->connectAngleChanged(boost::bind(&cUnitView::onAngleChanged, this, _1));
    m_positionConnection = unit->connectPositionChanged(boost::bind(&cUnitView::updatePosition, this, _1));
    m_removedConnection = unit->connectRemoved(boost::bind(&cUnitView::onRemoved, this, _1));
    m_levelConnection = unit->connectLevelChanged(boost::bind(&cUnitView::onLevelChanged, this, _1));
    onLevelChanged(unit);
    updatePosition(unit);
    unit->setView(this);
}

void cUnitView::setDepthLayer(int layer)
{
    m_depthLayer = layer;
    if (m_unit)
        updatePosition(m_unit);
}

boost::shared_ptr<UnitViewDescription> cUnitView::getDescription() const
{
    return m_unit ? UnitViewLibrary::instance().findOrLoad(m_unit->getTypeId())
                  : boost::shared_ptr<UnitViewDescription>();
}

void cUnitView::applyState(const cUnit::Ptr& unit)
{
    if (unit->getState() == eUnitState::hidden)
        hide();
    else
        show();
    updatePosition(unit);
}

void cUnitView::updatePosition(const cUnit::Ptr& unit)
{
    const Game* game = Game::instance();
    if (!game)
        return;
    setDeep(static_cast<float>(m_depthLayer) * 1000.0f + game->unitPos(unit).y + m_deepOffset);
    setPosition(game->getUnitFieldPos(unit) + m_viewOffset);
}

void cUnitView::onAngleChanged(const cUnit::Ptr& unit)
{
    applyState(unit);
}

void cUnitView::onLevelChanged(const cUnit::Ptr& unit)
{
    applyState(unit);
}

void cUnitView::onRemoved(const cUnit::Ptr&)
{
    deleteLater(this);
}

void cUnitView::onRefresh(const cUnit::Ptr&)
{
    if (frames_count > 0)
        setFrame(frames_count - 1);
}
