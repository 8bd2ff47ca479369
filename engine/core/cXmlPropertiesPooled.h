#pragma once

#include "engine/core/xml/cXmlNodeImpl.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <string>

namespace Engine
{

// The name-keyed node class of the property tree: attributes and children keyed by their
// names (so they come out sorted by name), nodes taken from a memory pool. Counts its nodes.
class cXmlPropertiesPooled final : public cXmlNodeImpl<cXmlPropertiesPooled, xml::cNameKeys>
{
public:
    // Loads the whole document from the file system; this object is its root node. Throws the
    // file system's "not found" error, or the load error "<message> line <n> char <m>
    // filename: <path>" as cString<std::string> (also stored as the last error text).
    explicit cXmlPropertiesPooled(const std::string& path);
    // An empty node: the children made while a document is built.
    cXmlPropertiesPooled();
    ~cXmlPropertiesPooled() override;

    eResourceType getType() const override { return eResourceType::XmlPooled; }

    // A document built from bytes in memory (XML or a pre-parsed image); `name` stands for the
    // path in error texts. Throws the load error like the path constructor.
    static boost::shared_ptr<cXmlPropertiesPooled> fromBuffer(const char* data, size_t size,
                                                              const std::string& name);
    // A new empty node from the pool.
    static tPropertiesPtr createNode();

    // Nodes alive now, the most alive at once, and all ever made.
    static unsigned long liveNodes() { return s_live; }
    static unsigned long peakNodes() { return s_peak; }
    static unsigned long totalNodes() { return s_total; }

private:
    static inline unsigned long s_live = 0;
    static inline unsigned long s_peak = 0;
    static inline unsigned long s_total = 0;
};

} // namespace Engine
