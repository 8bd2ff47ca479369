#pragma once

#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshWriter.h"

#include <boost/shared_ptr.hpp>

#include <string>

namespace FrameTest
{

// The description of a square of `size` units from (0, 0) at depth `z`, its triangles running
// clockwise on the screen (facing the viewer) or, with `back`, counter-clockwise.
inline std::string squareText(float size, float z = 0.0f, bool back = false)
{
    const std::string s = std::to_string(size);
    const std::string d = std::to_string(z);
    std::string text = "format normal\n";
    text += "vertex 0 0 " + d + " 0 0 1\n";
    text += "vertex " + s + " 0 " + d + " 0 0 1\n";
    text += "vertex " + s + " " + s + " " + d + " 0 0 1\n";
    text += "vertex 0 " + s + " " + d + " 0 0 1\n";
    text += back ? "triangle 0 2 1\ntriangle 0 3 2\n" : "triangle 0 1 2\ntriangle 0 2 3\n";
    return text;
}

// A mesh made from its description, with its buffers made through the render device's factory.
inline boost::shared_ptr<Engine::cMesh> meshOf(const std::string& text, const std::string& path)
{
    const std::string bytes = Engine::cMeshWriter::fromText(text);
    boost::shared_ptr<Engine::cMesh> mesh = Engine::cMesh::fromBytes(bytes.data(), bytes.size(), path);
    mesh->createBuffers();
    return mesh;
}

// A square of `size` units from (0, 0) at depth `z`, facing the viewer, with its buffers made.
inline boost::shared_ptr<Engine::cMesh> squareMesh(float size, float z = 0.0f)
{
    return meshOf(squareText(size, z), "models/square.mesh");
}

} // namespace FrameTest
