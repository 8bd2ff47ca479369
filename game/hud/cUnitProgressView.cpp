#include "game/hud/cUnitProgressView.h"

#include "engine/core/cProperties.h"

cUnitProgressView::cUnitProgressView(Engine::cControl* parent, bool reversed)
    : Engine::cProgressFloat(parent), m_substrate(this), m_reversed(reversed)
{
}

cUnitProgressView::~cUnitProgressView() = default;

void cUnitProgressView::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cProgressFloat::loadXML(node);
    Engine::loadChildXML(&m_substrate, node, L"Substrate", L"cUnitProgressView::loadXML(): no \"Substrate\"");
    if (m_reversed)
        setCurrentValue(getMaxValue() - getCurrentValue());
}

void cUnitProgressView::setInverceX(bool inverse)
{
    Engine::cProgressFloat::setInverceX(inverse);
    m_substrate.setInverceX(inverse);
}
