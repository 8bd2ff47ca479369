#pragma once

#include "engine/core/FromString.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cProperties.h"

#include <string>

namespace Engine
{

class cControl;

// Throws the text of the exception being handled with `context` and ": " in front, as the
// engine's failure string (also stored as the last error text). Layout loaders call it from a
// catch block, so that an error deep in a layout names every element on the way to it.
[[noreturn]] void rethrowInLayout(const std::string& context);

// Reads the attribute `key` into `target` as `fromString` does: a number is read as far as it
// goes ("12abc" gives 12), and a text that does not begin with a value of the target's type
// ("true" for a 0/1 flag, a word where a number belongs) leaves the target as it was, as does
// a missing or empty attribute. True when the attribute has a text.
template <class T> bool readKey(const tPropertiesPtr& node, const wchar_t* key, T& target)
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return false;
    fromString(target, text);
    return true;
}

// Loads the child element `name` of `node` into `part` with the part's own loader; a failure
// is thrown again naming the child. False (nothing loaded) when there is no such child.
bool loadChildPart(cControl& part, const tPropertiesPtr& node, const wchar_t* name);

// Makes one `T` with `parent` as its parent from every child element of the group `name` of
// `node`, in the tree's order, loads it from that element and hands both to `made` (part,
// element). A failure is thrown again naming the group and the element's place in it.
template <class T, class F>
void loadPartGroup(cControl* parent, const tPropertiesPtr& node, const wchar_t* name, F made)
{
    tPropertiesPtr group;
    if (!node || !node->getChild(name, group) || !group)
        return;
    unsigned index = 0;
    for (auto it = group->childrenBegin(); it != group->childrenEnd(); ++it, ++index)
    {
        const tPropertiesPtr& element = it->value();
        try
        {
            T* part = new T(parent);
            part->loadXML(element);
            made(part, element);
        }
        catch (...)
        {
            rethrowInLayout("\"" + toUtf8(name) + "\" element number " + std::to_string(index));
        }
    }
}

// Loads the layout file at `path` (a hash-keyed document from the resource manager) into
// `control` with its own loader. Any failure is thrown again naming the file:
// "Layout "<path>": element "Ok" (class "btn"): File "ui/ok.png" not found.".
void loadLayout(cControl& control, const std::string& path);

} // namespace Engine
