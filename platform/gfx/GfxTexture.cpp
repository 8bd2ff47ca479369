#include "platform/gfx/GfxTexture.h"

#include <utility>

namespace Platform
{

GfxTexture::GfxTexture(int width, int height, Format format, Pool pool, uint32_t usage)
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

void GfxTexture::makePixels() const
{
    if (!m_pixels.empty() || m_desc.width <= 0 || m_desc.height <= 0)
        return;
    m_pixels.assign(static_cast<size_t>(m_desc.width) * static_cast<size_t>(m_desc.height), 0u);
    if (m_pending)
    {
        // Taken first: a fill that fails is not tried again with half-made pixels.
        const PictureFill fill = std::move(m_pending);
        m_pending = nullptr;
        fill(m_pixels.data(), m_desc.width, m_desc.height);
    }
}

const uint32_t* GfxTexture::pixels() const
{
    if (m_pixels.empty() && !readBack(m_pixels))
        makePixels();
    return m_pixels.data();
}

void GfxTexture::setPendingPicture(PictureFill fill)
{
    m_pixels.clear();
    m_pixels.shrink_to_fit();
    m_pending = std::move(fill);
}

void GfxTexture::realize()
{
    if (!m_pending || m_locked)
        return;
    makePixels();
    ++m_version;
    onUnlock(PixelRect{0, 0, m_desc.width, m_desc.height});
    if (!keepsPixels())
    {
        m_pixels.clear();
        m_pixels.shrink_to_fit();
    }
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
    if (m_readOnlyLock)
        pixels();
    else
        makePixels();
    m_locked = true;
    m_lockedRect = area;
    out.pitch = m_desc.width * 4;
    out.bits = m_pixels.data() + static_cast<size_t>(area.top) * static_cast<size_t>(m_desc.width) +
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
        ++m_version;
        onUnlock(m_lockedRect);
        if (!keepsPixels())
        {
            m_pixels.clear();
            m_pixels.shrink_to_fit();
        }
    }
    else if (m_readOnlyLock && !keepsPixels())
    {
        m_pixels.clear();
        m_pixels.shrink_to_fit();
    }
    return GfxError::Ok;
}

void GfxTexture::onUnlock(const PixelRect&) {}

bool GfxTexture::readBack(std::vector<uint32_t>&) const
{
    return false;
}

} // namespace Platform
