#pragma once

#include "engine/core/cColor.h"
#include "engine/core/cPoint.h"
#include "engine/core/cResource.h"
#include "engine/core/cVector2.h"
#include "engine/core/xml/cPropertyName.h"

#include <boost/container/flat_map.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Engine
{

class cProperties;

using tPropertiesPtr = boost::shared_ptr<cProperties>;
using tPropertiesList = std::vector<tPropertiesPtr>;

// The tables of the two node classes: the name-keyed class keys by the name itself, the
// hash-keyed class by the 32-bit name hash (`hashWString`). Children with equal keys keep the
// order in which they were added. Attribute tables are small and filled once, so they are
// sorted arrays (one allocation per node instead of one per attribute).
using tNamedAttributes = boost::container::flat_map<cPropertyName, std::wstring, cPropertyNameLess>;
using tHashedAttributes = boost::container::flat_map<uint32_t, std::wstring>;
using tNamedChildren = std::multimap<cPropertyName, tPropertiesPtr, cPropertyNameLess>;
using tHashedChildren = std::multimap<uint32_t, tPropertiesPtr>;

// The hash that keys the hash-keyed tables. Inline, so that the hash of a name written in the
// code is worked out where the name is written, not at each lookup.
constexpr uint32_t propertyNameHash(std::wstring_view name)
{
    uint32_t seed = 0;
    for (const wchar_t c : name)
        seed ^= static_cast<uint32_t>(c) + 0x9E3779B9u + (seed << 6) + (seed >> 2);
    return seed;
}

// A name to look up in either node class: its text (for the name-keyed class) and its hash
// (for the hash-keyed class). A null name is the empty name.
struct cNameKey
{
    std::wstring_view text;
    uint32_t hash = 0;

    constexpr explicit cNameKey(std::wstring_view name) : text(name), hash(propertyNameHash(name)) {}
    constexpr explicit cNameKey(const wchar_t* name)
        : cNameKey(name ? std::wstring_view(name) : std::wstring_view())
    {
    }
};

// A position in the attribute or child table of either node class.
template <class Named, class Hashed> class cPropertiesTableIterator
{
public:
    using mapped_type = typename Named::mapped_type;

    cPropertiesTableIterator() = default;
    cPropertiesTableIterator(typename Named::const_iterator it) : m_named(it) {}
    cPropertiesTableIterator(typename Hashed::const_iterator it) : m_hashed(it), m_isHashed(true) {}

    // The entry's name; a hash-keyed node keeps no names and gives the empty text.
    const std::wstring& name() const { return m_isHashed ? emptyName() : m_named->first.str(); }
    // The hash of the entry's name, for both node classes.
    uint32_t hash() const { return m_isHashed ? m_hashed->first : propertyNameHash(m_named->first.view()); }
    // The attribute value, or the child node.
    const mapped_type& value() const { return m_isHashed ? m_hashed->second : m_named->second; }
    bool isHashed() const { return m_isHashed; }
    // An entry is read through the iterator itself, so range-for gives name() and value().
    const cPropertiesTableIterator& operator*() const { return *this; }
    const cPropertiesTableIterator* operator->() const { return this; }

    cPropertiesTableIterator& operator++()
    {
        if (m_isHashed)
            ++m_hashed;
        else
            ++m_named;
        return *this;
    }
    cPropertiesTableIterator operator++(int)
    {
        cPropertiesTableIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const cPropertiesTableIterator& o) const
    {
        return m_isHashed == o.m_isHashed && (m_isHashed ? m_hashed == o.m_hashed : m_named == o.m_named);
    }
    bool operator!=(const cPropertiesTableIterator& o) const { return !(*this == o); }

private:
    static const std::wstring& emptyName()
    {
        static const std::wstring empty;
        return empty;
    }

    typename Named::const_iterator m_named{};
    typename Hashed::const_iterator m_hashed{};
    bool m_isHashed = false;
};

using cAttributeIterator = cPropertiesTableIterator<tNamedAttributes, tHashedAttributes>;
using cChildIterator = cPropertiesTableIterator<tNamedChildren, tHashedChildren>;

// The whole attribute table of a node, for range-for.
struct cAttributeRange
{
    cAttributeIterator first;
    cAttributeIterator last;
    size_t count = 0;

    cAttributeIterator begin() const { return first; }
    cAttributeIterator end() const { return last; }
    size_t size() const { return count; }
};

// A node of the XML property tree: named attributes (text), named child nodes and a text.
// Every loader reads its data file through this interface. A document is built completely when
// it is loaded and only read afterwards; nodes are shared between documents by shared pointer.
//
// The two classes that implement it differ only in their keys: `cXmlPropertiesPooled` keys by
// name (tables sorted by name, compared by character), `cXmlProperties` by name hash (sorted by
// hash; two names with one hash are one key, and the names themselves are not kept).
class cProperties : public cResource
{
public:
    // Always true.
    virtual bool isValid() const;
    ~cProperties() override;

    // Appends every child in table order; returns the node's child count (not the number
    // appended, which differs when the list held entries before).
    virtual unsigned getChildren(tPropertiesList& list) const = 0;
    // Appends the children with that name in their order; returns how many there are.
    virtual unsigned getChildren(const wchar_t* name, tPropertiesList& list) const = 0;
    // True and the first child with that name, or false and `child` emptied.
    bool getChild(const wchar_t* name, tPropertiesPtr& child) const
    {
        return findChild(cNameKey(name), child);
    }
    virtual bool findChild(const cNameKey& name, tPropertiesPtr& child) const = 0;
    // True and the child at that position of the child table, or false and `child` emptied when
    // index >= the child count. The name-keyed class writes the child's name through `name`
    // when it is not null; the hash-keyed class never writes it.
    virtual bool getChildAt(unsigned index, tPropertiesPtr& child, std::wstring* name = nullptr) const = 0;

    // True and the target set from the text of the first child element with that name (as the
    // `as` operations convert it); false and the target unchanged when there is none.
    virtual bool get(const wchar_t* name, bool& target) const;
    virtual bool get(const wchar_t* name, cColor& target) const;
    virtual bool get(const wchar_t* name, cPoint& target) const;
    virtual bool get(const wchar_t* name, cVector2& target) const;
    virtual bool get(const wchar_t* name, long long& target) const;
    virtual bool get(const wchar_t* name, double& target) const;
    virtual bool get(const wchar_t* name, float& target) const;
    virtual bool get(const wchar_t* name, unsigned long& target) const;
    virtual bool get(const wchar_t* name, long& target) const;
    virtual bool get(const wchar_t* name, int& target) const;
    virtual bool get(const wchar_t* name, std::wstring& target) const;
    virtual bool get(const wchar_t* name, std::string& target) const;

    // Depth first: appends this node's children with that name, then those of every child's
    // subtree in table order; returns the list's size afterwards.
    virtual unsigned findAll(const wchar_t* name, tPropertiesList& list) const;

    // The text, as UTF-8.
    virtual std::string asString() const;
    virtual std::wstring asWString() const;
    // The text through `fromString`; 0 when the text holds no number.
    virtual float asFloat() const;
    virtual double asDouble() const;
    virtual int asInt() const;
    virtual unsigned asUInt() const;
    virtual long asLong() const;
    virtual unsigned long asULong() const;
    virtual long long asInt64() const;
    // (0, 0), then the text through `fromString`.
    virtual cVector2 asVector2() const;
    // The text as one hexadecimal number AARRGGBB (whatever its length), each byte times 1/255;
    // (0, 0, 0, 0) when the text holds no hexadecimal number.
    virtual cColor asColor() const;
    // False unless the text is the number 1.
    virtual bool asBool() const;

    // The attribute's value, or a static empty text when the node has no such attribute.
    const std::wstring& getAttribute(const wchar_t* name) const { return findAttribute(cNameKey(name)); }
    const std::wstring& getAttribute(const std::wstring& name) const { return findAttribute(cNameKey(name)); }
    virtual const std::wstring& findAttribute(const cNameKey& name) const = 0;
    virtual unsigned getChildCount() const = 0;
    virtual unsigned getChildCount(const wchar_t* name) const = 0;
    virtual unsigned getAttributeCount() const = 0;
    // The entries (key, child) of the child table; a loop stops at `childrenEnd` or after
    // `getChildCount` steps.
    virtual cChildIterator childrenBegin() const = 0;
    virtual cChildIterator childrenEnd() const = 0;
    // (0, 0), then the text through `fromString`.
    virtual cPoint asPoint() const;
    virtual cAttributeRange getAttributes() const = 0;
    // A pointer to an iterator at that position of the attribute table, or null when index >=
    // the attribute count. The iterator is one static object, overwritten by the next call.
    virtual const cAttributeIterator* getAttributeAt(unsigned index) const;
    virtual cAttributeIterator attributesBegin() const = 0;
    virtual cAttributeIterator attributesEnd() const = 0;

    // The first child with that name. When `node` is null or has no such child, throws
    // `message` itself (a wide C string) when one is given, else returns an empty pointer.
    static tPropertiesPtr getChildRequired(const tPropertiesPtr& node, const wchar_t* name,
                                           const wchar_t* message);

    bool isPropertyTree() const override;

protected:
    cProperties() = default;

    std::wstring m_text;
};

// Loads the child of `node` with that name into `target` through its virtual loadXML. When the
// target is null or the child is missing, throws `message` (a wide C string) when one is given,
// else does nothing.
template <class T>
void loadChildXML(T* target, const tPropertiesPtr& node, const std::wstring& name, const wchar_t* message)
{
    tPropertiesPtr child;
    if (target && node && node->getChild(name.c_str(), child))
    {
        target->loadXML(child);
        return;
    }
    if (message)
        throw message;
}

} // namespace Engine
