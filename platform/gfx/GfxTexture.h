#pragma once

#include "platform/gfx/GfxResult.h"
#include "platform/gfx/GfxTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace Platform
{

// A texture of one level in 32-bit A8R8G8B8 (X8R8G8B8 ignores the alpha byte): each pixel is a
// little-endian 0xAARRGGBB, so the bytes in memory are B, G, R, A. Locking hands out the pixels,
// rows top-down with a pitch of width x 4, and unlocking passes the changed rows on to the back
// end (the OpenGL one uploads them).
//
// The pixels are made when they are first needed: transparent black, or the picture that was
// left to be decoded when it is first drawn or read (see `setPendingPicture`). A back end with a
// copy of its own (video memory) lets go of them after each upload, so a loaded picture is held
// once, not twice; a later lock makes them again, and a read-only lock reads them back from the
// copy.
class GfxTexture
{
public:
    // Fills every one of the width x height pixels (rows top-down, pitch width) when they are
    // first needed.
    using PictureFill = std::function<void(uint32_t* pixels, int width, int height)>;

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

    // The pixels, rows top-down, made when they are not held (see above).
    const uint32_t* pixels() const;
    // Whether the pixels are held in memory now.
    bool holdsPixels() const { return m_pixels != nullptr; }
    // Leaves the picture to `fill` until the pixels are first needed: when the texture is first
    // drawn (`realize`) or read. A picture that is never drawn is never decoded. Replaces any
    // pixels held.
    // `covers`: the picture covers every pixel (a format without transparency, like JPEG).
    void setPendingPicture(PictureFill fill, bool covers = false);
    // Whether every pixel of the picture is fully covered, as its format says: a draw over a
    // covered picture with opaque vertex colours need not blend.
    bool coversAll() const { return m_coversAll; }
    bool isPending() const { return static_cast<bool>(m_pending); }
    // Makes a pending picture and passes it to the back end, as a writing unlock of the whole
    // level would. A device calls it before it draws with the texture.
    void realize();
    // The bytes of all the pictures `realize` has decoded in the process so far (their decoding
    // buffers were let go again).
    static uint64_t decodedBytes();
    // Grows with every unlock that may have changed pixels.
    uint64_t version() const { return m_version; }
    // A number no other texture of the process has had, so that the serial and the version
    // name a picture even after the texture is gone and another took its memory.
    uint64_t serial() const { return m_serial; }

protected:
    // Called by a writing unlock with the locked rectangle.
    virtual void onUnlock(const PixelRect& changed);
    // Whether the pixels stay in memory after a writing unlock: true unless the back end keeps
    // a copy of its own.
    virtual bool keepsPixels() const { return true; }
    // Reads the back end's copy into `pixels` (width x height); false when there is none.
    virtual bool readBack(uint32_t* pixels) const;

private:
    size_t pixelCount() const
    {
        return static_cast<size_t>(m_desc.width) * static_cast<size_t>(m_desc.height);
    }
    // Makes the pixels: the pending picture, else what the back end holds (`readBack`), else
    // transparent black.
    void makePixels(bool fromBackEnd) const;
    void dropPixels() const { m_pixels.reset(); }

    SurfaceDesc m_desc;
    // Null until needed, and again once the back end holds the only copy. Not cleared when
    // made: whatever makes them writes every pixel.
    mutable std::unique_ptr<uint32_t[]> m_pixels;
    mutable PictureFill m_pending;
    bool m_coversAll = false;
    PixelRect m_lockedRect;
    bool m_locked = false;
    bool m_readOnlyLock = false;
    uint64_t m_version = 0;
    uint64_t m_serial = 0;
};

} // namespace Platform
