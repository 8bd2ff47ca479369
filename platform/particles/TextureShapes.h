#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PyroParticles
{

// The pictures an effect file can ask for by name instead of embedding one: white, with the
// shape in the alpha channel, so a particle's colour tints them.
enum class eTextureShape
{
    // Full square.
    Square,
    // A disc with a one-pixel soft edge.
    Dot,
    // Alpha falling off from the centre to the edge.
    SoftDot,
    // A soft ring three quarters of the way out.
    Ring,
    // A soft centre with four rays.
    Star
};

// False for a name that is none of "square", "dot", "softdot", "ring", "star".
bool shapeFromName(const std::string& name, eTextureShape& out);

// A size × size picture, 4 bytes a pixel (red, green, blue, alpha).
std::vector<uint8_t> makeShape(eTextureShape shape, uint32_t size);

} // namespace PyroParticles
