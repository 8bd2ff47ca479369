#include "platform/gfx/GfxTexture.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace Platform
{

namespace
{

std::atomic<uint64_t> g_decodedBytes{0};
std::atomic<uint64_t> g_serials{0};

} // namespace

GfxTexture::GfxTexture(int width, int height, Format format, Pool pool, uint32_t usage)
    : m_serial(++g_serials)
{
    m_desc.format = format;
    m_desc.pool = pool;
    m_desc.usage = usage;
    m_desc.width = width;
    m_desc.height = height;
}

GfxTexture::~GfxTexture() = default;

GfxResult GfxTexture::getLevelDesc(unsigned level, SurfaceDesc& out) const
{
    if (level != 0)
        return GfxError::InvalidCall;
    out = m_desc;
    return GfxError::Ok;
}

void GfxTexture::makePixels(bool fromBackEnd) const
{
    if (m_pixels || m_desc.width <= 0 || m_desc.height <= 0)
        return;
    m_pixels.reset(new uint32_t[pixelCount()]);
    if (m_pending)
    {
        // Taken first: a fill that fails is not tried again.
        const PictureFill fill = std::move(m_pending);
        m_pending = nullptr;
        try
        {
            fill(m_pixels.get(), m_desc.width, m_desc.height);
        }
        catch (...)
        {
            dropPixels();
            throw;
        }
        return;
    }
    if (!fromBackEnd || !readBack(m_pixels.get()))
        std::fill_n(m_pixels.get(), pixelCount(), 0u);
}

const uint32_t* GfxTexture::pixels() const
{
    makePixels(true);
    return m_pixels.get();
}

void GfxTexture::setPendingPicture(PictureFill fill, bool covers)
{
    dropPixels();
    m_pending = std::move(fill);
    m_coversAll = covers;
}

void GfxTexture::realize()
{
    if (!m_pending || m_locked)
        return;
    makePixels(false);
    g_decodedBytes += pixelCount() * 4;
    ++m_version;
    onUnlock(PixelRect{0, 0, m_desc.width, m_desc.height});
    if (!keepsPixels())
        dropPixels();
}

uint64_t GfxTexture::decodedBytes()
{
    return g_decodedBytes.load();
}

GfxResult GfxTexture::lockRect(unsigned level, LockedRect& out, const PixelRect* rect, uint32_t flags)
{
    out = LockedRect{};
    if (level != 0 || m_locked)
        return GfxError::InvalidCall;
    PixelRect area{0, 0, m_desc.width, m_desc.height};
    if (rect)
    {
        if (rect->left < 0 || rect->top < 0 || rect->right > m_desc.width || rect->bottom > m_desc.height ||
            rect->left >= rect->right || rect->top >= rect->bottom)
            return GfxError::InvalidCall;
        area = *rect;
    }
    m_readOnlyLock = (flags & Lock::ReadOnly) != 0;
    // A reader gets what the texture shows; a writer gets a buffer of which only the locked
    // part is passed on.
    makePixels(m_readOnlyLock);
    m_locked = true;
    m_lockedRect = area;
    out.pitch = m_desc.width * 4;
    out.bits = m_pixels.get() + static_cast<size_t>(area.top) * static_cast<size_t>(m_desc.width) +
               static_cast<size_t>(area.left);
    return GfxError::Ok;
}

GfxResult GfxTexture::unlockRect(unsigned level)
{
    if (level != 0 || !m_locked)
        return GfxError::InvalidCall;
    m_locked = false;
    if (!m_readOnlyLock && m_desc.width > 0 && m_desc.height > 0)
    {
        // What was written may be see-through.
        m_coversAll = false;
        ++m_version;
        onUnlock(m_lockedRect);
    }
    if (!keepsPixels())
        dropPixels();
    return GfxError::Ok;
}

void GfxTexture::onUnlock(const PixelRect&) {}

bool GfxTexture::readBack(uint32_t*) const
{
    return false;
}

} // namespace Platform
