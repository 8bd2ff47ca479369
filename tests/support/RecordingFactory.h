#pragma once

#include "engine/devices/cDeviceFactory.h"
#include "platform/gfx/RecordingGfxDevice.h"

namespace Test
{

// The device factory over a recording device of its own (default present parameters).
class RecordingFactory final : public Engine::cDeviceFactory
{
public:
    RecordingFactory() : device(Platform::PresentParams()) {}
    Platform::GfxDevice* getDevice() const override { return &device; }

    mutable Platform::RecordingGfxDevice device;
};

} // namespace Test
