#include "platform/gfx/GfxResult.h"

namespace Platform
{

const char* gfxResultName(GfxResult result)
{
    switch (result)
    {
    case GfxError::Ok:
        return "D3D_OK";
    case GfxError::OutOfVideoMemory:
        return "D3DERR_OUTOFVIDEOMEMORY";
    case GfxError::DeviceLost:
        return "D3DERR_DEVICELOST";
    case GfxError::DeviceNotReset:
        return "D3DERR_DEVICENOTRESET";
    case GfxError::InvalidCall:
        return "D3DERR_INVALIDCALL";
    case GfxError::NotAvailable:
        return "D3DERR_NOTAVAILABLE";
    case GfxError::InvalidData:
        return "D3DXERR_INVALIDDATA";
    case GfxError::OutOfMemory:
        return "E_OUTOFMEMORY";
    case GfxError::Fail:
        return "E_FAIL";
    default:
        return "Unknown";
    }
}

} // namespace Platform
