#include "engine/devices/cVertexShader.h"

#include "engine/core/cFileSystem.h"
#include "engine/devices/D3DError.h"
#include "engine/devices/cDeviceFactory.h"
#include "platform/system/SystemInfo.h"

namespace Engine
{

cVertexShader::cVertexShader(const std::string& path) : m_path(path)
{
    cFileSystem::instance()->readFile(path, m_bytes);
    create();
}

cVertexShader::~cVertexShader()
{
    releaseDeviceData();
}

void cVertexShader::create()
{
    cDeviceFactory* factory = cDeviceFactory::instance();
    if (!factory || m_handle != 0)
        return;
    const Platform::GfxResult made = factory->createVertexShader(m_bytes.data(), m_bytes.size(), m_handle);
    if (made != Platform::GfxError::Ok)
    {
        m_handle = 0;
        Platform::debugTrace("Vertex shader \"" + m_path + "\" was not made: " + getD3DErrorName(made) +
                             "\n");
    }
}

void cVertexShader::releaseDeviceData()
{
    if (m_handle == 0)
        return;
    if (cDeviceFactory* factory = cDeviceFactory::instance())
        factory->deleteVertexShader(&m_handle);
    m_handle = 0;
}

void cVertexShader::restoreDeviceData()
{
    create();
}

} // namespace Engine
