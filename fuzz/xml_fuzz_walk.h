#pragma once

// Shared by the property-tree fuzz targets: reads every part of a tree through the public
// interface, and writes and reads back its pre-parsed image.

#include "engine/core/cProperties.h"
#include "engine/core/cString.h"
#include "engine/core/xml/cXmlImage.h"
#include "engine/core/xml/cXmlNode.h"

#include <cstdlib>
#include <string>

namespace XmlFuzz
{

// Visits at most `budget` nodes: shared subtrees can make a tree far larger than its file.
inline void walk(const Engine::cProperties& node, int& budget)
{
    if (--budget < 0)
        return;
    for (const auto& attribute : node.getAttributes())
        (void)(attribute.name().size() + attribute.value().size() + attribute.hash());
    (void)node.getAttributeAt(node.getAttributeCount() / 2);
    (void)node.asColor();
    (void)node.asInt64();
    (void)node.asPoint();
    (void)node.asString();
    std::wstring name;
    Engine::tPropertiesPtr child;
    for (unsigned i = 0; node.getChildAt(i, child, &name); ++i)
    {
        Engine::tPropertiesPtr first;
        if (!name.empty() && name.find(L'\0') == std::wstring::npos && !node.getChild(name.c_str(), first))
            std::abort();
        walk(*child, budget);
    }
}

inline bool sameTree(const Engine::cProperties& a, const Engine::cProperties& b)
{
    if (a.asWString() != b.asWString() || a.getAttributeCount() != b.getAttributeCount() ||
        a.getChildCount() != b.getChildCount())
        return false;
    for (auto i = a.attributesBegin(), j = b.attributesBegin(); i != a.attributesEnd(); ++i, ++j)
    {
        if (i.hash() != j.hash() || i.value() != j.value())
            return false;
    }
    for (auto i = a.childrenBegin(), j = b.childrenBegin(); i != a.childrenEnd(); ++i, ++j)
    {
        if (i.hash() != j.hash() || !sameTree(*i.value(), *j.value()))
            return false;
    }
    return true;
}

// Reads the tree as its class, then writes its image, reads that back and compares.
template <class T> void check(const char* data, size_t size, bool hashed)
{
    boost::shared_ptr<T> tree;
    try
    {
        tree = T::fromBuffer(data, size, "fuzz.xml");
    }
    catch (const Engine::cString<std::string>&)
    {
        return;
    }
    int budget = 2000;
    walk(*tree, budget);
    if (budget < 0)
        return;
    const std::string image = Engine::xml::writeImage(*tree, hashed);
    const boost::shared_ptr<T> again = T::fromBuffer(image.data(), image.size(), "fuzz.img");
    if (!sameTree(*tree, *again))
        std::abort();
}

} // namespace XmlFuzz
