#include "game/screens/cModalTutorStateView.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cTextStyleButton.h"

#include <string>

cModalTutorStateView::cModalTutorStateView(Engine::cControl* parent)
    : cTutorTipView(parent), m_okButton(new Engine::cTextStyleButton(this))
{
}

void cModalTutorStateView::loadXML(const Engine::tPropertiesPtr& node)
{
    cTutorTipView::loadXML(node);
    if (!Engine::loadChildPart(*m_okButton, node, L"OkButton"))
        throw std::string("cModalTutorStateView: the layout has no \"OkButton\".");
    noteLayout();
}
