#include "engine/devices/D3DError.h"

#include "engine/core/ErrorText.h"
#include "engine/core/cString.h"

namespace Engine
{

std::string getD3DErrorName(Platform::GfxResult result)
{
    return Platform::gfxResultName(result);
}

void throwD3DError(Platform::GfxResult result, const char* call)
{
    std::string text = "Direct3D function call failed\n";
    text += call ? call : "";
    text += "\n";
    text += getD3DErrorName(result);
    getErrorString() = text;
    throw cStringA(text);
}

} // namespace Engine
