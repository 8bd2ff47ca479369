#pragma once

// Helpers shared by the property-tree tests.

#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"

#include <gtest/gtest.h>

#include <string>

namespace XmlTest
{

template <class T = Engine::cXmlPropertiesPooled>
boost::shared_ptr<T> parse(const std::string& text, const std::string& name = "test.xml")
{
    return T::fromBuffer(text.data(), text.size(), name);
}

// The load error that a text gives, or "" when it loads.
template <class T = Engine::cXmlPropertiesPooled> std::string loadError(const std::string& text)
{
    try
    {
        parse<T>(text);
    }
    catch (const Engine::cString<std::string>& error)
    {
        return error;
    }
    return "";
}

inline Engine::tPropertiesPtr child(const Engine::tPropertiesPtr& node, const wchar_t* name)
{
    Engine::tPropertiesPtr found;
    if (node)
        node->getChild(name, found);
    return found;
}

// Same attributes, children (by name hash, in table order) and text, all the way down.
inline ::testing::AssertionResult sameTree(const Engine::cProperties& a, const Engine::cProperties& b)
{
    if (a.asWString() != b.asWString())
        return ::testing::AssertionFailure() << "texts differ";
    if (a.getAttributeCount() != b.getAttributeCount() || a.getChildCount() != b.getChildCount())
        return ::testing::AssertionFailure() << "counts differ";
    for (auto i = a.attributesBegin(), j = b.attributesBegin(); i != a.attributesEnd(); ++i, ++j)
    {
        if (i.hash() != j.hash() || i.value() != j.value())
            return ::testing::AssertionFailure() << "attributes differ";
    }
    for (auto i = a.childrenBegin(), j = b.childrenBegin(); i != a.childrenEnd(); ++i, ++j)
    {
        if (i.hash() != j.hash())
            return ::testing::AssertionFailure() << "child keys differ";
        const ::testing::AssertionResult same = sameTree(*i.value(), *j.value());
        if (!same)
            return same;
    }
    return ::testing::AssertionSuccess();
}

} // namespace XmlTest
