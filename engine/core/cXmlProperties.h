#pragma once

#include "engine/core/xml/cXmlNodeImpl.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>

namespace Engine
{

// The hash-keyed node class of the property tree: attributes and children keyed by the name
// hash (sorted by hash; two names with one hash are one key, and names are not kept), nodes
// allocated on the heap.
class cXmlProperties final : public cXmlNodeImpl<cXmlProperties, xml::cHashKeys>
{
public:
    // Loads the whole document from the file system; this object is its root node. Throws as
    // `cXmlPropertiesPooled` does.
    explicit cXmlProperties(const std::string& path);
    // An empty node: the children made while a document is built.
    cXmlProperties() = default;

    eResourceType getType() const override { return eResourceType::XmlHeap; }

    // A document built from bytes in memory (XML or a pre-parsed image); `name` stands for the
    // path in error texts.
    static boost::shared_ptr<cXmlProperties> fromBuffer(const char* data, size_t size,
                                                        const std::string& name);
    static tPropertiesPtr createNode();
};

} // namespace Engine
