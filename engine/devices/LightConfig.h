#pragma once

#include "engine/core/cColor.h"
#include "platform/gfx/GfxTypes.h"

#include <vector>

namespace Engine
{

class cRenderConfigSource;

// One light configuration of the constants file: the lights a lit mesh is drawn with and the
// ambient colour.
struct cLightConfig
{
    std::vector<Platform::Light> lights;
    cColor ambient;
};

// The most configurations and lights per configuration read from the constants; a larger
// count in the file is cut to these (the device has eight lights).
constexpr unsigned MaxLightConfigs = 64;
constexpr unsigned MaxLightsPerConfig = 8;

// Reads "lightConfig"/"count" configurations; configuration i from the group "lights" + i:
// "count", "ambient" and for light j the keys "light_" + j + "_" + "type", "diffuse",
// "specular", "ambient", "position", "direction", "range", "falloff", "attenuation0" to
// "attenuation2", "theta", "phi". A missing key leaves the field 0. The direction is stored as
// the normalised (x, -y, z) of the configured one: the file's y points up, the screen's down.
void readLightConfigs(cRenderConfigSource& source, std::vector<cLightConfig>& configs);

} // namespace Engine
