#include "game/screens/cCredits.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/RequiredControl.h"

cCredits::cCredits(Engine::cControl* parent) : Engine::cComposite(parent), m_return(this)
{
    Engine::loadLayout(*this, Layout);
    m_return.connectClickAction([this] { onReturn(); });
}

cCredits::~cCredits() = default;

void cCredits::loadXML(const Engine::tPropertiesPtr& node)
{
    Engine::cComposite::loadXML(node);
    Engine::loadRequiredPart(m_return, node, L"ReturnButton");
}

void cCredits::onReturn()
{
    disable();
    fadeOut();
}
