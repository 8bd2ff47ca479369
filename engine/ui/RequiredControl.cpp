#include "engine/ui/RequiredControl.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cString.h"
#include "engine/ui/LayoutKeys.h"

namespace Engine
{
namespace
{

[[noreturn]] void fail(std::string text)
{
    getErrorString() = text;
    throw cStringA(std::move(text));
}

} // namespace

void loadRequiredPart(cControl& part, const tPropertiesPtr& node, const wchar_t* name)
{
    if (!loadChildPart(part, node, name))
        fail("the control \"" + toUtf8(name) + "\" is missing");
}

cControl& requiredControl(const cForm& form, const wchar_t* tag, const std::string& layout)
{
    if (cControl* control = form.findControl(tag))
        return *control;
    fail("Layout \"" + layout + "\": the control \"" + toUtf8(tag) + "\" is missing");
}

void throwWrongControl(const wchar_t* tag, const std::string& layout, const char* what)
{
    fail("Layout \"" + layout + "\": the control \"" + toUtf8(tag) + "\" is not a " + what);
}

} // namespace Engine
