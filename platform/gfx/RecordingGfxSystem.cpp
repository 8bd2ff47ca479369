#include "platform/gfx/RecordingGfxSystem.h"

namespace Platform
{

bool RecordingGfxSystem::supportsDepthStencil(Format, Format depthStencil)
{
    if (depthStencil == Format::D24S8)
        return offersD24S8;
    if (depthStencil == Format::D15S1)
        return offersD15S1;
    return false;
}

GfxResult RecordingGfxSystem::createDevice(const PresentParams& params, std::unique_ptr<GfxDevice>& device)
{
    device.reset();
    if (gfxFailed(createResult))
        return createResult;
    if (params.backBufferWidth <= 0 || params.backBufferHeight <= 0)
        return GfxError::InvalidCall;
    auto made = std::make_unique<RecordingGfxDevice>(params);
    made->setPowerOfTwoOnly(powerOfTwoOnly);
    m_last = made.get();
    ++m_devices;
    device = std::move(made);
    return GfxError::Ok;
}

} // namespace Platform
