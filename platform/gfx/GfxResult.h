#pragma once

#include <cstdint>

namespace Platform
{

// The result of a device call: 0 or more is success, a negative value a failure. Out of video
// memory keeps the number the engine's error texts and retry rule are written against; the
// other failures have numbers of our own.
using GfxResult = int32_t;

namespace GfxError
{
constexpr GfxResult Ok = 0;
constexpr GfxResult OutOfVideoMemory = static_cast<GfxResult>(0x8876017Cu);
// The device was lost (full-screen focus change); it cannot draw until it is reset.
constexpr GfxResult DeviceLost = static_cast<GfxResult>(0x88EE0001u);
// The device was lost and can be reset now.
constexpr GfxResult DeviceNotReset = static_cast<GfxResult>(0x88EE0002u);
constexpr GfxResult InvalidCall = static_cast<GfxResult>(0x88EE0003u);
constexpr GfxResult NotAvailable = static_cast<GfxResult>(0x88EE0004u);
constexpr GfxResult InvalidData = static_cast<GfxResult>(0x88EE0005u);
constexpr GfxResult OutOfMemory = static_cast<GfxResult>(0x8007000Eu);
constexpr GfxResult Fail = static_cast<GfxResult>(0x80004005u);
} // namespace GfxError

inline bool gfxFailed(GfxResult result)
{
    return result < 0;
}

// The symbolic name of a result as the engine's error texts show it ("D3DERR_OUTOFVIDEOMEMORY");
// "Unknown" for a number without a name.
const char* gfxResultName(GfxResult result);

} // namespace Platform
