// Writes an engine mesh file ("*.mesh") from a text description, or tells what a mesh file holds.
//
//   meshtool description.txt output.mesh
//   meshtool --check file.mesh
//
// The description, one statement a line ("#" starts a comment):
//   format tex | normal | normaltex | skinned     (or the codes 258, 18, 274, 4380); first
//   vertex <numbers>          one vertex, its fields in the order of the format:
//       tex:       x y z u v
//       normal:    x y z nx ny nz
//       normaltex: x y z nx ny nz u v
//       skinned:   x y z w0 w1 w2 b0 b1 b2 b3 nx ny nz u v
//                  (three blend weights, the fourth is 1 - w0 - w1 - w2; four bone numbers,
//                  bone k for weight k, each an animation track from 0 to 255)
//   triangle <a> <b> <c>      three vertex numbers counted from 0
//   bone <transform>...       the bind pose of the next bone (skinned meshes only)
// Transforms, applied in the order written: identity | translate x y z | scale x y z
//   | rotate x|y|z degrees | matrix <16 numbers row by row>.
//
// The mesh is drawn in screen units with y pointing down and +z towards the viewer; the front
// of a triangle is the side from which its corners run clockwise on the screen (the other side
// is culled). Texture v = 0 is the top row of the picture.
//
// Example, one textured triangle (94 bytes):
//   format tex
//   vertex 0 0 0 0 0
//   vertex 100 0 0 1 0
//   vertex 0 100 0 0 1
//   triangle 0 1 2
#include "engine/devices/cMesh.h"
#include "engine/devices/cMeshWriter.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace
{

int usage()
{
    std::cerr << "usage: meshtool description.txt output.mesh\n       meshtool --check file.mesh\n";
    return 2;
}

bool readWhole(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Reads the bytes back as the game does; the text of the first failure, or empty.
std::string check(const std::string& bytes, const std::string& name)
{
    try
    {
        const auto mesh = Engine::cMesh::fromBytes(bytes.data(), bytes.size(), name);
        std::cout << name << ": format " << mesh->getVertexFormat() << ", " << mesh->getVertexCount()
                  << " vertices, " << mesh->getTriangleCount() << " triangles";
        if (const auto* bones = mesh->getBoneMatrices())
            std::cout << ", " << bones->size() << " bones";
        std::cout << ", " << bytes.size() << " bytes\n";
        return "";
    }
    catch (const char* text)
    {
        return text;
    }
    catch (const std::string& text)
    {
        return text;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return usage();
    const std::string first = argv[1];
    std::string input;
    const std::string inputPath = first == "--check" ? argv[2] : first;
    if (!readWhole(inputPath, input))
    {
        std::cerr << "meshtool: cannot read \"" << inputPath << "\"\n";
        return 1;
    }
    if (first == "--check")
    {
        const std::string error = check(input, inputPath);
        if (!error.empty())
            std::cerr << "meshtool: " << inputPath << ": " << error << "\n";
        return error.empty() ? 0 : 1;
    }
    std::string bytes;
    try
    {
        bytes = Engine::cMeshWriter::fromText(input);
    }
    catch (const std::string& error)
    {
        std::cerr << "meshtool: " << inputPath << ", " << error << "\n";
        return 1;
    }
    const std::string error = check(bytes, argv[2]);
    if (!error.empty())
    {
        std::cerr << "meshtool: the mesh would not load: " << error << "\n";
        return 1;
    }
    const std::string temporary = std::string(argv[2]) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
        {
            std::cerr << "meshtool: cannot write \"" << temporary << "\"\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0)
    {
        std::cerr << "meshtool: cannot write \"" << argv[2] << "\"\n";
        return 1;
    }
    return 0;
}
