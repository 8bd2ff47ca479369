#include "platform/system/GraphicsDrivers.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <vector>

namespace Platform
{
namespace
{

bool isGraphicsDriver(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    const std::string name = slash ? slash + 1 : path;
    const std::string::size_type dri = name.rfind("_dri.so");
    return (dri != std::string::npos && dri + 7 == name.size()) || name.rfind("libGLX_", 0) == 0 ||
           name.rfind("libEGL_", 0) == 0;
}

} // namespace

void keepGraphicsDriversLoaded()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found)
        {
            if (info->dlpi_name && info->dlpi_name[0] && isGraphicsDriver(info->dlpi_name))
                static_cast<std::vector<std::string>*>(found)->emplace_back(info->dlpi_name);
            return 0;
        },
        &drivers);
    // Opened again without loading anything, marked never to be unloaded. The handle is never
    // closed: the object stays whatever is done with it.
    for (const std::string& driver : drivers)
        dlopen(driver.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

} // namespace Platform
