#include "engine/ui/cForm.h"

#include "engine/ui/cControlFactory.h"

#include <iterator>

namespace Engine
{

cForm::cForm(cControl* parent) : cPicture(parent) {}

void cForm::loadXML(const tPropertiesPtr& node)
{
    cPicture::loadXML(node);
    if (!node)
        return;
    unsigned index = 0;
    for (auto it = node->childrenBegin(); it != node->childrenEnd(); ++it, ++index)
    {
        std::wstring tag;
        cControl* control = cControlFactory::createFromElement(this, *it, index, tag);
        if (control && !tag.empty())
            m_controls.emplace(tag, control);
    }
}

void cForm::setAlpha(float alpha)
{
    cPicture::setAlpha(alpha);
    for (cControl* child : getChildren())
        if (cView* view = dynamic_cast<cView*>(child))
            view->setAlpha(alpha);
}

void cForm::removeChild(cControl* child)
{
    for (auto it = m_controls.begin(); it != m_controls.end();)
        it = it->second == child ? m_controls.erase(it) : std::next(it);
    cPicture::removeChild(child);
}

cControl* cForm::findControl(const std::wstring& tag) const
{
    const auto it = m_controls.find(tag);
    return it == m_controls.end() ? nullptr : it->second;
}

namespace
{

const cControlFactory::cRegistration names({L"f", L"form"}, &createControl<cForm>);

} // namespace

} // namespace Engine
