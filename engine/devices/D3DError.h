#pragma once

#include "platform/gfx/GfxResult.h"

#include <string>

namespace Engine
{

// The name of a device result as the error texts show it ("D3DERR_OUTOFVIDEOMEMORY").
std::string getD3DErrorName(Platform::GfxResult result);

// Throws the failure of a device call: "Direct3D function call failed\n", the call's text, "\n"
// and the result's name. The text is stored as the engine's last error text first and thrown
// as a narrow `cString`.
[[noreturn]] void throwD3DError(Platform::GfxResult result, const char* call);

} // namespace Engine
