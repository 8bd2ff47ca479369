#pragma once

#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshWriter.h"
#include "platform/particles/IPyroFile.h"

#include <boost/shared_ptr.hpp>

#include <algorithm>
#include <cstring>
#include <string>

namespace FrameTest
{

// An effect file held in memory.
class cStringFile final : public PyroParticles::IPyroFile
{
public:
    explicit cStringFile(std::string bytes) : m_bytes(std::move(bytes)) {}
    int read(void* buffer, unsigned count) override
    {
        const size_t n = std::min<size_t>(count, m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        return static_cast<int>(n);
    }
    int write(const void*, unsigned) override { return 0; }
    int seek(int, int) override { return 0; }
    int flush() override { return 0; }

private:
    std::string m_bytes;
    size_t m_position = 0;
};

// A square of `size` units from (0, 0) at depth `z`, facing the viewer, with its buffers made
// through the render device's factory.
inline boost::shared_ptr<Engine::cMesh> squareMesh(float size, float z = 0.0f)
{
    const std::string s = std::to_string(size);
    const std::string d = std::to_string(z);
    std::string text = "format normal\n";
    text += "vertex 0 0 " + d + " 0 0 1\n";
    text += "vertex " + s + " 0 " + d + " 0 0 1\n";
    text += "vertex " + s + " " + s + " " + d + " 0 0 1\n";
    text += "vertex 0 " + s + " " + d + " 0 0 1\n";
    text += "triangle 0 1 2\ntriangle 0 2 3\n";
    const std::string bytes = Engine::cMeshWriter::fromText(text);
    boost::shared_ptr<Engine::cMesh> mesh =
        Engine::cMesh::fromBytes(bytes.data(), bytes.size(), "models/square.mesh");
    mesh->createBuffers();
    return mesh;
}

} // namespace FrameTest
