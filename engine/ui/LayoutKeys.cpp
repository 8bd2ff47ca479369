#include "engine/ui/LayoutKeys.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cConfigTable.h"
#include "engine/core/cControl.h"
#include "engine/core/cString.h"
#include "engine/devices/cResourceManager.h"

namespace Engine
{

void rethrowInLayout(const std::string& context)
{
    std::string text = context + ": " + currentExceptionText();
    getErrorString() = text;
    throw cStringA(std::move(text));
}

bool loadChildPart(cControl& part, const tPropertiesPtr& node, const wchar_t* name)
{
    tPropertiesPtr child;
    if (!node || !node->getChild(name, child) || !child)
        return false;
    try
    {
        part.loadXML(child);
    }
    catch (...)
    {
        rethrowInLayout("child \"" + toUtf8(name) + "\"");
    }
    return true;
}

void loadLayout(cControl& control, const std::string& path)
{
    try
    {
        cResourceManager* manager = cResourceManager::instance();
        if (!manager)
            throw cStringA("no resource manager");
        control.loadXML(manager->getXml(path, true));
    }
    catch (...)
    {
        rethrowInLayout("Layout \"" + path + "\"");
    }
}

} // namespace Engine
