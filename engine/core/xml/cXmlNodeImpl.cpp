#include "engine/core/xml/cXmlNodeImpl.h"

#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/core/xml/cXmlImage.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

namespace Engine
{

namespace
{

const std::wstring& emptyText()
{
    static const std::wstring empty;
    return empty;
}

template <class Keys> auto readKey(xml::cImageReader& reader)
{
    if constexpr (Keys::kHashed)
        return reader.readU32();
    else
        return reader.readName();
}

void writeKey(xml::cImageWriter& writer, const cPropertyName& key)
{
    if (writer.hashedKeys())
        writer.writeU32(propertyNameHash(key.view()));
    else
        writer.writeString(key.view());
}

void writeKey(xml::cImageWriter& writer, uint32_t key)
{
    if (!writer.hashedKeys())
        throw xml::cImageError{"a hash-keyed node keeps no names to write"};
    writer.writeU32(key);
}

// Minimum bytes of one entry in an image: a key and a value string, or a key and a node image
// (three counts).
constexpr size_t kMinAttributeBytes = 8;
constexpr size_t kMinChildBytes = 16;

} // namespace

template <class Derived, class Keys>
unsigned cXmlNodeImpl<Derived, Keys>::getChildren(tPropertiesList& list) const
{
    list.reserve(list.size() + m_children.size());
    for (const auto& entry : m_children)
        list.push_back(entry.second);
    return static_cast<unsigned>(m_children.size());
}

template <class Derived, class Keys>
unsigned cXmlNodeImpl<Derived, Keys>::getChildren(const wchar_t* name, tPropertiesList& list) const
{
    const auto range = m_children.equal_range(Keys::lookup(name));
    unsigned count = 0;
    for (auto it = range.first; it != range.second; ++it, ++count)
        list.push_back(it->second);
    return count;
}

template <class Derived, class Keys>
bool cXmlNodeImpl<Derived, Keys>::findChild(const cNameKey& name, tPropertiesPtr& child) const
{
    // lower_bound: the first of several children with that name.
    const auto key = Keys::lookup(name);
    const auto it = m_children.lower_bound(key);
    if (it == m_children.end() || m_children.key_comp()(key, it->first))
    {
        child.reset();
        return false;
    }
    child = it->second;
    return true;
}

template <class Derived, class Keys>
bool cXmlNodeImpl<Derived, Keys>::getChildAt(unsigned index, tPropertiesPtr& child, std::wstring* name) const
{
    if (index >= m_children.size())
    {
        child.reset();
        return false;
    }
    auto it = m_children.begin();
    std::advance(it, index);
    child = it->second;
    if constexpr (!Keys::kHashed)
    {
        if (name)
            *name = it->first.str();
    }
    return true;
}

template <class Derived, class Keys>
const std::wstring& cXmlNodeImpl<Derived, Keys>::findAttribute(const cNameKey& name) const
{
    const auto it = m_attributes.find(Keys::lookup(name));
    return it == m_attributes.end() ? emptyText() : it->second;
}

template <class Derived, class Keys> unsigned cXmlNodeImpl<Derived, Keys>::getChildCount() const
{
    return static_cast<unsigned>(m_children.size());
}

template <class Derived, class Keys>
unsigned cXmlNodeImpl<Derived, Keys>::getChildCount(const wchar_t* name) const
{
    return static_cast<unsigned>(m_children.count(Keys::lookup(name)));
}

template <class Derived, class Keys> unsigned cXmlNodeImpl<Derived, Keys>::getAttributeCount() const
{
    return static_cast<unsigned>(m_attributes.size());
}

template <class Derived, class Keys> cChildIterator cXmlNodeImpl<Derived, Keys>::childrenBegin() const
{
    return cChildIterator(m_children.cbegin());
}

template <class Derived, class Keys> cChildIterator cXmlNodeImpl<Derived, Keys>::childrenEnd() const
{
    return cChildIterator(m_children.cend());
}

template <class Derived, class Keys> cAttributeRange cXmlNodeImpl<Derived, Keys>::getAttributes() const
{
    return {attributesBegin(), attributesEnd(), m_attributes.size()};
}

template <class Derived, class Keys> cAttributeIterator cXmlNodeImpl<Derived, Keys>::attributesBegin() const
{
    return cAttributeIterator(m_attributes.cbegin());
}

template <class Derived, class Keys> cAttributeIterator cXmlNodeImpl<Derived, Keys>::attributesEnd() const
{
    return cAttributeIterator(m_attributes.cend());
}

template <class Derived, class Keys>
tPropertiesPtr* cXmlNodeImpl<Derived, Keys>::childSlot(const xml::cXmlName& name, unsigned position)
{
    if (position == 0)
        return nullptr;
    auto range = m_children.equal_range(Keys::key(name));
    for (unsigned i = 1; range.first != range.second; ++range.first, ++i)
    {
        if (i == position)
            return &range.first->second;
    }
    return nullptr;
}

template <class Derived, class Keys>
tPropertiesPtr& cXmlNodeImpl<Derived, Keys>::appendChild(const xml::cXmlName& name, tPropertiesPtr child)
{
    // A multimap inserts behind the entries with an equal key.
    return m_children.emplace(Keys::key(name), std::move(child))->second;
}

template <class Derived, class Keys>
void cXmlNodeImpl<Derived, Keys>::removeChildren(const xml::cXmlName& name)
{
    const auto range = m_children.equal_range(Keys::key(name));
    m_children.erase(range.first, range.second);
}

template <class Derived, class Keys>
void cXmlNodeImpl<Derived, Keys>::setAttribute(const xml::cXmlName& name, std::wstring_view value)
{
    const auto& key = Keys::key(name);
    const auto it = m_attributes.lower_bound(key);
    // A new value is made from the text at once, not made empty and then assigned.
    if (it == m_attributes.end() || m_attributes.key_comp()(key, it->first))
        m_attributes.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key),
                                  std::forward_as_tuple(value));
    else
        it->second.assign(value);
}

template <class Derived, class Keys> tPropertiesPtr cXmlNodeImpl<Derived, Keys>::createEmpty() const
{
    return Derived::createNode();
}

template <class Derived, class Keys> tPropertiesPtr cXmlNodeImpl<Derived, Keys>::clone() const
{
    tPropertiesPtr copy = Derived::createNode();
    auto& node = static_cast<cXmlNodeImpl&>(*copy);
    node.m_attributes = m_attributes;
    node.m_children = m_children;
    node.m_text = m_text;
    node.m_height = m_height;
    return copy;
}

template <class Derived, class Keys> bool cXmlNodeImpl<Derived, Keys>::assignFrom(const cProperties& source)
{
    if (&source == this)
        return true;
    if constexpr (!Keys::kHashed)
    {
        if (source.attributesBegin().isHashed() || source.childrenBegin().isHashed())
            return false;
    }
    typename Keys::tAttributes attributes;
    typename Keys::tChildren children;
    xml::cNameTable names;
    auto keyOf = [&](const auto& it)
    {
        if constexpr (Keys::kHashed)
            return it.hash();
        else
            return names.intern(it.name(), it.hash());
    };
    for (auto it = source.attributesBegin(), end = source.attributesEnd(); it != end; ++it)
        attributes.insert_or_assign(keyOf(it), it.value());
    for (auto it = source.childrenBegin(), end = source.childrenEnd(); it != end; ++it)
        children.emplace(keyOf(it), it.value());
    m_attributes.swap(attributes);
    m_children.swap(children);
    m_text = source.asWString();
    if (const auto* node = dynamic_cast<const cXmlNode*>(&source))
        m_height = node->height();
    return true;
}

template <class Derived, class Keys> void cXmlNodeImpl<Derived, Keys>::clear()
{
    m_attributes.clear();
    m_children.clear();
    m_text.clear();
    m_height = 0;
}

template <class Derived, class Keys>
void cXmlNodeImpl<Derived, Keys>::readImage(xml::cImageReader& reader, unsigned depth)
{
    if (depth > xml::kMaxDepth)
        reader.fail("nests elements too deeply");
    const uint32_t attributes = reader.readCount(kMinAttributeBytes);
    m_attributes.reserve(attributes);
    for (uint32_t i = 0; i < attributes; ++i)
    {
        auto key = readKey<Keys>(reader);
        reader.readString(m_attributes[std::move(key)]);
    }
    const uint32_t children = reader.readCount(kMinChildBytes);
    for (uint32_t i = 0; i < children; ++i)
    {
        auto key = readKey<Keys>(reader);
        tPropertiesPtr child = Derived::createNode();
        auto& node = static_cast<cXmlNode&>(*child);
        node.readImage(reader, depth + 1);
        m_height = std::max(m_height, node.height() + 1);
        m_children.emplace(std::move(key), std::move(child));
    }
    reader.readString(m_text);
}

template <class Derived, class Keys>
void cXmlNodeImpl<Derived, Keys>::writeImage(xml::cImageWriter& writer) const
{
    writer.writeU32(static_cast<uint32_t>(m_attributes.size()));
    for (const auto& entry : m_attributes)
    {
        writeKey(writer, entry.first);
        writer.writeString(entry.second);
    }
    writer.writeU32(static_cast<uint32_t>(m_children.size()));
    for (const auto& entry : m_children)
    {
        writeKey(writer, entry.first);
        static_cast<const cXmlNode&>(*entry.second).writeImage(writer);
    }
    writer.writeString(m_text);
}

template class cXmlNodeImpl<cXmlPropertiesPooled, xml::cNameKeys>;
template class cXmlNodeImpl<cXmlProperties, xml::cHashKeys>;

} // namespace Engine
