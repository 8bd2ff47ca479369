#pragma once

#include "engine/core/xml/cXmlNode.h"

#include <string_view>

namespace Engine::xml
{

// Keys of the name-keyed class: the names themselves, looked up without copying them.
struct cNameKeys
{
    using tAttributes = tNamedAttributes;
    using tChildren = tNamedChildren;
    static constexpr bool kHashed = false;

    static std::wstring_view lookup(const wchar_t* name)
    {
        return name ? std::wstring_view(name) : std::wstring_view();
    }
    static std::wstring_view lookup(const cNameKey& name) { return name.text; }
    static const cPropertyName& key(const cXmlName& name) { return name.shared(); }
};

// Keys of the hash-keyed class: the name hashes.
struct cHashKeys
{
    using tAttributes = tHashedAttributes;
    using tChildren = tHashedChildren;
    static constexpr bool kHashed = true;

    static uint32_t lookup(const wchar_t* name) { return name ? propertyNameHash(name) : 0; }
    static uint32_t lookup(const cNameKey& name) { return name.hash; }
    static uint32_t key(const cXmlName& name) { return name.hash(); }
};

} // namespace Engine::xml

namespace Engine
{

// The node behaviour shared by both classes; `Keys` chooses the keying and `Derived` the class
// of new children and clones (`Derived::createNode`).
template <class Derived, class Keys> class cXmlNodeImpl : public cXmlNode
{
public:
    unsigned getChildren(tPropertiesList& list) const override;
    unsigned getChildren(const wchar_t* name, tPropertiesList& list) const override;
    bool findChild(const cNameKey& name, tPropertiesPtr& child) const override;
    bool getChildAt(unsigned index, tPropertiesPtr& child, std::wstring* name = nullptr) const override;
    const std::wstring& findAttribute(const cNameKey& name) const override;
    unsigned getChildCount() const override;
    unsigned getChildCount(const wchar_t* name) const override;
    unsigned getAttributeCount() const override;
    cChildIterator childrenBegin() const override;
    cChildIterator childrenEnd() const override;
    cAttributeRange getAttributes() const override;
    cAttributeIterator attributesBegin() const override;
    cAttributeIterator attributesEnd() const override;

    tPropertiesPtr* childSlot(const xml::cXmlName& name, unsigned position) override;
    tPropertiesPtr& appendChild(const xml::cXmlName& name, tPropertiesPtr child) override;
    void removeChildren(const xml::cXmlName& name) override;
    void setAttribute(const xml::cXmlName& name, std::wstring_view value) override;
    void reserveAttributes(size_t count) override { m_attributes.reserve(m_attributes.size() + count); }
    tPropertiesPtr createEmpty() const override;
    tPropertiesPtr clone() const override;
    bool assignFrom(const cProperties& source) override;
    void clear() override;
    bool isHashKeyed() const override { return Keys::kHashed; }
    void readImage(xml::cImageReader& reader, unsigned depth) override;
    void writeImage(xml::cImageWriter& writer) const override;

protected:
    cXmlNodeImpl() = default;

    typename Keys::tAttributes m_attributes;
    typename Keys::tChildren m_children;
};

} // namespace Engine
