#pragma once

#include "engine/devices/cBatchRenderer.h"

namespace Platform
{
class GfxDevice;
}

namespace Engine
{

struct cParticleDrawInfo;

// Draws the particle batches of a frame: places each emitter where its view is and lets it draw
// itself through the particle device, leaving the device's states as they were.
class cPyroBatch
{
public:
    explicit cPyroBatch(Platform::GfxDevice& device) : m_device(device) {}

    // Places the emitter of `info` when the device was made again since the last drawn frame or
    // the view changed (and clears `changed`): the effect is scaled by k about the view's
    // position P and shifted by its offset O. In a window k is the view's scale and the emitter
    // goes to O + P − k·P; in full screen m = the smaller letterbox scale, k = scale·m, and the
    // emitter goes to S − k·P + m·O, S being P in back-buffer pixels. A particle emitted at p is
    // then drawn at O + P + k·(p − P) in a window.
    static void place(cParticleDrawInfo& info, const cBatchRenderer::tPlacement& placement,
                      bool deviceRecreated);

    // `place`, then the emitter draws inside a state block, so whatever states it sets are
    // undone afterwards. The caller binds its own buffers again. Nothing without an emitter.
    void draw(cParticleDrawInfo& info, const cBatchRenderer::tPlacement& placement, bool deviceRecreated);

private:
    Platform::GfxDevice& m_device;
};

} // namespace Engine
