#pragma once

#include "engine/core/cProperties.h"
#include "engine/core/cSingleton.h"

#include <boost/shared_ptr.hpp>
#include <string>

namespace Engine
{

class cResource;

// What the foundation needs of the cache of loaded files: documents by path, forgetting a file
// that has changed, and the path a resource is held under. The resource manager, a layer
// above, is the one implementation: while it exists, it is this singleton too. Everything
// here reaches the cache through this interface only, so the foundation builds and runs
// without the layers above it (tests and tools parse documents without any cache).
class cDocumentCache : public cSingleton<cDocumentCache>
{
public:
    // The document at `path`, loaded and kept on first use: built with `cXmlProperties`
    // (hash-keyed) when `heap` is set, else with `cXmlPropertiesPooled`; a document kept
    // already is returned whichever class it has. Load errors pass through; nothing is kept.
    virtual tPropertiesPtr getDocument(const std::string& path, bool heap) = 0;
    // Forgets whatever is kept under the path (compared as given; kept paths are lower case),
    // so the next request reads the file again. Users keep the objects they hold.
    virtual void forgetFile(const std::string& path) = 0;
    // The path under which a resource is kept; throws the C string "Unknown resource." when it
    // is not kept.
    virtual const std::string& getPath(const boost::shared_ptr<cResource>& resource) const = 0;

    // The document through the cache when there is one, else parsed now and kept by nobody.
    static tPropertiesPtr loadDocument(const std::string& path, bool heap);
    // Forgets a changed file in the cache, when there is one.
    static void fileChanged(const std::string& path);

protected:
    cDocumentCache() = default;
    ~cDocumentCache() = default;
};

} // namespace Engine
