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

void throwBadValue(const wchar_t* key, const std::wstring& text)
{
    std::string message = "key \"" + toUtf8(key) + "\" has the bad value \"" + toUtf8(text) + "\"";
    getErrorString() = message;
    throw cStringA(std::move(message));
}

template <> bool readKey<cColor>(const tPropertiesPtr& node, const wchar_t* key, cColor& target)
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return false;
    cColor first(0.0f, 0.0f, 0.0f, target.a);
    cColor second(0.5f, 0.5f, 0.5f, target.a);
    fromString(first, text);
    fromString(second, text);
    if (first != second)
        throwBadValue(key, text);
    target = first;
    return true;
}

template <> bool readKey<std::wstring>(const tPropertiesPtr& node, const wchar_t* key, std::wstring& target)
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return false;
    target = text;
    return true;
}

template <> bool readKey<std::string>(const tPropertiesPtr& node, const wchar_t* key, std::string& target)
{
    const std::wstring& text = node->getAttribute(key);
    if (text.empty())
        return false;
    fromString(target, text);
    return true;
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
