#pragma once

#include "platform/gfx/GfxSystem.h"
#include "platform/gfx/RecordingGfxDevice.h"

namespace Platform
{

// The graphics system of tests: a desktop of the size the test sets, and recording devices.
class RecordingGfxSystem final : public GfxSystem
{
public:
    DisplayMode mode{1920, 1080, 60, Format::X8R8G8B8};
    bool offersD24S8 = true;
    bool offersD15S1 = true;
    // What `createDevice` answers; a failure makes no device.
    GfxResult createResult = GfxError::Ok;
    // Applied to every device made.
    bool powerOfTwoOnly = false;

    GfxResult getDisplayMode(DisplayMode& out) override
    {
        out = mode;
        return GfxError::Ok;
    }
    bool supportsDepthStencil(Format display, Format depthStencil) override;
    GfxResult createDevice(const PresentParams& params, std::unique_ptr<GfxDevice>& device) override;

    // The last device made; it belongs to whoever created it, so this is only valid while that
    // owner keeps it.
    RecordingGfxDevice* lastDevice() const { return m_last; }
    unsigned deviceCount() const { return m_devices; }

private:
    RecordingGfxDevice* m_last = nullptr;
    unsigned m_devices = 0;
};

} // namespace Platform
