#include "engine/ui/cDialog.h"

#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cMultiLineText.h"
#include "engine/ui/cPicture.h"
#include "engine/ui/cPyro.h"
#include "engine/ui/cTextLine.h"

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
