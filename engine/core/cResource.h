#pragma once

#include "engine/core/eResourceType.h"

#include <boost/enable_shared_from_this.hpp>
#include <string>

namespace Engine
{

// The base of every file-backed asset. Resources are created by `cResourceManager` (text
// textures by their owner), always owned by boost::shared_ptr and shared by everyone who asks
// for the same path; a resource dies with the last pointer to it.
class cResource : public boost::enable_shared_from_this<cResource>
{
public:
    cResource() = default;
    cResource(const cResource&) = delete;
    cResource& operator=(const cResource&) = delete;
    virtual ~cResource();

    virtual eResourceType getType() const = 0;
    // Gives back the device objects the resource holds; the device kinds override it.
    virtual void releaseDeviceData();
    // True for the documents of the property tree.
    virtual bool isPropertyTree() const;
    // The path under which the resource manager holds this resource; throws the C string
    // "Unknown resource." when it does not hold it (or when there is no resource manager).
    virtual const std::string& getPath() const;
};

} // namespace Engine
