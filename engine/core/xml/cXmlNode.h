#pragma once

#include "engine/core/cProperties.h"
#include "engine/core/xml/XmlText.h"
#include "engine/core/xml/cXmlName.h"

#include <string>

namespace Engine
{

namespace xml
{

class cImageReader;
class cImageWriter;

// Elements nested deeper than this are refused (by the parser and the image reader), so no
// walk over a tree can run out of stack.
constexpr unsigned kMaxDepth = 256;

} // namespace xml

// The node operations that building a document needs, on top of the read-only interface.
// Only the parser, the image reader and the copy/remove rules use them; every node of a tree
// is one of the two node classes, so they can be reached from any `cProperties` of a tree.
class cXmlNode : public cProperties
{
public:
    // The table slot of the child at `position` (from 1) among the children with that name,
    // or null.
    virtual tPropertiesPtr* childSlot(const xml::cXmlName& name, unsigned position) = 0;
    // Adds a child behind the existing children of that name and returns its slot.
    virtual tPropertiesPtr& appendChild(const xml::cXmlName& name, tPropertiesPtr child) = 0;
    virtual void removeChildren(const xml::cXmlName& name) = 0;
    // Adds the attribute, or overwrites an attribute of that name.
    virtual void setAttribute(const xml::cXmlName& name, std::wstring_view value) = 0;
    // Makes room for that many more attributes.
    virtual void reserveAttributes(size_t count) = 0;

    // A new empty node of this node's class.
    virtual tPropertiesPtr createEmpty() const = 0;
    // A new node of this node's class holding copies of the attribute table and the text, and
    // a copy of the child table whose entries point to the same children.
    virtual tPropertiesPtr clone() const = 0;
    // Takes copies of the tables (children shared) and of the text of `source`. False, and
    // nothing changed, when this node is keyed by name and `source` by hash (the names are gone).
    virtual bool assignFrom(const cProperties& source) = 0;
    // Empties both tables and the text.
    virtual void clear() = 0;
    virtual bool isHashKeyed() const = 0;

    // Reads the tables and the text from a pre-parsed image; `depth` counts the nodes above.
    virtual void readImage(xml::cImageReader& reader, unsigned depth) = 0;
    // Writes the node's image (keys as the writer asks).
    virtual void writeImage(xml::cImageWriter& writer) const = 0;

    std::wstring& text() { return m_text; }
    const std::wstring& text() const { return m_text; }

    // The length of the longest chain of children below this node (0 for a leaf), kept while
    // the document is built (an upper bound once children were removed). Copying a subtree
    // checks it, so shared subtrees never stack up into a tree deeper than kMaxDepth.
    unsigned height() const { return m_height; }
    void setHeight(unsigned height) { m_height = height; }

protected:
    unsigned m_height = 0;
};

} // namespace Engine
