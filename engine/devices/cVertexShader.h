#pragma once

#include "engine/core/cResource.h"
#include "engine/devices/cBatchShader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

// A vertex shader file (resource kind `VertexShader`, files "*.vsh") and the device shader made
// from it. The file holds an ARB vertex program ("!!ARBvp1.0" ... "END") for vertices of the
// quad layout: vertex.position, vertex.color and vertex.texcoord[0], constants in
// program.env[n]. The bytes are kept, so that the shader can be made again after the device
// objects were released.
class cVertexShader : public cResource, public cBatchShader
{
public:
    // Reads the file through the file system (its errors pass through) and makes the shader. A
    // program the device cannot build leaves the handle 0 (quads then draw without a shader)
    // and says why on the debug trace.
    explicit cVertexShader(const std::string& path);
    // Deletes the device shader too.
    ~cVertexShader() override;

    eResourceType getType() const override { return eResourceType::VertexShader; }
    // Deletes the device shader; the handle becomes 0.
    void releaseDeviceData() override;
    // Makes the device shader again from the kept bytes.
    virtual void restoreDeviceData();

    // 0 when there is no device shader.
    uint32_t getHandle() const override { return m_handle; }
    const std::vector<char>& getBytes() const { return m_bytes; }

private:
    void create();

    uint32_t m_handle = 0;
    std::vector<char> m_bytes;
    std::string m_path;
};

} // namespace Engine
