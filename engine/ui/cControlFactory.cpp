#include "engine/ui/cControlFactory.h"

#include "engine/core/StringUtils.h"
#include "engine/core/cControl.h"
#include "engine/core/cString.h"
#include "engine/ui/LayoutKeys.h"
#include "engine/ui/cPicture.h"

#include <memory>

namespace Engine
{

cControlFactory::cRegistration::cRegistration(std::initializer_list<const wchar_t*> names,
                                              const tCreator& creator)
{
    cControlFactory& factory = instance();
    for (const wchar_t* name : names)
        factory.registerCreator(classKey(name), creator);
}

cControlFactory& cControlFactory::instance()
{
    // Registrations run from static initialisers of other files: the table is made by the
    // first of them, whatever the order of initialisation.
    static cControlFactory factory;
    return factory;
}

void cControlFactory::registerCreator(uint32_t key, const tCreator& creator)
{
    m_creators[key] = creator;
}

cControl* cControlFactory::create(uint32_t key, cView* parent) const
{
    const auto it = m_creators.find(key);
    if (it == m_creators.end() || !it->second)
        return nullptr;
    return it->second(parent);
}

uint32_t cControlFactory::classKey(const std::wstring& name)
{
    return hashWString(toLower(name));
}

namespace
{

// How an error names an element: its name where the tree keeps names, else its tag, else its
// place among its siblings.
std::string describeElement(const cChildIterator& element, unsigned index, const std::wstring& tag)
{
    if (!element.name().empty())
        return "element \"" + toUtf8(element.name()) + "\"";
    if (!tag.empty())
        return "element with Tag \"" + toUtf8(tag) + "\"";
    return "element number " + std::to_string(index);
}

} // namespace

cControl* cControlFactory::createFromElement(cView* parent, const cChildIterator& element, unsigned index,
                                             std::wstring& tag)
{
    const tPropertiesPtr& node = element.value();
    tag.clear();
    if (!node)
        return nullptr;
    tag = node->getAttribute(L"Tag");
    std::wstring className = node->getAttribute(L"Class");
    if (className.empty())
        className = node->getAttribute(L"class");
    const uint32_t key = className.empty() ? element.hash() : classKey(className);
    const std::string context =
        describeElement(element, index, tag) +
        (className.empty() ? std::string() : " (class \"" + toUtf8(className) + "\")");

    const cControlFactory& factory = instance();
    // An element that names no registered class creates nothing, and the rest of the layout
    // loads.
    if (!factory.isRegistered(key))
        return nullptr;
    // The parent owns the control once it exists; a failed load deletes it with the parent, or
    // here when there is none.
    cControl* control = nullptr;
    try
    {
        control = factory.create(key, parent);
        if (control)
            control->loadXML(node);
    }
    catch (...)
    {
        if (control && !parent)
            delete control;
        rethrowInLayout(context);
    }
    return control;
}

namespace
{

const cControlFactory::cRegistration pictureNames({L"picture", L"pic", L"p"}, &createControl<cPicture>);

} // namespace

} // namespace Engine
