#include "engine/ui/cDialog.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"

#include <algorithm>

namespace Engine
{

cDialog::cDialog(cControl* parent) : cControl(parent) {}

cDialog::~cDialog() = default;

void cDialog::loadXML(const tPropertiesPtr& node)
{
    cControl::loadXML(node);
    if (!node)
        return;
    const auto part = [this](cView* view, const tPropertiesPtr&) { m_parts.insert(view); };
    loadPartGroup<cPicture>(this, node, L"Background", part);
    loadPartGroup<cTextLine>(this, node, L"BackText", part);
    loadPartGroup<cMultiLineText>(this, node, L"BackMultitext", part);
    loadPartGroup<cPyro>(this, node, L"BackPyro",
                         [this](cPyro* effect, const tPropertiesPtr& element)
                         {
                             effect->playAsPart(element);
                             m_parts.insert(effect);
                         });
}

float cDialog::getDeep() const
{
    float lowest = 0.0f;
    bool any = false;
    for (cControl* child : getChildren())
    {
        const auto* view = dynamic_cast<const cView*>(child);
        if (!view || !view->isVisible())
            continue;
        lowest = any ? std::min(lowest, view->getDeep()) : view->getDeep();
        any = true;
    }
    return lowest;
}

void cDialog::setDeep(float deep)
{
    const float delta = deep - getDeep();
    for (cControl* child : getChildren())
        if (auto* view = dynamic_cast<cView*>(child))
            view->setDeep(view->getDeep() + delta);
}

void cDialog::removeChild(cControl* child)
{
    for (auto it = m_parts.begin(); it != m_parts.end(); ++it)
    {
        if (static_cast<cControl*>(*it) == child)
        {
            m_parts.erase(it);
            break;
        }
    }
    cControl::removeChild(child);
}

} // namespace Engine
