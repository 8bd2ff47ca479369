#pragma once

#include <cstdint>

namespace Engine
{

// The kind of a resource, as `cResource::getType` reports it. The values are written into the
// resource log and read from preload lists ("Type"), so they never change.
enum class eResourceType : int32_t
{
    Texture = 0,
    XmlPooled = 1,
    XmlHeap = 2,
    Font = 3,
    VertexShader = 4,
    Sound = 5,
    Mesh = 6,
    Animation = 7,
    TextTexture = 8,
    Unknown = 9
};

} // namespace Engine
