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
#include "tools/DataFiles.h"

#include <iostream>
#include <string>

namespace
{

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
    return Tools::describedFileTool(argc, argv, "meshtool", "mesh", "mesh", &Engine::cMeshWriter::fromText,
                                    &check);
}
