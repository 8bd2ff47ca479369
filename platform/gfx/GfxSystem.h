#pragma once

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTypes.h"

#include <memory>

namespace Platform
{

// The graphics system: what the display runs at, which depth-stencil formats it offers, and the
// device it makes. One device at a time.
class GfxSystem
{
public:
    virtual ~GfxSystem() = default;

    // The desktop's current mode.
    virtual GfxResult getDisplayMode(DisplayMode& mode) = 0;
    // Whether a depth-stencil buffer of `depthStencil` can go with a display in `display`.
    virtual bool supportsDepthStencil(Format display, Format depthStencil) = 0;
    virtual GfxResult createDevice(const PresentParams& params, std::unique_ptr<GfxDevice>& device) = 0;
};

} // namespace Platform
