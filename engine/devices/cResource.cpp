#include "engine/devices/cResource.h"

#include "engine/devices/cResourceManager.h"

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
    cResourceManager* manager = cResourceManager::instance();
    const boost::shared_ptr<const cResource> self = weak_from_this().lock();
    if (!manager || !self)
        throw "Unknown resource.";
    return manager->getPath(boost::const_pointer_cast<cResource>(self));
}

} // namespace Engine
