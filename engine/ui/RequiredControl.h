#pragma once

#include "engine/core/cProperties.h"
#include "engine/ui/cForm.h"

#include <string>

namespace Engine
{

// The lookups of controls a screen cannot work without (a menu's Play button, a panel's OK).
// A layout that lacks one is an error naming the layout and the control, at the moment the
// screen is built, rather than a screen that silently has no way on.

// Loads the child element `name` of `node` into `part`, as `loadChildPart` does. A node without
// that child throws "the control "<name>" is missing"; inside `loadLayout` the layout's name is
// put in front.
void loadRequiredPart(cControl& part, const tPropertiesPtr& node, const wchar_t* name);

// Throws the error of a control of the wrong class.
[[noreturn]] void throwWrongControl(const wchar_t* tag, const std::string& layout, const char* what);

// The control of the form tagged `tag`, as a T. Throws "Layout "<layout>": the control "<tag>"
// is missing" when no control has that tag, and "... is not a <what>" when it has another class.
cControl& requiredControl(const cForm& form, const wchar_t* tag, const std::string& layout);
template <class T>
T& requiredControl(const cForm& form, const wchar_t* tag, const std::string& layout, const char* what)
{
    cControl& control = requiredControl(form, tag, layout);
    if (T* typed = dynamic_cast<T*>(&control))
        return *typed;
    throwWrongControl(tag, layout, what);
}

} // namespace Engine
