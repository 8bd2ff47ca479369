#include "engine/core/cResource.h"

#include "engine/core/cDocumentCache.h"

namespace Engine
{

cResource::~cResource() = default;

void cResource::releaseDeviceData() {}

bool cResource::isPropertyTree() const
{
    return false;
}

const std::string& cResource::getPath() const
{
    cDocumentCache* cache = cDocumentCache::instance();
    const boost::shared_ptr<const cResource> self = weak_from_this().lock();
    if (!cache || !self)
        throw "Unknown resource.";
    return cache->getPath(boost::const_pointer_cast<cResource>(self));
}

} // namespace Engine
