#pragma once

#include "engine/devices/cMatrix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Engine
{

// Writes mesh files ("*.mesh", read by `cMesh`) from their parts or from a text description,
// for the tools that make the game's data and for tests.
//
// The text, one statement a line; "#" starts a comment, blank lines are skipped:
//   format tex | normal | normaltex | skinned     (or the codes 258, 18, 274, 4380); first
//   vertex <numbers>          one vertex, its fields in the order of the format:
//       tex:       x y z u v
//       normal:    x y z nx ny nz
//       normaltex: x y z nx ny nz u v
//       skinned:   x y z w0 w1 w2 b0 b1 b2 b3 nx ny nz u v   (weights w0..w2, the fourth is
//                  1 - w0 - w1 - w2; bones b0..b3 are animation tracks 0..255)
//   triangle <a> <b> <c>      three vertex numbers (from 0); the front of a triangle is the
//                             side from which it runs clockwise on the screen (y down)
//   bone <transform>...       the bind pose of the next bone (skinned meshes), the transforms
//                             of `cTextDescription` applied in the order written
// Texture v = 0 is the top row of the picture; +z points towards the viewer.
class cMeshWriter
{
public:
    // `vertices` holds the vertex bytes as the format lays them out; `bones` is written only for
    // the skinned format.
    static std::string toBytes(uint32_t format, const std::string& vertices,
                               const std::vector<uint16_t>& indices, const std::vector<cMatrix>& bones);
    // Throws std::string "line <n>: <reason>" for a description it cannot read.
    static std::string fromText(const std::string& text);
    // The vertex size of a format; 0 for an unknown format.
    static uint32_t vertexSize(uint32_t format);
};

} // namespace Engine
