#pragma once

#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace Platform
{

// A texture of one level in 32-bit A8R8G8B8 (X8R8G8B8 ignores the alpha byte): each pixel is a
// little-endian 0xAARRGGBB, so the bytes in memory are B, G, R, A. The pixels are kept in
// plain memory, rows top-down with a pitch of width x 4; locking hands them out and unlocking
// passes the changed rows on to the back end (the OpenGL one uploads them).
class GfxTexture
{
public:
    GfxTexture(int width, int height, Format format, Pool pool, uint32_t usage);
    virtual ~GfxTexture();
    GfxTexture(const GfxTexture&) = delete;
    GfxTexture& operator=(const GfxTexture&) = delete;

    unsigned levelCount() const { return 1; }
    GfxResult getLevelDesc(unsigned level, SurfaceDesc& out) const;
    const SurfaceDesc& desc() const { return m_desc; }
    int width() const { return m_desc.width; }
    int height() const { return m_desc.height; }
    Pool pool() const { return m_desc.pool; }

    // Locks the whole level (rect null) or a part of it. A read-only lock changes nothing.
    GfxResult lockRect(unsigned level, LockedRect& out, const PixelRect* rect, uint32_t flags);
    GfxResult unlockRect(unsigned level);
    bool isLocked() const { return m_locked; }

    // The pixels, rows top-down.
    const uint32_t* pixels() const { return m_pixels.data(); }
    // Grows with every unlock that may have changed pixels.
    uint64_t version() const { return m_version; }

protected:
    // Called by a writing unlock with the locked rectangle.
    virtual void onUnlock(const PixelRect& changed);

private:
    SurfaceDesc m_desc;
    std::vector<uint32_t> m_pixels;
    PixelRect m_lockedRect;
    bool m_locked = false;
    bool m_readOnlyLock = false;
    uint64_t m_version = 0;
};

} // namespace Platform
