#include "engine/core/cDocumentCache.h"

#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"

#include <boost/make_shared.hpp>

namespace Engine
{

tPropertiesPtr cDocumentCache::loadDocument(const std::string& path, bool heap)
{
    if (cDocumentCache* cache = instance())
        return cache->getDocument(path, heap);
    if (heap)
        return boost::make_shared<cXmlProperties>(path);
    return boost::make_shared<cXmlPropertiesPooled>(path);
}

void cDocumentCache::fileChanged(const std::string& path)
{
    if (cDocumentCache* cache = instance())
        cache->forgetFile(path);
}

} // namespace Engine
