#pragma once

#include "platform/particles/IPyroDeviceObject.h"

namespace PyroParticles
{

// A texture created by the graphics device from a picture of the library.
class IPyroTexture : public IPyroDeviceObject
{
};

} // namespace PyroParticles
